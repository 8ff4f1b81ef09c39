#pragma once
// Month-grid arithmetic of the calendar component, free of any widget: month lengths,
// the layout of one month in 7 columns by 6 day rows, captions, date <-> cell and the
// month and year steps. The widget TQelCalendar paints and maps input on top of this.

#include "core/datetime.h"

#include <QString>
#include <array>

namespace vistelle {

inline constexpr int GridColumns = 7;
inline constexpr int GridRows = 7;       // header row 0 plus six day rows
inline constexpr int FirstDayRow = 1;
inline constexpr int LastDayRow = 6;

// Gregorian leap year.
bool IsLeap(int year);
// Days in month 1..12 of the year; any other month fails with "Range check error".
int MonthLength(int year, int month);

struct GridCell {
    int col = 0;
    int row = 0;
    bool operator==(const GridCell&) const = default;
    bool isDayRow() const { return row >= FirstDayRow && row <= LastDayRow && col >= 0 && col < GridColumns; }
};

// One month laid out in the day rows. The cell (k, r) of a day row stands for day number
// firstCellOffset + k + 7 × (r − 1); numbers outside 1..monthLength are empty cells.
class MonthGrid {
public:
    MonthGrid() = default;
    MonthGrid(int firstCellOffset, int monthLength) : m_offset(firstCellOffset), m_length(monthLength) {}

    // weekdayOfFirst counts Sunday = 1 … Saturday = 7, startOfWeek Sunday = 0 … Saturday = 6.
    // The result lies in −5..1: day 1 always falls into the first day row.
    static int firstCellOffsetOf(int weekdayOfFirst, int startOfWeek);
    static MonthGrid of(int year, int month, int startOfWeek);

    int firstCellOffset() const { return m_offset; }
    int monthLength() const { return m_length; }

    int dayNumberAt(GridCell cell) const { return m_offset + cell.col + 7 * (cell.row - FirstDayRow); }
    bool holdsDay(GridCell cell) const;
    GridCell cellOfDay(int day) const;
    // The day number as decimal digits, or "" for an empty cell or a cell outside the day rows.
    QString dayCaption(GridCell cell) const;

    // Abbreviated name of the weekday shown in column col; names index 0 = Sunday.
    static QString headerCaption(int col, int startOfWeek, const std::array<QString, 7>& names);

private:
    int m_offset = 1;
    int m_length = 0;
};

struct YearMonth {
    int year = 0;
    int month = 0;
    bool operator==(const YearMonth&) const = default;
};

// The month after (delta = +1) or before (delta = −1) the given one, the target of a month
// step (which keeps the day, clamped with clampDay). Stepping back from
// January of year 1 fails with "Range check error"; stepping past year 9999 is left to
// the date encoding, which refuses it.
YearMonth neighbourMonth(YearMonth from, int delta);
// The day kept by a month step: the same day, or the last day of a shorter target month.
inline int clampDay(int day, int monthLength) { return day < monthLength ? day : monthLength; }

} // namespace vistelle
