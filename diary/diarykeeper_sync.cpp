// The keeper's part in a folder that sync tools share: conflict copies, the journal of
// entries not yet seen elsewhere, the folder's watch, and saves that are left out when
// they would write nothing new (two computers closing at once must not make a conflict
// copy out of nothing).

#include "diary/diarykeeper.h"
#include "diary/protect/diaryform.h"
#include "core/savefile.h"
#include "core/error.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/conflictcopies.h"
#include "diary/folderwatch.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QFileInfo>

namespace vistelle {

namespace {

const QString Date = QStringLiteral("date");
const QString Event = QStringLiteral("event");

// The entries of a diary file's bytes; throws the reader's error for anything else.
DatedEntries entriesOfDiary(const QByteArray& bytes, TDateTime settingsDate)
{
    if (bytes.isEmpty()) return {};
    TVolgaTable table;
    table.setLoadMode(lmStream);
    table.setLoadStream(bytes);
    table.Open();
    table.FieldByName(Date);
    table.FieldByName(Event);
    return readEntries(table, settingsDate);
}

QByteArray readWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) raise(fmt(QStringLiteral("Cannot open file %s"), path));
    return file.readAll();
}

// A free name in the backups folder for a copy: its own, or with a number added.
QString backupNameFor(const QDir& backups, const QString& name)
{
    const QFileInfo info(name);
    QString candidate = name;
    for (int n = 2; backups.exists(candidate); ++n)
        candidate = QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(n).arg(info.suffix());
    return backups.filePath(candidate);
}

} // namespace

void DiaryKeeper::report(const QString& message)
{
    if (reportError) reportError(message);
}

// A journal that changed (it became active, a line was confirmed) while no save is due
// is written at once, so that a run killed now does not forget it.
void DiaryKeeper::saveJournalIfIdle()
{
    if (!m_journal.active() || !m_dirty.empty() || m_writer || m_journal.revision() == m_journalWritten) return;
    m_journalWritten = m_journal.revision();
    const bool saved = QDir().mkpath(QFileInfo(m_journal.fileName()).absolutePath())
        && writeFileWhole(m_journal.fileName(), protect::DiaryForm::fileOf(m_journal.image(), m_key));
    if (!saved && !m_journalFailureReported) {
        m_journalFailureReported = true;
        report(fmt(QStringLiteral("Cannot create file %s"), m_journal.fileName()));
    }
}

QByteArray DiaryKeeper::settingsText()
{
    if (!m_table.Active()) return {};
    const Variant v = m_table.Lookup(Date, Variant::fromDateTime(m_settingsDate), Event);
    return v.isNullOrUnassigned() ? QByteArray() : v.toBytes();
}

// The file on disk is the one this run last read or wrote, and the table differs from
// it in no entry.
bool DiaryKeeper::fileHoldsTheEntries()
{
    return m_dirty.empty() && !m_writer && m_knownStamp.exists() && FileStamp::of(m_fileName) == m_knownStamp;
}

// ... nor in the window's record.
bool DiaryKeeper::nothingToWrite() { return !m_mustWrite && fileHoldsTheEntries() && settingsText() == m_diskSettings; }

void DiaryKeeper::noteSharedIfMarked()
{
    if (!m_journal.active() && (hasSyncMarker(m_folder) || !conflictCopiesIn(m_folder).isEmpty())) m_journal.activate();
}

// The dates the user stored here since the last save go into the journal.
void DiaryKeeper::journalStores()
{
    for (TDateTime date : m_localStores) {
        if (!m_dirty.count(date)) continue;
        const Variant v = m_table.Lookup(Date, Variant::fromDateTime(date), Event);
        const QByteArray text = v.isNullOrUnassigned() ? QByteArray() : v.toBytes();
        m_journal.stored(date, text, text.isEmpty() ? textLastWritten(date) : QByteArray());
    }
    m_localStores.clear();
}

// The text the date had in the file before this run deleted it.
QByteArray DiaryKeeper::textLastWritten(TDateTime date)
{
    const auto saved = m_savedSinceRead.find(date);
    if (saved != m_savedSinceRead.end()) {
        for (auto it = saved->second.rbegin(); it != saved->second.rend(); ++it) {
            if (!it->isEmpty()) return *it;
        }
    }
    try {
        const DatedEntries read = entriesOfDiary(m_baseImage, m_settingsDate);
        const auto it = read.find(date);
        return it == read.end() ? QByteArray() : it->second;
    } catch (const Error&) {
        return {};
    }
}

// A diary.dat that is none of this computer's own images was written elsewhere: the
// folder is shared, and the file confirms the journal's lines it holds.
std::vector<EntryChange> DiaryKeeper::journalChanges(const DatedEntries& file, const DatedEntries& ours, const QByteArray& hash)
{
    const bool elsewhere = !m_journal.isOwnImage(hash);
    if (elsewhere) m_journal.activate();
    if (!m_journal.active()) return {};
    return m_journal.reconcile(file, ours, elsewhere);
}

void DiaryKeeper::startSharing()
{
    if (!m_table.Active()) return;
    noteSharedIfMarked();
    if (m_journal.active()) {
        DatedEntries file;
        try {
            file = entriesOfDiary(m_baseImage, m_settingsDate);
        } catch (const Error&) {
        }
        const bool elsewhere = !m_baseImage.isEmpty() && !m_journal.isOwnImage(QCryptographicHash::hash(m_baseImage, QCryptographicHash::Sha1));
        const std::vector<EntryChange> changes = m_journal.reconcile(file, readEntries(m_table, m_settingsDate), elsewhere);
        if (!changes.empty()) {
            if (beforeMerge) beforeMerge();
            applyChanges(m_table, changes);
            for (const EntryChange& c : changes) m_dirty.insert(c.date);
            if (afterMerge) afterMerge();
            saveSoon();
        }
    }
    mergeLeftovers(leftoverSaves(m_fileName));
    mergeCopies(conflictCopiesIn(m_folder));
    saveJournalIfIdle();
    m_watch = std::make_unique<FolderWatch>(m_folder, m_fileName);
    m_watch->changed = [this] { checkFolder(); };
}

void DiaryKeeper::checkFolder()
{
    if (m_checking || !m_table.Active() || (canSave && !canSave())) return;
    // A search holds the table read-only: the folder is looked at again once it has ended.
    if (m_table.ReadOnly()) {
        if (!std::exchange(m_recheckPending, true))
            QTimer::singleShot(1000, this, [this] {
                m_recheckPending = false;
                checkFolder();
            });
        return;
    }
    // A notice of this run's own save: its end looks again, without waiting for it here.
    if (m_writer) {
        m_checkAfterWrite = true;
        return;
    }
    m_checking = true; // a box shown here runs the event loop, and with it the watch
    try {
        if (mergeChangesOnDisk()) mergeCopies(conflictCopiesIn(m_folder));
    } catch (const Error& e) {
        report(e.message());
    }
    m_checking = false;
}

void DiaryKeeper::mergeCopies(const QStringList& paths)
{
    if (!m_table.Active() || m_table.ReadOnly()) return;
    waitForWriter();
    bool changed = false;
    for (const QString& path : paths) {
        const FileStamp stamp = FileStamp::of(path);
        const auto read = m_copiesRead.find(path);
        if (!stamp.exists() || (read != m_copiesRead.end() && read->second == stamp)) continue;
        m_copiesRead[path] = stamp;
        m_journal.activate(); // a copy beside the diary: the folder is shared
        DatedEntries theirs;
        try {
            theirs = entriesOfDiary(imageOfFile(readWhole(path), QFileInfo(path).fileName()), m_settingsDate);
        } catch (const Error& e) {
            m_copiesToMove.removeAll(path);
            if (m_reported.insert(path).second)
                report(fmt(QStringLiteral("Cannot merge %s into the diary: %s"), QFileInfo(path).fileName(), e.message()));
            continue;
        }
        m_journal.dropDeleted(theirs);
        mergeTwoWays(theirs, changed);
        if (!m_copiesToMove.contains(path)) m_copiesToMove << path;
    }
    if (changed) {
        if (afterMerge) afterMerge();
        saveSoon();
    } else if (!m_copiesToMove.isEmpty() && fileHoldsTheEntries()) {
        moveMergedCopies();
    }
    saveJournalIfIdle();
}

void DiaryKeeper::mergeLeftovers(const QStringList& paths)
{
    if (!m_table.Active() || paths.isEmpty()) return;
    waitForWriter();
    bool changed = false;
    for (const QString& path : paths) {
        DatedEntries theirs;
        try {
            theirs = entriesOfDiary(imageOfFile(readWhole(path), QFileInfo(path).fileName()), m_settingsDate);
        } catch (const Error&) {
            QFile::remove(path); // the file it was to replace is whole
            continue;
        }
        mergeTwoWays(theirs, changed);
        m_mergedLeftovers.push_back(path);
    }
    if (changed) {
        if (afterMerge) afterMerge();
        saveSoon();
    } else {
        dropMergedLeftovers();
    }
}

// A copy's entries joined with the table's: a copy never deletes a date. The first change
// of a run of copies runs beforeMerge.
void DiaryKeeper::mergeTwoWays(const DatedEntries& theirs, bool& changed)
{
    const std::vector<EntryChange> changes = mergeByDate({}, readEntries(m_table, m_settingsDate), theirs, mergeSeparator());
    if (changes.empty()) return;
    if (!changed && beforeMerge) beforeMerge();
    changed = true;
    applyChanges(m_table, changes);
    for (const EntryChange& c : changes) m_dirty.insert(c.date);
}

// Copies merged before the save that just reached the file go into backups/ unchanged.
// One that changed since it was read stays, to be merged again.
void DiaryKeeper::moveMergedCopies()
{
    if (m_copiesToMove.isEmpty()) return;
    QDir backups(QDir(m_folder).filePath(backupFolder()));
    QStringList left;
    for (const QString& path : std::as_const(m_copiesToMove)) {
        if (FileStamp::of(path) != m_copiesRead[path]) continue;
        const QString target = backupNameFor(backups, QFileInfo(path).fileName());
        if (QDir().mkpath(backups.path()) && QFile::rename(path, target)) {
            m_copiesRead.erase(path);
            continue;
        }
        left << path;
        if (m_reported.insert(target).second) report(fmt(QStringLiteral("Cannot create file %s"), target));
    }
    m_copiesToMove = left;
}

} // namespace vistelle
