// The baseline of the start-up benchmark: the barest Qt Widgets window, one label, at the
// main window's designed size so that both put the same area on the screen.

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("The Korvo Group 2009 e-Calendar"));
    label.resize(736, 415);
    label.show();
    return app.exec();
}
