// vistelle-diary import: a Markdown export merged into a diary by date.

#include "cli/commandline.h"
#include "cli/diarypassword.h"
#include "cli/outputfile.h"
#include "core/savefile.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/diaryexport.h"
#include "diary/exchange/diarylayout.h"
#include "diary/exchange/markdownimport.h"
#include "platform/instance/instancelock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace vistelle::cli {

namespace {

QByteArray readWhole(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) raise(fmt(QStringLiteral("Cannot open file %s"), fileName));
    return file.readAll();
}

const char Help[] = R"(Usage: vistelle-diary import [--dry-run] FILE.md --into DIARY

Merges a Markdown file written by "vistelle-diary export" into DIARY by date. DIARY is
created when missing. A date DIARY lacks is added; a date with the same text is left as
it is; a date with another text keeps both, DIARY's own first, then the line
"----- imported -----" and the imported text. FILE.md "-" is standard input.

Before DIARY changes, a copy of it is kept in backups/diary-YYYY-MM-DD-HHMMSS-import.dat
beside it (never removed by Vistelle); when the copy cannot be written, nothing is.

  --into DIARY  the diary to merge into (Vistelle's is diary.dat in its folder)
  --dry-run     print for each date whether it would be added, joined or left, and
                write nothing
  --password-file FILE  the password of a protected diary (the file's first line);
                without it the password is asked on the terminal
  -h, --help    show this help

The file is checked as it is read; the first fault stops the import with its line number.
Vistelle must not be running in DIARY's folder meanwhile.
Exit status: 0 merged, 1 the file or the diary could not be read or written, or Vistelle
is running there, 2 wrong usage.
)";

// Reads the export as a stream from the file or standard input, each entry to sink.
void readExport(const QString& source, const EntrySink& sink)
{
    const bool standardInput = source == u"-";
    QFile file(standardInput ? QString() : source);
    const bool opened = standardInput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened) raise(fmt(QStringLiteral("Cannot open file %s"), source));
    try {
        readMarkdownExport(file, settingsDate(), sink);
    } catch (const Error& e) {
        raise((standardInput ? QStringLiteral("standard input") : source) + QStringLiteral(": ") + e.message());
    }
}

// The diary as the window has it, or a new one with the window's two fields.
void openOrCreate(TVolgaTable& table, const QString& diary, const QByteArray& bytes)
{
    if (QFileInfo::exists(diary)) {
        try {
            table.setLoadMode(lmStream);
            table.setLoadStream(bytes);
            table.Open();
        } catch (const Error& e) {
            raise(diary + QStringLiteral(": ") + e.message());
        }
        return;
    }
    defineDiaryFields(table);
    table.Open();
}

// The copy of the diary as it was, in backups/ beside it, under a name no other copy has.
void keepBackup(const QString& diary, const QByteArray& bytes)
{
    const QDir folder = QFileInfo(diary).absoluteDir();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString name = QStringLiteral("backups/diary-%1-import.dat").arg(stamp);
    for (int n = 2; QFileInfo::exists(folder.filePath(name)); ++n)
        name = QStringLiteral("backups/diary-%1-import-%2.dat").arg(stamp).arg(n);
    const QString backups = folder.filePath(QStringLiteral("backups"));
    errno = 0;
    if (!QFileInfo(backups).isDir() && !folder.mkdir(QStringLiteral("backups")))
        raise(cannotCreate(name, QFileInfo::exists(backups) ? ENOTDIR : errno));
    errno = 0;
    if (!writeFileWhole(folder.filePath(name), bytes)) raise(cannotCreate(name, errno));
}

// Where the entries of the export go as they are read: a date the diary lacks is appended
// at once, as the merge would add it; the others wait for the merge. Appending here spares
// the merge a look-up per date (after an append that look-up walks every row) and keeps in
// memory only the entries that meet one of the diary's.
class Intake {
public:
    explicit Intake(TVolgaTable& table) : m_table(table)
    {
        for (const ExportEntry& e : entriesInDateOrder(table, settingsDate())) m_ours.push_back(e.date);
    }
    void take(TDateTime date, QByteArray text)
    {
        if (std::binary_search(m_ours.begin(), m_ours.end(), date)) {
            known.emplace_hint(known.end(), date, std::move(text));
        } else {
            m_table.AppendRecord({Variant::fromDateTime(date), Variant(text)});
            ++appended;
        }
    }

    DatedEntries known;
    int appended = 0;

private:
    TVolgaTable& m_table;
    std::vector<TDateTime> m_ours;
};

QString summary(const QString& diary, const ImportCounts& c)
{
    return QStringLiteral("%1: %2 added, %3 already there, %4 added below the diary's own text\n")
        .arg(diary).arg(c.added).arg(c.unchanged).arg(c.joined);
}

// What the import would do to each date: "add", "join" or "leave", one date a line.
QByteArray dryRunReport(const DatedEntries& before, const DatedEntries& after, const DatedEntries& imported)
{
    QByteArray out;
    for (const auto& [date, text] : imported) {
        const auto was = before.find(date);
        const char* what = was == before.end() ? "add  " : was->second == after.at(date) ? "leave" : "join ";
        out += what + (' ' + isoDate(date).toLatin1()) + '\n';
    }
    return out;
}

} // namespace

int importCommand(const QStringList& args, Streams& io)
{
    return runCommand(QStringLiteral("import"), io, [&] {
        const CommandLine line(QStringLiteral("import"),
                               {{QStringLiteral("into"), {}, QStringLiteral("DIARY")}, QCommandLineOption(QStringLiteral("dry-run")),
                                {QStringLiteral("password-file"), {}, QStringLiteral("FILE")}},
                               args);
        if (line.helpAsked()) {
            io.out += Help;
            return 0;
        }
        if (line.files().size() != 1) throw UsageError(QStringLiteral("name one Markdown file to import"));
        const QString source = line.files().first();
        const QString diary = line.value(QStringLiteral("into"));
        const bool dryRun = line.isSet(QStringLiteral("dry-run"));
        if (diary.isEmpty()) throw UsageError(QStringLiteral("--into DIARY is missing"));
        if (source != u"-") requireFile(source);
        const QFileInfo diaryInfo(diary);
        if (diaryInfo.exists() && !diaryInfo.isFile()) throw UsageError(QStringLiteral("%1: not a file").arg(diary));
        const QString folder = diaryInfo.absolutePath();
        if (!QFileInfo(folder).isDir()) throw UsageError(QStringLiteral("%1: no such folder").arg(folder));

        // Held until the diary is written: the window cannot start in the folder meanwhile.
        InstanceLock lock(folder, InstanceLock::Holder::Import);
        if (!dryRun && !lock.tryLock())
            raise(QStringLiteral("Vistelle is running in %1; close it, then import again").arg(QDir::toNativeSeparators(folder)));
        const bool created = !diaryInfo.exists();
        const QByteArray bytes = created ? QByteArray() : readWhole(diary);
        protect::DiaryKey key; // a protected diary is written back sealed with its key
        TVolgaTable table;
        openOrCreate(table, diary, created ? bytes : diaryImage(diary, bytes, line.value(QStringLiteral("password-file")), &key));
        const DatedEntries before = dryRun ? readEntries(table, settingsDate()) : DatedEntries();
        DatedEntries imported; // for the dry run's report
        Intake intake(table);
        readExport(source, [&](TDateTime date, QByteArray text) {
            if (dryRun) imported.emplace_hint(imported.end(), date, text);
            intake.take(date, std::move(text));
        });
        // Ordered by date, the merge finds each remaining date by binary search instead of
        // a walk through every row; the rows keep their order in the file.
        table.setIndexFieldNames(QStringLiteral("date"));
        ImportCounts counts = intake.known.empty() ? ImportCounts()
                                                   : importEntries(table, settingsDate(), std::move(intake.known));
        table.setIndexFieldNames(QString());
        counts.added += intake.appended;
        if (dryRun) {
            io.out += dryRunReport(before, readEntries(table, settingsDate()), imported);
            io.out += QStringLiteral("%1 (nothing written)\n").arg(summary(diary, counts).chopped(1)).toUtf8();
            return 0;
        }
        const bool changes = counts.added > 0 || counts.joined > 0;
        if (changes && !created) keepBackup(diary, bytes);
        if (created || changes) saveDiaryWrittenHere(table, diary, key.isNull() ? nullptr : &key);
        io.out += summary(diary, counts).toUtf8();
        return 0;
    });
}

} // namespace vistelle::cli
