#include "diary/spelling/spellingsettings.h"

#include <QSettings>

namespace vistelle {

namespace {
const QString CheckKey = QStringLiteral("Spelling/Check");
const QString LanguageKey = QStringLiteral("Spelling/Language");
} // namespace

SpellingSettings SpellingSettings::read(const QString& file)
{
    SpellingSettings s;
    if (file.isEmpty()) return s;
    const QSettings ini(file, QSettings::IniFormat);
    s.check = ini.value(CheckKey, true).toBool();
    s.language = ini.value(LanguageKey).toString();
    return s;
}

bool SpellingSettings::write(const QString& file) const
{
    if (file.isEmpty()) return false;
    QSettings ini(file, QSettings::IniFormat);
    ini.setValue(CheckKey, check);
    if (language.isEmpty()) ini.remove(LanguageKey);
    else ini.setValue(LanguageKey, language);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

} // namespace vistelle
