// vistelle-diary export: every entry of a diary in date order, as Markdown, HTML or text.

#include "cli/commandline.h"
#include "cli/diarypassword.h"
#include "cli/outputfile.h"
#include "cli/pdfexport.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/diaryexport.h"

#include <QFileInfo>

namespace vistelle::cli {

namespace {

const char Help[] = R"(Usage: vistelle-diary export [--format markdown|html|text|json|pdf] [--from DATE] [--to DATE] [-o FILE] [--password-file FILE] [DIARY]

Writes every entry of DIARY (default ./diary.dat) in date order; the row that holds the
window's settings is left out. Line breaks are CR LF, as the diary stores them.

  --format FORMAT    markdown (the default; "import" reads it back, and Markdown
                     viewers show it as the diary), html (one page to read or print in
                     a browser, with a table of contents by year and month and an
                     anchor per date, #2009-12-24), text, json (an array of
                     {"date": "2009-12-24", "text": "..."}) or pdf (A4, a new page
                     per month)
  --from DATE        leave out the entries before DATE
  --to DATE          leave out the entries after DATE
  -o, --output FILE  write FILE instead of standard output ("-"); an existing
                     file is replaced only once the new one is complete, while a
                     FIFO or a device (/dev/stdout too) is written into
  --password-file FILE  the password of a protected DIARY (the file's first line);
                     without it the password is asked on the terminal
  -h, --help         show this help

DATE is written as 2009-12-24; --from and --to include their own day.
Exit status: 0 written, 1 the diary could not be read or the output not written, 2 wrong usage.
)";

// What to write: one of the exchange library's forms, or a PDF, which is drawn here (the
// exchange library stays without QtGui).
struct Format {
    ExportFormat form = ExportFormat::Markdown;
    bool pdf = false;
};

Format formatOption(const CommandLine& line)
{
    if (!line.isSet(QStringLiteral("format"))) return {};
    const QString name = line.value(QStringLiteral("format"));
    if (name == u"markdown") return {ExportFormat::Markdown};
    if (name == u"html") return {ExportFormat::Html};
    if (name == u"text") return {ExportFormat::Text};
    if (name == u"json") return {ExportFormat::Json};
    if (name == u"pdf") return {ExportFormat::Markdown, true};
    throw UsageError(QStringLiteral("--format '%1' is none of markdown, html, text, json and pdf").arg(name));
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo x(a), y(b);
    return x.exists() && y.exists() ? x.canonicalFilePath() == y.canonicalFilePath() : x.absoluteFilePath() == y.absoluteFilePath();
}

} // namespace

int exportCommand(const QStringList& args, Streams& io)
{
    return runCommand(QStringLiteral("export"), io, [&] {
        const CommandLine line(QStringLiteral("export"),
                               {{QStringLiteral("format"), {}, QStringLiteral("FORMAT")},
                                {QStringLiteral("from"), {}, QStringLiteral("DATE")},
                                {QStringLiteral("to"), {}, QStringLiteral("DATE")},
                                {{QStringLiteral("o"), QStringLiteral("output")}, {}, QStringLiteral("FILE")},
                                {QStringLiteral("password-file"), {}, QStringLiteral("FILE")}},
                               args);
        if (line.helpAsked()) {
            io.out += Help;
            return 0;
        }
        const Format format = formatOption(line);
        const TDateTime from = line.isSet(QStringLiteral("from")) ? dateOption(line, QStringLiteral("from")) : MinDateDays;
        const TDateTime to = line.isSet(QStringLiteral("to")) ? dateOption(line, QStringLiteral("to")) : MaxDateDays;
        if (from > to) throw UsageError(QStringLiteral("--from lies after --to"));
        if (line.files().size() > 1) throw UsageError(QStringLiteral("one diary at a time"));
        const QString diary = line.files().value(0, QStringLiteral("diary.dat"));
        requireFile(diary);
        const QString output = line.value(QStringLiteral("output"));
        if (!isStandardOutput(output) && sameFile(output, diary))
            throw UsageError(QStringLiteral("the output %1 would replace the diary itself").arg(output));

        TVolgaTable table;
        try {
            openDiaryTable(table, diary, line.value(QStringLiteral("password-file")));
        } catch (const Error& e) {
            raise(diary + QStringLiteral(": ") + e.message());
        }
        std::vector<ExportEntry> entries = entriesInDateOrder(table, settingsDate());
        // The window shows such rows on no day; they are told of, not written.
        const auto noDay = std::count_if(entries.begin(), entries.end(), [](const ExportEntry& e) {
            return !isCalendarDay(e.date) && !e.text->isEmpty();
        });
        std::erase_if(entries, [&](const ExportEntry& e) { return !isCalendarDay(e.date) || e.date < from || e.date > to; });
        const QByteArray bytes = format.pdf ? pdfOfEntries(entries) : exportEntries(entries, format.form);
        if (noDay > 0)
            io.err += QStringLiteral("vistelle-diary export: %1: %2 row(s) left out, dated with a time of day or "
                                     "outside the years 1 to 9999\n").arg(diary).arg(noDay).toUtf8();
        writeOutput(output, bytes, io);
        return 0;
    });
}

} // namespace vistelle::cli
