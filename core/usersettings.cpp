#include "core/usersettings.h"

#include <QStandardPaths>

namespace vistelle {

QString userSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/vistelle/vistelle.conf");
}

} // namespace vistelle
