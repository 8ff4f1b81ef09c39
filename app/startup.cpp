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
    // The library reads an empty address as none and would launch a bus; it knows no
    // transport "disabled", so it gives up at once.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

} // namespace vistelle
