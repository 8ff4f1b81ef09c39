// Vistelle: a picture-calendar diary. Takes no arguments; works in the current folder.

#include "app/mainform.h"
#include "core/regional.h"
#include "platform/dialogs.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    vistelle::setApplicationTitle(QStringLiteral("Vistelle"));
    vistelle::setRegional(vistelle::RegionalSettings::fromSystem());

    vistelle::TMainForm mainForm;
    mainForm.show();
    return app.exec();
}
