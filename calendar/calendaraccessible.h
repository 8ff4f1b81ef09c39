#pragma once
// The calendar as assistive technologies see it: a table of 7 × 7 cells, the weekday
// header row and then the day cells of the shown month, each day named with its full date
// in words. The selected day's cell has the selected state, and the focused state while
// the calendar has the keyboard focus; empty cells have no name and cannot be selected.

#include "platform/accessiblegrid.h"

namespace vistelle {

class TQelCalendar;

class CalendarAccessible : public AccessibleGrid {
public:
    explicit CalendarAccessible(TQelCalendar* calendar);

    Cell describeCell(int column, int row) const override;
    int headerRows() const override { return 1; }

    // Makes queryAccessibleInterface answer with this class for every calendar.
    static void installFactory();

private:
    TQelCalendar* calendar() const;
};

} // namespace vistelle
