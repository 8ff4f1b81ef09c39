// Saves killed with SIGKILL at random moments leave a whole file: the diary (saved directly,
// and saved as the window saves as you go, on a writer thread) and a picture set are saved
// over and over by a child process (this same program started with a child switch), which
// is killed at a random moment; after each kill the file must open and
// hold either the version last reported as saved or the one after it, never less. And
// another program writing diary.dat every few milliseconds while the keeper saves loses
// none of its entries.

#include "diaryfile.h"
#include "xsession.h"

#include "core/error.h"
#include "diary/diarykeeper.h"
#include "diary/engine/volgatable.h"
#include "pictures/builtinpictures.h"
#include "pictures/setfilereader.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>

using namespace vistelle;
using namespace vistelle::e2e;

namespace {

constexpr int DiaryEntries = 36500;
constexpr int DiaryKills = 200;
constexpr int KeeperKills = 100;
constexpr int SetKills = 100;
const QString DiaryChild = QStringLiteral("--save-diary-loop");
const QString SetChild = QStringLiteral("--save-set-loop");
const QString KeeperChild = QStringLiteral("--keep-diary-loop");
const QString WriterChild = QStringLiteral("--write-beside-loop");
constexpr int WriterIntervalMs = 3;
constexpr int RaceMs = 5000;

// --- the versions both sides agree on ---

int changedRow(int version) { return int((qint64(version) * 7919) % DiaryEntries); }

QByteArray changedText(int row, int version)
{
    // Lengths vary from version to version, so a cut or mixed file cannot pass for a whole one.
    return QByteArray("Row ") + QByteArray::number(row) + " rewritten in version " + QByteArray::number(version) + ' ' +
           QByteArray(version % 7 * 40, char('a' + version % 26));
}

QByteArray versionText(int version) { return QByteArray("version ") + QByteArray::number(version); }

QList<DiaryRow> expectedDiary(const QList<DiaryRow>& base, int version)
{
    QList<DiaryRow> rows = base;
    for (int v = 1; v <= version; ++v) rows[changedRow(v)].text = changedText(changedRow(v), v);
    rows.last().text = versionText(version);
    return rows;
}

void applySetVersion(TLMDGraphicList& list, const TLMDGraphicList& builtin, int version)
{
    list.Graphics().at(version % 12).setPicture(builtin.Graphics().at(version * 5 % 12).Picture());
    list.Graphics().at(0).setName(QStringLiteral("v%1").arg(version));
}

QByteArray expectedSet(const TLMDGraphicList& builtin, int version)
{
    TLMDGraphicList list;
    list.setObjectName(builtin.objectName());
    fillBuiltinList(list, 1);
    for (int v = 1; v <= version; ++v) applySetVersion(list, builtin, v);
    if (version == 0) list.Graphics().at(0).setName(QStringLiteral("v0"));
    return setFileBytes(list);
}

// A kill between the atomic save's link of its finished temporary file and the rename
// leaves that complete copy beside the file, named <file>.XXXXXX; nothing else may be left.
bool onlyTheFileAndCompleteTemporaries(const QStringList& files, const QString& name)
{
    const QRegularExpression temporary(QLatin1Char('^') + QRegularExpression::escape(name) + QStringLiteral("\\.\\w{6}$"));
    if (!files.contains(name)) return false;
    for (const QString& f : files) {
        if (f != name && !temporary.match(f).hasMatch()) return false;
    }
    return true;
}

void report(int version)
{
    std::printf("%d\n", version);
    std::fflush(stdout);
}

// --- the children: save until killed ---

int versionOnFile(TVolgaTable& table)
{
    table.Locate(QStringLiteral("date"), Variant::fromDateTime(settingsDate()));
    return table.GetFieldValue(QStringLiteral("event")).toBytes().mid(8).toInt();
}

// Makes the changes of the version; returns the date of the entry changed.
TDateTime applyVersion(TVolgaTable& table, int version)
{
    const int row = changedRow(version);
    const TDateTime date = encodeDate(2000, 1, 1) + row;
    table.Locate(QStringLiteral("date"), Variant::fromDateTime(date));
    table.Edit();
    table.SetFieldValue(QStringLiteral("event"), Variant(changedText(row, version)));
    table.Post();
    table.Locate(QStringLiteral("date"), Variant::fromDateTime(settingsDate()));
    table.Edit();
    table.SetFieldValue(QStringLiteral("event"), Variant(versionText(version)));
    table.Post();
    return date;
}

int diaryChild(const QString& dir)
{
    QDir::setCurrent(dir);
    TVolgaTable table;
    table.setTableName(QStringLiteral("diary.dat"));
    table.Open();
    for (int version = versionOnFile(table) + 1;; ++version) {
        applyVersion(table, version);
        table.SaveToFile(QStringLiteral("diary.dat"));
        report(version);
    }
}

// Saves as the window does: each change handed to the keeper, which writes it on its
// writer thread; the next change follows the report of the save.
int keeperChild(const QString& dir)
{
    QDir::setCurrent(dir);
    TVolgaTable table;
    table.setTableName(QStringLiteral("diary.dat"));
    table.Open();
    DiaryKeeper keeper(table, QStringLiteral("diary.dat"), settingsDate());
    keeper.adopt();
    keeper.setSaveDelay(0);
    int version = versionOnFile(table);
    auto next = [&] {
        ++version;
        keeper.tableChanged(applyVersion(table, version));
    };
    QObject::connect(&keeper, &DiaryKeeper::saved, [&] {
        report(version);
        next();
    });
    next();
    return QCoreApplication::exec();
}

int setChild(const QString& dir)
{
    QDir::setCurrent(dir);
    initBuiltinPictures();
    TLMDGraphicList builtin, list;
    builtin.setObjectName(QStringLiteral("piclist1"));
    fillBuiltinList(builtin, 1);
    list.setObjectName(QStringLiteral("piclist1"));
    fillBuiltinList(list, 1);
    readSetFile(QStringLiteral("graphics1.dat"), list);
    int version = list.Graphics().at(0).Name().mid(1).toInt();
    for (;;) {
        ++version;
        applySetVersion(list, builtin, version);
        writeSetFile(list, QStringLiteral("graphics1.dat"));
        report(version);
    }
}

// Another program writing the diary the usual way: it reads diary.dat, adds one entry,
// writes the result to a file of its own and renames that over diary.dat; every few
// milliseconds, until killed.
TDateTime theirDate(int n) { return encodeDate(1990, 1, 1) + n; }
TDateTime ourDate(int n) { return encodeDate(1960, 1, 1) + n; }

int writerChild(const QString& dir)
{
    QDir::setCurrent(dir);
    for (int n = 1;; ++n) {
        TVolgaTable table;
        table.setLoadMode(lmStream);
        table.setLoadStream(fileBytes(QStringLiteral("diary.dat")));
        table.Open();
        table.AppendRecord({Variant::fromDateTime(theirDate(n)), Variant(QByteArray("theirs ") + QByteArray::number(n))});
        if (!writeFileBytes(QStringLiteral("other-program.tmp"), table.saveImage())
            || std::rename("other-program.tmp", "diary.dat") != 0)
            return 2;
        report(n);
        QThread::msleep(WriterIntervalMs);
    }
}

// --- the parent ---

class Killer {
public:
    Killer(QString mode, QString dir) : m_mode(std::move(mode)), m_dir(std::move(dir)) {}

    // Starts a child, lets it run for delayMs, kills it; the last version it reported.
    int runAndKill(int delayMs)
    {
        QProcess child;
        child.setStandardErrorFile(QProcess::nullDevice());
        endWithParent(child);
        child.start(QCoreApplication::applicationFilePath(), {m_mode, m_dir});
        if (!child.waitForStarted(30000)) return -2;
        QThread::msleep(delayMs);
        child.kill();
        child.waitForFinished(30000);
        int last = -1;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty()) last = line.toInt();
        }
        return last;
    }

    // Runs a child until it has reported `count` saves; the time of the start (open or
    // read) and of one save, in milliseconds.
    QPair<qint64, qint64> measure(int count)
    {
        QProcess child;
        child.setStandardErrorFile(QProcess::nullDevice());
        endWithParent(child);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), {m_mode, m_dir});
        qint64 first = -1;
        int seen = 0;
        while (seen < count && child.waitForReadyRead(60000)) {
            while (child.canReadLine()) {
                child.readLine();
                if (++seen == 1) first = clock.elapsed();
            }
        }
        const qint64 total = clock.elapsed();
        child.kill();
        child.waitForFinished(30000);
        const qint64 save = seen > 1 ? (total - first) / (seen - 1) : total;
        return {qMax<qint64>(first - save, 1), qMax<qint64>(save, 1)};
    }

private:
    QString m_mode;
    QString m_dir;
};

} // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT

private slots:
    void killedDiarySavesLeaveTheOldOrTheNewTable_data();
    void killedDiarySavesLeaveTheOldOrTheNewTable();
    void killedSetSavesLeaveTheOldOrTheNewSet();
    void writesOfAnotherProgramDuringSavesAreNeverLost();
};

void TestCrashSafety::writesOfAnotherProgramDuringSavesAreNeverLost()
{
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const auto back = qScopeGuard([&] { QDir::setCurrent(before); });
    writeDiary(QStringLiteral("diary.dat"), largeDiary(300) << DiaryRow{settingsDate(), versionText(0)});
    TVolgaTable table;
    table.setTableName(QStringLiteral("diary.dat"));
    table.Open();
    DiaryKeeper keeper(table, QStringLiteral("diary.dat"), settingsDate());
    keeper.adopt();

    QProcess writer;
    writer.setStandardErrorFile(QProcess::nullDevice());
    endWithParent(writer);
    writer.start(QCoreApplication::applicationFilePath(), {WriterChild, dir.path()});
    QVERIFY(writer.waitForReadyRead(30000));
    QElapsedTimer clock;
    clock.start();
    int ours = 0, gaveWay = 0;
    while (clock.elapsed() < RaceMs) {
        ++ours;
        table.AppendRecord({Variant::fromDateTime(ourDate(ours)), Variant(QByteArray("ours ") + QByteArray::number(ours))});
        keeper.tableChanged(ourDate(ours));
        try {
            keeper.saveNow();
        } catch (const Error&) {
            ++gaveWay; // three writes in a row at the last instant: the next save tries again
        }
    }
    writer.kill();
    writer.waitForFinished(30000);
    int theirs = 0;
    for (const QByteArray& line : writer.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty()) theirs = line.toInt();
    }
    keeper.saveNow();

    QSet<TDateTime> onDisk;
    for (const DiaryRow& row : readDiary(QStringLiteral("diary.dat"))) onDisk.insert(row.date);
    int lostTheirs = 0, lostOurs = 0;
    QStringList lost;
    for (int n = 1; n <= theirs; ++n) {
        if (onDisk.contains(theirDate(n))) continue;
        ++lostTheirs;
        lost << QString::number(n);
    }
    if (!lost.isEmpty()) qWarning("lost writes of the other program: %s", qPrintable(lost.join(u' ')));
    for (int n = 1; n <= ours; ++n) lostOurs += !onDisk.contains(ourDate(n));
    qInfo("%d saves of the keeper (%d gave way three times), %d writes of another program every %d ms: %d and %d lost",
          ours, gaveWay, theirs, WriterIntervalMs, lostOurs, lostTheirs);
    QVERIFY(theirs > 100);
    QCOMPARE(lostTheirs, 0);
    QCOMPARE(lostOurs, 0);
    QCOMPARE(leftoverSaves(QStringLiteral("diary.dat")), QStringList());
}

void TestCrashSafety::killedDiarySavesLeaveTheOldOrTheNewTable_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("kills");
    QTest::newRow("saved directly") << DiaryChild << DiaryKills;
    QTest::newRow("saved as you go") << KeeperChild << KeeperKills;
}

void TestCrashSafety::killedDiarySavesLeaveTheOldOrTheNewTable()
{
    QFETCH(QString, mode);
    QFETCH(int, kills);
    QTemporaryDir dir;
    QList<DiaryRow> base = largeDiary(DiaryEntries);
    base << DiaryRow{settingsDate(), versionText(0)};
    writeDiary(dir.filePath(QStringLiteral("diary.dat")), base);
    const qint64 size = QFileInfo(dir.filePath(QStringLiteral("diary.dat"))).size();
    QVERIFY(size > 5'000'000);

    Killer killer(mode, dir.path());
    const auto [startMs, saveMs] = killer.measure(4);
    int onDisk = 4;
    QCOMPARE(readDiary(dir.filePath(QStringLiteral("diary.dat"))), expectedDiary(base, onDisk));

    int sameAsReported = 0, oneAhead = 0;
    for (int i = 0; i < kills; ++i) {
        // Anywhere from before the file is read to the middle of the third save.
        const int delay = int(QRandomGenerator::global()->bounded(startMs + saveMs * 5 / 2 + 1));
        const int reported = killer.runAndKill(delay);
        QVERIFY2(reported != -2, "the child did not start");
        const int before = reported >= 0 ? reported : onDisk;
        QList<DiaryRow> rows;
        try {
            rows = readDiary(dir.filePath(QStringLiteral("diary.dat")));
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QStringLiteral("kill %1 after %2 ms: diary.dat does not open: %3").arg(i).arg(delay).arg(e.what())));
        }
        QVERIFY2(rows.size() == base.size(), qPrintable(QStringLiteral("kill %1: %2 rows").arg(i).arg(rows.size())));
        onDisk = rows.last().text.mid(8).toInt();
        QVERIFY2(onDisk == before || onDisk == before + 1,
                 qPrintable(QStringLiteral("kill %1: version %2 on disk, %3 reported").arg(i).arg(onDisk).arg(before)));
        QVERIFY2(rows == expectedDiary(base, onDisk), qPrintable(QStringLiteral("kill %1: rows differ").arg(i)));
        (onDisk == before ? sameAsReported : oneAhead)++;
    }
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    qInfo("%lld-byte diary, open %lld ms, save %lld ms; %d kills: %d found the reported version, %d the one being saved; files left: %s",
          size, startMs, saveMs, kills, sameAsReported, oneAhead, qPrintable(left.join(u' ')));
    QVERIFY2(onlyTheFileAndCompleteTemporaries(left, QStringLiteral("diary.dat")), qPrintable(left.join(u' ')));
}

void TestCrashSafety::killedSetSavesLeaveTheOldOrTheNewSet()
{
    QTemporaryDir dir;
    initBuiltinPictures();
    TLMDGraphicList builtin;
    builtin.setObjectName(QStringLiteral("piclist1"));
    fillBuiltinList(builtin, 1);
    const QString file = dir.filePath(QStringLiteral("graphics1.dat"));
    QByteArray first = expectedSet(builtin, 0);
    QVERIFY(writeFileBytes(file, first));

    Killer killer(SetChild, dir.path());
    const auto [startMs, saveMs] = killer.measure(4);
    int onDisk = 4;
    QCOMPARE(fileBytes(file), expectedSet(builtin, onDisk));

    int sameAsReported = 0, oneAhead = 0;
    for (int i = 0; i < SetKills; ++i) {
        const int delay = int(QRandomGenerator::global()->bounded(startMs + saveMs * 5 / 2 + 1));
        const int reported = killer.runAndKill(delay);
        QVERIFY2(reported != -2, "the child did not start");
        const int before = reported >= 0 ? reported : onDisk;
        TLMDGraphicList list;
        list.setObjectName(QStringLiteral("piclist1"));
        try {
            readSetFile(file, list);
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QStringLiteral("kill %1 after %2 ms: graphics1.dat does not read: %3").arg(i).arg(delay).arg(e.what())));
        }
        QCOMPARE(list.Graphics().count(), 12);
        onDisk = list.Graphics().at(0).Name().mid(1).toInt();
        QVERIFY2(onDisk == before || onDisk == before + 1,
                 qPrintable(QStringLiteral("kill %1: version %2 on disk, %3 reported").arg(i).arg(onDisk).arg(before)));
        QVERIFY2(fileBytes(file) == expectedSet(builtin, onDisk), qPrintable(QStringLiteral("kill %1: bytes differ").arg(i)));
        (onDisk == before ? sameAsReported : oneAhead)++;
    }
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    qInfo("%lld-byte set file, read %lld ms, save %lld ms; %d kills: %d found the reported version, %d the one being saved; files left: %s",
          qint64(first.size()), startMs, saveMs, SetKills, sameAsReported, oneAhead, qPrintable(left.join(u' ')));
    QVERIFY2(onlyTheFileAndCompleteTemporaries(left, QStringLiteral("graphics1.dat")), qPrintable(left.join(u' ')));
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 3 && args[1] == DiaryChild) return diaryChild(args[2]);
        if (args.size() == 3 && args[1] == SetChild) return setChild(args[2]);
        if (args.size() == 3 && args[1] == KeeperChild) return keeperChild(args[2]);
        if (args.size() == 3 && args[1] == WriterChild) return writerChild(args[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    TestCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
