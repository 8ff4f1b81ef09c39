// vistelle-diary: export, import, check, search and more of Vistelle's files from the
// command line.

#include "cli/cli.h"
#include "cli/rawarguments.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

namespace {

bool writeAll(std::FILE* stream, const QByteArray& bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size())
        && std::fflush(stream) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QByteArrayList raw;
    for (int i = 1; i < argc; ++i) raw << QByteArray(argv[i]);
    const vistelle::cli::RawArguments arguments(raw);
    const QStringList args = arguments.arguments();
    // No window: picture kinds decode without a display, and a PDF takes its fonts from
    // the offscreen platform.
    std::unique_ptr<QCoreApplication> app;
    if (vistelle::cli::needsGuiApplication(args)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
        }); // the platform's notes on a desktop it lacks are no concern of a PDF
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    vistelle::cli::Streams io;
    int status = 2;
    if (arguments.refusal().isEmpty()) status = vistelle::cli::run(args, io);
    else io.err += "vistelle-diary: " + arguments.refusal().toUtf8() + '\n';
    io.out = arguments.named(io.out);
    io.err = arguments.named(io.err);
    if (!writeAll(stdout, io.out)) {
        io.err += "vistelle-diary: cannot write to standard output\n";
        status = 1;
    }
    writeAll(stderr, io.err);
    return status;
}
