#include "app/startup.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

namespace vistelle {

void prepareEnvironment()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return;
    // Where the D-Bus library looks for the session bus when no address is given.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(QFile::decodeName(runtime) + QStringLiteral("/bus"))) return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray());
}

} // namespace vistelle
