#pragma once
// Regional settings: read once at start-up; tests may replace them.

#include <QString>
#include <array>

namespace vistelle {

enum class DateOrder { DMY, MDY, YMD };

struct RegionalSettings {
    // The built layout: day/month/four-digit year with "/", long time hh:mm:ss.
    DateOrder dateOrder = DateOrder::DMY;
    QChar dateSeparator = u'/';
    QChar timeSeparator = u':';
    // Abbreviated weekday names, index 0 = Sunday … 6 = Saturday.
    std::array<QString, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

    // The built layout with the weekday names of the system locale (English when it gives none).
    static RegionalSettings fromSystem();
};

const RegionalSettings& regional();
void setRegional(const RegionalSettings& settings);

// Simple per-character lower-case mapping: one character in, one character out, so that
// positions in the folded text are positions in the original.
QString foldLower(const QString& text);

} // namespace vistelle
