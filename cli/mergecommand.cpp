// vistelle-diary merge: another diary file merged into a diary by date, both ways kept.

#include "cli/commandline.h"
#include "core/savefile.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/datemerge.h"
#include "diary/exchange/diarylayout.h"
#include "diary/exchange/textjoin.h"
#include "platform/instance/instancelock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vistelle::cli {

namespace {

const char Help[] = R"(Usage: vistelle-diary merge FILE --into DIARY

Merges another diary file (a copy from another computer or a USB stick, a conflict copy a
sync tool left) into DIARY by date, and deletes nothing. DIARY is created when missing. A
date DIARY lacks is added; a date whose text DIARY already holds is left as it is; for any
other date DIARY keeps its own text and adds the parts of FILE's text it lacks after it,
below the line "----- other copy -----". Merging the same file again changes nothing.
Before DIARY changes, a copy of it is kept as backups/diary-YYYY-MM-DD-HHMMSS-merge.dat in
its folder. FILE is left as it is.

  --into DIARY  the diary to merge into (Vistelle's is diary.dat in its folder)
  -h, --help    show this help

Vistelle must not be running in DIARY's folder meanwhile.
Exit status: 0 merged, 1 a file could not be read or written, or Vistelle is running
there, 2 wrong usage.
)";

QByteArray readWhole(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) raise(fmt(QStringLiteral("Cannot open file %s"), fileName));
    return file.readAll();
}

// Opens a diary file as the window does; its errors carry its name.
void openDiary(TVolgaTable& table, const QString& fileName, const QByteArray& bytes)
{
    try {
        table.setLoadMode(lmStream);
        table.setLoadStream(bytes);
        table.Open();
        table.FieldByName(QStringLiteral("date"));
        table.FieldByName(QStringLiteral("event"));
    } catch (const Error& e) {
        raise(fileName + QStringLiteral(": ") + e.message());
    }
}

QString backupName(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("backups/diary-%1-merge.dat")
                                     .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"))));
}

} // namespace

int mergeCommand(const QStringList& args, Streams& io)
{
    return runCommand(QStringLiteral("merge"), io, [&] {
        const CommandLine line(QStringLiteral("merge"), {{QStringLiteral("into"), {}, QStringLiteral("DIARY")}}, args);
        if (line.helpAsked()) {
            io.out += Help;
            return 0;
        }
        if (line.files().size() != 1) throw UsageError(QStringLiteral("name one diary file to merge"));
        const QString source = line.files().first();
        const QString diary = line.value(QStringLiteral("into"));
        if (diary.isEmpty()) throw UsageError(QStringLiteral("--into DIARY is missing"));
        requireFile(source);
        const QFileInfo diaryInfo(diary);
        if (diaryInfo.exists() && !diaryInfo.isFile()) throw UsageError(QStringLiteral("%1: not a file").arg(diary));
        const QString folder = diaryInfo.absolutePath();
        if (!QFileInfo(folder).isDir()) throw UsageError(QStringLiteral("%1: no such folder").arg(folder));
        if (diaryInfo.exists() && QFileInfo(source).canonicalFilePath() == diaryInfo.canonicalFilePath())
            throw UsageError(QStringLiteral("%1 is the diary itself").arg(source));

        // Held until the diary is written: the window cannot start in the folder meanwhile.
        InstanceLock lock(folder);
        if (!lock.tryLock())
            raise(QStringLiteral("Vistelle is running in %1; close it, then merge again").arg(QDir::toNativeSeparators(folder)));
        TVolgaTable other;
        openDiary(other, source, readWhole(source));
        const DatedEntries theirs = readEntries(other, settingsDate());

        const bool created = !diaryInfo.exists();
        const QByteArray before = created ? QByteArray() : readWhole(diary);
        TVolgaTable table;
        if (created) {
            defineDiaryFields(table);
            table.Open();
        } else {
            openDiary(table, diary, before);
        }
        const DatedEntries ours = readEntries(table, settingsDate());
        const std::vector<EntryChange> changes = mergeByDate({}, ours, theirs, otherCopySeparator());
        int added = 0;
        for (const EntryChange& c : changes) added += ours.count(c.date) ? 0 : 1;
        const int joined = int(changes.size()) - added;
        const int unchanged = int(theirs.size()) - int(changes.size());

        if (created || !changes.empty()) {
            if (!created) {
                const QString backup = backupName(folder);
                if (!QDir(folder).mkpath(QStringLiteral("backups")) || !writeFileWhole(backup, before))
                    raise(fmt(QStringLiteral("Cannot create file %s"), backup));
            }
            applyChanges(table, changes);
            saveDiaryWrittenHere(table, diary);
        }
        io.out += QStringLiteral("%1: %2 added, %3 already there, %4 joined with their other copy\n")
                      .arg(diary).arg(added).arg(unchanged).arg(joined)
                      .toUtf8();
        return 0;
    });
}

} // namespace vistelle::cli
