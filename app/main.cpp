// Vistelle: a picture-calendar diary. Takes no arguments; works in the current folder.

#include "app/mainform.h"
#include "app/startup.h"
#include "core/regional.h"
#include "platform/dialogs.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    vistelle::prepareEnvironment();
    QApplication app(argc, argv);
    vistelle::setApplicationTitle(QStringLiteral("Vistelle"));
    vistelle::setRegional(vistelle::RegionalSettings::fromSystem());

    vistelle::TMainForm mainForm;   // its FormCreate runs here
    mainForm.createOtherWindows();  // the slideshow, then the page preview; both hidden
    mainForm.show();
    return app.exec();
}
