#pragma once
// Keeps diary.dat up to date while the window runs: every store is followed, within a
// second, by an atomic save of the whole table (saves coalesced, written on a writer
// thread, never two at once); a diary.dat that another program changed since this run
// last read or wrote it is merged in by date before it is saved over; the first save of
// each day keeps a copy of the file it replaces under backups/. In a folder a sync tool
// shares, conflict copies are merged in and then moved into backups/, and a journal
// outside the folder gives back entries stored here that a sync tool lost
// (diarykeeper_sync.cpp).

#include "core/datetime.h"
#include "core/savefile.h"
#include "diary/protect/diarykey.h"
#include "diary/exchange/datemerge.h"
#include "diary/exchange/syncjournal.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace vistelle {

class FolderWatch;
class TVolgaTable;

class DiaryKeeper : public QObject {
    Q_OBJECT

public:
    static constexpr int SaveDelayMs = 250;
    static constexpr int RetryDelayMs = 2000; // a failed save is tried again after this, without a box
    static constexpr int BackupsKept = 30;
    static constexpr size_t TextsRemembered = 16; // per date, of those saved since the last read
    static constexpr size_t ExposuresRemembered = 8;
    static QString backupFolder() { return QStringLiteral("backups"); }
    static QString mergeSeparator() { return QStringLiteral("----- other copy -----"); }

    DiaryKeeper(TVolgaTable& table, const QString& fileName, TDateTime settingsDate, QObject* parent = nullptr);
    ~DiaryKeeper() override; // waits for a save in progress

    // Whether the table may be saved now (the diary is available and no search runs).
    std::function<bool()> canSave;
    // Runs before a merge changes the table.
    std::function<void()> beforeMerge;
    // Runs after a merge changed the table: the editor and the calendar show the result
    // (an editor holding unsaved text is left alone).
    std::function<void()> afterMerge;
    // Shows an error to the user.
    std::function<void(const QString& message)> reportError;

    // The table was just read from the file or created: the file holds what the table holds.
    // The file known is the one the table read or wrote (its stamp taken from the open
    // file), so that a write by another program since then is merged, not overwritten.
    void adopt();
    // A store changed the row of date: a save follows soon.
    void tableChanged(TDateTime date);
    // Merges diary.dat when another program changed it since this run last read or wrote
    // it. Returns false when the file on disk cannot be read; its error is reported once
    // (or thrown, with throwOnUnreadable) and the table keeps its entries. While the table
    // is read-only (a search runs) a changed file waits: it returns false, reporting nothing.
    bool mergeChangesOnDisk(bool throwOnUnreadable = false);
    // What the timer does: merges changes on disk, then hands the table's image to the
    // writer thread (unless a save is in progress: its end starts the next one).
    void startSave();
    // Waits for a save in progress and takes its result.
    void waitForWriter();
    // The save at close, done at once: waits for a running save, merges what changed on
    // disk and writes the table as it stands. Throws the error the user is to see.
    void saveNow();

    // Sharing by sync tools. The start: the journal gives back what the file lacks, the
    // conflict copies beside the file are merged, and the folder is watched from then on.
    void startSharing();
    // What the folder's watch does: merges a diary.dat another program changed and the
    // conflict copies that are new or changed since they were last read.
    void checkFolder();
    // Merges these files (conflict copies, or copies another run left) into the table two
    // ways: a copy never deletes a date, a text it holds is joined by the one rule. Each
    // is moved unchanged into backups/ once the merged diary is saved; one that cannot be
    // read stays, is reported once per run and is read again when it changes.
    void mergeCopies(const QStringList& paths);
    // Merges the files this folder's own saves left behind when a run ended in the middle
    // of one (leftoverSaves) two ways, like conflict copies, and removes them once the file
    // holds their entries; one that cannot be read is a save cut short and goes at once.
    void mergeLeftovers(const QStringList& paths);

    // The form diary.dat takes from now on: sealed with key (a protected diary), or plain
    // for a null key. Set at start before adopt(); set later, the next save writes the new
    // form at once. The journal of a shared folder is sealed with the same key.
    void setKey(std::shared_ptr<const protect::DiaryKey> key);
    const std::shared_ptr<const protect::DiaryKey>& key() const { return m_key; }
    // The table image in the bytes of a diary file (or a copy of one): as they are when
    // plain, unsealed with this run's key when protected. Throws the reader's message.
    QByteArray imageOfFile(QByteArray bytes, const QString& fileName) const;
    SyncJournal& journal() { return m_journal; }

    bool hasUnsavedChanges() const { return !m_dirty.empty() || m_mustWrite || !m_displaced.empty(); }
    bool writing() const { return bool(m_writer); }
    void setSaveDelay(int ms) { m_timer.setInterval(ms); }

signals:
    // A save reached the file.
    void saved();

private:
    struct Job {
        QString fileName;
        QByteArray image;
        std::shared_ptr<const protect::DiaryKey> key; // sealed with it on the writer thread; null: plain
        QString backupName; // empty: no backup this time
        FileStamp onDisk;   // the file the merge saw: only that one may be replaced
        QString journalName; // empty: the folder is not shared
        QByteArray journalImage;
    };
    struct Result {
        bool saved = false;
        bool changedOnDisk = false; // another program wrote the file meanwhile: merge, then save again
        bool backupFailed = false;
        bool journalFailed = false;
        QString backupName;
        QStringList displaced; // other programs' last-instant writes, kept under these names to be merged
        FileStamp stamp;   // saved: as written; failed: as the failed save left it, when it touched it
        QByteArray hash;
        QByteArray image; // the job's image, its buffer to reuse
    };

    void saveSoon();
    Job prepareJob();
    void startWriter(Job job);
    void settle(Result& result);
    void finishWrite(Result& result);
    void noteBackup(const Result& result);
    bool mergeFile(const QString& fileName, bool displaced, bool throwOnUnreadable);
    void mergeDisplaced();
    void mergeTwoWays(const DatedEntries& theirs, bool& changed);
    void dropMergedLeftovers();
    static Result runJob(Job job);
    static void backUp(const Job& job, Result& result);
    static void pruneBackups(const QString& folder, const QString& justWritten);

    DatedEntries mergeBase(const DatedEntries& read, const DatedEntries& theirs) const;
    QByteArray knownHash();
    void rememberSaved(const std::map<TDateTime, QByteArray>& texts);

    QByteArray settingsText();
    bool fileHoldsTheEntries();
    bool nothingToWrite();
    void noteSharedIfMarked();
    void journalStores();
    std::vector<EntryChange> journalChanges(const DatedEntries& file, const DatedEntries& ours, const QByteArray& hash);
    QByteArray textLastWritten(TDateTime date);
    void moveMergedCopies();
    void report(const QString& message);
    void saveJournalIfIdle();

    TVolgaTable& m_table;
    QString m_fileName;
    TDateTime m_settingsDate;
    QTimer m_timer;
    QTimer m_retry;

    // What this run last read or wrote: the image last read, and the texts written since
    // (each date's texts in the order written, the last one current; empty text: deleted).
    QByteArray m_baseImage;
    std::map<TDateTime, std::vector<QByteArray>> m_savedSinceRead;
    FileStamp m_knownStamp;
    FileStamp m_seenStamp; // the file as the last merge found it
    QByteArray m_knownHash; // empty until needed

    std::set<TDateTime> m_dirty;                     // changed since the last save began
    std::map<TDateTime, QByteArray> m_writingTexts;  // the dirty texts of the save in progress
    std::unique_ptr<std::thread> m_writer;
    std::unique_ptr<Result> m_writerResult;
    QByteArray m_spareImage;
    TDateTime m_backupCheckedDay = 0;   // the day whose backup is made (or was there)
    TDateTime m_backupReportedDay = 0;  // the day whose failing backup was reported
    bool m_mustWrite = false;           // the file lacks what a merge brought in, though no date is dirty
    std::vector<std::set<TDateTime>> m_exposed; // the dates of saves that were the file for an instant
    std::vector<QString> m_displaced;       // swapped out by a save, still to be merged
    std::vector<QString> m_mergedLeftovers; // merged into the table: removed once a save holds them
    bool m_saveFailureReported = false;
    bool m_unreadableReported = false;

    std::shared_ptr<const protect::DiaryKey> m_key;
    QString m_folder;
    SyncJournal m_journal;
    std::set<TDateTime> m_localStores;       // dirty dates the user stored here (not merged in)
    QByteArray m_diskSettings;               // the settings row's text in the file last read or written
    QByteArray m_writingSettings;
    std::map<QString, FileStamp> m_copiesRead;   // copies merged or found unreadable, as they were then
    QStringList m_copiesToMove;                  // merged, waiting for the next save
    std::set<QString> m_reported;                // messages shown in this run (unreadable copies, moves)
    std::unique_ptr<FolderWatch> m_watch;
    bool m_checking = false;
    bool m_checkAfterWrite = false;
    bool m_recheckPending = false; // a look at the folder waits for a search's end
    bool m_journalFailureReported = false;
    quint64 m_journalWritten = 0; // the journal's revision last written (or read)
};

} // namespace vistelle
