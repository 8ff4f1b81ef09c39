#pragma once
// Date values: a calendar date as a day count since 30 December 1899 (whole part)
// plus the time of day (fraction). Valid dates run from 1 January 1 to 31 December 9999.

#include <QString>
#include <functional>

namespace vistelle {

using TDateTime = double;

inline constexpr double MSecsPerDay = 86400000.0;
inline constexpr int DateDelta = 693594; // days from 31 December of year 0 to 30 December 1899
inline constexpr int MinDateDays = -693593; // 1 January 1
inline constexpr int MaxDateDays = 2958465; // 31 December 9999

struct DateParts {
    int year = 0, month = 0, day = 0;
    bool operator==(const DateParts&) const = default;
};

// The day lies in the years 1 … 9999, which hold every date there is.
inline bool isValidDay(TDateTime date) { return date >= MinDateDays && date < MaxDateDays + 1; }

bool isLeapYear(int year);
int daysInMonth(int year, int month); // month 1..12

bool tryEncodeDate(int year, int month, int day, TDateTime& date);
TDateTime encodeDate(int year, int month, int day); // "Invalid argument to date encode"
DateParts decodeDate(TDateTime date);
bool tryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time);
void decodeTime(TDateTime dateTime, int& hour, int& min, int& sec, int& msec);

// Weekday with Sunday = 1 … Saturday = 7.
int dayOfWeek(TDateTime date);
// The calendar day alone (time of day dropped, truncated toward zero).
TDateTime dateOf(TDateTime dateTime);

// "Now" and "today" come from one replaceable source so that tests can fix them.
TDateTime now();
TDateTime today();
void setNowSource(std::function<TDateTime()> source); // empty: the system clock

// Short-date text in the regional format, and back. strToDate fails with
// "'%s' is not a valid date".
QString dateToStr(TDateTime date);
QString timeToStr(TDateTime time); // long time format
// Date, a blank and the long time; blank and time left out at exactly 00:00:00.
QString dateTimeToStr(TDateTime dateTime);
bool tryStrToDate(const QString& text, TDateTime& date);
TDateTime strToDate(const QString& text);
// A date optionally followed by a time of day (h:m[:s[.ms]]), as the table's key parser reads it.
bool tryStrToDateTime(const QString& text, TDateTime& dateTime);

} // namespace vistelle
