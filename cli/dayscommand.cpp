// vistelle-diary days: the dates that have an entry.

#include "cli/commandline.h"
#include "diary/engine/volgatable.h"

namespace vistelle::cli {

namespace {

const char Help[] = R"(Usage: vistelle-diary days [--from DATE] [--to DATE] [--password-file FILE] [DIARY]

Prints the date of each entry of DIARY (default ./diary.dat), one a line, in date order,
as 2009-12-24.

  --from DATE           leave out the dates before DATE
  --to DATE             leave out the dates after DATE
  --password-file FILE  the password of a protected DIARY (the file's first line);
                        without it the password is asked on the terminal
  -h, --help            show this help

Exit status: 0 listed (none too), 1 the diary could not be read, 2 wrong usage.
)";

} // namespace

int daysCommand(const QStringList& args, Streams& io)
{
    return runCommand(QStringLiteral("days"), io, [&] {
        const CommandLine line(QStringLiteral("days"),
                               {{QStringLiteral("from"), {}, QStringLiteral("DATE")},
                                {QStringLiteral("to"), {}, QStringLiteral("DATE")},
                                {QStringLiteral("password-file"), {}, QStringLiteral("FILE")}},
                               args);
        if (line.helpAsked()) {
            io.out += Help;
            return 0;
        }
        const TDateTime from = line.isSet(QStringLiteral("from")) ? dateOption(line, QStringLiteral("from")) : MinDateDays;
        const TDateTime to = line.isSet(QStringLiteral("to")) ? dateOption(line, QStringLiteral("to")) : MaxDateDays;
        if (from > to) throw UsageError(QStringLiteral("--from lies after --to"));
        const QString diary = diaryArgument(line);
        TVolgaTable table;
        for (const ExportEntry& e : readDiary(table, diary, line.value(QStringLiteral("password-file")))) {
            if (e.date >= from && e.date <= to) io.out += isoDate(e.date).toLatin1() + '\n';
        }
        return 0;
    });
}

} // namespace vistelle::cli
