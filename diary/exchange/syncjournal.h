#pragma once
// The journal of one diary folder on this computer: the entries stored here that no file
// written elsewhere has shown to hold yet, and the dates deleted here. Kept outside the
// folder (a sync tool never touches it), one small file per diary folder under the user's
// data folder, and only once the folder is known to be shared. It lets this computer give
// back what a sync tool lost: an overwrite without a conflict copy, a copy never merged,
// a backup copied over the diary.
//
// File layout (text, LF line ends; unknown lines are skipped):
//   Vistelle sync journal 1
//   folder /home/anna/Sync/Vistelle         the canonical diary folder
//   own 3f2a…                               SHA-1 of a diary image this computer wrote (≤ 4)
//   stored 2009-12-24 <base64 text>         stored here, not yet confirmed
//   deleted 2009-12-24 <base64 text>        deleted here; the text it had

#include "diary/exchange/datemerge.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>

namespace vistelle {

class SyncJournal {
public:
    static constexpr int OwnImagesKept = 4;

    // The journal of diaryFolder as stored (empty and inactive when there is none).
    explicit SyncJournal(const QString& diaryFolder);

    // Where the journals live; tests may point it elsewhere (empty: the user's data folder).
    static QString journalFolder();
    static void setJournalFolder(const QString& folder);
    QString fileName() const { return m_fileName; }

    // Active once the folder is shared: then it is written with each save.
    bool active() const { return m_active; }
    void activate()
    {
        m_revision += m_active ? 0 : 1;
        m_active = true;
    }
    // Grows with every change, so that a writer can tell whether there is anything new.
    quint64 revision() const { return m_revision; }

    struct Line {
        QByteArray text;
        bool deleted = false;
        bool operator==(const Line&) const = default;
    };
    const std::map<TDateTime, Line>& lines() const { return m_lines; }

    // A store here: the date's line becomes this text (an empty text: deleted here,
    // oldText being the text it had).
    void stored(TDateTime date, const QByteArray& text, const QByteArray& oldText = {});
    // The hash of a diary image this computer wrote (or is about to write).
    void wroteImage(const QByteArray& sha1);
    bool isOwnImage(const QByteArray& sha1) const { return m_ownImages.contains(sha1); }

    // A diary.dat was read. Written elsewhere, it confirms the lines it holds (they are
    // dropped) and the deletions it has taken or overridden. Returns the changes to ours
    // that give back every unconfirmed text ours lacks, joined by the one rule, and that
    // delete again a date deleted here whose old text came back.
    std::vector<EntryChange> reconcile(const DatedEntries& file, const DatedEntries& ours, bool writtenElsewhere);
    // Leaves out of a copy's entries the texts of dates deleted here that hold nothing new.
    void dropDeleted(DatedEntries& copy) const;

    QByteArray image() const;
    void read(const QByteArray& image);
    // Writes the journal at once (atomically); false when it could not be written.
    bool save() const;

private:
    QString m_folder;
    QString m_fileName;
    bool m_active = false;
    quint64 m_revision = 0;
    std::map<TDateTime, Line> m_lines;
    QList<QByteArray> m_ownImages; // newest last
};

} // namespace vistelle
