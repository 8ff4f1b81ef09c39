// A password-protected diary on the real window: the password asked at start, saves and
// merges in the protected form, and protecting, changing and removing the password from
// the day editor's menu, with no entry's text left readable in any file.

#include "app/mainform.h"
#include "app/startreading.h"
#include "diary/diarykeeper.h"
#include "diary/protect/protectedfile.h"
#include "mainformfixture.h"

#include <QAction>
#include <QDirIterator>
#include <QMenu>
#include <QSignalSpy>

using namespace vistelle;
using namespace vistelle::testing;
using namespace vistelle::protect;

namespace {

TDateTime march(int day) { return encodeDate(2009, 3, day); }

// Small limits: the window derives keys from a file's own limits, so tests stay quick.
DiaryKey quickKey(const QByteArray& password) { return DiaryKey::derive(password, {1, 8, QByteArray(16, 's')}); }

void writeBytes(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void writeProtectedDiary(const QList<Row>& rows, const DiaryKey& key)
{
    writeDiary(rows);
    writeBytes("diary.dat", sealImage(readFile("diary.dat"), key));
}

// The rows of a protected diary.dat, unsealed with the key of password.
QList<Row> rowsOfProtected(const QByteArray& password)
{
    const QByteArray bytes = readFile("diary.dat");
    const DiaryKey key = DiaryKey::derive(password, readParams(bytes, "diary.dat"));
    writeBytes("unsealed.tmp", unsealImage(bytes, key, "diary.dat"));
    QList<Row> rows = rowsOf("unsealed.tmp");
    QFile::remove("unsealed.tmp");
    return rows;
}

// Files under the folder that hold text readably.
QStringList filesHolding(const QString& folder, const QByteArray& text)
{
    QStringList found;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString name = it.next();
        if (readFile(name).contains(text)) found << name;
    }
    return found;
}

void store(TMainForm& form, int day, const QString& text)
{
    MainFormFixture::clickDay(form, day);
    MainFormFixture::type(form, text);
    MainFormFixture::clickDay(form, 20);
}

void chooseFromEditorMenu(TMainForm& form, const QString& name)
{
    std::unique_ptr<QMenu> menu(form.Today->createContextMenu({5, 5}));
    QAction* action = menu->findChild<QAction*>(name);
    QVERIFY2(action, qPrintable(name));
    action->trigger();
}

} // namespace

class TestProtectedDiary : public QObject {
    Q_OBJECT

    std::unique_ptr<MainFormFixture> fx;

private slots:
    void init() { fx = std::make_unique<MainFormFixture>(); }
    void cleanup() { fx.reset(); }

    void startAsksUntilThePasswordIsRightAndSavesStayProtected()
    {
        writeProtectedDiary({{march(2), "a secret"}}, quickKey("right"));
        QDir().mkpath(".stfolder"); // a shared folder: its journal is kept too
        fx->boxes.passwords = {QByteArray("wrong"), QByteArray("right")};
        auto form = fx->start();
        QCOMPARE(fx->boxes.log, QStringList({"password: Password for diary.dat:", "error: Wrong password.",
                                             "password: Password for diary.dat:"}));
        QCOMPARE(form->info(march(2)), QStringLiteral("a secret"));

        QSignalSpy saved(form->keeper(), &DiaryKeeper::saved);
        store(*form, 3, "new words");
        QTRY_VERIFY(saved.count() > 0);
        QVERIFY(isProtected(readFile("diary.dat")));
        QVERIFY(rowsOfProtected("right").contains(Row{march(3), "new words"}));
        QCOMPARE(filesHolding(fx->dir.path(), "new words"), QStringList());
        QTRY_VERIFY(!QDir(fx->journals.path()).isEmpty(QDir::Files));
        for (const QFileInfo& journal : QDir(fx->journals.path()).entryInfoList(QDir::Files))
            QVERIFY(isProtected(readFile(journal.filePath()))); // its texts are sealed too
    }

    void cancelRunsWithoutTheDiaryAndNeverWritesIt()
    {
        writeProtectedDiary({{march(2), "a secret"}}, quickKey("right"));
        const QByteArray before = readFile("diary.dat");
        fx->boxes.passwords = {std::nullopt};
        auto form = fx->start();
        QCOMPARE(fx->boxes.log, QStringList("password: Password for diary.dat:"));
        QVERIFY(form->Today->isReadOnly());
        form->close();
        QCOMPARE(readFile("diary.dat"), before);
    }

    // As the program starts: the password asked before the window, the diary opened with its
    // key while the window is built, and never asked again by the window.
    void passwordAskedBeforeTheWindowIsTheWindowsAnswer_data()
    {
        QTest::addColumn<bool>("right");
        QTest::newRow("right password") << true;
        QTest::newRow("cancelled") << false;
    }
    void passwordAskedBeforeTheWindowIsTheWindowsAnswer()
    {
        QFETCH(bool, right);
        writeProtectedDiary({{march(2), "a secret"}}, quickKey("right"));
        const QByteArray before = readFile("diary.dat");
        fx->boxes.passwords = {right ? std::optional<QByteArray>("right") : std::nullopt};
        StartReading reading; // the diary is read while the box is up
        reading.askPassword();
        auto form = fx->start();
        QCOMPARE(fx->boxes.log, QStringList("password: Password for diary.dat:"));
        QCOMPARE(form->Today->isReadOnly(), !right);
        if (right) QCOMPARE(form->info(march(2)), QStringLiteral("a secret"));
        form->close();
        if (!right) QCOMPARE(readFile("diary.dat"), before);
        else QVERIFY(isProtected(readFile("diary.dat")));
    }

    void fileProtectedWithAnotherPasswordIsToldOnceAndNeverSavedOver()
    {
        writeProtectedDiary({{march(2), "a secret"}}, quickKey("right"));
        fx->boxes.passwords = {QByteArray("right")};
        auto form = fx->start();
        writeProtectedDiary({{march(2), "theirs"}}, quickKey("other"));
        const QByteArray theirs = readFile("diary.dat");
        store(*form, 3, "mine");
        const QString told = "error: diary.dat was protected with another password meanwhile. Restart Vistelle to open it.";
        QTRY_VERIFY(fx->boxes.log.contains(told));
        MainFormFixture::leaveAndReturn(*form);
        QTest::qWait(600);
        QCOMPARE(fx->boxes.log.count(told), 1);
        QCOMPARE(readFile("diary.dat"), theirs);
    }

    // The session ends and diary.dat cannot take the diary: the entries are rescued sealed.
    void entriesRescuedAtTheSessionEndStayProtected()
    {
        writeProtectedDiary({{march(2), "a secret"}}, quickKey("right"));
        fx->boxes.passwords = {QByteArray("right")};
        auto form = fx->start();
        QFile::remove("diary.dat");
        QVERIFY(QDir().mkdir("diary.dat"));
        MainFormFixture::type(*form, "not to be lost");
        form->endSession();
        QCOMPARE(form->endStatus(), 1);
        const QStringList rescued = QDir().entryList({"diary-unsaved-*.dat"}, QDir::Files);
        QCOMPARE(rescued.size(), 1);
        const QByteArray bytes = readFile(rescued[0]);
        QVERIFY(isProtected(bytes));
        QVERIFY(unsealImage(bytes, quickKey("right"), rescued[0]).contains("not to be lost"));
    }

    void protectChangeAndRemoveFromTheEditorsMenu()
    {
        writeDiary({{march(2), "a secret"}});
        QDir().mkpath("backups");
        QFile::copy("diary.dat", "backups/diary-2009-03-01.dat");
        auto form = fx->start();

        fx->boxes.newPasswords = {Dialogs::NewPassword{{}, "one"}};
        chooseFromEditorMenu(*form, "protectDiary");
        QVERIFY(isProtected(readFile("diary.dat")));
        QCOMPARE(filesHolding(fx->dir.path(), "a secret"), QStringList());
        QCOMPARE(rowsOfProtected("one").first(), (Row{march(2), "a secret"}));

        fx->boxes.newPasswords = {Dialogs::NewPassword{"wrong", "two"}, Dialogs::NewPassword{"one", "two"}};
        chooseFromEditorMenu(*form, "changeDiaryPassword");
        QCOMPARE(fx->boxes.log.last(), QStringLiteral("error: Wrong password."));
        chooseFromEditorMenu(*form, "changeDiaryPassword");
        QCOMPARE(rowsOfProtected("two").first(), (Row{march(2), "a secret"}));
        QCOMPARE(filesHolding(fx->dir.path(), "a secret"), QStringList());

        fx->boxes.passwords = {QByteArray("two")};
        chooseFromEditorMenu(*form, "removeDiaryPassword");
        QVERIFY(!isProtected(readFile("diary.dat")));
        QVERIFY(!isProtected(readFile("backups/diary-2009-03-01.dat")));
        QCOMPARE(rowsOf("diary.dat").first(), (Row{march(2), "a secret"}));
        std::unique_ptr<QMenu> menu(form->Today->createContextMenu({5, 5}));
        QVERIFY(menu->findChild<QAction*>("protectDiary"));
    }
};

QTEST_MAIN(TestProtectedDiary)
#include "tst_protecteddiary.moc"
