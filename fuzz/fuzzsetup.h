#pragma once
// What every fuzz target that decodes pictures needs first: an application object for
// Qt's image readers, and silence for their warnings.

#include <QCoreApplication>

namespace vistelle::fuzzing {

inline void setUpQt(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // decoder chatter
}

} // namespace vistelle::fuzzing
