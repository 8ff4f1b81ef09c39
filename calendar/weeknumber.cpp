#include "calendar/weeknumber.h"

#include "calendar/monthgrid.h"
#include "core/error.h"

#include <cmath>

namespace vistelle {

namespace {
// Monday = 1 … Sunday = 7.
int isoWeekday(TDateTime date) { return (dayOfWeek(date) + 5) % 7 + 1; }
} // namespace

quint16 WeekNumberOf(TDateTime date)
{
    if (!(date > MinDateDays - 1 && date < MaxDateDays + 1))
        raise(QStringLiteral("Invalid argument to date encode"));
    const int year = decodeDate(date).year;
    const TDateTime jan1 = encodeDate(year, 1, 1);
    int n = int(std::trunc(date) - jan1) + 1;
    const int s = isoWeekday(jan1);
    if (s >= 5) n -= 8 - s; // 1 January on Friday to Sunday belongs to the previous year's last week
    else n += s - 1;
    if (n <= 0) return WeekNumberOf(encodeDate(year - 1, 12, 31));
    int week = n / 7 + (n % 7 != 0 ? 1 : 0);
    if (week > 52) {
        const int dec31 = IsLeap(year) ? s % 7 + 1 : s;
        if (dec31 <= 3) week = 1; // 31 December on Monday to Wednesday starts next year's week 1
    }
    return quint16(week);
}

} // namespace vistelle
