// vistelle-diary's commands on real files: export, import, merge and check, their usage errors,
// and the program itself.

#include "cli/cli.h"
#include "diary/exchange/diarylayout.h"
#include "core/textcodec.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/diaryexport.h"
#include "pictures/builtinpictures.h"
#include "pictures/setfilewriter.h"
#include "pictures/tlmdgraphiclist.h"
#include "platform/instance/instancelock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace vistelle;

namespace {

const TDateTime SettingsDate = encodeDate(5050, 7, 6);
const QByteArray Record = "415x736y163z266j300k200";
TDateTime date(int y, int m, int d) { return encodeDate(y, m, d); }

struct Run {
    int status;
    QByteArray out, err;
};

Run vistelleDiary(const QStringList& args)
{
    cli::Streams io;
    const int status = cli::run(args, io);
    return {status, io.out, io.err};
}

QByteArray readFile(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A diary as the window leaves it: its entries, then the settings row.
void writeDiary(const QString& name, const DatedEntries& entries)
{
    TVolgaTable t;
    createDiary(t, name);
    for (const auto& [d, text] : entries) t.AppendRecord({Variant::fromDateTime(d), Variant(text)});
    t.AppendRecord({Variant::fromDateTime(SettingsDate), Variant(Record)});
    t.SaveToFile(name);
}

DatedEntries entriesOf(const QString& name)
{
    TVolgaTable t;
    t.setTableName(name);
    t.Open();
    return readEntries(t, SettingsDate);
}

// Texts with what can go wrong on the way: Windows-1252 and other characters (surrogate
// pairs too), CR LF and lone CR or LF, lines that look like headings or escapes, blank
// lines at either end, tabs and NUL.
DatedEntries randomDiary(int count)
{
    static const QStringList pieces = {
        "walked", " ", "\r\n", "\r\n\r\n", "#", "## 2009-01-01 \u2014 Thursday", "\\", "\\#", "\u20AC", "\u00F1",
        "\u65E5\u672C", "\U0001F600", "\n", "\r", "\t", QString(QChar(0)), "\u0081", "caf\u00E9", "<&>", "  ",
    };
    QRandomGenerator random(36500);
    DatedEntries entries;
    while (int(entries.size()) < count) {
        QString text;
        for (int n = 1 + int(random.bounded(30)); n > 0; --n) text += pieces[random.bounded(int(pieces.size()))];
        const TDateTime day = MinDateDays + double(random.bounded(MaxDateDays - MinDateDays + 1));
        if (day != SettingsDate) entries.emplace(day, encodeStoredText(text));
    }
    return entries;
}

void writeSet(const QString& fileName, int set, const QString& listName)
{
    QObject owner;
    TLMDGraphicList* list = createBuiltinList(set, &owner);
    list->setObjectName(listName);
    writeSetFile(*list, fileName);
}

} // namespace

class TestVistelleDiary : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QString oldCwd = QDir::currentPath();
    const DatedEntries small{{date(2009, 12, 24), "Christmas Eve"},
                             {date(2009, 12, 31), encodeStoredText("New Year's Eve \u65E5\r\n")},
                             {date(2010, 1, 6), "Epiphany"}};

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(dir->path());
        writeDiary("diary.dat", small);
        writeFile("x.md", exportEntries({{date(2009, 12, 25), "imported"}}, ExportFormat::Markdown));
    }
    void cleanup()
    {
        QDir::setCurrent(oldCwd);
        dir.reset();
    }

    void wrongUsageIsStatusTwoAndWritesNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        auto row = [](const char* name, QStringList args, const char* message) {
            QTest::newRow(name) << args << QString::fromUtf8(message);
        };
        row("no command", {}, "vistelle-diary: a command is missing");
        row("unknown command", {"frobnicate"}, "vistelle-diary: unknown command 'frobnicate'");
        row("unknown option", {"export", "--colour", "-o", "out.md"}, "vistelle-diary export: Unknown option 'colour'.");
        row("option without its value", {"export", "--from"}, "vistelle-diary export: Missing value after '--from'.");
        row("not a date", {"export", "--from", "2009-02-29", "-o", "out.md"},
            "vistelle-diary export: --from '2009-02-29' is not a date: write it as 2009-12-24");
        row("date in the window's form", {"export", "--to", "24/12/2009"},
            "vistelle-diary export: --to '24/12/2009' is not a date: write it as 2009-12-24");
        row("range backwards", {"export", "--from", "2010-01-01", "--to", "2009-01-01"},
            "vistelle-diary export: --from lies after --to");
        row("unknown format", {"export", "--format", "pdf", "-o", "out.md"},
            "vistelle-diary export: --format 'pdf' is none of markdown, html and text");
        row("missing diary", {"export", "gone.dat", "-o", "out.md"}, "vistelle-diary export: gone.dat: no such file");
        row("two diaries", {"export", "diary.dat", "diary.dat"}, "vistelle-diary export: one diary at a time");
        row("output over the diary", {"export", "-o", "./diary.dat"},
            "vistelle-diary export: the output ./diary.dat would replace the diary itself");
        row("nothing to import", {"import", "--into", "new.dat"}, "vistelle-diary import: name one Markdown file to import");
        row("no diary to import into", {"import", "x.md"}, "vistelle-diary import: --into DIARY is missing");
        row("missing Markdown file", {"import", "gone.md", "--into", "new.dat"}, "vistelle-diary import: gone.md: no such file");
        row("missing folder", {"import", "x.md", "--into", "nowhere/new.dat"},
            "vistelle-diary import: <folder>/nowhere: no such folder");
        row("nothing to merge", {"merge", "--into", "diary.dat"}, "vistelle-diary merge: name one diary file to merge");
        row("merge into itself", {"merge", "./diary.dat", "--into", "diary.dat"},
            "vistelle-diary merge: ./diary.dat is the diary itself");
        row("missing file to check", {"check", "diary.dat", "gone.dat"}, "vistelle-diary check: gone.dat: no such file");
        row("unknown option of check", {"check", "--quick"}, "vistelle-diary check: Unknown option 'quick'.");
    }
    void wrongUsageIsStatusTwoAndWritesNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        message.replace("<folder>", QDir::currentPath());
        const QByteArray diary = readFile("diary.dat");
        const QStringList before = QDir::current().entryList(QDir::Files | QDir::Hidden);
        const Run run = vistelleDiary(args);
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QByteArray());
        const QList<QByteArray> lines = run.err.split('\n');
        QCOMPARE(QString::fromUtf8(lines.value(0)), message);
        QVERIFY(lines.value(1).startsWith("Try 'vistelle-diary"));
        QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden), before);
        QCOMPARE(readFile("diary.dat"), diary);
    }

    void everyCommandHasHelp_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("usage");
        QTest::newRow("program") << QStringList{"--help"} << QByteArray("Usage: vistelle-diary COMMAND");
        QTest::newRow("export") << QStringList{"export", "--help"} << QByteArray("Usage: vistelle-diary export [--format");
        QTest::newRow("import") << QStringList{"import", "-h"} << QByteArray("Usage: vistelle-diary import FILE.md --into DIARY");
        QTest::newRow("merge") << QStringList{"merge", "-h"} << QByteArray("Usage: vistelle-diary merge FILE --into DIARY");
        QTest::newRow("check") << QStringList{"check", "--help"} << QByteArray("Usage: vistelle-diary check [FILE...]");
    }
    void everyCommandHasHelp()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, usage);
        const Run run = vistelleDiary(args);
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.startsWith(usage));
        QCOMPARE(run.err, QByteArray());
    }

    void exportWritesTheChosenDaysWithoutTheSettingsRow()
    {
        Run run = vistelleDiary({"export"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, exportEntries(small, ExportFormat::Markdown));
        run = vistelleDiary({"export", "--format", "text", "--from", "2009-12-31", "--to", "2009-12-31", "-o", "out.txt", "diary.dat"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(readFile("out.txt"), exportEntries({*std::next(small.begin())}, ExportFormat::Text));
        run = vistelleDiary({"export", "--format=html", "--from=2010-01-01", "--output=out.html"});
        QCOMPARE(readFile("out.html"), exportEntries({*small.rbegin()}, ExportFormat::Html));

        writeDiary("noon.dat", {{date(2009, 6, 1) + 0.5, "at noon"}, {date(2009, 6, 2), "a day"}});
        run = vistelleDiary({"export", "noon.dat"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, exportEntries({{date(2009, 6, 2), "a day"}}, ExportFormat::Markdown));
        QCOMPARE(run.err, QByteArray("vistelle-diary export: noon.dat: 1 row(s) left out, dated with a time of day or "
                                     "outside the years 1 to 9999\n"));
    }

    void failedExportLeavesNoOutputFile()
    {
        writeFile("broken.dat", QByteArray());
        Run run = vistelleDiary({"export", "broken.dat", "-o", "out.md"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, QByteArray("vistelle-diary export: broken.dat: Error opening table: Buffer structure corruption!\n"));
        QVERIFY(!QFile::exists("out.md"));
        writeFile("out.md", "older");
        run = vistelleDiary({"export", "-o", "nowhere/out.md"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, QByteArray("vistelle-diary export: Cannot create file nowhere/out.md\n"));
        QCOMPARE(readFile("out.md"), QByteArray("older"));
    }

    void randomDiaryRoundTripsThroughExportAndImport()
    {
        const DatedEntries diary = randomDiary(1000);
        writeDiary("big.dat", diary);
        QCOMPARE(vistelleDiary({"export", "big.dat", "-o", "big.md"}).status, 0);
        const Run run = vistelleDiary({"import", "big.md", "--into", "copy.dat"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("copy.dat: 1000 added, 0 already there, 0 added below the diary's own text\n"));
        QCOMPARE(entriesOf("copy.dat"), diary);
        // The new diary has the window's two fields and no settings row.
        TVolgaTable t;
        t.setTableName("copy.dat");
        t.Open();
        QCOMPARE(t.FieldCount(), 2);
        QCOMPARE(t.FieldByName("date").DataType(), ftDateTime);
        QCOMPARE(t.FieldByName("event").DataType(), ftMemo);
        QVERIFY(!t.Locate("date", Variant::fromDateTime(SettingsDate)));
        QCOMPARE(readFile("copy.dat").mid(9, 32), QByteArray::fromHex("0200000018000000") + "XXX.date t\x12XXX.event m\x12\x14");
    }

    void importMergesByDateAndASecondRunChangesNothing()
    {
        writeFile("x.md", exportEntries({{date(2009, 12, 24), "Christmas Eve"}, {date(2009, 12, 25), "Christmas"},
                                         {date(2010, 1, 6), "Three kings"}},
                                        ExportFormat::Markdown));
        Run run = vistelleDiary({"import", "x.md", "--into", "diary.dat"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("diary.dat: 1 added, 1 already there, 1 added below the diary's own text\n"));
        DatedEntries expected = small;
        expected[date(2009, 12, 25)] = "Christmas";
        expected[date(2010, 1, 6)] = "Epiphany\r\n----- imported -----\r\nThree kings";
        QCOMPARE(entriesOf("diary.dat"), expected);
        TVolgaTable t;
        t.setTableName("diary.dat");
        t.Open();
        QCOMPARE(t.Lookup("date", Variant::fromDateTime(SettingsDate), "event").toBytes(), Record);

        const QByteArray once = readFile("diary.dat");
        run = vistelleDiary({"import", "x.md", "--into", "diary.dat"});
        QCOMPARE(run.out, QByteArray("diary.dat: 0 added, 3 already there, 0 added below the diary's own text\n"));
        QCOMPARE(readFile("diary.dat"), once);
    }

    void importRefusesWhileVistelleRunsThere()
    {
        InstanceLock running(dir->path());
        QVERIFY(running.tryLock());
        const QByteArray diary = readFile("diary.dat");
        const Run run = vistelleDiary({"import", "x.md", "--into", "diary.dat"});
        QCOMPARE(run.status, 1);
        QCOMPARE(QString::fromUtf8(run.err), QStringLiteral("vistelle-diary import: Vistelle is running in %1; close it, then import again\n")
                                                 .arg(canonicalFolder(dir->path())));
        QCOMPARE(readFile("diary.dat"), diary);
    }

    void importOfABadFileOrIntoABadDiaryWritesNothing()
    {
        writeFile("bad.md", "# Vistelle diary\r\n\r\n## 2009-12-24\r\nno blank line\r\n");
        Run run = vistelleDiary({"import", "bad.md", "--into", "new.dat"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, QByteArray("vistelle-diary import: bad.md: line 4: a heading needs a blank line after it\n"));
        QVERIFY(!QFile::exists("new.dat"));
        const QByteArray cut = readFile("diary.dat").chopped(40); // the settings row and a bit of the last entry
        writeFile("cut.dat", cut);
        run = vistelleDiary({"import", "x.md", "--into", "cut.dat"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, QByteArray("vistelle-diary import: cut.dat: Error opening table: Number of records read (3) "
                                     "does not match declared record count (4)\n"));
        QCOMPARE(readFile("cut.dat"), cut);
    }

    void mergeJoinsBothWaysKeepsABackupAndASecondRunChangesNothing()
    {
        const QByteArray before = readFile("diary.dat");
        writeDiary("other.dat", {{date(2009, 12, 24), "Christmas Eve"}, {date(2009, 12, 25), "Christmas"},
                                 {date(2010, 1, 6), "Three kings\r\n----- other copy -----\r\nEpiphany"}});
        const QByteArray other = readFile("other.dat");
        Run run = vistelleDiary({"merge", "other.dat", "--into", "diary.dat"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("diary.dat: 1 added, 1 already there, 1 joined with their other copy\n"));
        DatedEntries expected = small;
        expected[date(2009, 12, 25)] = "Christmas";
        expected[date(2010, 1, 6)] = "Epiphany\r\n----- other copy -----\r\nThree kings";
        QCOMPARE(entriesOf("diary.dat"), expected);
        QCOMPARE(readFile("other.dat"), other);
        const QStringList backups = QDir("backups").entryList(QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY2(QRegularExpression("^diary-\\d{4}-\\d{2}-\\d{2}-\\d{6}-merge\\.dat$").match(backups[0]).hasMatch(),
                 qPrintable(backups[0]));
        QCOMPARE(readFile("backups/" + backups[0]), before);

        const QByteArray once = readFile("diary.dat");
        run = vistelleDiary({"merge", "other.dat", "--into", "diary.dat"});
        QCOMPARE(run.out, QByteArray("diary.dat: 0 added, 3 already there, 0 joined with their other copy\n"));
        QCOMPARE(readFile("diary.dat"), once);
        QCOMPARE(QDir("backups").entryList(QDir::Files), backups);
    }

    void mergeWhileVistelleRunsOrOfABadFileWritesNothing()
    {
        const QByteArray diary = readFile("diary.dat");
        writeFile("cut.dat", diary.chopped(40));
        Run run = vistelleDiary({"merge", "cut.dat", "--into", "diary.dat"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, QByteArray("vistelle-diary merge: cut.dat: Error opening table: Number of records read (3) "
                                     "does not match declared record count (4)\n"));
        writeDiary("other.dat", {{date(2009, 12, 25), "Christmas"}});
        InstanceLock running(dir->path());
        QVERIFY(running.tryLock());
        run = vistelleDiary({"merge", "other.dat", "--into", "diary.dat"});
        QCOMPARE(run.status, 1);
        QCOMPARE(QString::fromUtf8(run.err), QStringLiteral("vistelle-diary merge: Vistelle is running in %1; close it, then merge again\n")
                                                 .arg(canonicalFolder(dir->path())));
        QCOMPARE(readFile("diary.dat"), diary);
        QVERIFY(!QFile::exists("backups"));
    }

    // Damaged files of each kind: tst_checkagainstwindow, against the window's own boxes.
    void checkReportsEachFile()
    {
        for (int n = 1; n <= 4; ++n) writeSet(QStringLiteral("graphics%1.dat").arg(n), n, QStringLiteral("piclist%1").arg(n));
        Run run = vistelleDiary({"check"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("diary.dat: ok, 3 entries\ngraphics1.dat: ok, 12 pictures\ngraphics2.dat: ok, 12 pictures\n"
                                     "graphics3.dat: ok, 12 pictures\ngraphics4.dat: ok, 12 pictures\n"));

        // A file elsewhere is named in the message as the window, working in its folder, names it.
        QDir().mkdir("other");
        writeFile("other/graphics2.dat", readFile("graphics2.dat").left(100000));
        run = vistelleDiary({"check", "other/graphics2.dat", "diary.dat"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out, QByteArray("other/graphics2.dat: Error reading piclist2.Graphics: Error reading "
                                     "TLMDGraphicListItem.Picture.Data: Stream read error.\ndiary.dat: ok, 3 entries\n"));
        QCOMPARE(QDir::currentPath(), dir->path());
    }

    // The program itself: what it writes to which stream, and its status.
    void theProgramPassesOnStreamsAndStatus()
    {
        QProcess program;
        program.start(VISTELLE_DIARY_PROGRAM, {"export", "--format", "text"});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(program.readAllStandardOutput(), exportEntries(small, ExportFormat::Text));
        program.start(VISTELLE_DIARY_PROGRAM, {"export", "--to", "tomorrow"});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 2);
        QCOMPARE(program.readAllStandardOutput(), QByteArray());
        QVERIFY(program.readAllStandardError().startsWith("vistelle-diary export: --to 'tomorrow' is not a date"));
    }
};

QTEST_GUILESS_MAIN(TestVistelleDiary)
#include "tst_vistellediary.moc"
