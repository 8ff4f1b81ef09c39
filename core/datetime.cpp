#include "core/datetime.h"
#include "core/error.h"
#include "core/regional.h"

#include <QDateTime>
#include <cmath>

namespace vistelle {

namespace {

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's algorithm).
qint64 daysFromCivil(qint64 y, int m, int d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateParts civilFromDays(qint64 z)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    return {int(yoe + era * 400 + (m <= 2)), m, d};
}

constexpr qint64 UnixToDateValue = 25569; // 1 January 1970 as a date value

std::function<TDateTime()>& nowSource()
{
    static std::function<TDateTime()> source;
    return source;
}

// --- scanning, after the rules of the short-date conversion ---
struct Scanner {
    const QString& s;
    qsizetype pos = 0;

    void blanks() { while (pos < s.size() && s[pos] == u' ') ++pos; }
    bool number(int& value, int& digits)
    {
        blanks();
        qsizetype i = pos;
        int n = 0;
        while (i < s.size() && i - pos < 4 && s[i] >= u'0' && s[i] <= u'9') n = n * 10 + (s[i++].unicode() - '0');
        if (i == pos) return false;
        digits = int(i - pos);
        value = n;
        pos = i;
        return true;
    }
    bool separator(QChar sep)
    {
        blanks();
        if (pos < s.size() && s[pos] == sep) { ++pos; return true; }
        return false;
    }
    bool atEnd() const { return pos >= s.size(); }
};

bool scanDate(Scanner& sc, TDateTime& date)
{
    const RegionalSettings& rs = regional();
    const QChar sep = rs.dateSeparator;
    int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
    if (!(sc.number(n1, l1) && sc.separator(sep) && sc.number(n2, l2))) return false;
    int y, m, d, yearDigits;
    // A separator after the second number leads to the third, or is the one trailing
    // separator a two-number date may end with.
    const bool three = sc.separator(sep) && sc.number(n3, l3);
    if (three) {
        switch (rs.dateOrder) {
        case DateOrder::MDY: m = n1; d = n2; y = n3; yearDigits = l3; break;
        case DateOrder::DMY: d = n1; m = n2; y = n3; yearDigits = l3; break;
        case DateOrder::YMD: y = n1; m = n2; d = n3; yearDigits = l1; break;
        }
    } else {
        y = decodeDate(now()).year;
        yearDigits = 4;
        if (rs.dateOrder == DateOrder::DMY) { d = n1; m = n2; }
        else { m = n1; d = n2; }
    }
    if (yearDigits <= 2) {
        const int centuryBase = decodeDate(now()).year - 50;
        y += centuryBase / 100 * 100;
        if (y < centuryBase) y += 100;
    }
    if (three) sc.separator(sep); // one optional trailing separator
    sc.blanks();
    return tryEncodeDate(y, m, d, date);
}

bool scanTime(Scanner& sc, TDateTime& time)
{
    const QChar sep = regional().timeSeparator;
    int h = 0, mi = 0, se = 0, ms = 0, digits = 0;
    if (!sc.number(h, digits)) return false;
    if (!sc.separator(sep) || !sc.number(mi, digits)) return false;
    if (sc.separator(sep)) {
        if (!sc.number(se, digits)) return false;
        if (sc.separator(u'.') && !sc.number(ms, digits)) return false;
    }
    sc.blanks();
    return tryEncodeTime(h, mi, se, ms, time);
}

QString pad(int v, int width) { return QStringLiteral("%1").arg(v, width, 10, QChar(u'0')); }

} // namespace

bool isLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int daysInMonth(int year, int month)
{
    static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return lengths[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
}

bool tryEncodeDate(int year, int month, int day, TDateTime& date)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return false;
    date = double(daysFromCivil(year, month, day) + UnixToDateValue);
    return true;
}

TDateTime encodeDate(int year, int month, int day)
{
    TDateTime date;
    if (!tryEncodeDate(year, month, day, date)) raise(QStringLiteral("Invalid argument to date encode"));
    return date;
}

DateParts decodeDate(TDateTime date)
{
    // Far outside the years 1 … 9999 there is no date to decode (and the cast would overflow).
    if (!std::isfinite(date) || std::fabs(date) > 1e9) return {};
    return civilFromDays(qint64(std::trunc(date)) - UnixToDateValue);
}

bool tryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time)
{
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999) return false;
    time = (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / MSecsPerDay;
    return true;
}

void decodeTime(TDateTime dateTime, int& hour, int& min, int& sec, int& msec)
{
    if (!std::isfinite(dateTime)) dateTime = 0;
    qint64 ms = qint64(std::llround(std::fabs(dateTime - std::trunc(dateTime)) * MSecsPerDay));
    if (ms >= qint64(MSecsPerDay)) ms = qint64(MSecsPerDay) - 1;
    msec = int(ms % 1000); ms /= 1000;
    sec = int(ms % 60); ms /= 60;
    min = int(ms % 60);
    hour = int(ms / 60);
}

int dayOfWeek(TDateTime date)
{
    if (!std::isfinite(date) || std::fabs(date) > 1e9) date = 0;
    const qint64 days = qint64(std::trunc(date));
    // Day value 1 (31 December 1899) was a Sunday.
    return int(((days - 1) % 7 + 7) % 7) + 1;
}

TDateTime dateOf(TDateTime dateTime) { return std::trunc(dateTime); }

TDateTime now()
{
    if (nowSource()) return nowSource()();
    const QDateTime t = QDateTime::currentDateTime();
    const QDate d = t.date();
    TDateTime date = encodeDate(d.year(), d.month(), d.day());
    TDateTime time = 0;
    const QTime tm = t.time();
    tryEncodeTime(tm.hour(), tm.minute(), tm.second(), tm.msec(), time);
    return date + time;
}

TDateTime today() { return dateOf(now()); }

void setNowSource(std::function<TDateTime()> source) { nowSource() = std::move(source); }

QString dateToStr(TDateTime date)
{
    const RegionalSettings& rs = regional();
    const DateParts p = decodeDate(date);
    const QString d = pad(p.day, 2), m = pad(p.month, 2), y = pad(p.year, 4);
    const QString s = rs.dateSeparator;
    switch (rs.dateOrder) {
    case DateOrder::MDY: return m + s + d + s + y;
    case DateOrder::YMD: return y + s + m + s + d;
    case DateOrder::DMY: break;
    }
    return d + s + m + s + y;
}

QString timeToStr(TDateTime time)
{
    int h, m, s, ms;
    decodeTime(time, h, m, s, ms);
    const QString sep = regional().timeSeparator;
    return pad(h, 2) + sep + pad(m, 2) + sep + pad(s, 2);
}

QString dateTimeToStr(TDateTime dateTime)
{
    int h, m, s, ms;
    decodeTime(dateTime, h, m, s, ms);
    QString text = dateToStr(dateTime);
    if (h != 0 || m != 0 || s != 0) text += u' ' + timeToStr(dateTime);
    return text;
}

bool tryStrToDate(const QString& text, TDateTime& date)
{
    Scanner sc{text};
    TDateTime d;
    if (!scanDate(sc, d) || !sc.atEnd()) return false;
    date = d;
    return true;
}

TDateTime strToDate(const QString& text)
{
    TDateTime date;
    if (!tryStrToDate(text, date)) raise(fmt("'%s' is not a valid date", text));
    return date;
}

bool tryStrToDateTime(const QString& text, TDateTime& dateTime)
{
    Scanner sc{text};
    TDateTime d = 0, t = 0;
    if (!scanDate(sc, d)) {
        sc.pos = 0;
        if (!scanTime(sc, t) || !sc.atEnd()) return false;
        dateTime = t;
        return true;
    }
    if (!sc.atEnd() && !scanTime(sc, t)) return false;
    if (!sc.atEnd()) return false;
    dateTime = d >= 0 ? d + t : d - t;
    return true;
}

} // namespace vistelle
