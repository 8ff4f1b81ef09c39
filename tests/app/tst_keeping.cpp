// Nothing stored is lost: stores reach diary.dat soon after they are made, changes another
// program made to the file are merged in by date, the first save of a day keeps a backup,
// and the end of the session closes the window without questions.

#include "app/mainform.h"
#include "core/error.h"
#include "core/inplacesave.h"
#include "core/readahead.h"
#include "core/savefile.h"
#include "diary/diarykeeper.h"
#include "diary/diaryrescue.h"
#include "diary/exchange/diaryexport.h"
#include "mainformfixture.h"
#include "platform/sessionend.h"
#include "tests/faults.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardPaths>
#include <csignal>
#include <sys/fsuid.h>
#include <unistd.h>

using namespace vistelle;
using namespace vistelle::testing;

Q_DECLARE_METATYPE(vistelle::testing::Row)

namespace {

// Folder permissions do not bind root. As root, file access runs under an ordinary
// identity while the guard lives (the calling thread's own filesystem identity).
class AsOrdinaryUser {
public:
    AsOrdinaryUser()
    {
        if (geteuid() != 0) return;
        m_active = true;
        setfsgid(65534);
        setfsuid(65534);
    }
    ~AsOrdinaryUser()
    {
        if (!m_active) return;
        setfsuid(0);
        setfsgid(0);
    }

private:
    bool m_active = false;
};

TDateTime march(int day) { return encodeDate(2009, 3, day); }

const QString Joined = QStringLiteral("\r\n----- other copy -----\r\n");

// The entries of diary.dat by date, the settings row left out.
QMap<TDateTime, QString> entriesOnDisk()
{
    QMap<TDateTime, QString> entries;
    for (const Row& r : rowsOf()) {
        if (r.date != settingsDateValue()) entries[r.date] = r.event;
    }
    return entries;
}

QMap<TDateTime, QString> entriesOf(const QList<Row>& rows)
{
    QMap<TDateTime, QString> entries;
    for (const Row& r : rows) entries[r.date] = r.event;
    return entries;
}

void writeBytes(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A diary file under another name, as a sync tool leaves a conflict copy: written aside,
// then renamed into place.
void writeCopy(const QString& name, const QList<Row>& rows)
{
    const QString aside = QStringLiteral(".copy.tmp");
    {
        TVolgaTable t;
        createDiary(t, aside);
        for (const Row& r : rows) t.AppendRecord({Variant::fromDateTime(r.date), Variant(encodeStoredText(r.event))});
        t.SaveToFile(aside);
    }
    QFile::remove(name);
    QVERIFY(QFile::rename(aside, name));
}

const QString SyncthingCopy = QStringLiteral("diary.sync-conflict-20090304-120000-ABCDEF7.dat");

} // namespace

class TestKeeping : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;

    // Selects the day, replaces its text (an empty text deletes the entry) and stores it by
    // clicking another day.
    static void store(TMainForm& form, int day, const QString& text, int thenDay = 20)
    {
        MainFormFixture::clickDay(form, day);
        form.Today->setFocus();
        QTest::keyClick(form.Today, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(form.Today, Qt::Key_Delete);
        if (!text.isEmpty()) QTest::keyClicks(form.Today, text);
        MainFormFixture::clickDay(form, thenDay);
    }

private slots:
    void init() { fx = std::make_unique<MainFormFixture>(); }
    void cleanup() { fx.reset(); }

    void storesReachTheFileInOneSave()
    {
        auto form = fx->start();
        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);
        for (int day = 10; day <= 14; ++day) store(*form, day, QStringLiteral("entry %1").arg(day), day + 1);
        QTRY_COMPARE(saved.count(), 1);
        QTest::qWait(2 * DiaryKeeper::SaveDelayMs);
        QCOMPARE(saved.count(), 1);
        QCOMPARE(entriesOnDisk().size(), 5);
        QCOMPARE(entriesOnDisk().value(march(12)), QStringLiteral("entry 12"));
        QCOMPARE(fx->boxes.log, QStringList());
    }

    void failingSaveIsReportedOnceUntilASaveSucceeds()
    {
        auto form = fx->start();
        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);
        const QString failed = QStringLiteral("error: Cannot create file diary.dat.");
        QFile::remove("diary.dat");
        QVERIFY(QDir().mkdir("diary.dat")); // where the file should be replaced
        store(*form, 5, "one");
        QTRY_COMPARE(fx->boxes.log, QStringList(failed));
        store(*form, 6, "two");
        QTest::qWait(3 * DiaryKeeper::SaveDelayMs);
        QCOMPARE(fx->boxes.log, QStringList(failed));

        QVERIFY(QDir().rmdir("diary.dat"));
        store(*form, 7, "three");
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(entriesOnDisk().keys(), (QList<TDateTime>{march(5), march(6), march(7)}));

        QFile::remove("diary.dat");
        QVERIFY(QDir().mkdir("diary.dat"));
        store(*form, 8, "four");
        QTRY_COMPARE(fx->boxes.log, (QStringList{failed, failed}));
        QVERIFY(QDir().rmdir("diary.dat"));
    }

    void changesOnDiskAreMergedByDate_data()
    {
        QTest::addColumn<QList<Row>>("base");
        QTest::addColumn<int>("ourDay"); // 0: no store here
        QTest::addColumn<QString>("ourText");
        QTest::addColumn<QList<Row>>("disk");
        QTest::addColumn<QList<Row>>("expected");
        const QList<Row> old{{march(2), "old"}};
        QTest::newRow("changed only on disk") << old << 0 << QString() << QList<Row>{{march(2), "theirs"}}
                                              << QList<Row>{{march(2), "theirs"}};
        QTest::newRow("changed only here") << QList<Row>{{march(2), "old"}, {march(3), "x"}} << 2 << "ours"
                                           << QList<Row>{{march(2), "old"}, {march(3), "y"}}
                                           << QList<Row>{{march(2), "ours"}, {march(3), "y"}};
        QTest::newRow("changed on both sides") << old << 2 << "ours" << QList<Row>{{march(2), "theirs"}}
                                               << QList<Row>{{march(2), "ours" + Joined + "theirs"}};
        QTest::newRow("added on both sides") << QList<Row>{} << 2 << "ours" << QList<Row>{{march(2), "theirs"}}
                                             << QList<Row>{{march(2), "ours" + Joined + "theirs"}};
        QTest::newRow("deleted on disk") << QList<Row>{{march(2), "old"}, {march(3), "x"}} << 0 << QString()
                                         << QList<Row>{{march(3), "x"}} << QList<Row>{{march(3), "x"}};
        QTest::newRow("deleted here") << old << 2 << QString() << QList<Row>{{march(2), "old"}, {march(3), "new"}}
                                      << QList<Row>{{march(3), "new"}};
        QTest::newRow("deleted here, changed there") << old << 2 << QString() << QList<Row>{{march(2), "theirs"}}
                                                     << QList<Row>{{march(2), "theirs"}};
    }

    void changesOnDiskAreMergedByDate()
    {
        QFETCH(QList<Row>, base);
        QFETCH(int, ourDay);
        QFETCH(QString, ourText);
        QFETCH(QList<Row>, disk);
        QFETCH(QList<Row>, expected);
        writeDiary(base);
        auto form = fx->start();
        if (ourDay) store(*form, ourDay, ourText);
        writeDiary(disk); // another program replaces the file before the store is saved
        MainFormFixture::leaveAndReturn(*form);
        QTRY_COMPARE(entriesOnDisk(), entriesOf(expected));
        QCOMPARE(fx->boxes.log, QStringList());
        QVERIFY(form->close());
        QCOMPARE(entriesOnDisk(), entriesOf(expected));
    }

    // A synchronising program brings back a copy that predates this run's saves: a text
    // this run had earlier is not a change made there, and a text there that does not begin
    // with this run's text is kept beside it.
    void olderCopyBroughtBackKeepsWhatThisRunSaved()
    {
        writeDiary({{march(2), "old"}, {march(3), "gone here"}, {march(5), "x"}});
        auto form = fx->start();
        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);
        store(*form, 2, "newer");
        store(*form, 3, QString());
        store(*form, 6, "added");
        store(*form, 9, "nine");
        store(*form, 10, "ten");
        QTRY_COMPARE(saved.count(), 1);
        store(*form, 2, "newest");
        QTRY_COMPARE(saved.count(), 2);

        writeDiary({{march(2), "newer"}, {march(3), "gone here"}, {march(5), "changed there"},
                    {march(9), "nine, and more"}, {march(10), "from the laptop"}});
        MainFormFixture::leaveAndReturn(*form);
        const QMap<TDateTime, QString> expected{{march(2), "newest"}, {march(5), "changed there"}, {march(6), "added"},
                                                {march(9), "nine, and more"}, {march(10), "ten" + Joined + "from the laptop"}};
        QTRY_COMPARE(entriesOnDisk(), expected);
        QVERIFY(form->close());
        QCOMPARE(entriesOnDisk(), expected);
    }

    // Another program replaces the file after the merge read it and before the save
    // replaced it: the save gives way and the next one merges that file too.
    void fileReplacedDuringASaveIsMergedNotOverwritten_data()
    {
        QTest::addColumn<bool>("canSwap");
        QTest::newRow("swapped out, then merged") << true;
        QTest::newRow("no swap (network file systems): the save gives way") << false;
    }

    void fileReplacedDuringASaveIsMergedNotOverwritten()
    {
        QFETCH(bool, canSwap);
        if (!canSwap) faults::exchange = EINVAL;
        const auto restore = qScopeGuard([] { faults::clear(); });
        writeDiary({{march(2), "old"}});
        auto form = fx->start();
        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);
        DiaryKeeper& keeper = *form->keeper();
        const auto before = keeper.beforeMerge;
        bool replaced = false;
        keeper.beforeMerge = [&] {
            if (before) before();
            if (replaced) return;
            replaced = true;
            writeDiary({{march(2), "old"}, {march(7), "first"}, {march(8), "second"}});
        };
        store(*form, 3, "ours");
        writeDiary({{march(2), "old"}, {march(7), "first"}});
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(entriesOnDisk(), (QMap<TDateTime, QString>{{march(2), "old"}, {march(3), "ours"}, {march(7), "first"}, {march(8), "second"}}));
        QCOMPARE(fx->boxes.log, QStringList());
        QCOMPARE(leftoverSaves("diary.dat"), QStringList()); // the file swapped out is gone once merged and saved
    }

    // Another program saves in the instant between the keeper's last check and its swap:
    // its file is swapped back, and the copy kept of it merged and then dropped.
    void writeAtTheLastInstantIsMerged()
    {
        writeDiary({{march(2), "old"}});
        auto form = fx->start();
        faults::beforeRename = [] { writeDiary({{march(2), "old"}, {march(9), "at the last instant"}}); };
        const auto restore = qScopeGuard([] { faults::clear(); });
        store(*form, 3, "ours");
        const QMap<TDateTime, QString> expected{{march(2), "old"}, {march(3), "ours"}, {march(9), "at the last instant"}};
        QTRY_COMPARE(entriesOnDisk(), expected);
        QTRY_COMPARE(leftoverSaves("diary.dat"), QStringList());
        QVERIFY(!faults::beforeRename);
        QCOMPARE(fx->boxes.log, QStringList());
    }

    // A failed save that still wrote the file (its folder could not be synced, or it was cut
    // short in place where the folder cannot be written) left a file of this run's own: the
    // next save goes over it.
    void ownFileLeftByAFailedSaveIsSavedOver_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("folder not synced") << false;
        QTest::newRow("cut short in place") << true;
    }

    void ownFileLeftByAFailedSaveIsSavedOver()
    {
        QFETCH(bool, inPlace);
        const QFile::Permissions enter = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ExeOwner
            | QFile::ExeGroup | QFile::ExeOther;
        const QFile::Permissions all = enter | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        QVERIFY(QDir().mkdir("locked") && QDir().mkdir("data"));
        QVERIFY(QFile::setPermissions(".", enter | QFile::WriteOwner) && QFile::setPermissions("data", all));
        qputenv("XDG_DATA_HOME", QFile::encodeName(QDir::currentPath() + "/data"));
        const auto restore = qScopeGuard([] {
            faults::clear();
            qunsetenv("XDG_DATA_HOME");
            QFile::setPermissions("locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        TVolgaTable table;
        createDiary(table, "locked/diary.dat");
        QVERIFY(QFile::setPermissions("locked/diary.dat", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                              | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
        QVERIFY(QFile::setPermissions("locked", inPlace ? enter : all));
        DiaryKeeper keeper(table, "locked/diary.dat", settingsDateValue());
        keeper.adopt();
        const auto storeEntry = [&](int day, const char* text) {
            table.AppendRecord({Variant::fromDateTime(march(day)), Variant(QByteArray(text))});
            keeper.tableChanged(march(day));
        };
        QString first = "<no error>", second = "<no error>";
        {
            AsOrdinaryUser user;
            storeEntry(2, "first");
            if (inPlace) faults::writeBudget = table.saveImage().size() / 2; // the file torn in its middle
            else faults::folderSync = EIO;
            try {
                keeper.saveNow();
            } catch (const vistelle::Error& e) {
                first = e.message();
            }
            faults::clear();
            storeEntry(3, "second");
            try {
                keeper.saveNow();
            } catch (const vistelle::Error& e) {
                second = e.message();
            }
        }
        QCOMPARE(first, QStringLiteral("Cannot create file locked/diary.dat"));
        QCOMPARE(second, QStringLiteral("<no error>"));
        QCOMPARE(entriesOf(rowsOf("locked/diary.dat")), (QMap<TDateTime, QString>{{march(2), "first"}, {march(3), "second"}}));
    }

    // The file known is the one read, not whatever is on disk once the keeper starts.
    void writeBetweenTheReadAndTheKeepersStartIsMerged_data()
    {
        QTest::addColumn<bool>("readAhead");
        QTest::newRow("plain open") << false;
        QTest::newRow("read ahead") << true;
    }

    void writeBetweenTheReadAndTheKeepersStartIsMerged()
    {
        QFETCH(bool, readAhead);
        writeDiary({{march(2), "old"}});
        std::unique_ptr<ReadAhead> ahead;
        if (readAhead) ahead = std::make_unique<ReadAhead>(std::vector<ReadAhead::File>{TVolgaTable::readAheadFile("diary.dat")});
        TVolgaTable table;
        table.setTableName("diary.dat");
        table.Open();
        writeDiary({{march(2), "old"}, {march(3), "theirs"}});
        DiaryKeeper keeper(table, "diary.dat", settingsDateValue());
        keeper.adopt();
        table.AppendRecord({Variant::fromDateTime(march(5)), Variant(encodeStoredText("ours"))});
        keeper.tableChanged(march(5));
        keeper.saveNow();
        QCOMPARE(entriesOnDisk(), (QMap<TDateTime, QString>{{march(2), "old"}, {march(3), "theirs"}, {march(5), "ours"}}));
    }

    // The search stores the grey text first; it reaches the file while the search's box is
    // open, though the table is read-only meanwhile.
    void storeBeforeASearchReachesTheFileWhileItsBoxIsOpen()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, "dentist at ten");
        form->searchBox->setText("dentist");
        QMap<TDateTime, QString> whileOpen;
        fx->boxes.onBox = [&](const QString&) {
            QTest::qWait(1000);
            whileOpen = entriesOnDisk();
        };
        form->btnSearchClick();
        QCOMPARE(whileOpen.value(march(4)), QStringLiteral("dentist at ten"));
    }

    // While a search holds the table, a conflict copy that appears waits for its end.
    void copyAppearingDuringASearchWaitsForItsEnd()
    {
        writeDiary({{march(2), "dentist at ten"}});
        auto form = fx->start();
        form->searchBox->setText("dentist");
        QString duringSearch;
        fx->boxes.onBox = [&](const QString&) {
            writeCopy(SyncthingCopy, {{march(6), "from the laptop"}});
            QTest::qWait(2500); // the watch and its poll have looked meanwhile
            duringSearch = form->info(march(6));
        };
        form->btnSearchClick();
        QCOMPARE(duringSearch, QString());
        QTRY_COMPARE(form->info(march(6)), QStringLiteral("from the laptop"));
        QCOMPARE(fx->boxes.log.filter("error:"), QStringList());
    }

    // A diary.dat that an in-place save left torn is restored at start from the copy that
    // save kept.
    void fileTornByAnInPlaceSaveIsRestoredAtStart()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(QDir::currentPath() + "/data"));
        const auto restore = qScopeGuard([] { qunsetenv("XDG_DATA_HOME"); });
        writeDiary({{march(2), "saved in place"}});
        const QByteArray whole = readFile("diary.dat");
        QVERIFY(QDir().mkpath(QFileInfo(inPlaceCopyName("diary.dat")).path()));
        writeBytes(inPlaceCopyName("diary.dat"), whole);
        writeBytes("diary.dat", whole.left(whole.size() - 30));
        auto form = fx->start();
        QCOMPARE(fx->boxes.log.size(), 2);
        QVERIFY(fx->boxes.log[0].startsWith("error: Error opening table: "));
        QCOMPARE(fx->boxes.log[1], QStringLiteral("message: diary.dat was damaged while it was being saved; it was restored from the copy kept for that save."));
        QCOMPARE(readFile("diary.dat"), whole);
        QVERIFY(!QFile::exists(inPlaceCopyName("diary.dat")));
        QCOMPARE(form->Today->text(), QString()); // the diary is available: 4 March is empty
        store(*form, 3, "after");
        QVERIFY(form->close());
        QCOMPARE(entriesOnDisk(), (QMap<TDateTime, QString>{{march(2), "saved in place"}, {march(3), "after"}}));
    }

    void greyTextIsStoredBeforeTheMergeAndTheEditorShowsTheResult()
    {
        writeDiary({{march(4), "old"}});
        auto form = fx->start();
        MainFormFixture::type(*form, " more");
        QVERIFY(form->Today->isGrey());
        writeDiary({{march(4), "theirs"}});
        MainFormFixture::leaveAndReturn(*form);
        const QString merged = "old more" + Joined + "theirs";
        QCOMPARE(form->Today->text(), merged);
        QVERIFY(!form->Today->isGrey());
        QTRY_COMPARE(entriesOnDisk().value(march(4)), merged);
    }

    void unreadableFileOnDiskIsNeverSavedOver()
    {
        writeDiary({{march(2), "old"}});
        auto form = fx->start();
        const QByteArray garbage = QByteArray::fromHex("0500000045") + "Disk on fire";
        writeBytes("diary.dat", garbage);
        const QString reported = QStringLiteral("error: Error opening table: Disk on fire.");
        store(*form, 3, "new");
        QTRY_COMPARE(fx->boxes.log, QStringList(reported));
        store(*form, 5, "newer");
        QTest::qWait(3 * DiaryKeeper::SaveDelayMs);
        QCOMPARE(fx->boxes.log, QStringList(reported));
        QCOMPARE(readFile("diary.dat"), garbage);

        fx->boxes.answers = {false};
        QVERIFY(!form->close());
        QCOMPARE(fx->boxes.log.last(), QStringLiteral("confirm: The diary could not be saved. Close without saving it?"));
        QCOMPARE(readFile("diary.dat"), garbage);

        writeDiary({{march(2), "old"}}); // the file repaired
        QVERIFY(form->close());
        QCOMPARE(entriesOnDisk(), (QMap<TDateTime, QString>{{march(2), "old"}, {march(3), "new"}, {march(5), "newer"}}));
    }

    // A table file of another layout is no diary: it is reported once and left alone.
    void tableOfAnotherLayoutOnDiskIsNeverSavedOver()
    {
        writeDiary({{march(2), "old"}});
        auto form = fx->start();
        {
            TVolgaTable other;
            other.setTableName("diary.dat");
            other.FieldDefs().Add("date", ftDateTime, 0, false);
            other.FieldDefs().Add("note", ftMemo, 0, false);
            other.CreateTable();
            other.Open();
            other.AppendRecord({Variant::fromDateTime(march(2)), Variant(QByteArray("a note"))});
            other.SaveToFile("diary.dat");
        }
        const QByteArray foreign = readFile("diary.dat");
        store(*form, 3, "new");
        QTRY_COMPARE(fx->boxes.log, QStringList("error: Field 'event' not found."));
        MainFormFixture::leaveAndReturn(*form);
        QCOMPARE(fx->boxes.log.size(), 1);
        QCOMPARE(readFile("diary.dat"), foreign);
    }

    void firstSaveOfADayKeepsABackupAndThirtyAreKept()
    {
        QVERIFY(QDir().mkpath("backups"));
        for (int i = 0; i < 35; ++i) {
            const DateParts d = decodeDate(encodeDate(2009, 1, 1) + i);
            writeBytes(QStringLiteral("backups/diary-2009-%1-%2.dat").arg(d.month, 2, 10, QChar('0')).arg(d.day, 2, 10, QChar('0')), "x");
        }
        writeBytes("backups/notes.txt", "mine");
        writeDiary({{march(2), "old"}});
        const QByteArray before = readFile("diary.dat");
        auto form = fx->start();
        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);

        store(*form, 3, "new");
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(readFile("backups/diary-2009-03-04.dat"), before);
        const QStringList kept = QDir("backups").entryList({"diary-*.dat"}, QDir::Files, QDir::Name);
        QCOMPARE(kept.size(), DiaryKeeper::BackupsKept);
        QCOMPARE(kept.first(), QStringLiteral("diary-2009-01-07.dat"));
        QVERIFY(QFile::exists("backups/notes.txt"));

        store(*form, 5, "same day");
        QTRY_COMPARE(saved.count(), 2);
        QCOMPARE(readFile("backups/diary-2009-03-04.dat"), before);

        const QByteArray endOfDay = readFile("diary.dat");
        fx->now += 1;
        store(*form, 6, "next day");
        QTRY_COMPARE(saved.count(), 3);
        QCOMPARE(readFile("backups/diary-2009-03-05.dat"), endOfDay);
    }

    // A backup that could not be made is made by a later save of the same day.
    void dayBackupIsMadeOnceItCan()
    {
        writeDiary({{march(2), "old"}});
        writeBytes("backups", "a file where the folder belongs");
        auto form = fx->start();
        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);
        store(*form, 3, "new");
        QTRY_COMPARE(saved.count(), 1);
        const QStringList failed{"error: Cannot create file backups/diary-2009-03-04.dat."};
        QCOMPARE(fx->boxes.log, failed);
        store(*form, 5, "still failing");
        QTRY_COMPARE(saved.count(), 2);
        QCOMPARE(fx->boxes.log, failed); // reported once a day
        QVERIFY(QFile::remove("backups"));
        const QByteArray before = readFile("diary.dat");
        store(*form, 6, "later");
        QTRY_COMPARE(saved.count(), 3);
        QCOMPARE(readFile("backups/diary-2009-03-04.dat"), before);
    }

    // With the clock put back, the backup just written is older than the others: it is kept.
    void backupWrittenAfterTheClockWentBackIsKept()
    {
        QVERIFY(QDir().mkpath("backups"));
        for (int i = 0; i < 35; ++i) {
            const DateParts d = decodeDate(encodeDate(2009, 4, 1) + i);
            writeBytes(QStringLiteral("backups/diary-2009-%1-%2.dat").arg(d.month, 2, 10, QChar('0')).arg(d.day, 2, 10, QChar('0')), "x");
        }
        writeBytes("backups/diary-2009-03-01-conflict.dat", "kept");
        auto form = fx->start();
        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);
        store(*form, 3, "new");
        QTRY_COMPARE(saved.count(), 1);
        QVERIFY(QFile::exists("backups/diary-2009-03-04.dat"));
        QVERIFY(QFile::exists("backups/diary-2009-03-01-conflict.dat"));
        const QStringList kept = QDir("backups").entryList({"diary-2009-0?-??.dat"}, QDir::Files, QDir::Name);
        QCOMPARE(kept.size(), DiaryKeeper::BackupsKept);
        QCOMPARE(kept[1], QStringLiteral("diary-2009-04-07.dat"));
    }

    void backupNameTakenByAFolderIsReportedAndTheSaveGoesOn()
    {
        QVERIFY(QDir().mkpath("backups/diary-2009-03-04.dat"));
        auto form = fx->start();
        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);
        store(*form, 3, "new");
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(fx->boxes.log, QStringList("error: Cannot create file backups/diary-2009-03-04.dat."));
        QCOMPARE(entriesOnDisk().value(march(3)), QStringLiteral("new"));
    }

    void conflictCopyIsMergedThenMovedIntoBackups_data()
    {
        QTest::addColumn<bool>("atStart");
        QTest::newRow("left before the start") << true;
        QTest::newRow("made while the window runs") << false;
    }
    void conflictCopyIsMergedThenMovedIntoBackups()
    {
        QFETCH(bool, atStart);
        writeCopy(SyncthingCopy, {{march(2), "old"}, {march(3), "from the laptop"}, {march(5), "laptop"}});
        const QByteArray copy = readFile(SyncthingCopy);
        if (!atStart) QVERIFY(QFile::rename(SyncthingCopy, "elsewhere.dat"));
        writeDiary({{march(2), "old"}, {march(5), "desktop"}});
        auto form = fx->start();
        if (!atStart) QVERIFY(QFile::rename("elsewhere.dat", SyncthingCopy));
        const QMap<TDateTime, QString> expected{
            {march(2), "old"}, {march(3), "from the laptop"}, {march(5), "desktop" + Joined + "laptop"}};
        QTRY_COMPARE(entriesOnDisk(), expected);
        QTRY_VERIFY(!QFile::exists(SyncthingCopy));
        QCOMPARE(readFile("backups/" + SyncthingCopy), copy);
        QCOMPARE(form->info(march(3)), QStringLiteral("from the laptop"));
        QCOMPARE(fx->boxes.log, QStringList());
    }

    // A run that ended in the middle of a save left its new file, or half of one, under a
    // temporary name: the whole one is merged and goes once the diary holds it.
    void filesLeftByASaveCutShortAreMergedAtStart()
    {
        writeDiary({{march(2), "old"}});
        writeCopy("diary.dat.Ab12Cd", {{march(2), "old"}, {march(3), "stored just before the crash"}});
        writeBytes("diary.dat.Zz99Yy", QByteArray::fromHex("3A000000530100"));
        auto form = fx->start();
        QTRY_COMPARE(entriesOnDisk().value(march(3)), QStringLiteral("stored just before the crash"));
        QTRY_VERIFY(!QFile::exists("diary.dat.Ab12Cd"));
        QVERIFY(!QFile::exists("diary.dat.Zz99Yy"));
        QCOMPARE(fx->boxes.log, QStringList());
    }

    void unreadableCopyIsReportedOnceAndReadAgainWhenItChanges()
    {
        writeDiary({{march(2), "old"}});
        auto form = fx->start();
        writeBytes(SyncthingCopy, QByteArray::fromHex("0500000045") + "Disk on fire");
        const QString reported = "error: Cannot merge " + SyncthingCopy + " into the diary: Error opening table: Disk on fire.";
        QTRY_COMPARE(fx->boxes.log, QStringList(reported));
        MainFormFixture::leaveAndReturn(*form);
        QTest::qWait(2500); // a look at the folder in between
        QCOMPARE(fx->boxes.log, QStringList(reported));
        QVERIFY(QFile::exists(SyncthingCopy));

        writeCopy(SyncthingCopy, {{march(6), "repaired"}});
        QTRY_COMPARE(entriesOnDisk().value(march(6)), QStringLiteral("repaired"));
        QTRY_VERIFY(QFile::exists("backups/" + SyncthingCopy));
        QCOMPARE(fx->boxes.log, QStringList(reported));
    }

    // A sync tool replaces the file by a rename while the window stays in the background.
    void fileReplacedByASyncToolIsMergedWithoutAnActivation()
    {
        writeDiary({{march(2), "old"}});
        auto form = fx->start();
        const int activations = form->activations;
        writeDiary({{march(2), "old"}, {march(6), "theirs"}});
        QTRY_COMPARE_WITH_TIMEOUT(form->info(march(6)), QStringLiteral("theirs"), 3000);
        QCOMPARE(form->activations, activations);
    }

    void greyTextIsLeftAloneByAMergeAndJoinedWhenStored()
    {
        writeDiary({{march(4), "old"}});
        auto form = fx->start();
        MainFormFixture::type(*form, " more");
        writeDiary({{march(4), "theirs"}, {march(6), "six"}});
        QTRY_COMPARE(form->info(march(6)), QStringLiteral("six"));
        QCOMPARE(form->Today->text(), QStringLiteral("old more"));
        QVERIFY(form->Today->isGrey());
        MainFormFixture::clickDay(*form, 20);
        QTRY_COMPARE(entriesOnDisk().value(march(4)), "old more" + Joined + "theirs");
    }

    void closeOrActivationThatChangesNothingWritesNothing()
    {
        writeDiary({{march(2), "old"}});
        QVERIFY(fx->start()->close());
        const FileStamp stamp = FileStamp::of("diary.dat");
        const QStringList backups = QDir("backups").entryList(QDir::Files);
        auto form = fx->start();
        MainFormFixture::leaveAndReturn(*form);
        MainFormFixture::clickDay(*form, 2);
        MainFormFixture::clickDay(*form, 20);
        QVERIFY(form->close());
        QCOMPARE(FileStamp::of("diary.dat"), stamp);
        QCOMPARE(QDir("backups").entryList(QDir::Files), backups);
    }

    // In a shared folder an entry stored here comes back when a sync tool overwrites the
    // file without it, in this run or a later one, until a file written elsewhere holds it.
    void entryStoredHereComesBackUntilSeenElsewhere()
    {
        QVERIFY(QDir().mkdir(".stfolder"));
        writeDiary({{march(2), "old"}});
        auto form = fx->start();
        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);
        store(*form, 3, "mine");
        QTRY_COMPARE(saved.count(), 1);
        writeDiary({{march(2), "old"}, {march(5), "theirs"}});
        MainFormFixture::leaveAndReturn(*form);
        const QMap<TDateTime, QString> all{{march(2), "old"}, {march(3), "mine"}, {march(5), "theirs"}};
        QTRY_COMPARE(entriesOnDisk(), all);
        QVERIFY(form->close());

        writeDiary({{march(2), "old"}}); // a backup copied over the diary
        form = fx->start();
        QTRY_COMPARE(entriesOnDisk(), (QMap<TDateTime, QString>{{march(2), "old"}, {march(3), "mine"}}));

        writeDiary({{march(2), "old"}, {march(3), "mine"}, {march(7), "seven"}}); // the other computer has it
        MainFormFixture::leaveAndReturn(*form);
        writeDiary({{march(2), "old"}, {march(7), "seven"}}); // and deletes it there
        MainFormFixture::leaveAndReturn(*form);
        QVERIFY(form->close());
        QCOMPARE(entriesOnDisk(), (QMap<TDateTime, QString>{{march(2), "old"}, {march(7), "seven"}}));
    }

    void dateDeletedHereIsNotBroughtBackByACopy()
    {
        writeDiary({{march(2), "old"}, {march(5), "five"}});
        auto form = fx->start();
        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);
        store(*form, 2, QString());
        QTRY_COMPARE(saved.count(), 1);
        writeCopy(SyncthingCopy, {{march(2), "old"}, {march(5), "five"}});
        QTRY_VERIFY(QFile::exists("backups/" + SyncthingCopy));
        QCOMPARE(entriesOnDisk(), (QMap<TDateTime, QString>{{march(5), "five"}}));
        QCOMPARE(form->info(march(2)), QString());
    }

    void sessionEndStoresTheTextAndAsksNothing()
    {
        fx->start()->close();
        auto form = fx->start();
        form->setChanged[2] = true;
        const QByteArray set2 = readFile("graphics2.dat");
        MainFormFixture::type(*form, "at logout");
        form->endSession();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->endStatus(), 0);
        QCOMPARE(fx->boxes.log, QStringList());
        QCOMPARE(entriesOnDisk().value(march(4)), QStringLiteral("at logout"));
        QCOMPARE(rowsOf().last().date, settingsDateValue());
        QCOMPARE(readFile("graphics2.dat"), set2);
    }

    void sessionEndDuringASearchPromptSavesTheDiary()
    {
        auto form = fx->start();
        MainFormFixture::type(*form, "dentist at ten");
        form->searchBox->setText("dentist");
        fx->boxes.onBox = [&](const QString&) { form->endSession(); };
        form->btnSearchClick();
        QCOMPARE(form->endStatus(), 0);
        QCOMPARE(entriesOnDisk().value(march(4)), QStringLiteral("dentist at ten"));
        QCOMPARE(rowsOf().last().date, settingsDateValue());
    }

    void sessionEndWithAFailingSaveKeepsTheEntriesBesideIt()
    {
        auto form = fx->start();
        QFile::remove("diary.dat");
        QVERIFY(QDir().mkdir("diary.dat"));
        MainFormFixture::type(*form, "not to be lost");
        form->endSession();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->endStatus(), 1);
        QCOMPARE(fx->boxes.log, QStringList());
        const QStringList rescued = QDir().entryList({"diary-unsaved-*.dat"}, QDir::Files);
        QCOMPARE(rescued.size(), 1);
        QCOMPARE(rowsOf(rescued[0]).first(), (Row{march(4), "not to be lost"}));
    }

    // The session ends while the close's error box or its question waits for an answer:
    // the entries are rescued as at any end whose save fails.
    void sessionEndDuringACloseBoxRescuesTheEntries_data()
    {
        QTest::addColumn<QString>("box");
        QTest::newRow("error box") << "error: Cannot create file diary.dat.";
        QTest::newRow("question") << "confirm: The diary could not be saved. Close without saving it?";
    }

    void sessionEndDuringACloseBoxRescuesTheEntries()
    {
        QFETCH(QString, box);
        auto form = fx->start();
        QFile::remove("diary.dat");
        QVERIFY(QDir().mkdir("diary.dat"));
        MainFormFixture::type(*form, "typed before the logout");
        fx->boxes.onBox = [&](const QString& entry) {
            if (entry == box) form->endSession();
        };
        QVERIFY(!form->close());
        QCOMPARE(form->endStatus(), 1);
        QVERIFY(!form->isVisible());
        const QStringList rescued = QDir().entryList({"diary-unsaved-*.dat"}, QDir::Files);
        QCOMPARE(rescued.size(), 1);
        QCOMPARE(rowsOf(rescued[0]).first(), (Row{march(4), "typed before the logout"}));
    }

    // The rescue tries its places in turn, and with none left writes the entries to the
    // report (standard error) as the Markdown export does, or protected, never as text.
    void rescueGoesToTheFirstPlaceThatTakesIt_data()
    {
        QTest::addColumn<bool>("placeLeft");
        QTest::addColumn<bool>("protectedDiary");
        QTest::newRow("second place") << true << false;
        QTest::newRow("no place") << false << false;
        QTest::newRow("no place, protected diary") << false << true;
    }

    void rescueGoesToTheFirstPlaceThatTakesIt()
    {
        QFETCH(bool, placeLeft);
        QFETCH(bool, protectedDiary);
        QCOMPARE(rescueFolders(), (QStringList{QDir::currentPath(), QDir::homePath(), "/var/tmp", "/tmp"}));
        writeDiary({{march(2), "two"}, {march(3), "three"}});
        TVolgaTable table;
        table.setTableName("diary.dat");
        table.Open();
        QVERIFY(QDir().mkdir("place"));
        DiaryRescue rescue;
        rescue.folders = {QDir::currentPath() + "/missing"};
        if (placeLeft) rescue.folders << QDir::currentPath() + "/place";
        if (protectedDiary) rescue.protect = [](const QByteArray& image) { return "sealed:" + image.left(8); };
        FILE* report = std::tmpfile();
        rescue.report = report;
        const QString written = rescue.run(table, settingsDateValue());
        std::rewind(report);
        QByteArray said(1 << 16, '\0');
        said.truncate(qsizetype(std::fread(said.data(), 1, size_t(said.size()), report)));
        std::fclose(report);
        if (placeLeft) {
            QVERIFY(written.startsWith(QDir::currentPath() + "/place/diary-unsaved-"));
            QCOMPARE(rowsOf(written).size(), 2);
            QCOMPARE(said, "The diary's entries were written to " + written.toUtf8() + "\n");
        } else if (protectedDiary) {
            QVERIFY(written.isEmpty());
            QCOMPARE(said, "The diary's entries could not be written to any file; here they are, protected (base64):\n"
                               + ("sealed:" + table.saveImage().left(8)).toBase64() + "\n");
        } else {
            QCOMPARE(said, "The diary's entries could not be written to any file; here they are:\n"
                               + exportEntries(entriesInDateOrder(table, settingsDateValue()), ExportFormat::Markdown));
            QVERIFY(said.contains("three"));
        }
    }

    void signalsBecomeOneEvent_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("logout") << SIGTERM << "SIGTERM";
        QTest::newRow("terminal closed") << SIGHUP << "SIGHUP";
        QTest::newRow("Ctrl+C") << SIGINT << "SIGINT";
    }

    void signalsBecomeOneEvent()
    {
        QFETCH(int, number);
        QFETCH(QString, name);
        SessionEnd end;
        QSignalSpy requested(&end, &SessionEnd::endRequested);
        ::raise(number);
        QTRY_COMPARE(requested.count(), 1);
        QCOMPARE(requested[0][0].toString(), name);
    }
};

QTEST_MAIN(TestKeeping)
#include "tst_keeping.moc"
