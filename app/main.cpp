// Vistelle: a picture-calendar diary. Takes no arguments; works in the current folder.

#include "app/mainform.h"
#include "app/startreading.h"
#include "app/startup.h"
#include "core/readahead.h"
#include "core/regional.h"
#include "platform/dialogs.h"
#include "platform/instance/instancelock.h"
#include "platform/sessionend.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>

#include <thread>

int main(int argc, char* argv[])
{
    vistelle::prepareEnvironment();
    std::thread fonts = vistelle::warmUpFonts();
    QApplication app(argc, argv);
    fonts.join();
    vistelle::setApplicationTitle(QStringLiteral("Vistelle"));
    vistelle::setRegional(vistelle::RegionalSettings::fromSystem());

    // One Vistelle per folder: a second start brings the running one to the front and
    // ends without writing anything.
    const QString folder = QDir::currentPath();
    vistelle::InstanceLock lock(folder);
    if (!lock.tryLock()) {
        if (vistelle::importHoldsFolder(folder)) {
            vistelle::dialogs().error(
                QStringLiteral("vistelle-diary is changing the diary in this folder. Try again when it has finished."));
            return 1;
        }
        if (vistelle::askRunningToRaise(folder)) return 0;
        vistelle::dialogs().error(QStringLiteral("Vistelle is already running in this folder."));
        return 1;
    }
    vistelle::InstanceServer server(folder);
    // A lock file deleted or replaced underneath (a synchronising program may do that) is
    // locked again within a second.
    QTimer lockKeeper;
    QObject::connect(&lockKeeper, &QTimer::timeout, [&lock] { lock.keepHeld(); });
    lockKeeper.start(500);
    vistelle::SessionEnd sessionEnd;

    // While FormCreate runs, only one of its error boxes can be on the screen: a later
    // start brings that box to the front, and the end of the session closes it and ends
    // the run at once (nothing can have been typed yet, and the window has no bounds to
    // record).
    bool endedWhileStarting = false;
    server.onRaise = [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->setWindowState(box->windowState() & ~Qt::WindowMinimized);
            box->raise();
            box->activateWindow();
        }
    };
    const QMetaObject::Connection whileStarting =
        QObject::connect(&sessionEnd, &vistelle::SessionEnd::endRequested, [&endedWhileStarting] {
            endedWhileStarting = true;
            QCoreApplication::exit(0); // leaves the box's event loop, and those of later boxes
        });
    // The diary and the first picture set are read and parsed while the window is built; a
    // protected diary's password is asked first, while the diary is read.
    vistelle::StartReading reading;
    reading.askPassword();
    if (endedWhileStarting) return 0;
    vistelle::TMainForm mainForm;   // its FormCreate runs here
    QObject::disconnect(whileStarting);
    vistelle::ReadAhead::dropRest();
    if (endedWhileStarting) return 0;
    server.onRaise = [&mainForm] { mainForm.bringToFront(); };
    QObject::connect(&sessionEnd, &vistelle::SessionEnd::endRequested, &mainForm, [&mainForm] { mainForm.endSession(); });
    if (mainForm.sessionEnded()) return mainForm.endStatus();
    // The slideshow and the page preview follow once the window is up (createOtherWindows).
    mainForm.show();
    return app.exec();
}
