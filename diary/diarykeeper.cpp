#include "diary/diarykeeper.h"
#include "core/error.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/conflictcopies.h"
#include "diary/exchange/textjoin.h"
#include "diary/folderwatch.h"

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
    connect(&m_timer, &QTimer::timeout, this, [this] {
        // An error must not reach the event loop, which it would end.
        try {
            startSave();
        } catch (const Error& e) {
            if (reportError) reportError(e.message());
        }
    });
}

DiaryKeeper::~DiaryKeeper()
{
    if (m_writer) m_writer->join();
}

void DiaryKeeper::adopt()
{
    m_baseImage = m_table.cursor() ? m_table.cursor()->source : QByteArray();
    m_savedSinceRead.clear();
    m_knownStamp = FileStamp::of(m_fileName);
    m_knownHash.clear();
    m_dirty.clear();
    m_localStores.clear();
    m_diskSettings = settingsText();
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
        if (!m_dirty.empty()) saveSoon();
        return;
    }
    if (!mergeChangesOnDisk()) return;
    mergeCopies(conflictCopiesIn(m_folder));
    if (m_dirty.empty()) return;
    startWriter(prepareJob());
}

// Builds the save on the window thread: the table's image and the texts of the changed
// dates as they go to the file. The first save of a day also backs up the file it replaces.
DiaryKeeper::Job DiaryKeeper::prepareJob()
{
    Job job;
    job.fileName = m_fileName;
    job.image = m_table.saveImage(std::move(m_spareImage));
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

void DiaryKeeper::finishWrite(Result& result)
{
    m_spareImage = std::move(result.image);
    if (result.journalFailed && !m_journalFailureReported) {
        m_journalFailureReported = true;
        report(fmt(QStringLiteral("Cannot create file %s"), m_journal.fileName()));
    }
    if (result.saved) {
        m_diskSettings = m_writingSettings;
        rememberSaved(m_writingTexts);
        m_knownStamp = result.stamp;
        m_knownHash = result.hash;
        m_saveFailureReported = false;
    } else {
        for (const auto& [date, text] : m_writingTexts) m_dirty.insert(date);
    }
    m_writingTexts.clear();
    if (result.backupFailed && reportError) reportError(fmt(QStringLiteral("Cannot create file %s"), result.backupName));
    if (result.changedOnDisk) return saveSoon();
    if (!result.saved && !m_saveFailureReported) {
        // Reported once; later stores try again without a box until a save succeeds.
        m_saveFailureReported = true;
        if (reportError) reportError(fmt(QStringLiteral("Cannot create file %s"), m_fileName));
    }
    if (result.saved && !m_dirty.empty()) saveSoon(); // stores made while it was written
    if (result.saved) moveMergedCopies();
    if (std::exchange(m_checkAfterWrite, false)) QMetaObject::invokeMethod(this, [this] { checkFolder(); }, Qt::QueuedConnection);
    if (result.saved) emit saved();
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
            return;
        }
        for (const auto& [date, text] : m_writingTexts) m_dirty.insert(date);
        m_writingTexts.clear();
        if (result.backupFailed && reportError) reportError(fmt(QStringLiteral("Cannot create file %s"), result.backupName));
        if (!result.changedOnDisk || attempt == 3) raise(fmt(QStringLiteral("Cannot create file %s"), m_fileName));
    }
}

// Runs on the writer thread: touches nothing but the job and the files.
DiaryKeeper::Result DiaryKeeper::runJob(Job job)
{
    Result result;
    // The journal first: a diary written after it is known as this computer's own.
    if (!job.journalName.isEmpty())
        result.journalFailed = !QDir().mkpath(QFileInfo(job.journalName).absolutePath())
            || !writeFileWhole(job.journalName, job.journalImage);
    backUp(job, result);
    // The merge happened on the window thread: a file written since then is not replaced.
    result.saved = writeFileWhole(job.fileName, job.image, &result.stamp, [&] {
        result.changedOnDisk = FileStamp::of(job.fileName) != job.onDisk;
        return !result.changedOnDisk;
    });
    if (result.saved) result.hash = hashOf(job.image);
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
    const bool copied = QDir().mkpath(backupFolder()) && current.open(QIODevice::ReadOnly)
        && writeFileWhole(job.backupName, current.readAll());
    result.backupFailed = !copied;
    if (copied) pruneBackups(backupFolder());
}

// Keeps the newest backups (their names sort by date) and removes the older ones.
void DiaryKeeper::pruneBackups(const QString& folder)
{
    static const QRegularExpression name(QStringLiteral("^diary-\\d{4}-\\d{2}-\\d{2}\\.dat$"));
    QDir dir(folder);
    QStringList backups = dir.entryList({QStringLiteral("diary-*.dat")}, QDir::Files, QDir::Name);
    backups.removeIf([](const QString& n) { return !name.match(n).hasMatch(); });
    for (qsizetype i = 0; i + BackupsKept < backups.size(); ++i) dir.remove(backups[i]);
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
    const FileStamp stamp = FileStamp::of(m_fileName);
    m_seenStamp = stamp;
    // A file that is gone is written anew by the next save; something that is not a file
    // at all makes that save fail.
    if (stamp == m_knownStamp || !stamp.exists() || !QFileInfo(m_fileName).isFile()) return true;

    auto unreadable = [&](const QString& message) {
        const bool reported = m_unreadableReported;
        m_unreadableReported = true; // before the box: its end runs an activation
        if (throwOnUnreadable) raise(message);
        if (!reported && reportError) reportError(message);
        return false;
    };
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly)) return unreadable(fmt(QStringLiteral("Cannot open file %s"), m_fileName));
    const QByteArray bytes = file.readAll();
    file.close();
    const QByteArray hash = hashOf(bytes);
    if (hash == knownHash()) {
        m_knownStamp = stamp; // touched or copied, not changed
        return true;
    }
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
    const DatedEntries base = mergeBase(entriesOfImage(m_baseImage, m_settingsDate), theirs);
    const std::vector<EntryChange> changes = mergeByDate(base, ours, theirs, mergeSeparator());
    applyChanges(m_table, changes);
    const auto take = [&ours](const std::vector<EntryChange>& made) {
        for (const EntryChange& c : made) {
            if (c.text.isEmpty()) ours.erase(c.date);
            else ours[c.date] = c.text;
        }
    };
    take(changes);
    // Entries stored here that the file lost come back; dates deleted here stay deleted.
    const std::vector<EntryChange> restored = journalChanges(theirs, ours, hash);
    applyChanges(m_table, restored);
    take(restored);

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
    m_knownStamp = stamp;
    m_knownHash = hash;
    m_unreadableReported = false;
    if ((!changes.empty() || !restored.empty()) && afterMerge) afterMerge();
    if (!m_dirty.empty()) saveSoon();
    saveJournalIfIdle();
    return true;
}

} // namespace vistelle
