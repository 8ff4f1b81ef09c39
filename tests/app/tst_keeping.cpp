// Nothing stored is lost: stores reach diary.dat soon after they are made, changes another
// program made to the file are merged in by date, the first save of a day keeps a backup,
// and the end of the session closes the window without questions.

#include "app/mainform.h"
#include "core/savefile.h"
#include "diary/diarykeeper.h"
#include "mainformfixture.h"
#include "platform/sessionend.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <csignal>

using namespace vistelle;
using namespace vistelle::testing;

Q_DECLARE_METATYPE(vistelle::testing::Row)

namespace {

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
    void fileReplacedDuringASaveIsMergedNotOverwritten()
    {
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
