#pragma once
// vistelle-diary: the diary and the picture sets from the command line, with the window's
// own engine, readers and text conversion. Each command returns the exit status: 0 done,
// 1 a file could not be read or written (or a check failed), 2 wrong usage.

#include <QByteArray>
#include <QStringList>

namespace vistelle::cli {

// What a command writes; the program passes it on to standard output and standard error.
struct Streams {
    QByteArray out;
    QByteArray err;
};

// args without the program name: the command, then its options and files.
int run(const QStringList& args, Streams& io);

int exportCommand(const QStringList& args, Streams& io);
int importCommand(const QStringList& args, Streams& io);
int mergeCommand(const QStringList& args, Streams& io);
int checkCommand(const QStringList& args, Streams& io);

} // namespace vistelle::cli
