// vistelle-diary password and the commands that read a protected diary: a whole
// set / change / remove flow on real files, with the backups, and every refusal.

#include "cli/cli.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/diarylayout.h"
#include "platform/instance/instancelock.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace vistelle;

namespace {

struct Run {
    int status;
    QByteArray out, err;
};

Run diaryCommand(const QStringList& args)
{
    cli::Streams io;
    const int status = cli::run(args, io);
    return {status, io.out, io.err};
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Whether any file under folder holds text.
bool anyFileHolds(const QString& folder, const QByteArray& text)
{
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(text)) return true;
    }
    return false;
}

} // namespace

class TestPasswordCommand : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(path("backups"));
        TVolgaTable t;
        createDiary(t, path("diary.dat"));
        t.AppendRecord({Variant::fromDateTime(encodeDate(2009, 1, 1)), Variant(QByteArray("a private thought"))});
        t.SaveToFile(path("diary.dat"));
        QFile::copy(path("diary.dat"), path("backups/diary-2026-12-09.dat"));
        writeFile(path("one"), "first secret\n");
        writeFile(path("two"), "second secret\r\n");
    }

    void setChangeRemoveKeepTheDiaryAndItsBackupsInStep()
    {
        Run r = diaryCommand({"password", "set", "--password-file", path("one"), path("diary.dat")});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.endsWith("protected with a password; 1 backup(s) along with it\n"));
        QVERIFY(!anyFileHolds(m_dir.path(), "private thought"));

        r = diaryCommand({"export", "--password-file", path("one"), path("diary.dat")});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("a private thought"));
        QCOMPARE(diaryCommand({"check", "--password-file", path("one"), path("diary.dat")}).out,
                 path("diary.dat").toUtf8() + ": ok, 1 entry\n");

        // Import and merge read it with the password and write it back protected.
        writeFile(path("more.md"), "# Vistelle diary\r\n\r\n## 2009-01-02\r\n\r\nanother private thought\r\n");
        QCOMPARE(diaryCommand({"import", "--password-file", path("one"), path("more.md"), "--into", path("diary.dat")}).status, 0);
        QFile::copy(path("diary.dat"), path("copy.dat"));
        QCOMPARE(diaryCommand({"merge", "--password-file", path("one"), path("copy.dat"), "--into", path("diary.dat")}).status, 0);
        QFile::remove(path("more.md"));
        QVERIFY(!anyFileHolds(m_dir.path(), "private thought"));
        QVERIFY(diaryCommand({"export", "--password-file", path("one"), path("diary.dat")}).out.contains("another private thought"));

        r = diaryCommand({"password", "change", "--password-file", path("one"), "--new-password-file", path("two"),
                          path("diary.dat")});
        QCOMPARE(r.status, 0);
        QVERIFY(!anyFileHolds(m_dir.path(), "private thought"));
        QCOMPARE(diaryCommand({"export", "--password-file", path("two"), path("backups/diary-2026-12-09.dat")}).status, 0);

        r = diaryCommand({"password", "remove", "--password-file", path("two"), path("diary.dat")});
        QCOMPARE(r.status, 0);
        QCOMPARE(diaryCommand({"export", path("backups/diary-2026-12-09.dat")}).status, 0);
        QVERIFY(diaryCommand({"export", path("diary.dat")}).out.contains("a private thought"));
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("protectFirst");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("wrong password") << true << QStringList{"export", "--password-file", "two", "diary.dat"}
                                        << QByteArray("diary.dat: Wrong password.\n");
        QTest::newRow("protected twice") << true << QStringList{"password", "set", "--password-file", "one", "diary.dat"}
                                         << QByteArray("is protected already: use 'password change'\n");
        QTest::newRow("nothing to change") << false << QStringList{"password", "change", "diary.dat"}
                                           << QByteArray("is not protected by a password\n");
        QTest::newRow("damage is not sealed") << false << QStringList{"password", "set", "--password-file", "one", "cut.dat"}
                                              << QByteArray("Error opening table: Buffer structure corruption!\n");
    }
    void refusals()
    {
        QFETCH(bool, protectFirst);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, message);
        writeFile(path("cut.dat"), QByteArray("\x3A\x00\x00", 3));
        if (protectFirst) QCOMPARE(diaryCommand({"password", "set", "--password-file", path("one"), path("diary.dat")}).status, 0);
        for (QString& a : args) {
            if (QFile::exists(path(a))) a = path(a);
        }
        QFile diary(path("diary.dat"));
        QVERIFY(diary.open(QIODevice::ReadOnly));
        const QByteArray bytes = diary.readAll();
        const Run r = diaryCommand(args);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.endsWith(message), r.err.constData());
        QVERIFY(diary.seek(0));
        QCOMPARE(diary.readAll(), bytes);
    }

    void refusedWhileTheWindowRuns()
    {
        InstanceLock window(m_dir.path());
        QVERIFY(window.tryLock());
        const Run r = diaryCommand({"password", "set", "--password-file", path("one"), path("diary.dat")});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains("Vistelle is running in"));
    }

    // Without a password file and without a terminal (a new session has none).
    void withoutTerminalTheCommandSaysWhatToDo()
    {
        QCOMPARE(diaryCommand({"password", "set", "--password-file", path("one"), path("diary.dat")}).status, 0);
        QProcess program;
        program.setWorkingDirectory(m_dir.path());
        program.start("setsid", {"-w", VISTELLE_DIARY_PROGRAM, "export", "diary.dat"});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(program.readAllStandardError(),
                 "vistelle-diary export: diary.dat: diary.dat is protected by a password: give --password-file or "
                 "run in a terminal\n");
        QVERIFY(program.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPasswordCommand)
#include "tst_passwordcommand.moc"
