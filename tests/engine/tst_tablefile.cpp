// The table image on disk: worked examples byte for byte, every type, every refusal.

#include "enginetestutil.h"
#include "diary/engine/progress.h"
#include "diary/engine/tablefile_format.h"

#include <QDir>
#include <QTest>
#include <QtEndian>

using namespace vistelle;
using namespace enginetest;

namespace {

const QByteArray DiarySection("XXX.date t\x12XXX.event m\x12\x14", 24);
const QByteArray DiaryRow2009 = hex("08 04 00004068D3D0CC42 03000000 616263");

// A whole image: header with the given counts, then the section and whatever follows it.
QByteArray image(qint32 records, qint32 fields, const QByteArray& section, const QByteArray& tail = {})
{
    QByteArray out(17, '\0');
    qToLittleEndian(qint32(17 + section.size() + tail.size()), out.data());
    out[4] = 'S';
    qToLittleEndian(records, out.data() + 5);
    qToLittleEndian(fields, out.data() + 9);
    qToLittleEndian(qint32(section.size()), out.data() + 13);
    return out + section + tail;
}

} // namespace

class TestTableFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name = "diary.dat") const { return m_dir.filePath(name); }

private slots:
    void init() { setRegional(RegionalSettings{}); }
    void cleanup() { QDir(m_dir.path()).removeRecursively(); QDir().mkpath(m_dir.path()); }

    void createTableWritesTheEmptyDiary()
    {
        TVolgaTable table;
        table.setTableName(path());
        table.FieldDefs().Add("date", ftDateTime);
        table.FieldDefs().Add("event", ftMemo);
        table.CreateTable();
        QVERIFY(!table.Active());
        QCOMPARE(readFile(path()), hex(EmptyDiary));
        QCOMPARE(readFile(path()).size(), 41);
    }

    void oneEntryDiaryIsWrittenByteForByte()
    {
        TVolgaTable table;
        createDiary(table, path());
        table.AppendRecord({day(2009, 1, 1), QByteArray("abc")});
        table.SaveToFile(path());
        QCOMPARE(readFile(path()), hex(OneEntryDiary));
    }

    void workedExampleReadsBack()
    {
        writeFile(path(), hex(OneEntryDiary));
        TVolgaTable table;
        openFile(table, path());
        QCOMPARE(table.RecordCount(), 1);
        QCOMPARE(table.GetFieldValue("date").toDateTime(), 39814.0);
        QCOMPARE(table.GetFieldValue("event").toBytes(), QByteArray("abc"));
        QCOMPARE(table.FieldDefs().Count(), 2);
        QCOMPARE(table.FieldDefs()[0].dataType, ftDateTime);
        QCOMPARE(table.FieldDefs()[1].dataType, ftMemo);
        QCOMPARE(table.rowStatus(0), rsUnchanged);
        table.SaveToFile(path("again.dat"));
        QCOMPARE(readFile(path("again.dat")), hex(OneEntryDiary));
    }

    void dateZeroIsStoredAsItsMillisecondCount()
    {
        TVolgaTable table;
        createDiary(table, path());
        table.AppendRecord({Variant::fromDateTime(0.0), QByteArray("x")});
        table.SaveToFile(path());
        const QByteArray bytes = readFile(path());
        QCOMPARE(bytes.mid(41, 2), hex("08 04"));
        QCOMPARE(bytes.mid(43, 8), hex("00002C845D40CB42")); // 59 926 521 600 000
        TVolgaTable back;
        openFile(back, path());
        QCOMPARE(back.GetFieldValue("date").toDateTime(), 0.0);
        QVERIFY(back.Locate("date", Variant::fromDateTime(0.0)));
    }

    void emptyEventIsNeverWritten()
    {
        TVolgaTable table;
        createDiary(table, path());
        table.AppendRecord({day(2009, 1, 1), QByteArray()});
        table.SaveToFile(path());
        QCOMPARE(readFile(path()).mid(41), hex("08 00 00004068D3D0CC42"));
        TVolgaTable back;
        openFile(back, path());
        QCOMPARE(back.GetFieldValue("event").kind(), Variant::Kind::Text);
        QCOMPARE(back.GetFieldValue("event").toBytes(), QByteArray());
    }

    void timeOfDayAndNegativeDatesSurvive()
    {
        TVolgaTable table;
        createDiary(table, path());
        const double values[] = {39814.5, -1.25, -600000.75, 2958465.999988426};
        for (double v : values) table.AppendRecord({Variant::fromDateTime(v), QByteArray("v")});
        table.SaveToFile(path());
        QCOMPARE(readFile(path()).mid(43, 8), hex("0000D7B1D4D0CC42")); // 39 814.5
        TVolgaTable back;
        openFile(back, path());
        for (double v : values) {
            QCOMPARE(back.GetFieldValue("date").toDateTime(), v);
            back.Next();
        }
    }

    void refusedImages_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QString prefix = "Error opening table: ";
        const QString corrupt = prefix + "Buffer structure corruption!";
        const QString section = prefix + "Error in buffer structure (field description section)";
        const QByteArray stringTable("XXX.name s100\x12\x14", 15);
        const QByteArray blobTable("XXX.pic o\x12\x14", 11);

        QTest::newRow("empty file") << QByteArray() << corrupt;
        QTest::newRow("error image") << hex("00000000 45") + QByteArray("Disk is full") + hex("00 7878") << prefix + "Disk is full";
        QTest::newRow("error image without zero") << hex("00000000 45") + QByteArray("Stop") << prefix + "Stop";
        QTest::newRow("shorter than the header") << hex("0A000000 53 00000000 0200") << corrupt;
        QTest::newRow("negative field count") << image(0, -1, DiarySection) << corrupt;
        QTest::newRow("section cut short") << image(0, 2, DiarySection).left(30) << corrupt;
        QTest::newRow("negative section length") << hex("11000000 53 00000000 01000000 FFFFFFFF") << corrupt;
        QTest::newRow("descriptor without terminator") << image(0, 1, "XXX.date t") << section;
        QTest::newRow("empty descriptor") << image(0, 1, "\x12\x14") << section;
        QTest::newRow("size after s not a number") << image(0, 1, "XXX.name sx1\x12\x14") << corrupt;
        QTest::newRow("descriptor without type") << image(0, 1, "XXX.name\x12\x14") << corrupt;
        QTest::newRow("size code below 0") << image(0, 1, "XXX.name /\x12\x14") << corrupt;
        QTest::newRow("data ends in first field") << image(1, 2, DiarySection, hex("08 04 000040")) << prefix + "Unexpected end of buffer";
        QTest::newRow("date map entry 9") << image(1, 2, DiarySection, hex("09 00 000000000000000000"))
                                         << prefix + "Field 'date' has wrong length 9 in record 1";
        QTest::newRow("memo map entry 3 in record 2") << image(2, 2, DiarySection, DiaryRow2009 + hex("08 03 00004068D3D0CC42 030000"))
                                                     << prefix + "Field 'event' has wrong length 3 in record 2";
        QTest::newRow("string of 8192") << image(1, 1, stringTable, hex("04 00200000"))
                                       << prefix + "String field 'name' has wrong length 8192 in record 1";
        QTest::newRow("negative string length") << image(1, 1, stringTable, hex("04 FFFFFFFF"))
                                               << prefix + "String field 'name' has wrong length -1 in record 1";
        QTest::newRow("negative blob length") << image(1, 1, blobTable, hex("04 FFFFFFFF"))
                                             << prefix + "BLOB field 'pic' has wrong length -1 in record 1";
        QTest::newRow("blob of 2^30") << image(1, 1, blobTable, hex("04 00000040"))
                                     << prefix + "BLOB field 'pic' has wrong length 1073741824 in record 1";
        QTest::newRow("fewer rows than declared") << image(3, 2, DiarySection, DiaryRow2009 + DiaryRow2009)
                                                 << prefix + "Number of records read (2) does not match declared record count (3)";
        QTest::newRow("cut row before the last") << image(2, 2, DiarySection, hex("08 04 00004068D3D0CC42 0500000061"))
                                                << prefix + "Number of records read (1) does not match declared record count (2)";
        QTest::newRow("negative record count") << image(-1, 2, DiarySection) << "List capacity out of bounds (-1)";
        QTest::newRow("huge record count") << image(0x7FFFFFFF, 2, DiarySection, DiaryRow2009)
                                          << "List capacity out of bounds (2147483647)";
        QTest::newRow("rows without fields") << image(1, 0, "\x14", "x")
                                            << prefix + "Number of records read (0) does not match declared record count (1)";
        QTest::newRow("count beyond the bytes") << image(1000, 2, DiarySection, DiaryRow2009)
                                               << prefix + "Number of records read (1) does not match declared record count (1000)";
        QTest::newRow("cut short after the header") << image(1, 2, DiarySection)
                                                   << prefix + "Number of records read (0) does not match declared record count (1)";
        // Without the closing 0x14 the descriptors simply run out before F.
        const QByteArray openSection = DiarySection.chopped(1);
        QTest::newRow("field count beyond the bytes") << image(0, 200000000, openSection) << corrupt;
        QTest::newRow("largest field count") << image(0, 0x7FFFFFFF, openSection) << corrupt;
        QTest::newRow("field count one beyond") << image(0, 24, openSection) << corrupt;
        QTest::newRow("fields without a section") << image(1, 3, "", hex("00 00 00")) << corrupt;
    }

    void refusedImages()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        writeFile(path(), bytes);
        TVolgaTable table;
        table.setTableName(path());
        QCOMPARE(errorOf([&] { table.Open(); }), message);
        QVERIFY(!table.Active());
        QVERIFY(!table.cursor());
        table.SaveToFile(path()); // no row store: nothing is written
        QCOMPARE(readFile(path()), bytes);
    }

    void lastRowCutShortStillOpens()
    {
        // The second row ends inside its text: it stays, with the date and no text.
        writeFile(path(), image(2, 2, DiarySection, DiaryRow2009 + hex("08 04 00004068D3D0CC42 0500000061 62")));
        TVolgaTable table;
        openFile(table, path());
        QCOMPARE(table.RecordCount(), 2);
        table.Next();
        QCOMPARE(table.GetFieldValue("date").toDateTime(), 39814.0);
        QCOMPARE(table.GetFieldValue("event").toBytes(), QByteArray());
        table.SaveToFile(path());
        QCOMPARE(readFile(path()), image(2, 2, DiarySection, DiaryRow2009 + hex("08 00 00004068D3D0CC42")));
    }

    void lastRowCutInsideTextLengthStillOpens()
    {
        writeFile(path(), image(2, 2, DiarySection, DiaryRow2009 + hex("08 04 00004068D3D0CC42 0300")));
        TVolgaTable table;
        openFile(table, path());
        QCOMPARE(table.RecordCount(), 2);
    }

    void cutFixedFieldKeepsTheBytesThatWereThere()
    {
        writeFile(path(), image(1, 2, QByteArray("XXX.a i\x12XXX.b i\x12\x14"), hex("04 04 01000000 0201")));
        TVolgaTable table;
        openFile(table, path());
        QCOMPARE(table.GetFieldValue("a").toInt(), 1);
        QCOMPARE(table.GetFieldValue("b").toInt(), 0x0102);
    }

    void extraBytesAreIgnoredAndDroppedOnSave()
    {
        writeFile(path(), hex(OneEntryDiary) + hex("DEADBEEF 00"));
        TVolgaTable table;
        openFile(table, path());
        QCOMPARE(table.RecordCount(), 1);
        table.SaveToFile(path());
        QCOMPARE(readFile(path()), hex(OneEntryDiary));
    }

    void notesBlockIsKept()
    {
        const QByteArray withNotes = image(1, 2, DiarySection, hex("2A 0500") + QByteArray("hello") + DiaryRow2009);
        writeFile(path(), withNotes);
        TVolgaTable table;
        openFile(table, path());
        QCOMPARE(table.cursor()->notes, QByteArray("hello"));
        QCOMPARE(table.GetFieldValue("event").toBytes(), QByteArray("abc"));
        table.SaveToFile(path());
        QCOMPARE(readFile(path()), withNotes);
    }

    void notesBlockNeedsAFullMapAfterTheSection()
    {
        // One byte follows a two-field section: it is no notes block, and nothing reads it.
        writeFile(path(), image(0, 2, DiarySection, "*"));
        TVolgaTable table;
        openFile(table, path());
        QVERIFY(!table.cursor()->hasNotes);
        table.SaveToFile(path());
        QCOMPARE(readFile(path()), hex(EmptyDiary));
    }

    void fewerDescriptorsThanFieldsStopWithoutComplaint()
    {
        // F = 3 but the section ends after two descriptors: rows still carry three map bytes.
        const QByteArray section("XXX.date t\x12XXX.event m\x12", 23);
        writeFile(path(), image(1, 3, section, hex("08 04 00 00004068D3D0CC42 03000000 616263")));
        TVolgaTable table;
        openFile(table, path());
        QCOMPARE(table.FieldCount(), 2);
        QCOMPARE(table.GetFieldValue("event").toBytes(), QByteArray("abc"));

        // A field count up to the length of the section still opens, and is written back.
        const QByteArray wide = image(0, 23, section);
        writeFile(path(), wide);
        TVolgaTable second;
        openFile(second, path());
        QCOMPARE(second.FieldCount(), 2);
        second.SaveToFile(path());
        QCOMPARE(readFile(path()), wide);
    }

    void fifteenTypesRoundTrip()
    {
        TVolgaTable table;
        table.setTableName(path());
        const std::pair<const char*, TFieldType> defs[] = {
            {"small int", ftSmallint}, {"word", ftWord}, {"integer", ftInteger}, {"flag", ftBoolean},
            {"float", ftFloat}, {"money", ftCurrency}, {"day", ftDate}, {"clock", ftTime}, {"stamp", ftDateTime},
            {"counter", ftAutoInc}, {"blob", ftBlob}, {"memo", ftMemo}, {"fmt", ftFmtMemo}, {"graphic", ftGraphic},
            {"bcd", ftBCD}};
        for (auto [name, type] : defs) table.FieldDefs().Add(name, type);
        table.FieldDefs().Add("code", ftString, 10);
        table.FieldDefs().Add("short", ftString, 35);
        table.FieldDefs().Add("long", ftString, 36);
        table.FieldDefs().Add("tiny", ftString, 5);
        table.CreateTable();
        const QByteArray section(
            "XXX.small_int l\x12XXX.word l\x12XXX.integer i\x12XXX.flag b\x12XXX.float f\x12XXX.money c\x12"
            "XXX.day d\x12XXX.clock v\x12XXX.stamp t\x12XXX.counter a\x12XXX.blob o\x12XXX.memo m\x12"
            "XXX.fmt r\x12XXX.graphic g\x12XXX.bcd s\x12XXX.code A\x12XXX.short Z\x12XXX.long s36\x12XXX.tiny 5\x12\x14");
        QCOMPARE(readFile(path()), image(0, 19, section));

        table.Open();
        table.AppendRecord({-2, 7, 100000, true, 1.5, 2.25, day(2009, 1, 1), Variant::fromDateTime(0.5208333333333334),
                            Variant::fromDateTime(39814.5), 99, QByteArray("\x00\x01\x02", 3), QByteArray("line1\r\nline2"),
                            QByteArray(), QByteArray("GIF"), QByteArray("12.5"), QByteArray("abc"), Variant::null(),
                            QByteArray(40, 'x'), QByteArray("hello world")});
        table.SaveToFile(path());
        const QByteArray row = hex("02 02 04 02 08 08 04 04 08 00 04 04 00 04 04 03 00 04 05"
                                   "FEFF 0700 A0860100 FFFF 000000000000F83F 0000000000000240 E0300B00 40A5AE02"
                                   "0000D7B1D4D0CC42 03000000 000102 0C000000") + QByteArray("line1\r\nline2")
            + hex("03000000") + "GIF" + hex("04000000") + "12.5" + "abc" + hex("24000000") + QByteArray(36, 'x') + "hello";
        QCOMPARE(readFile(path()).mid(17 + section.size()).toHex(' '), row.toHex(' '));
        QCOMPARE(readFile(path()), image(1, 19, section, row));

        TVolgaTable back;
        openFile(back, path());
        QCOMPARE(back.FieldDefs()[0].name, QString("small_int"));
        QCOMPARE(back.FieldDefs()[1].dataType, ftSmallint);
        QCOMPARE(back.FieldDefs()[14].dataType, ftString);
        QCOMPARE(back.FieldDefs()[14].size, 100);
        QCOMPARE(back.FieldDefs()[16].size, 35);
        QCOMPARE(back.FieldDefs()[17].size, 36);
        QCOMPARE(back.GetFieldValue("small_int").toInt(), -2);
        QCOMPARE(back.GetFieldValue("integer").toInt(), 100000);
        QCOMPARE(back.GetFieldValue("flag").toBool(), true);
        QCOMPARE(back.GetFieldValue("money").toDouble(), 2.25);
        QCOMPARE(back.GetFieldValue("day").toDateTime(), 39814.0);
        QCOMPARE(back.GetFieldValue("clock").toDateTime(), 45000000 / 86400000.0);
        QCOMPARE(back.GetFieldValue("counter").toInt(), 0); // writes to a counter are ignored
        QCOMPARE(back.GetFieldValue("blob").toBytes(), QByteArray("\x00\x01\x02", 3));
        QCOMPARE(back.GetFieldValue("fmt").toBytes(), QByteArray());
        QVERIFY(back.GetFieldValue("short").isNull());
        QCOMPARE(back.GetFieldValue("long").toBytes(), QByteArray(36, 'x'));
        QCOMPARE(back.GetFieldValue("tiny").toBytes(), QByteArray("hello"));
        QCOMPARE(back.FindField("float")->DisplayFormat(), QString("0.######"));
        back.SaveToFile(path("again.dat"));
        QCOMPARE(readFile(path("again.dat")), readFile(path()));
    }

    void smallStrFilledToItsLastByteKeepsItsLength()
    {
        // A map entry of size + 1 leaves no terminator; the value is bounded by its slot.
        writeFile(path(), image(1, 1, "XXX.s 3\x12\x14", hex("04 61626364")));
        TVolgaTable table;
        openFile(table, path());
        QCOMPARE(table.GetFieldValue("s").toBytes(), QByteArray("abcd"));
        table.SaveToFile(path("again.dat"));
        QCOMPARE(readFile(path("again.dat")), readFile(path()));
    }

    void descriptorWithoutPrefixOrSize()
    {
        writeFile(path(), image(1, 2, "plain s\x12YYY.big w\x12\x14", hex("04 01 05000000 6162636465 7A")));
        TVolgaTable table;
        openFile(table, path());
        QCOMPARE(table.cursor()->fields()[0].prefix, QString("XXX"));
        QCOMPARE(table.cursor()->fields()[0].size, qint16(100));
        QCOMPARE(table.cursor()->fields()[1].prefix, QString("YYY"));
        QCOMPARE(table.cursor()->fields()[1].type, EngineType::SmallStr);
        QCOMPARE(table.cursor()->fields()[1].size, qint16('w' - 'A' + 10));
        QCOMPARE(table.GetFieldValue("plain").toBytes(), QByteArray("abcde"));
        QCOMPARE(table.GetFieldValue("big").toBytes(), QByteArray("z"));
    }

    void progressIsReportedInRoundedPercentages()
    {
        QCOMPARE(roundedPercent(1, 8), 12); // 12.5: ties go to the even number
        QCOMPARE(roundedPercent(3, 8), 38);
        QCOMPARE(roundedPercent(5, 8), 62);
        QCOMPARE(roundedPercent(2, 3), 67);

        writeFile(path(), image(8, 2, DiarySection, DiaryRow2009.repeated(8)));
        TVolgaTable table;
        QList<int> seen;
        table.OnCallback = [&](TVolgaDataset* sender, int percent) { QCOMPARE(sender, &table); seen.append(percent); };
        openFile(table, path());
        QCOMPARE(seen, (QList<int>{12, 25, 38, 50, 62, 75, 88, 100}));

        seen.clear();
        table.Delete(); // the first row: still counted in the store
        table.Delete();
        table.Delete();
        table.Delete();
        table.SaveToFile(path());
        QCOMPARE(seen, (QList<int>{62, 75, 88, 100}));
    }

    void failedSaveLeavesTheOldFileWhole()
    {
        TVolgaTable table;
        createDiary(table, path());
        table.AppendRecord({day(2009, 1, 1), QByteArray("abc")});

        QDir(m_dir.path()).mkpath("folder.dat/inner");
        const QString folder = path("folder.dat");
        QCOMPARE(errorOf([&] { table.SaveToFile(folder); }), "Cannot create file " + folder);
        QVERIFY(QFileInfo(folder + "/inner").isDir());

        const QString missing = path("no such folder/diary.dat");
        QCOMPARE(errorOf([&] { table.SaveToFile(missing); }), "Cannot create file " + missing);

        // A folder nobody can write to, with a file in it.
        const QByteArray before = readFile("/proc/version");
        QCOMPARE(errorOf([&] { table.SaveToFile("/proc/version"); }), QString("Cannot create file /proc/version"));
        QCOMPARE(readFile("/proc/version"), before);

        QCOMPARE(readFile(path()), hex(EmptyDiary)); // the table's own file was never touched
        table.SaveToFile(path());
        QCOMPARE(readFile(path()), hex(OneEntryDiary));
    }

    void autoBackupCopiesTheOldFileFirst()
    {
        TVolgaTable table;
        createDiary(table, path());
        table.setSaveOptions(savAutoBackup);
        table.AppendRecord({day(2009, 1, 1), QByteArray("abc")});
        table.SaveToFile(path());
        QCOMPARE(readFile(path("diary.~d")), hex(EmptyDiary));
        QCOMPARE(readFile(path()), hex(OneEntryDiary));
    }
};

QTEST_GUILESS_MAIN(TestTableFile)
#include "tst_tablefile.moc"
