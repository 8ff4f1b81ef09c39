#include "core/datewords.h"

namespace vistelle {

QString weekdayName(int weekday)
{
    static const char* const names[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    return weekday >= 0 && weekday < 7 ? QString::fromLatin1(names[weekday]) : QString();
}

QString monthName(int month)
{
    static const char* const names[12] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    return month >= 1 && month <= 12 ? QString::fromLatin1(names[month - 1]) : QString();
}

QString spokenDate(TDateTime date)
{
    if (!isValidDay(date)) return {};
    const DateParts d = decodeDate(date);
    return QStringLiteral("%1 %2 %3 %4").arg(weekdayName(dayOfWeek(date) - 1)).arg(d.day).arg(monthName(d.month)).arg(d.year);
}

} // namespace vistelle
