// The table engine in memory: row statuses, implicit post, navigation, search and every refusal.

#include "enginetestutil.h"
#include "core/wholefile.h"
#include "diary/engine/fieldvalue.h"

#include <QTest>

using namespace vistelle;
using namespace enginetest;

class TestVolgaTable : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name = "diary.dat") const { return m_dir.filePath(name); }

    // A diary holding 1, 2 and 3 January 2009 with texts "one", "two", "three".
    void threeEntries(TVolgaTable& table)
    {
        createDiary(table, path());
        table.AppendRecord({day(2009, 1, 1), QByteArray("one")});
        table.AppendRecord({day(2009, 1, 2), QByteArray("two")});
        table.AppendRecord({day(2009, 1, 3), QByteArray("three")});
        table.SaveToFile(path());
        table.Close();
        table.Open();
    }

    QByteArray event(TVolgaTable& table) { return table.GetFieldValue("event").toBytes(); }

private slots:
    void init() { setRegional(RegionalSettings{}); QFile::remove(path()); }

    void emptyTableFromCreateTable()
    {
        TVolgaTable table;
        createDiary(table, path());
        QVERIFY(table.Active());
        QCOMPARE(table.RecordCount(), 0);
        table.First();
        QVERIFY(table.Eof());
        QVERIFY(!table.Locate("date", day(2009, 1, 1)));
        QVERIFY(table.Lookup("date", day(2009, 1, 1), "event").isNull());
        QVERIFY(table.GetFieldValue("date").isNull());
        QCOMPARE(table.GetFieldValue("event").kind(), Variant::Kind::Text);
        QCOMPARE(event(table), QByteArray());
    }

    void appendedRowIsFoundBeforeAndAfterReopen()
    {
        TVolgaTable table;
        createDiary(table, path());
        table.AppendRecord({day(2009, 1, 1), QByteArray("abc")});
        QCOMPARE(table.rowStatus(0), rsInserted);
        QCOMPARE(table.RecNo(), 1);
        QVERIFY(table.Locate("date", day(2009, 1, 1)));
        QCOMPARE(event(table), QByteArray("abc"));
        table.SaveToFile(path());
        QCOMPARE(table.rowStatus(0), rsInserted); // a save changes no status

        TVolgaTable back;
        openFile(back, path());
        QVERIFY(back.Locate("date", day(2009, 1, 1)));
        QCOMPARE(event(back), QByteArray("abc"));
        QCOMPARE(back.rowStatus(0), rsUnchanged);
    }

    void editWithoutNavigationIsNotSaved()
    {
        TVolgaTable table;
        threeEntries(table);
        QVERIFY(table.Locate("date", day(2009, 1, 2)));
        table.Edit();
        table.SetFieldValue("event", QByteArray("changed"));
        QCOMPARE(table.State(), dsEdit);
        QCOMPARE(event(table), QByteArray("changed")); // the record being edited
        table.SaveToFile(path());
        TVolgaTable back;
        openFile(back, path());
        QVERIFY(back.Locate("date", day(2009, 1, 2)));
        QCOMPARE(event(back), QByteArray("two"));
        QCOMPARE(table.rowStatus(1), rsUnchanged);
    }

    void editCommittedByLocateIsSaved()
    {
        TVolgaTable table;
        threeEntries(table);
        QVERIFY(table.Locate("date", day(2009, 1, 2)));
        table.Edit();
        table.SetFieldValue("event", QByteArray("changed"));
        QVERIFY(table.Locate("date", day(2009, 1, 3)));
        QCOMPARE(table.State(), dsBrowse);
        QCOMPARE(table.rowStatus(1), rsModified);
        table.SaveToFile(path());
        TVolgaTable back;
        openFile(back, path());
        QVERIFY(back.Locate("date", day(2009, 1, 2)));
        QCOMPARE(event(back), QByteArray("changed"));
    }

    void editOfAnInsertedRowKeepsItsStatus()
    {
        TVolgaTable table;
        createDiary(table, path());
        table.AppendRecord({day(2009, 1, 1), QByteArray("a")});
        table.Edit();
        table.SetFieldValue("event", QByteArray("b"));
        table.Post();
        QCOMPARE(table.rowStatus(0), rsInserted);
        QCOMPARE(event(table), QByteArray("b"));
    }

    void editWithoutWritingIsDroppedByTheNextMove()
    {
        TVolgaTable table;
        threeEntries(table);
        table.Edit();
        table.Next();
        QCOMPARE(table.State(), dsBrowse);
        QCOMPARE(table.rowStatus(0), rsUnchanged);
    }

    void cancelDropsTheEdit()
    {
        TVolgaTable table;
        threeEntries(table);
        table.Edit();
        table.SetFieldValue("event", QByteArray("x"));
        table.Cancel();
        QCOMPARE(event(table), QByteArray("one"));
        table.Next();
        QCOMPARE(table.rowStatus(0), rsUnchanged);
    }

    void closeDropsThePendingChange()
    {
        TVolgaTable table;
        threeEntries(table);
        table.Edit();
        table.SetFieldValue("event", QByteArray("x"));
        table.Close();
        QCOMPARE(table.rowStatus(0), rsUnchanged);
        table.SaveToFile(path("closed.dat")); // the row store stays with the closed table
        QCOMPARE(readFile(path("closed.dat")), readFile(path()));
    }

    void implicitPostBySettingReadOnlyAndIndex()
    {
        TVolgaTable table;
        threeEntries(table);
        table.Edit();
        table.SetFieldValue("event", QByteArray("x"));
        table.setReadOnly(true);
        QCOMPARE(table.rowStatus(0), rsModified);
        table.setReadOnly(false);
        table.Next();
        table.Edit();
        table.SetFieldValue("event", QByteArray("y"));
        table.setIndexFieldNames("date");
        QCOMPARE(table.rowStatus(1), rsModified);
        QCOMPARE(event(table), QByteArray("y"));
    }

    void editThenDeleteOmitsTheRow()
    {
        TVolgaTable table;
        threeEntries(table);
        QVERIFY(table.Locate("date", day(2009, 1, 2)));
        table.Edit();
        table.SetFieldValue("event", QByteArray("lost"));
        table.Delete();
        QCOMPARE(table.State(), dsBrowse);
        QCOMPARE(table.RecordCount(), 2);
        QCOMPARE(table.rowStatus(1), rsDeleted);
        QCOMPARE(event(table), QByteArray("three")); // the row that followed is current
        QVERIFY(!table.Locate("date", day(2009, 1, 2)));
        table.SaveToFile(path());
        TVolgaTable back;
        openFile(back, path());
        QCOMPARE(back.RecordCount(), 2);
        QVERIFY(!back.Locate("date", day(2009, 1, 2)));
    }

    void deletingTheLastRowMakesThePreviousCurrent()
    {
        TVolgaTable table;
        threeEntries(table);
        QVERIFY(table.Locate("date", day(2009, 1, 3)));
        table.Delete();
        QCOMPARE(table.RecNo(), 2);
        QCOMPARE(event(table), QByteArray("two"));
    }

    void deletingTheOnlyRowLeavesAnEmptyView()
    {
        TVolgaTable table;
        createDiary(table, path());
        table.AppendRecord({day(2009, 1, 1), QByteArray("a")});
        table.Delete();
        QCOMPARE(table.RecordCount(), 0);
        QCOMPARE(table.rowStatus(0), rsDiscarded);
        QCOMPARE(event(table), QByteArray());
        QVERIFY(table.GetFieldValue("date").isNull());
        table.First();
        QVERIFY(table.Eof());
        QCOMPARE(errorOf([&] { table.Delete(); }), QString("Cannot perform this operation on an empty dataset"));
        table.SaveToFile(path());
        QCOMPARE(readFile(path()), hex(EmptyDiary));
    }

    void deletedRowsStayOutOfEveryLaterSave()
    {
        TVolgaTable table;
        threeEntries(table);
        table.Delete();
        table.SaveToFile(path("a.dat"));
        table.SaveToFile(path("b.dat"));
        QCOMPARE(readFile(path("a.dat")), readFile(path("b.dat")));
        TVolgaTable back;
        openFile(back, path("b.dat"));
        QCOMPARE(back.RecordCount(), 2);
    }

    void navigationWalksTheViewAndSetsEof()
    {
        TVolgaTable table;
        threeEntries(table);
        QList<QByteArray> seen;
        for (table.First(); !table.Eof(); table.Next()) seen.append(event(table));
        QCOMPARE(seen, (QList<QByteArray>{"one", "two", "three"}));
        QCOMPARE(event(table), QByteArray("three")); // Eof keeps the last row current
    }

    void readOnlyRefusesChangesButNotSearches()
    {
        TVolgaTable table;
        threeEntries(table);
        table.setReadOnly(true);
        QCOMPARE(errorOf([&] { table.AppendRecord({day(2009, 2, 1), QByteArray("x")}); }), QString("Cannot modify a read-only dataset"));
        QCOMPARE(errorOf([&] { table.Edit(); }), QString("Cannot modify a read-only dataset"));
        QCOMPARE(errorOf([&] { table.Delete(); }), QString("Read-only record cannot be deleted"));
        QCOMPARE(table.RecordCount(), 3);
        QCOMPARE(table.State(), dsBrowse);
        QVERIFY(table.Locate("date", day(2009, 1, 2)));
        QCOMPARE(table.Lookup("date", day(2009, 1, 3), "event").toBytes(), QByteArray("three"));
        table.First();
        table.Next();
        QCOMPARE(event(table), QByteArray("two"));
        table.setIndexFieldNames("date");
        table.SaveToFile(path("ro.dat"));
        table.setReadOnly(false);
        table.Delete();
        QCOMPARE(table.RecordCount(), 2);
    }

    void locateWithNullOrUnassignedFindsNothing()
    {
        TVolgaTable table;
        createDiary(table, path());
        table.AppendRecord({Variant::null(), QByteArray("no date")});
        table.AppendRecord({day(2009, 1, 1), QByteArray("a")});
        QVERIFY(!table.Locate("date", Variant::null()));
        QVERIFY(!table.Locate("date", Variant()));
        QVERIFY(!table.Locate("", day(2009, 1, 1)));
        QCOMPARE(event(table), QByteArray("a")); // not moved
        QVERIFY(table.Lookup("date", Variant::null(), "event").isNull());
        // A key text that is not a date searches for the empty date.
        QVERIFY(table.Locate("date", QByteArray("not a date")));
        QCOMPARE(event(table), QByteArray("no date"));
    }

    void locateDropsMilliseconds()
    {
        TVolgaTable table;
        createDiary(table, path());
        const double withMs = 39814.0 + (12 * 3600 + 30 * 60 + 15.25) / 86400.0;
        const double wholeSeconds = 39814.0 + (12 * 3600 + 30 * 60 + 15) / 86400.0;
        table.AppendRecord({Variant::fromDateTime(withMs), QByteArray("ms")});
        table.AppendRecord({Variant::fromDateTime(wholeSeconds), QByteArray("s")});
        QVERIFY(table.Locate("date", Variant::fromDateTime(withMs)));
        QCOMPARE(event(table), QByteArray("s"));
        table.Delete();
        QVERIFY(!table.Locate("date", Variant::fromDateTime(withMs)));
        QVERIFY(table.Lookup("date", Variant::fromDateTime(withMs), "event").isNull());
    }

    void duplicateDatesLocateTheOneStoredFirst()
    {
        const QByteArray image = hex("00000000 53 02000000 02000000 18000000") + QByteArray("XXX.date t\x12XXX.event m\x12\x14", 24)
            + hex("08 04 00004068D3D0CC42 05000000") + "first" + hex("08 04 00004068D3D0CC42 06000000") + "second";
        writeFile(path(), image);
        TVolgaTable table;
        openFile(table, path());
        table.Next();
        QVERIFY(table.Locate("date", day(2009, 1, 1)));
        QCOMPARE(event(table), QByteArray("first"));
    }

    void lookupLeavesTheCurrentRow()
    {
        TVolgaTable table;
        threeEntries(table);
        table.Next();
        QCOMPARE(table.Lookup("date", day(2009, 1, 3), "event").toBytes(), QByteArray("three"));
        const Variant both = table.Lookup("date", day(2009, 1, 1), "event;date");
        QCOMPARE(both.toArray().size(), 2);
        QCOMPARE(both.toArray()[1].toDateTime(), 39814.0);
        QCOMPARE(table.RecNo(), 2);
        QCOMPARE(event(table), QByteArray("two"));
    }

    void lookupCommitsAPendingEdit()
    {
        TVolgaTable table;
        threeEntries(table);
        table.Edit();
        table.SetFieldValue("event", QByteArray("new"));
        QCOMPARE(table.Lookup("date", day(2009, 1, 1), "event").toBytes(), QByteArray("new"));
        QCOMPARE(table.rowStatus(0), rsModified);
    }

    void operationsOnAClosedTable()
    {
        TVolgaTable table;
        const QString closed = "Cannot perform this operation on a closed dataset";
        QCOMPARE(errorOf([&] { table.Locate("date", day(2009, 1, 1)); }), closed);
        QCOMPARE(errorOf([&] { table.Lookup("date", day(2009, 1, 1), "event"); }), closed);
        QCOMPARE(errorOf([&] { table.Edit(); }), closed);
        QCOMPARE(errorOf([&] { table.AppendRecord({}); }), closed);
        QCOMPARE(errorOf([&] { table.Delete(); }), closed);
        QCOMPARE(errorOf([&] { table.First(); }), closed);
        QCOMPARE(errorOf([&] { table.Next(); }), closed);
        table.SaveToFile(path()); // no row store yet: nothing happens
        QVERIFY(!QFile::exists(path()));
    }

    void createAndOpenRefusals()
    {
        TVolgaTable table;
        table.setTableName(path());
        QCOMPARE(errorOf([&] { table.CreateTable(); }), QString("Error creating table (no field descriptions)"));
        QCOMPARE(errorOf([&] { table.Open(); }), "Error opening file " + path());
        createDiary(table, path());
        QCOMPARE(errorOf([&] { table.CreateTable(); }), QString("Cannot perform this operation on an open dataset"));

        TVolgaTable unnamed;
        unnamed.FieldDefs().Add("date", ftDateTime);
        QCOMPARE(errorOf([&] { unnamed.CreateTable(); }), QString("Error opening file "));
        QVERIFY(!unnamed.Active());

        QDir(m_dir.path()).mkpath("dir.dat");
        TVolgaTable folder;
        folder.setTableName(path("dir.dat"));
        QCOMPARE(errorOf([&] { folder.Open(); }), "Cannot open file " + path("dir.dat"));
    }

    void tableNameAndLoadModeCloseTheTable()
    {
        TVolgaTable table;
        createDiary(table, path());
        QCOMPARE(table.LoadMode(), lmFile);
        table.setTableName(path());
        QVERIFY(table.Active()); // same name: nothing changes
        table.setTableName("");
        QVERIFY(!table.Active());
        QCOMPARE(table.LoadMode(), lmClear);
        table.Open(); // lmClear: a new empty table from the field definitions
        QCOMPARE(table.RecordCount(), 0);
        table.setLoadMode(lmStream);
        QVERIFY(!table.Active());
        table.setLoadStream(hex(OneEntryDiary));
        table.Open();
        QCOMPARE(event(table), QByteArray("abc"));

        TVolgaTable clone; // shows the rows of another open dataset
        clone.setLoadMode(lmClone);
        clone.setCloneDS(&table);
        clone.Open();
        QCOMPARE(event(clone), QByteArray("abc"));
        QCOMPARE(clone.cursor(), table.cursor());
    }

    void fieldWriteRefusals()
    {
        TVolgaTable table;
        threeEntries(table);
        QCOMPARE(errorOf([&] { table.SetFieldValue("event", QByteArray("x")); }), QString("Table is not in edit or insert mode"));
        QCOMPARE(errorOf([&] { table.SetFieldValue("date", day(2009, 1, 1)); }), QString("Table is not in edit or insert mode"));
        QCOMPARE(errorOf([&] { table.SetFieldValue("nothing", 1); }), QString("Field 'nothing' not found"));
        table.FieldByName("event").setReadOnly(true);
        table.FieldByName("date").setReadOnly(true);
        table.Edit();
        QCOMPARE(errorOf([&] { table.SetFieldValue("event", QByteArray("x")); }), QString("Field 'event' is read only!"));
        QCOMPARE(errorOf([&] { table.SetFieldValue("date", day(2009, 5, 1)); }), QString("Field 'date' is read only!"));
        QCOMPARE(table.State(), dsEdit); // the record keeps its state
        QCOMPARE(event(table), QByteArray("one"));
    }

    void keyFieldRefusals()
    {
        TVolgaTable table;
        threeEntries(table);
        QCOMPARE(errorOf([&] { table.Locate("when", day(2009, 1, 1)); }), QString("Field 'when' not found"));
        QCOMPARE(errorOf([&] { table.Lookup("date;when", day(2009, 1, 1), "event"); }), QString("Field 'when' not found"));
        QCOMPARE(errorOf([&] { table.Locate("event", QByteArray("one")); }), QString("There are calc or BLOB fields in list of key fields"));
        QCOMPARE(errorOf([&] { table.setIndexFieldNames("event"); }), QString("There are calc or BLOB fields in list of key fields"));
        QCOMPARE(errorOf([&] { table.setIndexFieldNames("date;when"); }), QString("Field 'when' not found"));
        QCOMPARE(table.IndexFieldNames(), QString()); // a refused list changes nothing
        QCOMPARE(errorOf([&] { table.Lookup("date", day(2009, 1, 1), "when"); }), QString("Field 'when' not found"));
        QCOMPARE(errorOf([&] { table.Post(); }), QString("Dataset not in edit or insert mode"));
    }

    void editOnAnEmptyTableIsRefused()
    {
        TVolgaTable table;
        createDiary(table, path());
        QCOMPARE(errorOf([&] { table.Edit(); }), QString("Cannot perform this operation on an empty dataset"));
    }

    void appendWithATextThatIsNotADateAddsNothing()
    {
        TVolgaTable table;
        createDiary(table, path());
        QCOMPARE(errorOf([&] { table.AppendRecord({QByteArray("31/02/2009"), QByteArray("x")}); }),
                 QString("'31/02/2009' is not a valid date"));
        QCOMPARE(table.RecordCount(), 0);
        QCOMPARE(table.State(), dsBrowse);
        QCOMPARE(table.storeRowCount(), 0);
    }

    void keyTextParserPerType()
    {
        TVolgaTable table;
        table.setTableName(path());
        table.FieldDefs().Add("n", ftInteger);
        table.FieldDefs().Add("s", ftSmallint);
        table.FieldDefs().Add("b", ftBoolean);
        table.FieldDefs().Add("f", ftFloat);
        table.FieldDefs().Add("code", ftString, 3);
        table.FieldDefs().Add("name", ftString, 40);
        table.FieldDefs().Add("d", ftDate);
        table.FieldDefs().Add("t", ftTime);
        table.CreateTable();
        table.Open();
        table.AppendRecord({1, 0, false, 0.0, QByteArray("abc"), QByteArray("first name"), Variant::null(), Variant::null()});
        table.AppendRecord({42, -7, true, 2.5, QByteArray("xyz"), QByteArray("second"), day(2009, 1, 1),
                            Variant::fromDateTime(0.75)});
        auto at = [&](const char* field, const Variant& key) {
            return table.Locate(field, key) ? table.GetFieldValue("n").toInt() : -1;
        };
        QCOMPARE(at("n", 42), 42);
        QCOMPARE(at("n", QByteArray("42")), 42);
        QCOMPARE(at("n", QByteArray("forty")), -1); // no number: 0 is searched, and no row holds it
        QCOMPARE(at("s", -7), 42);
        QCOMPARE(at("b", true), 42);
        QCOMPARE(at("b", QByteArray("yes")), 42);
        QCOMPARE(at("b", QByteArray("T")), 42);
        QCOMPARE(at("b", QByteArray("\xC4\xC0")), 42);
        QCOMPARE(at("b", QByteArray("no")), 1);
        QCOMPARE(at("f", 2.5), 42);
        QCOMPARE(at("code", QByteArray("xyzzy")), 42); // cut to the field's size
        QCOMPARE(at("name", QByteArray("second")), 42);
        QCOMPARE(at("name", QByteArray("Second")), -1); // searching regards case
        QCOMPARE(at("d", day(2009, 1, 1)), 42);
        QCOMPARE(at("t", QByteArray("18:00")), 42);
        QCOMPARE(at("n;code", QList<Variant>{42, QByteArray("xyz")}), 42);
        QCOMPARE(at("n;code", QList<Variant>{42, QByteArray("abc")}), -1);
        QCOMPARE(at("n;code", QList<Variant>{Variant::null(), QByteArray("abc")}), -1); // null leaves 0, row 1 has 1
    }

    void locateWithOptionsComparesValues()
    {
        TVolgaTable table;
        table.setTableName(path());
        table.FieldDefs().Add("name", ftString, 40);
        table.FieldDefs().Add("n", ftInteger);
        table.CreateTable();
        table.Open();
        table.AppendRecord({QByteArray("Alpha"), 1});
        table.AppendRecord({QByteArray("beta"), 2});
        QVERIFY(table.Locate("name", QByteArray("BETA"), loCaseInsensitive));
        QCOMPARE(table.GetFieldValue("n").toInt(), 2);
        QVERIFY(table.Locate("name", QByteArray("al"), TLocateOptions(loCaseInsensitive) | loPartialKey));
        QCOMPARE(table.GetFieldValue("n").toInt(), 1);
        QVERIFY(!table.Locate("name", QByteArray("al"), loPartialKey));
        QVERIFY(table.Locate("n", 2.0, loCaseInsensitive));
    }

    void variantConversions()
    {
        QCOMPARE(Variant::null().toDateTime(), 0.0); // an empty date reads as 0, as a field accessor gives it
        QCOMPARE(Variant().toBytes(), QByteArray());
        QCOMPARE(day(2009, 1, 1).toBytes(), QByteArray("01/01/2009"));
        QCOMPARE(Variant::fromDateTime(39814.75).toBytes(), QByteArray("01/01/2009 18:00:00"));
        QCOMPARE(Variant(2.5).toBytes(), QByteArray("2.5"));
        QCOMPARE(Variant(true).toBytes(), QByteArray("True"));
        QCOMPARE(Variant("12").toInt(), 12);
        QCOMPARE(Variant(2.5).toInt(), 2); // ties to even
        QCOMPARE(errorOf([] { Variant("abc").toInt(); }), QString("'abc' is not a valid integer value"));
        QCOMPARE(errorOf([] { Variant::fromDateTime(1e300).toBytes(); }), QString("1e+300 is not a valid date value"));
        QCOMPARE(errorOf([] { Variant("32/01/2009").toDateTime(); }), QString("'32/01/2009' is not a valid date"));
    }

    void largeDiaryKeepsEveryRowAcrossTheRowChunks()
    {
        // Past the first chunk and one whole chunk after it.
        const int rows = int(RowList::FirstChunkRows + RowList::ChunkRows) + 3;
        auto text = [](int i) { return QByteArray::number(i).rightJustified(180, '.'); };
        TVolgaTable table;
        createDiary(table, path());
        for (int i = 0; i < rows; ++i) table.AppendRecord({day(2000, 1, 1).toDateTime() + i, text(i)});
        table.SaveToFile(path());
        const QByteArray saved = readFile(path());
        QVERIFY(saved.size() > qsizetype(2 * RowList::ChunkBytes));
        table.Close();
        table.Open();

        QCOMPARE(table.RecordCount(), rows);
        for (int i : {0, int(RowList::FirstChunkRows) - 1, int(RowList::FirstChunkRows), rows - 4, rows - 1}) {
            QVERIFY(table.Locate("date", Variant::fromDateTime(day(2000, 1, 1).toDateTime() + i)));
            QCOMPARE(event(table), text(i));
        }
        table.SaveToFile(path("copy.dat"));
        QVERIFY(readFile(path("copy.dat")) == saved);
    }

    void peekedBytesAreThoseOfGetFieldValue()
    {
        TVolgaTable table;
        table.setTableName(path());
        table.FieldDefs().Add("memo", ftMemo, 0, false);
        table.FieldDefs().Add("text", ftString, 40, false);
        table.FieldDefs().Add("number", ftInteger, 0, false);
        table.CreateTable();
        table.Open();
        table.AppendRecord({QByteArray("memo \0 bytes", 12), QByteArray(60, 'x'), 7});
        table.First();
        QByteArrayView bytes;
        QVERIFY(table.peekBytes("memo", bytes));
        QVERIFY(bytes == table.GetFieldValue("memo").toBytes());
        QVERIFY(table.peekBytes("text", bytes));
        QCOMPARE(bytes.size(), 40);
        QVERIFY(bytes == table.GetFieldValue("text").toBytes());
        QVERIFY(!table.peekBytes("number", bytes));
    }

    void storedDateConversion()
    {
        using namespace fieldvalue;
        QCOMPARE(storedFromDateTime(39814.0), 63366451200000.0);
        QCOMPARE(storedFromDateTime(0.0), 59926521600000.0);
        QCOMPARE(storedFromDateTime(-693593.0), 86400000.0); // 1 January of year 1
        QCOMPARE(dateTimeFromStored(86400000.0), -693593.0);
        QCOMPARE(dateTimeFromStored(storedFromDateTime(-1.25)), -1.25);
        QCOMPARE(dateTimeFromStored(storedFromDateTime(39814.0 + 1.0 / 3)), 39814.0 + 1.0 / 3);
    }
};

QTEST_GUILESS_MAIN(TestVolgaTable)
#include "tst_volgatable.moc"
