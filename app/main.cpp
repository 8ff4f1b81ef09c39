// Vistelle: a picture-calendar diary. Takes no arguments; works in the current folder.

#include "app/mainform.h"
#include "core/regional.h"
#include "platform/dialogs.h"
#include "platform/instance/instancelock.h"
#include "platform/sessionend.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    vistelle::setApplicationTitle(QStringLiteral("Vistelle"));
    vistelle::setRegional(vistelle::RegionalSettings::fromSystem());

    // One Vistelle per folder: a second start brings the running one to the front and
    // ends without writing anything.
    const QString folder = QDir::currentPath();
    vistelle::InstanceLock lock(folder);
    if (!lock.tryLock()) {
        if (vistelle::askRunningToRaise(folder)) return 0;
        vistelle::dialogs().error(QStringLiteral("Vistelle is already running in this folder."));
        return 1;
    }
    vistelle::InstanceServer server(folder);
    vistelle::SessionEnd sessionEnd;

    vistelle::TMainForm mainForm;   // its FormCreate runs here
    server.onRaise = [&mainForm] { mainForm.bringToFront(); };
    QObject::connect(&sessionEnd, &vistelle::SessionEnd::endRequested, &mainForm, [&mainForm] { mainForm.endSession(); });
    if (mainForm.sessionEnded()) return mainForm.endStatus();
    mainForm.createOtherWindows();  // the slideshow, then the page preview; both hidden
    mainForm.show();
    return app.exec();
}
