#pragma once
// ISO 8601 week number: weeks begin on Monday, week 1 holds the year's first Thursday.

#include "core/datetime.h"

#include <QtGlobal>

namespace vistelle {

// Week 1..53 of the date. Only the number is returned; the week-numbering year is dropped,
// so 29 December 2008 gives 1. A date outside 1 January 1 .. 31 December 9999 fails with
// "Invalid argument to date encode".
quint16 WeekNumberOf(TDateTime date);

} // namespace vistelle
