// vistelle-diary import: a Markdown export merged into a diary by date.

#include "cli/commandline.h"
#include "diary/exchange/diarylayout.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/markdownimport.h"
#include "platform/instance/instancelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vistelle::cli {

namespace {

const char Help[] = R"(Usage: vistelle-diary import FILE.md --into DIARY

Merges a Markdown file written by "vistelle-diary export" into DIARY by date. DIARY is
created when missing. A date DIARY lacks is added; a date with the same text is left as
it is; a date with another text keeps both, DIARY's own first, then the line
"----- imported -----" and the imported text.

  --into DIARY  the diary to merge into (Vistelle's is diary.dat in its folder)
  -h, --help    show this help

Vistelle must not be running in DIARY's folder meanwhile.
Exit status: 0 merged, 1 the file or the diary could not be read or written, or Vistelle
is running there, 2 wrong usage.
)";

QByteArray readWhole(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) raise(fmt(QStringLiteral("Cannot open file %s"), fileName));
    return file.readAll();
}

// The diary as the window has it, or a new one with the window's two fields.
void openOrCreate(TVolgaTable& table, const QString& diary)
{
    if (QFileInfo::exists(diary)) {
        table.setTableName(diary);
        try {
            table.Open();
        } catch (const Error& e) {
            raise(diary + QStringLiteral(": ") + e.message());
        }
        return;
    }
    defineDiaryFields(table);
    table.Open();
}

QString summary(const QString& diary, const ImportCounts& c)
{
    return QStringLiteral("%1: %2 added, %3 already there, %4 added below the diary's own text\n")
        .arg(diary).arg(c.added).arg(c.unchanged).arg(c.joined);
}

} // namespace

int importCommand(const QStringList& args, Streams& io)
{
    return runCommand(QStringLiteral("import"), io, [&] {
        const CommandLine line(QStringLiteral("import"), {{QStringLiteral("into"), {}, QStringLiteral("DIARY")}}, args);
        if (line.helpAsked()) {
            io.out += Help;
            return 0;
        }
        if (line.files().size() != 1) throw UsageError(QStringLiteral("name one Markdown file to import"));
        const QString source = line.files().first();
        const QString diary = line.value(QStringLiteral("into"));
        if (diary.isEmpty()) throw UsageError(QStringLiteral("--into DIARY is missing"));
        requireFile(source);
        const QFileInfo diaryInfo(diary);
        if (diaryInfo.exists() && !diaryInfo.isFile()) throw UsageError(QStringLiteral("%1: not a file").arg(diary));
        const QString folder = diaryInfo.absolutePath();
        if (!QFileInfo(folder).isDir()) throw UsageError(QStringLiteral("%1: no such folder").arg(folder));

        // Held until the diary is written: the window cannot start in the folder meanwhile.
        InstanceLock lock(folder);
        if (!lock.tryLock())
            raise(QStringLiteral("Vistelle is running in %1; close it, then import again").arg(QDir::toNativeSeparators(folder)));
        DatedEntries entries;
        try {
            entries = readMarkdownExport(readWhole(source), settingsDate());
        } catch (const Error& e) {
            raise(source + QStringLiteral(": ") + e.message());
        }
        const bool created = !diaryInfo.exists();
        TVolgaTable table;
        openOrCreate(table, diary);
        const ImportCounts counts = importEntries(table, settingsDate(), std::move(entries));
        if (created || counts.added > 0 || counts.joined > 0) saveDiaryWrittenHere(table, diary);
        io.out += summary(diary, counts).toUtf8();
        return 0;
    });
}

} // namespace vistelle::cli
