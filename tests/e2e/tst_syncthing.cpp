// One diary on two computers joined by a real sync tool: two Syncthing instances on the
// loopback share one folder, and a Vistelle window runs on each side, each in its own X
// server with its own HOME, driven with xdotool as a user would. Every entry stored on
// either side must end in both live diary.dat files, each text exactly once.

#include "diaryfile.h"
#include "programrun.h"
#include "syncthinginstance.h"
#include "xsession.h"

#include "core/datetime.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <memory>

using namespace vistelle;
using namespace vistelle::e2e;

namespace {

const QString FolderId = QStringLiteral("vistelle-diary");
constexpr int SettleMs = 30000;
// How long everything must stay as expected, with both instances idle, to count as settled:
// longer than the instances' watch delay plus a scan.
constexpr int StableMs = 3000;
constexpr int StoreMs = 10000;
// The date the windows go to after each store, so a store is a click elsewhere; no entry is
// ever written on it.
constexpr int ParkingDay = 20;

struct Entry {
    int day;
    QByteArray text;
};

// One computer: its X server, its HOME, its sync instance, its copy of the shared folder and
// its window (if running).
struct Computer {
    QString name;
    QString folder;
    QString home;
    std::unique_ptr<XSession> x;
    std::unique_ptr<SyncthingInstance> sync;
    std::unique_ptr<ProgramRun> window;
    QString diary() const { return folder + QStringLiteral("/diary.dat"); }
};

// The calendar cell of a day of the current month (Monday first, day 1 in the first day row).
QPoint cellOfDay(int day)
{
    const auto [y, m, d] = decodeDate(today());
    Q_UNUSED(d);
    const int mondayIndex = (dayOfWeek(encodeDate(y, m, 1)) + 5) % 7;
    const int i = mondayIndex + day - 1;
    return {i % 7, 1 + i / 7};
}

TDateTime dateOfDay(int day)
{
    const auto [y, m, d] = decodeDate(today());
    Q_UNUSED(d);
    return encodeDate(y, m, day);
}

// The rows of a diary file without the settings row; empty when it cannot be read.
QList<DiaryRow> entriesIn(const QString& fileName, bool* readable = nullptr)
{
    if (readable) *readable = false;
    if (!QFileInfo::exists(fileName)) return {};
    try {
        QList<DiaryRow> rows = readDiary(fileName);
        rows.removeIf([](const DiaryRow& r) { return r.date == settingsDate(); });
        if (readable) *readable = true;
        return rows;
    } catch (const std::exception&) {
        return {};
    }
}

// Conflict copies and backups: the diary files in the folder and in backups/ but diary.dat.
QStringList otherDiaryFiles(const Computer& c)
{
    QStringList files;
    for (const QString& f : QDir(c.folder).entryList({QStringLiteral("*.dat")}, QDir::Files)) {
        if (f != QLatin1String("diary.dat") && !f.startsWith(QLatin1String("graphics"))) files << f;
    }
    for (const QString& f : QDir(c.folder + QStringLiteral("/backups")).entryList(QDir::Files)) files << QStringLiteral("backups/") + f;
    return files;
}

QString shown(const QByteArray& text) { return QString::fromLatin1(text).replace(QLatin1String("\r\n"), QLatin1String(" / ")); }

} // namespace

class TestSyncthing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void storesOnBothSidesAtTheSameMoment();
    void sameDateWrittenOnBothSides();
    void storesWhileApartWithBothWindowsClosed();
    void windowKilledWhileTheOtherSideSyncs();
    void storesAtTheSameMomentWithoutConflictCopies();

private:
    bool startWindow(Computer& c);
    bool closeWindow(Computer& c);
    // Selects the day, clicks into the day editor and types; the text stays grey.
    void prepare(Computer& c, int day, const QByteArray& text);
    // Clicks another date, which stores the grey text.
    void commit(Computer& c);
    bool storedLocally(const Computer& c, int day, const QByteArray& text) const;
    bool store(Computer& c, int day, const QByteArray& text);
    // A's and B's texts typed, then stored one right after the other.
    bool storeOnBothAtOnce(const Entry& onA, const Entry& onB);
    bool bothSynced() const;
    // Every expected text once in both live diaries, at its date, and no entry on another date.
    QStringList problems() const;
    // Waits until both sides hold every entry and the instances are idle; a failure is
    // noted with what each side holds, and the scenario goes on.
    void expectSettled(const QString& stage);
    QString describe() const;
    bool waitSynced();

    QList<Computer*> computers() { return {&m_a, &m_b}; }
    QList<const Computer*> computers() const { return {&m_a, &m_b}; }

    QString m_program;
    std::unique_ptr<QTemporaryDir> m_dir;
    Computer m_a;
    Computer m_b;
    QList<Entry> m_expected;
    QStringList m_failures;
    QString m_why;
};

void TestSyncthing::initTestCase()
{
    m_program = QStringLiteral(VISTELLE_PROGRAM);
    QVERIFY2(QFileInfo(m_program).isExecutable(), qPrintable(m_program + " is not built"));
    if (QStandardPaths::findExecutable(QStringLiteral("syncthing")).isEmpty())
        QSKIP("syncthing is not installed (script/bootstrap installs it): the two-computer sync test is skipped");
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (script/bootstrap installs it)").arg(tool)));
    }
    m_a.name = QStringLiteral("A");
    m_b.name = QStringLiteral("B");
    for (Computer* c : computers()) {
        c->x = std::make_unique<XSession>();
        QString error;
        QVERIFY2(c->x->start(&error), qPrintable(error));
    }
}

void TestSyncthing::init()
{
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vistelle-sync-XXXXXX"));
    QVERIFY(m_dir->isValid());
    m_expected.clear();
    m_failures.clear();
    for (Computer* c : computers()) {
        const QString root = m_dir->filePath(c->name);
        c->folder = root + QStringLiteral("/diary");
        c->home = root + QStringLiteral("/home");
        QVERIFY(QDir().mkpath(c->folder) && QDir().mkpath(c->home));
        c->sync = std::make_unique<SyncthingInstance>(root + QStringLiteral("/syncthing"));
        QString error;
        QVERIFY2(c->sync->start(&error), qPrintable(error));
    }
    // B first, so A's first dial finds B knowing it.
    QVERIFY(m_b.sync->addPeer(*m_a.sync, QStringLiteral("A"), false) && m_a.sync->addPeer(*m_b.sync, QStringLiteral("B"), true));
    QVERIFY(m_a.sync->shareFolder(FolderId, m_a.folder, *m_b.sync) && m_b.sync->shareFolder(FolderId, m_b.folder, *m_a.sync));
    QVERIFY2(waitUntil([&] { return m_a.sync->connectedTo(*m_b.sync) && m_b.sync->connectedTo(*m_a.sync); }, SettleMs),
             "the two instances did not connect");

    // The diary begins on A; B opens it once it has arrived, as a second computer would.
    QVERIFY2(startWindow(m_a), qPrintable(m_why));
    QVERIFY2(waitUntil(
                 [&] {
                     const QStringList files = QDir(m_a.folder).entryList(QDir::Files);
                     return !files.isEmpty() && bothSynced() &&
                            std::all_of(files.begin(), files.end(), [&](const QString& f) {
                                return fileBytes(m_a.folder + u'/' + f) == fileBytes(m_b.folder + u'/' + f);
                            });
                 },
                 SettleMs),
             "A's first files did not reach B");
    QVERIFY2(startWindow(m_b), qPrintable(m_why));
}

void TestSyncthing::cleanup()
{
    if (QTest::currentTestFailed()) {
        m_dir->setAutoRemove(false);
        for (Computer* c : computers()) {
            const QString shot = m_dir->filePath(c->name + QStringLiteral("-failure.png"));
            if (c->x && c->x->screenshot(shot)) qInfo("screenshot of %s: %s", qPrintable(c->name), qPrintable(shot));
            if (c->window && !c->window->errorOutput().isEmpty())
                qInfo("%s's program stderr:\n%s", qPrintable(c->name), qPrintable(c->window->errorOutput()));
        }
        qInfo("files left in %s", qPrintable(m_dir->path()));
    }
    for (Computer* c : computers()) {
        c->window.reset();
        c->sync.reset();
    }
    m_dir.reset();
}

bool TestSyncthing::startWindow(Computer& c)
{
    c.window = std::make_unique<ProgramRun>(*c.x, m_program, c.folder, c.home);
    if (!c.window->start()) m_why = c.name + QStringLiteral(": the program did not start");
    else if (!c.window->waitForMainWindow())
        m_why = c.name + QStringLiteral(": the main window did not appear\n") + c.window->errorOutput();
    else return true;
    return false;
}

bool TestSyncthing::closeWindow(Computer& c)
{
    c.window->requestClose();
    if (!c.window->waitForExit()) m_why = c.name + QStringLiteral(": the program did not end after the close request");
    else if (c.window->crashed() || c.window->exitCode() != 0)
        m_why = c.name + QStringLiteral(": the program ended with exit code %1:\n%2").arg(c.window->exitCode()).arg(c.window->errorOutput());
    else return true;
    return false;
}

void TestSyncthing::prepare(Computer& c, int day, const QByteArray& text)
{
    const MainWindowMap map = c.window->map();
    const QPoint cell = cellOfDay(day);
    c.window->click(map.calendarCell(cell.x(), cell.y()));
    c.window->click(map.dayEditor());
    c.window->key(QStringLiteral("ctrl+End"));
    c.window->type(QString::fromLatin1(text));
    m_expected << Entry{day, text};
}

void TestSyncthing::commit(Computer& c)
{
    const QPoint cell = cellOfDay(ParkingDay);
    c.window->click(c.window->map().calendarCell(cell.x(), cell.y()));
}

bool TestSyncthing::storedLocally(const Computer& c, int day, const QByteArray& text) const
{
    const QList<DiaryRow> rows = entriesIn(c.diary());
    return std::any_of(rows.begin(), rows.end(), [&](const DiaryRow& r) { return r.date == dateOfDay(day) && r.text.contains(text); });
}

bool TestSyncthing::store(Computer& c, int day, const QByteArray& text)
{
    prepare(c, day, text);
    commit(c);
    return waitUntil([&] { return storedLocally(c, day, text); }, StoreMs);
}

bool TestSyncthing::storeOnBothAtOnce(const Entry& onA, const Entry& onB)
{
    prepare(m_a, onA.day, onA.text);
    prepare(m_b, onB.day, onB.text);
    commit(m_a);
    commit(m_b);
    if (!waitUntil([&] { return storedLocally(m_a, onA.day, onA.text); }, StoreMs)) m_why = QStringLiteral("A's store did not reach A's diary.dat");
    else if (!waitUntil([&] { return storedLocally(m_b, onB.day, onB.text); }, StoreMs))
        m_why = QStringLiteral("B's store did not reach B's diary.dat");
    else return true;
    return false;
}

bool TestSyncthing::bothSynced() const
{
    return m_a.sync->idleAndComplete(FolderId, *m_b.sync) && m_b.sync->idleAndComplete(FolderId, *m_a.sync);
}

bool TestSyncthing::waitSynced()
{
    QElapsedTimer stable;
    return waitUntil(
        [&] {
            if (!bothSynced()) {
                stable.invalidate();
                return false;
            }
            if (!stable.isValid()) stable.start();
            return stable.elapsed() >= StableMs;
        },
        SettleMs);
}

QStringList TestSyncthing::problems() const
{
    QStringList found;
    for (const Computer* c : computers()) {
        bool readable = false;
        const QList<DiaryRow> rows = entriesIn(c->diary(), &readable);
        if (!readable) {
            found << c->name + QStringLiteral(": diary.dat does not open");
            continue;
        }
        for (const Entry& e : m_expected) {
            qsizetype total = 0, atDate = 0;
            for (const DiaryRow& r : rows) {
                total += r.text.count(e.text);
                if (r.date == dateOfDay(e.day)) atDate += r.text.count(e.text);
            }
            if (total == 0) found << c->name + QStringLiteral(": \"%1\" missing").arg(shown(e.text));
            else if (total > 1 || atDate != 1)
                found << c->name + QStringLiteral(": \"%1\" %2 times, %3 at day %4").arg(shown(e.text)).arg(total).arg(atDate).arg(e.day);
        }
        for (const DiaryRow& r : rows) {
            if (std::none_of(m_expected.begin(), m_expected.end(), [&](const Entry& e) { return dateOfDay(e.day) == r.date; }))
                found << c->name + QStringLiteral(": an entry on day %1: \"%2\"").arg(decodeDate(r.date).day).arg(shown(r.text));
        }
    }
    return found;
}

void TestSyncthing::expectSettled(const QString& stage)
{
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer stable;
    const bool settled = waitUntil(
        [&] {
            if (!problems().isEmpty() || !bothSynced()) {
                stable.invalidate();
                return false;
            }
            if (!stable.isValid()) stable.start();
            return stable.elapsed() >= StableMs;
        },
        SettleMs);
    if (settled) {
        qInfo("%s: settled after %lld ms; other diary files on A: %s", qPrintable(stage), clock.elapsed() - StableMs,
              qPrintable(otherDiaryFiles(m_a).join(QStringLiteral(", "))));
        return;
    }
    const QString report = stage + QStringLiteral(": not settled within %1 s: ").arg(SettleMs / 1000) +
                           problems().join(QStringLiteral("; ")) + (bothSynced() ? QString() : QStringLiteral(" (instances busy)")) +
                           u'\n' + describe();
    qWarning("%s", qPrintable(report));
    m_failures << report;
    // The screens as they were, kept with the folder.
    m_dir->setAutoRemove(false);
    for (const Computer* c : computers()) {
        const QString shot = m_dir->filePath(QStringLiteral("%1-%2.png").arg(c->name, QString(stage).replace(u' ', u'-')));
        if (c->x->screenshot(shot)) qInfo("screenshot of %s: %s", qPrintable(c->name), qPrintable(shot));
    }
}

// Each side's entries and the other diary files in its folder, with the expected texts
// each holds.
QString TestSyncthing::describe() const
{
    QString out;
    for (const Computer* c : computers()) {
        out += QStringLiteral("  %1 diary.dat:").arg(c->name);
        for (const DiaryRow& r : entriesIn(c->diary())) out += QStringLiteral(" [%1] \"%2\"").arg(decodeDate(r.date).day).arg(shown(r.text));
        out += u'\n';
        for (const QString& f : otherDiaryFiles(*c)) {
            out += QStringLiteral("    %1:").arg(f);
            for (const DiaryRow& r : entriesIn(c->folder + u'/' + f)) {
                for (const Entry& e : m_expected)
                    if (r.text.contains(e.text)) out += QStringLiteral(" \"%1\"").arg(shown(e.text));
            }
            out += u'\n';
        }
    }
    return out;
}

// --- scenarios ---

// Different dates stored on both sides within the sync tool's latency.
void TestSyncthing::storesOnBothSidesAtTheSameMoment()
{
    QVERIFY2(storeOnBothAtOnce({3, "Same moment A third"}, {4, "Same moment B fourth"}), qPrintable(m_why));
    expectSettled(QStringLiteral("both windows open"));
    QVERIFY2(closeWindow(m_a) && closeWindow(m_b), qPrintable(m_why));
    expectSettled(QStringLiteral("both windows closed"));
    QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(u'\n')));
}

void TestSyncthing::sameDateWrittenOnBothSides()
{
    QVERIFY2(storeOnBothAtOnce({5, "Same date A fifth"}, {5, "Same date B fifth"}), qPrintable(m_why));
    expectSettled(QStringLiteral("both windows open"));
    QVERIFY2(closeWindow(m_a) && closeWindow(m_b), qPrintable(m_why));
    expectSettled(QStringLiteral("both windows closed"));
    QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(u'\n')));
}

// The sync tool set to keep no conflict copies: the losing side's file is overwritten.
void TestSyncthing::storesAtTheSameMomentWithoutConflictCopies()
{
    for (Computer* c : computers())
        QVERIFY(c->sync->send("PATCH", QStringLiteral("/rest/config/folders/") + FolderId, QJsonObject{{QStringLiteral("maxConflicts"), 0}}));
    QVERIFY2(storeOnBothAtOnce({14, "Overwritten A fourteenth"}, {15, "Overwritten B fifteenth"}), qPrintable(m_why));
    expectSettled(QStringLiteral("both windows open"));
    QVERIFY2(closeWindow(m_a) && closeWindow(m_b), qPrintable(m_why));
    expectSettled(QStringLiteral("both windows closed"));
    QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(u'\n')));
}

// The folder paused on both sides: stores on each (one date on both), both windows closed,
// then the folder resumed and both windows started again.
void TestSyncthing::storesWhileApartWithBothWindowsClosed()
{
    for (Computer* c : computers()) QVERIFY(c->sync->setFolderPaused(FolderId, true));
    QVERIFY2(waitUntil([&] { return m_a.sync->folderPaused(FolderId) && m_b.sync->folderPaused(FolderId); }, SettleMs),
             "the folder did not pause");
    QVERIFY2(store(m_a, 6, "Apart A sixth"), "A's store did not reach A's diary.dat");
    QVERIFY2(store(m_b, 7, "Apart B seventh"), "B's store did not reach B's diary.dat");
    QVERIFY2(store(m_a, 8, "Apart A eighth"), "A's store did not reach A's diary.dat");
    QVERIFY2(store(m_b, 8, "Apart B eighth"), "B's store did not reach B's diary.dat");
    QVERIFY2(closeWindow(m_a) && closeWindow(m_b), qPrintable(m_why));

    for (Computer* c : computers()) QVERIFY(c->sync->setFolderPaused(FolderId, false));
    if (!waitSynced()) m_failures << QStringLiteral("the instances did not settle after the folder was resumed");
    QVERIFY2(startWindow(m_a) && startWindow(m_b), qPrintable(m_why));
    expectSettled(QStringLiteral("both windows started again"));

    QVERIFY2(closeWindow(m_a) && closeWindow(m_b), qPrintable(m_why));
    expectSettled(QStringLiteral("both windows closed"));
    QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(u'\n')));
}

// A is killed right after its store; B stores at the same moment and again while A is
// down; A is started again once the instances have settled.
void TestSyncthing::windowKilledWhileTheOtherSideSyncs()
{
    prepare(m_a, 11, "Killed A eleventh");
    prepare(m_b, 12, "Living B twelfth");
    commit(m_a);
    commit(m_b);
    QVERIFY2(waitUntil([&] { return storedLocally(m_a, 11, "Killed A eleventh"); }, StoreMs), "A's store did not reach A's diary.dat");
    m_a.window->kill();
    QVERIFY2(waitUntil([&] { return storedLocally(m_b, 12, "Living B twelfth"); }, StoreMs), "B's store did not reach B's diary.dat");
    QVERIFY2(store(m_b, 13, "Living B thirteenth"), "B's second store did not reach B's diary.dat");
    if (!waitSynced()) m_failures << QStringLiteral("the instances did not settle while A was down");

    QVERIFY2(startWindow(m_a), qPrintable(m_why));
    expectSettled(QStringLiteral("A started again"));

    QVERIFY2(closeWindow(m_a) && closeWindow(m_b), qPrintable(m_why));
    expectSettled(QStringLiteral("both windows closed"));
    QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestSyncthing)
#include "tst_syncthing.moc"
