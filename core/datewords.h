#pragma once
// Dates and weekdays in English words, for what assistive technologies read out:
// "Thursday 10 December 2026". Every text of the program is English, these too.

#include "core/datetime.h"

#include <QString>

namespace vistelle {

// Weekday 0 = Sunday … 6 = Saturday.
QString weekdayName(int weekday);
// Month 1 … 12.
QString monthName(int month);
// "Thursday 10 December 2026"; the empty text for a value that is no day of years 1 … 9999.
QString spokenDate(TDateTime date);

} // namespace vistelle
