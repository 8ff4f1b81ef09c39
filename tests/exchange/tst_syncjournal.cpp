// The journal of entries stored here and not yet seen elsewhere: what it gives back, when
// a file written elsewhere confirms a line, deletions made here, and its file.

#include "diary/exchange/syncjournal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vistelle;

namespace {

const TDateTime D = encodeDate(2009, 12, 24);
const QByteArray Other = "\r\n----- other copy -----\r\n";

QByteArray sha1(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1); }

} // namespace

Q_DECLARE_METATYPE(vistelle::DatedEntries)

class TestSyncJournal : public QObject {
    Q_OBJECT

    QTemporaryDir m_journals;
    QTemporaryDir m_folder;

private slots:
    void initTestCase() { SyncJournal::setJournalFolder(m_journals.path()); }
    void init()
    {
        for (const QString& name : QDir(m_journals.path()).entryList(QDir::Files)) QFile::remove(m_journals.filePath(name));
    }

    // What a file written elsewhere (or this computer's own) does to one stored line.
    void storedLine_data()
    {
        QTest::addColumn<DatedEntries>("file");
        QTest::addColumn<bool>("elsewhere");
        QTest::addColumn<QByteArray>("expected"); // the date's text after the changes
        QTest::addColumn<bool>("kept");           // the line stays unconfirmed
        QTest::newRow("lost by an overwrite") << DatedEntries{} << true << QByteArray("mine") << true;
        QTest::newRow("an older text there") << DatedEntries{{D, "mi"}} << true << QByteArray("mine") << true;
        QTest::newRow("another text there") << DatedEntries{{D, "theirs"}} << true << "theirs" + Other + "mine" << true;
        QTest::newRow("confirmed whole") << DatedEntries{{D, "mine"}} << true << QByteArray("mine") << false;
        QTest::newRow("confirmed as a piece") << DatedEntries{{D, "theirs" + Other + "mine"}} << true
                                              << "theirs" + Other + "mine" << false;
        QTest::newRow("confirmed, continued there") << DatedEntries{{D, "mine, and more"}} << true
                                                    << QByteArray("mine, and more") << false;
        QTest::newRow("this computer's own file confirms nothing") << DatedEntries{{D, "mine"}} << false
                                                                   << QByteArray("mine") << true;
    }
    void storedLine()
    {
        QFETCH(DatedEntries, file);
        QFETCH(bool, elsewhere);
        QFETCH(QByteArray, expected);
        QFETCH(bool, kept);
        SyncJournal journal(m_folder.path());
        journal.stored(D, "mine");
        DatedEntries ours = file;
        for (const EntryChange& c : journal.reconcile(file, ours, elsewhere)) ours[c.date] = c.text;
        QCOMPARE(ours.at(D), expected);
        QCOMPARE(journal.lines().count(D), size_t(kept));
    }

    // Once confirmed, the line is gone: another computer deleting the entry later wins.
    void entryDeletedElsewhereAfterItWasConfirmedStaysDeleted()
    {
        SyncJournal journal(m_folder.path());
        journal.stored(D, "mine");
        QVERIFY(journal.reconcile({{D, "mine"}}, {{D, "mine"}}, true).empty());
        QVERIFY(journal.reconcile({}, {}, true).empty());
    }

    void dateDeletedHereStaysDeleted()
    {
        SyncJournal journal(m_folder.path());
        journal.stored(D, "typed here");
        journal.stored(D, QByteArray(), "ignored: the journal's own text is the one deleted");
        QCOMPARE(journal.lines().at(D), (SyncJournal::Line{"typed here", true}));

        // A file that does not know of the deletion yet, and a copy of the same age.
        const std::vector<EntryChange> changes = journal.reconcile({{D, "typed here"}}, {{D, "typed here"}}, true);
        QCOMPARE(changes, (std::vector<EntryChange>{{D, QByteArray()}}));
        DatedEntries copy{{D, "typed"}, {D + 1, "other"}};
        journal.dropDeleted(copy);
        QCOMPARE(copy, (DatedEntries{{D + 1, "other"}}));
        DatedEntries newer{{D, "typed here, and more there"}};
        journal.dropDeleted(newer);
        QCOMPARE(newer.size(), size_t(1));

        // Taken there: confirmed.
        QVERIFY(journal.reconcile({}, {}, true).empty());
        QVERIFY(journal.lines().empty());
    }

    void deletionOverriddenByANewerTextThereGivesWay()
    {
        SyncJournal journal(m_folder.path());
        journal.stored(D, QByteArray(), "old");
        const DatedEntries file{{D, "rewritten there"}};
        QVERIFY(journal.reconcile(file, file, true).empty());
        QVERIFY(journal.lines().empty());
    }

    // One file per diary folder, outside it, found again under another name of the folder.
    void savedJournalIsReadBackForTheSameFolderOnly()
    {
        SyncJournal journal(m_folder.path());
        QVERIFY(!journal.active());
        journal.activate();
        journal.stored(D, "mine\r\nwith a line break");
        journal.stored(D + 1, QByteArray(), "gone");
        for (int i = 0; i < 6; ++i) journal.wroteImage(sha1(QByteArray::number(i)));
        QVERIFY(journal.save());
        QVERIFY(!journal.fileName().startsWith(m_folder.path()));

        QVERIFY(QFile::link(m_folder.path(), m_journals.filePath("link")));
        SyncJournal again(m_journals.filePath("link/"));
        QVERIFY(again.active());
        QCOMPARE(again.fileName(), journal.fileName());
        QCOMPARE(again.lines(), journal.lines());
        QVERIFY(again.isOwnImage(sha1("5")) && again.isOwnImage(sha1("2")) && !again.isOwnImage(sha1("1")));
        QCOMPARE(again.image(), journal.image());

        QTemporaryDir elsewhere;
        QVERIFY(!SyncJournal(elsewhere.path()).active());
    }

    void damagedLinesAreSkipped()
    {
        SyncJournal journal(m_folder.path());
        journal.read("Vistelle sync journal 1\nstored 2009-13-01 eA==\nstored 2009-12-24 !!!\nstored 2009-12-25 eA==\n"
                     "own 12\nweird\n");
        QCOMPARE(journal.lines().size(), size_t(1));
        QCOMPARE(journal.lines().at(D + 1).text, QByteArray("x"));
        journal.read("Another file\nstored 2009-12-25 eA==\n");
        QVERIFY(journal.lines().empty());
    }
};

QTEST_GUILESS_MAIN(TestSyncJournal)
#include "tst_syncjournal.moc"
