#pragma once
// The spelling choices remembered per user in Vistelle's settings file (an INI file,
// group [Spelling]): whether spelling is checked, and the language chosen in the menu
// (none until the user chooses one: the language then follows the desktop's).

#include <QString>

namespace vistelle {

struct SpellingSettings {
    bool check = true;
    QString language;

    bool operator==(const SpellingSettings&) const = default;

    // A missing or unreadable file gives the defaults.
    static SpellingSettings read(const QString& file);
    // Other groups and keys of the file are kept. Returns false when it cannot be written.
    bool write(const QString& file) const;
};

} // namespace vistelle
