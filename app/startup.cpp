#include "app/startup.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <dlfcn.h>

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

std::thread warmUpFonts()
{
    return std::thread([] {
        // The font library is Qt's, loaded with it: looked up, not linked, so that a Qt
        // without it simply skips this.
        using Init = int (*)();
        if (auto init = reinterpret_cast<Init>(::dlsym(RTLD_DEFAULT, "FcInit"))) init();
    });
}

} // namespace vistelle
