// vistelle-diary: export, import and check of Vistelle's files from the command line.

#include "cli/cli.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

bool writeAll(std::FILE* stream, const QByteArray& bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size())
        && std::fflush(stream) == 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv); // no window: picture kinds decode without a display
    vistelle::cli::Streams io;
    int status = vistelle::cli::run(QCoreApplication::arguments().mid(1), io);
    if (!writeAll(stdout, io.out)) {
        io.err += "vistelle-diary: cannot write to standard output\n";
        status = 1;
    }
    writeAll(stderr, io.err);
    return status;
}
