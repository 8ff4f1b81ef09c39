#include "cli/cli.h"

namespace vistelle::cli {

namespace {

const char Help[] = R"(Usage: vistelle-diary COMMAND [OPTION...] [FILE...]

The diary and the picture sets of Vistelle, the picture-calendar diary, without its
window: the same engine, file readers and text conversion, and the same safe saves.

Commands:
  export   write the entries of a diary as Markdown, HTML or plain text
  import   merge a Markdown export into a diary by date
  merge    merge another diary file into a diary by date
  check    open diaries and picture sets the way the window does and report

"vistelle-diary COMMAND --help" shows the options of a command.
Exit status: 0 done, 1 a file could not be read or written, or a check failed, 2 wrong usage.
)";

} // namespace

int run(const QStringList& args, Streams& io)
{
    const QString command = args.value(0);
    const QStringList rest = args.mid(1);
    if (command == u"export") return exportCommand(rest, io);
    if (command == u"import") return importCommand(rest, io);
    if (command == u"merge") return mergeCommand(rest, io);
    if (command == u"check") return checkCommand(rest, io);
    if (command == u"--help" || command == u"-h" || command == u"help") {
        io.out += Help;
        return 0;
    }
    io.err += command.isEmpty() ? QByteArray("vistelle-diary: a command is missing\n")
                                : "vistelle-diary: unknown command '" + command.toUtf8() + "'\n";
    io.err += "Try 'vistelle-diary --help'.\n";
    return 2;
}

} // namespace vistelle::cli
