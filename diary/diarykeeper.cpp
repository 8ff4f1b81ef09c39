#include "diary/diarykeeper.h"
#include "core/error.h"
#include "core/wholefile.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/conflictcopies.h"
#include "diary/exchange/textjoin.h"
#include "diary/folderwatch.h"
#include "diary/protect/diaryform.h"
#include "diary/protect/protectedfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace vistelle {

namespace {

const QString Date = QStringLiteral("date");
const QString Event = QStringLiteral("event");

QByteArray hashOf(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1); }

QString backupFileName(TDateTime day)
{
    const DateParts d = decodeDate(day);
    return QStringLiteral("%1/diary-%2-%3-%4.dat")
        .arg(DiaryKeeper::backupFolder())
        .arg(d.year, 4, 10, QLatin1Char('0'))
        .arg(d.month, 2, 10, QLatin1Char('0'))
        .arg(d.day, 2, 10, QLatin1Char('0'));
}

DatedEntries entriesOfImage(const QByteArray& image, TDateTime settingsDate)
{
    if (image.isEmpty()) return {};
    TVolgaTable table;
    table.setLoadMode(lmStream);
    table.setLoadStream(image);
    table.Open();
    return readEntries(table, settingsDate);
}

} // namespace

DiaryKeeper::DiaryKeeper(TVolgaTable& table, const QString& fileName, TDateTime settingsDate, QObject* parent)
    : QObject(parent), m_table(table), m_fileName(fileName), m_settingsDate(settingsDate),
      m_folder(QFileInfo(fileName).absolutePath()), m_journal(m_folder)
{
    m_journalWritten = m_journal.revision();
    m_timer.setSingleShot(true);
    m_timer.setInterval(SaveDelayMs);
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryDelayMs);
    for (QTimer* timer : {&m_timer, &m_retry}) {
        connect(timer, &QTimer::timeout, this, [this] {
            // An error must not reach the event loop, which it would end.
            try {
                startSave();
            } catch (const Error& e) {
                if (reportError) reportError(e.message());
            }
        });
    }
}

DiaryKeeper::~DiaryKeeper()
{
    if (m_writer) m_writer->join();
}

void DiaryKeeper::adopt()
{
    m_baseImage = m_table.cursor() ? m_table.cursor()->source : QByteArray();
    m_savedSinceRead.clear();
    m_knownStamp = m_table.takeFileStamp();
    m_knownHash.clear();
    m_dirty.clear();
    m_localStores.clear();
    m_diskSettings = settingsText();
    m_mustWrite = false;
}

void DiaryKeeper::tableChanged(TDateTime date)
{
    if (date != m_settingsDate) {
        m_dirty.insert(date);
        m_localStores.insert(date);
    }
    saveSoon();
}

// The first store of a burst starts the timer; later ones ride along, so that a steady
// stream of stores still reaches the file within the delay.
void DiaryKeeper::saveSoon()
{
    if (!m_timer.isActive()) m_timer.start();
}

void DiaryKeeper::startSave()
{
    if (m_writer) return; // its end starts the next save
    if (canSave && !canSave()) {
        if (hasUnsavedChanges()) saveSoon();
        return;
    }
    // While a search holds the table read-only, a save that has nothing to merge is still
    // written; one that would change the table waits for the search's end.
    if (m_table.ReadOnly() && m_table.Active() && (!m_displaced.empty() || FileStamp::of(m_fileName) != m_knownStamp)) {
        if (hasUnsavedChanges()) saveSoon();
        return;
    }
    if (!mergeChangesOnDisk()) return;
    if (!m_table.ReadOnly()) mergeCopies(conflictCopiesIn(m_folder));
    if (!hasUnsavedChanges()) return;
    startWriter(prepareJob());
}

// Builds the save on the window thread: the table's image and the texts of the changed
// dates as they go to the file. The first save of a day also backs up the file it replaces.
DiaryKeeper::Job DiaryKeeper::prepareJob()
{
    Job job;
    job.fileName = m_fileName;
    job.image = m_table.saveImage(std::move(m_spareImage));
    job.key = m_key;
    job.onDisk = m_seenStamp;
    for (TDateTime date : m_dirty) {
        const Variant text = m_table.Lookup(Date, Variant::fromDateTime(date), Event);
        m_writingTexts[date] = text.isNullOrUnassigned() ? QByteArray() : text.toBytes();
    }
    journalStores();
    m_dirty.clear();
    m_writingSettings = settingsText();
    if (m_journal.active()) {
        m_journal.wroteImage(hashOf(job.image));
        job.journalName = m_journal.fileName();
        job.journalImage = m_journal.image();
        m_journalWritten = m_journal.revision();
    }
    m_mustWrite = false;
    const TDateTime day = today();
    if (day != m_backupCheckedDay) {
        m_backupCheckedDay = day;
        job.backupName = backupFileName(day);
    }
    return job;
}

void DiaryKeeper::startWriter(Job job)
{
    m_writerResult = std::make_unique<Result>();
    Result* result = m_writerResult.get();
    m_writer = std::make_unique<std::thread>([this, job = std::move(job), result]() mutable {
        *result = runJob(std::move(job));
        QMetaObject::invokeMethod(this, [this] { waitForWriter(); }, Qt::QueuedConnection);
    });
}

void DiaryKeeper::waitForWriter()
{
    if (!m_writer) return;
    m_writer->join();
    m_writer.reset();
    const std::unique_ptr<Result> result = std::move(m_writerResult);
    finishWrite(*result);
}

// Takes a save's result into the keeper's state, reporting nothing.
void DiaryKeeper::settle(Result& result)
{
    // A save that swapped out another program's write was the file for an instant: a
    // program reading it then may write back a file that lacks what it lacked.
    if (!result.displaced.isEmpty()) {
        std::set<TDateTime> dates;
        for (const auto& [date, text] : entriesOfImage(result.image, m_settingsDate)) dates.insert(date);
        m_exposed.push_back(std::move(dates));
        if (m_exposed.size() > ExposuresRemembered) m_exposed.erase(m_exposed.begin());
    }
    m_spareImage = std::move(result.image);
    if (result.saved || result.stamp.exists()) {
        // A failed save that wrote the file (its folder could not be synced, or it was cut
        // short in place) left a file of this run's own: it is saved over, never refused.
        m_diskSettings = m_writingSettings;
        rememberSaved(m_writingTexts);
        m_knownStamp = result.stamp;
        m_knownHash = result.hash;
    }
    if (!result.saved) {
        for (const auto& [date, text] : m_writingTexts) m_dirty.insert(date);
        m_mustWrite = true;
    }
    m_writingTexts.clear();
}

void DiaryKeeper::finishWrite(Result& result)
{
    settle(result);
    noteBackup(result);
    for (const QString& name : result.displaced) m_displaced.push_back(name);
    if (result.saved) {
        m_saveFailureReported = false;
        if (result.displaced.isEmpty()) dropMergedLeftovers();
        else mergeDisplaced();
    }
    if (result.changedOnDisk) return saveSoon();
    if (!result.saved && !m_saveFailureReported) {
        // Reported once; later stores, and the retry, try again without a box until a save
        // succeeds.
        m_saveFailureReported = true;
        if (reportError) reportError(fmt(QStringLiteral("Cannot create file %s"), m_fileName));
    }
    if (result.journalFailed && !m_journalFailureReported) {
        m_journalFailureReported = true;
        report(fmt(QStringLiteral("Cannot create file %s"), m_journal.fileName()));
    }
    if (!result.saved) m_retry.start();
    if (result.saved && hasUnsavedChanges()) saveSoon(); // stores made, or entries merged, while it was written
    if (result.saved) moveMergedCopies();
    if (std::exchange(m_checkAfterWrite, false)) QMetaObject::invokeMethod(this, [this] { checkFolder(); }, Qt::QueuedConnection);
    // A save that swapped out another program's write is done once the merge of it is saved.
    if (result.saved && (result.displaced.isEmpty() || m_mergedLeftovers.empty())) emit saved();
}

// A day whose backup could not be made is tried again by its later saves; the failure is
// reported once a day.
void DiaryKeeper::noteBackup(const Result& result)
{
    if (!result.backupFailed) return;
    m_backupCheckedDay = 0;
    const TDateTime day = today();
    if (m_backupReportedDay == day) return;
    m_backupReportedDay = day;
    if (reportError) reportError(fmt(QStringLiteral("Cannot create file %s"), result.backupName));
}

// Merges the files saves swapped out (once the table can change: not during a search).
void DiaryKeeper::mergeDisplaced()
{
    if (m_table.ReadOnly()) return;
    while (!m_displaced.empty()) {
        const QString name = m_displaced.front();
        m_displaced.erase(m_displaced.begin());
        // One that cannot be read is reported and left where it is.
        if (mergeFile(name, true, false)) m_mergedLeftovers.push_back(name);
    }
    if (!hasUnsavedChanges()) dropMergedLeftovers(); // the file already holds all of them
}

// Files merged into the table are dropped once a save put their entries in the file.
void DiaryKeeper::dropMergedLeftovers()
{
    for (const QString& name : m_mergedLeftovers) QFile::remove(name);
    m_mergedLeftovers.clear();
}

void DiaryKeeper::saveNow()
{
    waitForWriter();
    // A file another program writes while this save is written is merged in, and the save
    // tried again; a program that never stops writing makes the save fail.
    for (int attempt = 1;; ++attempt) {
        mergeChangesOnDisk(true);
        mergeCopies(conflictCopiesIn(m_folder));
        m_timer.stop();
        if (nothingToWrite()) return moveMergedCopies();
        Result result = runJob(prepareJob());
        if (result.saved) {
            finishWrite(result);
            m_timer.stop();
            // Another program's write swapped out at the last instant is merged: save again.
            if (result.displaced.isEmpty() || !hasUnsavedChanges()) return;
            if (attempt == 3) raise(fmt(QStringLiteral("Cannot create file %s"), m_fileName));
            continue;
        }
        settle(result);
        noteBackup(result);
        for (const QString& name : result.displaced) m_displaced.push_back(name);
        const bool changedOnDisk = result.changedOnDisk;
        if (!changedOnDisk || attempt == 3) raise(fmt(QStringLiteral("Cannot create file %s"), m_fileName));
    }
}

// Runs on the writer thread: touches nothing but the job and the files.
DiaryKeeper::Result DiaryKeeper::runJob(Job job)
{
    Result result;
    // The journal first: a diary written after it is known as this computer's own.
    if (!job.journalName.isEmpty())
        result.journalFailed = !QDir().mkpath(QFileInfo(job.journalName).absolutePath())
            || !writeFileWhole(job.journalName, protect::DiaryForm::fileOf(job.journalImage, job.key));
    backUp(job, result);
    // The merge happened on the window thread: only the file it saw may be replaced. A
    // protected diary is written while it is sealed.
    std::optional<protect::SealInProgress> sealing;
    if (job.key) sealing.emplace(job.image, *job.key);
    const SaveResult saved = sealing
        ? saveFile(job.fileName, sealing->bytes(), &job.onDisk, [&](qsizetype n) { return sealing->ready(n); })
        : saveFile(job.fileName, job.image, &job.onDisk);
    result.saved = saved.saved;
    result.changedOnDisk = saved.changedOnDisk;
    result.displaced = saved.displaced;
    result.stamp = saved.stamp;
    if (result.stamp.exists()) result.hash = hashOf(job.image);
    result.image = std::move(job.image);
    return result;
}

// A backup of the day made earlier (by this run or another) is kept as it is; anything
// else of that name makes the backup fail.
void DiaryKeeper::backUp(const Job& job, Result& result)
{
    if (job.backupName.isEmpty() || QFileInfo(job.backupName).isFile() || !QFileInfo(job.fileName).isFile()) return;
    result.backupName = job.backupName;
    QFile current(job.fileName);
    bool copied = QDir().mkpath(backupFolder()) && current.open(QIODevice::ReadOnly);
    if (copied) {
        // A read cut short must not pass for the day's backup.
        const qint64 size = current.size();
        const QByteArray bytes = readWholeFile(current);
        // A diary protected since its last save keeps no plain copy.
        copied = current.error() == QFileDevice::NoError && bytes.size() == size
            && writeFileWhole(job.backupName, job.key && !protect::isProtected(bytes) ? protect::sealImage(bytes, *job.key) : bytes);
    }
    result.backupFailed = !copied;
    if (copied) pruneBackups(backupFolder(), QFileInfo(job.backupName).fileName());
}

// Keeps the newest daily backups by the date in their names, and always the one just
// written (a clock put back makes it older than others); other files are left alone.
void DiaryKeeper::pruneBackups(const QString& folder, const QString& justWritten)
{
    static const QRegularExpression name(QStringLiteral("^diary-\\d{4}-\\d{2}-\\d{2}\\.dat$"));
    QDir dir(folder);
    QStringList backups = dir.entryList({QStringLiteral("diary-*.dat")}, QDir::Files, QDir::Name);
    backups.removeIf([&](const QString& n) { return n == justWritten || !name.match(n).hasMatch(); });
    for (qsizetype i = 0; i + BackupsKept - 1 < backups.size(); ++i) dir.remove(backups[i]);
}

void DiaryKeeper::rememberSaved(const std::map<TDateTime, QByteArray>& texts)
{
    for (const auto& [date, text] : texts) {
        std::vector<QByteArray>& written = m_savedSinceRead[date];
        if (written.empty() || written.back() != text) written.push_back(text);
        // Older texts than these are no longer recognised: such a copy keeps both texts.
        if (written.size() > TextsRemembered) written.erase(written.begin());
    }
}

// What the other side started from, date by date. For a date this run saved since it
// last read the file, the other side may not have seen that save (a synchronising
// program bringing back another computer's copy, say): a text this run had earlier
// counts as unchanged there, a text that begins with this run's text as added to it, and
// any other text as written beside it, so that both are kept.
DatedEntries DiaryKeeper::mergeBase(const DatedEntries& read, const DatedEntries& theirs) const
{
    const auto textOn = [](const DatedEntries& entries, TDateTime date) {
        const auto it = entries.find(date);
        return it == entries.end() ? QByteArray() : it->second;
    };
    DatedEntries base = read;
    for (const auto& [date, written] : m_savedSinceRead) {
        const QByteArray& ours = written.back();
        const QByteArray disk = textOn(theirs, date);
        const bool earlier = disk != ours
            && (disk == textOn(read, date) || std::find(written.begin(), written.end() - 1, disk) != written.end() - 1);
        const QByteArray from = earlier ? disk : disk.startsWith(ours) ? ours : QByteArray();
        if (from.isEmpty()) base.erase(date);
        else base[date] = from;
    }
    return base;
}

QByteArray DiaryKeeper::knownHash()
{
    if (m_knownHash.isEmpty()) m_knownHash = hashOf(m_baseImage); // nothing written since the read
    return m_knownHash;
}

bool DiaryKeeper::mergeChangesOnDisk(bool throwOnUnreadable)
{
    if (!m_table.Active()) return true;
    waitForWriter();
    mergeDisplaced();
    const FileStamp stamp = FileStamp::of(m_fileName);
    if (stamp == m_knownStamp) {
        m_seenStamp = m_knownStamp;
        return true;
    }
    // A file that is gone is written anew by the next save; something that is not a file
    // at all makes that save fail.
    m_seenStamp = stamp;
    if (!stamp.exists() || !QFileInfo(m_fileName).isFile()) return true;
    // Until the file is merged, a save gives way to it rather than replace it unseen.
    m_seenStamp = m_knownStamp;
    return mergeFile(m_fileName, false, throwOnUnreadable);
}

// Merges a copy of the diary into the table by date: diary.dat as another program left it,
// or (displaced) another program's write that a save swapped out and kept aside. Such a
// copy may predate entries the file holds: a date it lacks is not taken as deleted, and
// what this run knows of the file on disk stays as it was.
bool DiaryKeeper::mergeFile(const QString& fileName, bool displaced, bool throwOnUnreadable)
{
    auto unreadable = [&](const QString& message) {
        const bool reported = m_unreadableReported;
        m_unreadableReported = true; // before the box: its end runs an activation
        if (throwOnUnreadable) raise(message);
        if (!reported && reportError) reportError(message);
        return false;
    };
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return unreadable(fmt(QStringLiteral("Cannot open file %s"), fileName));
    // The stamp of the very file read: a write after the read is another version.
    const FileStamp read = displaced ? FileStamp() : FileStamp::ofDescriptor(file.handle());
    QByteArray fileBytes = readWholeFile(file);
    if (file.error() != QFileDevice::NoError) return unreadable(fmt(QStringLiteral("Cannot open file %s"), fileName));
    file.close();
    QByteArray bytes;
    try {
        bytes = imageOfFile(std::move(fileBytes), QFileInfo(fileName).fileName());
    } catch (const Error& e) {
        return unreadable(e.message());
    }
    const QByteArray hash = hashOf(bytes);
    if (!displaced && hash == knownHash()) {
        m_knownStamp = read; // touched or copied, not changed
        m_seenStamp = read;
        return true;
    }
    if (m_table.ReadOnly()) return false; // merged once the table can change again
    TVolgaTable disk;
    disk.setLoadMode(lmStream);
    disk.setLoadStream(bytes);
    DatedEntries theirs;
    try {
        disk.Open();
        // A table of another layout is no diary.
        disk.FieldByName(Date);
        disk.FieldByName(Event);
        theirs = readEntries(disk, m_settingsDate);
    } catch (const Error& e) {
        return unreadable(e.message());
    }

    if (beforeMerge) beforeMerge();
    DatedEntries ours = readEntries(m_table, m_settingsDate);
    DatedEntries base = mergeBase(entriesOfImage(m_baseImage, m_settingsDate), theirs);
    // A date the copy lacks is not taken as deleted there when the copy may come from a
    // file that lacked it: a copy kept aside, or one written from a save seen for an instant.
    std::erase_if(base, [&](const auto& entry) {
        if (theirs.count(entry.first)) return false;
        return displaced || std::any_of(m_exposed.begin(), m_exposed.end(), [&](const std::set<TDateTime>& dates) {
            return !dates.count(entry.first);
        });
    });
    const std::vector<EntryChange> changes = mergeByDate(base, ours, theirs, mergeSeparator());
    applyChanges(m_table, changes);
    m_unreadableReported = false;
    const auto take = [&ours](const std::vector<EntryChange>& made) {
        for (const EntryChange& c : made) {
            if (c.text.isEmpty()) ours.erase(c.date);
            else ours[c.date] = c.text;
        }
    };
    take(changes);
    bool restoredAny = false;
    if (displaced) {
        // The file on disk lacks what the merge brought in.
        for (const EntryChange& c : changes) m_dirty.insert(c.date);
    } else {
        // Entries stored here that the file lost come back; dates deleted here stay deleted.
        const std::vector<EntryChange> restored = journalChanges(theirs, ours, hash);
        applyChanges(m_table, restored);
        take(restored);
        restoredAny = !restored.empty();

        // From here on the file read is what this run last read; what differs from it is unsaved.
        const std::set<TDateTime> storedHere = m_localStores;
        m_dirty.clear();
        m_localStores.clear();
        for (const auto& [date, text] : ours) {
            const auto it = theirs.find(date);
            if (it == theirs.end() || !sameText(it->second, text)) m_dirty.insert(date);
        }
        for (const auto& [date, text] : theirs) {
            if (!ours.count(date)) m_dirty.insert(date);
        }
        for (TDateTime date : storedHere) {
            if (m_dirty.count(date)) m_localStores.insert(date);
        }
        const Variant diskSettings = disk.Lookup(Date, Variant::fromDateTime(m_settingsDate), Event);
        m_diskSettings = diskSettings.isNullOrUnassigned() ? QByteArray() : diskSettings.toBytes();
        m_baseImage = bytes;
        m_savedSinceRead.clear();
        m_knownStamp = read;
        m_seenStamp = read;
        m_knownHash = hash;
    }
    if ((!changes.empty() || restoredAny) && afterMerge) afterMerge();
    if (hasUnsavedChanges()) saveSoon();
    saveJournalIfIdle();
    return true;
}

QByteArray DiaryKeeper::imageOfFile(QByteArray bytes, const QString& fileName) const
{
    protect::DiaryForm form;
    form.setKey(m_key);
    return form.imageOf(std::move(bytes), fileName);
}

void DiaryKeeper::setKey(std::shared_ptr<const protect::DiaryKey> key)
{
    if (key == m_key) return;
    m_key = std::move(key);
    if (m_key) protect::forbidCoreDumps();
    // A journal kept sealed is read once the key is known.
    QFile journal(m_journal.fileName());
    if (m_key && journal.open(QIODevice::ReadOnly)) {
        try {
            m_journal.read(imageOfFile(journal.readAll(), QFileInfo(journal).fileName()));
        } catch (const Error&) {
        }
    }
    m_mustWrite = true;
    if (m_table.Active()) saveSoon();
}

} // namespace vistelle
