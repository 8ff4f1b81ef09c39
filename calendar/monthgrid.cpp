#include "calendar/monthgrid.h"

#include "core/error.h"

namespace vistelle {

namespace {
const QString RangeCheckError = QStringLiteral("Range check error");
}

bool IsLeap(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int MonthLength(int year, int month)
{
    static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) raise(RangeCheckError);
    return lengths[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0);
}

int MonthGrid::firstCellOffsetOf(int weekdayOfFirst, int startOfWeek)
{
    const int a = ((weekdayOfFirst - startOfWeek) % 7 + 7) % 7;
    // a = 0 would put day 1 in column -1; the whole month moves one row down instead.
    return a == 0 ? -5 : 2 - a;
}

MonthGrid MonthGrid::of(int year, int month, int startOfWeek)
{
    const int weekday = dayOfWeek(encodeDate(year, month, 1));
    return MonthGrid(firstCellOffsetOf(weekday, startOfWeek), MonthLength(year, month));
}

bool MonthGrid::holdsDay(GridCell cell) const
{
    if (!cell.isDayRow()) return false;
    const int n = dayNumberAt(cell);
    return n >= 1 && n <= m_length;
}

GridCell MonthGrid::cellOfDay(int day) const
{
    const int i = day - m_offset;
    return {i % 7, i / 7 + FirstDayRow};
}

QString MonthGrid::dayCaption(GridCell cell) const
{
    return holdsDay(cell) ? QString::number(dayNumberAt(cell)) : QString();
}

QString MonthGrid::headerCaption(int col, int startOfWeek, const std::array<QString, 7>& names)
{
    if (col < 0 || col >= GridColumns) return {};
    return names[size_t((startOfWeek + col) % 7)];
}

YearMonth neighbourMonth(YearMonth from, int delta)
{
    if (delta > 0) return from.month == 12 ? YearMonth{from.year + 1, 1} : YearMonth{from.year, from.month + 1};
    if (from.month > 1) return {from.year, from.month - 1};
    if (from.year <= 1) raise(RangeCheckError);
    return {from.year - 1, 12};
}

} // namespace vistelle
