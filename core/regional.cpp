#include "core/regional.h"

#include <QLocale>

namespace vistelle {

namespace {
RegionalSettings& current()
{
    static RegionalSettings settings;
    return settings;
}
} // namespace

RegionalSettings RegionalSettings::fromSystem()
{
    RegionalSettings rs;
    const QLocale locale = QLocale::system();
    for (int i = 0; i < 7; ++i) {
        // QLocale counts Monday = 1 … Sunday = 7.
        const QString name = locale.dayName(i == 0 ? 7 : i, QLocale::ShortFormat);
        if (!name.isEmpty()) rs.shortDayNames[size_t(i)] = name;
    }
    return rs;
}

const RegionalSettings& regional() { return current(); }

void setRegional(const RegionalSettings& settings) { current() = settings; }

QString foldLower(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (!c.isSurrogate()) c = c.toLower();
    }
    return out;
}

} // namespace vistelle
