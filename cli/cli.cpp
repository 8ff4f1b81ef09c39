#include "cli/cli.h"

namespace vistelle::cli {

namespace {

const char Help[] = R"(Usage: vistelle-diary COMMAND [OPTION...] [FILE...]

The diary and the picture sets of Vistelle, the picture-calendar diary, without its
window: the same engine, file readers and text conversion, and the same safe saves.

Commands:
  export   write the entries of a diary as Markdown, HTML, text, JSON or PDF
  import   merge a Markdown export into a diary by date
  merge    merge another diary file into a diary by date
  check    open diaries and picture sets the way the window does and report
  search   print the lines of a diary that hold a text, with their dates
  days     print the dates that have an entry
  stats    count entries, words and characters per year; the longest streak
  password protect a diary with a password, change the password or remove it

"vistelle-diary help COMMAND" or "vistelle-diary COMMAND --help" shows the options of a
command; "vistelle-diary --version" the version.
Exit status: 0 done, 1 a file could not be read or written, or a check failed, 2 wrong usage.
)";

using Command = int (*)(const QStringList&, Streams&);

Command commandNamed(const QString& name)
{
    if (name == u"export") return exportCommand;
    if (name == u"import") return importCommand;
    if (name == u"merge") return mergeCommand;
    if (name == u"check") return checkCommand;
    if (name == u"password") return passwordCommand;
    if (name == u"search") return searchCommand;
    if (name == u"days") return daysCommand;
    if (name == u"stats") return statsCommand;
    return nullptr;
}

} // namespace

bool needsGuiApplication(const QStringList& args)
{
    if (args.value(0) != u"export") return false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--format=pdf" || (args[i] == u"--format" && args.value(i + 1) == u"pdf")) return true;
    }
    return false;
}

int run(const QStringList& args, Streams& io)
{
    const QString command = args.value(0);
    const QStringList rest = args.mid(1);
    if (const Command body = commandNamed(command)) return body(rest, io);
    if (command == u"help" && rest.size() == 1 && commandNamed(rest[0])) return commandNamed(rest[0])({QStringLiteral("--help")}, io);
    if (command == u"--help" || command == u"-h" || (command == u"help" && rest.isEmpty())) {
        io.out += Help;
        return 0;
    }
    if (command == u"--version" || command == u"-V") {
        io.out += "vistelle-diary " VISTELLE_VERSION "\n";
        return 0;
    }
    if (command == u"help") {
        io.err += "vistelle-diary help: no command '" + rest.join(u' ').toUtf8() + "'\n";
        io.err += "Try 'vistelle-diary --help'.\n";
        return 2;
    }
    io.err += command.isEmpty() ? QByteArray("vistelle-diary: a command is missing\n")
                                : "vistelle-diary: unknown command '" + command.toUtf8() + "'\n";
    io.err += "Try 'vistelle-diary --help'.\n";
    return 2;
}

} // namespace vistelle::cli
