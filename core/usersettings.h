#pragma once
// Vistelle's own settings file, per user: vistelle/vistelle.conf in the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config). It holds the user's choices
// that belong to no diary; diary.dat holds none of them.

#include <QString>

namespace vistelle {

QString userSettingsFile();

} // namespace vistelle
