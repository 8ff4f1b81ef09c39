// Ordering the row view by IndexFieldNames and the binary search over it.

#include "enginetestutil.h"

#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>
#include <cstring>

using namespace vistelle;
using namespace enginetest;

namespace {

const QByteArray DiarySection("XXX.date t\x12XXX.event m\x12\x14", 24);

QByteArray diaryRow(double dateValue, const QByteArray& text)
{
    QByteArray row = hex("08 04");
    char bytes[8];
    qToLittleEndian((dateValue + 693594) * 86400000.0, bytes);
    row.append(bytes, 8);
    char length[4];
    qToLittleEndian(qint32(text.size()), length);
    return row + QByteArray(length, 4) + text;
}

QByteArray diaryImage(const QList<std::pair<double, QByteArray>>& rows)
{
    QByteArray tail;
    for (const auto& [d, text] : rows) tail += diaryRow(d, text);
    QByteArray out(17, '\0');
    out[4] = 'S';
    qToLittleEndian(qint32(rows.size()), out.data() + 5);
    qToLittleEndian(qint32(2), out.data() + 9);
    qToLittleEndian(qint32(DiarySection.size()), out.data() + 13);
    out += DiarySection + tail;
    qToLittleEndian(qint32(out.size()), out.data());
    return out;
}

QList<QByteArray> events(TVolgaTable& table)
{
    QList<QByteArray> seen;
    for (table.First(); !table.Eof(); table.Next()) seen.append(table.GetFieldValue("event").toBytes());
    return seen;
}

// Key values of one row of the random tables, compared the way the engine orders them.
struct Keys {
    qint64 n;
    QByteArray s;
    bool b;
};

int textOrder(const QByteArray& x, const QByteArray& y)
{
    if (x.isEmpty() || y.isEmpty()) return int(x.size() > y.size()) - int(x.size() < y.size());
    const int c = std::memcmp(x.constData(), y.constData(), size_t(qMin(x.size(), y.size())));
    if (c != 0) return c < 0 ? -1 : 1;
    return int(x.size() > y.size()) - int(x.size() < y.size());
}

int keyOrder(const Keys& x, const Keys& y, const QString& index)
{
    for (const QString& name : index.split(';')) {
        int c = 0;
        if (name == "n") c = int(x.n > y.n) - int(x.n < y.n);
        else if (name == "s") c = textOrder(x.s, y.s);
        else if (name == "b") c = x.b == y.b ? 0 : (x.b ? -1 : 1);
        if (c != 0) return c;
    }
    return 0;
}

} // namespace

class TestRowOrder : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name = "diary.dat") const { return m_dir.filePath(name); }

    // Stored order: 3, 1, 2 January, then 1 January again.
    void unorderedDiary(TVolgaTable& table)
    {
        const double jan1 = encodeDate(2009, 1, 1);
        writeFile(path(), diaryImage({{jan1 + 2, "third"}, {jan1, "first"}, {jan1 + 1, "second"}, {jan1, "again"}}));
        openFile(table, path());
    }

private slots:
    void init() { setRegional(RegionalSettings{}); }

    void indexOrdersTheViewByDate()
    {
        TVolgaTable table;
        unorderedDiary(table);
        table.setIndexFieldNames("date");
        QVERIFY(table.viewOrdered());
        const QList<QByteArray> seen = events(table);
        QCOMPARE(seen.mid(2), (QList<QByteArray>{"second", "third"}));
        QVERIFY(seen.mid(0, 2).contains("first") && seen.mid(0, 2).contains("again"));
    }

    void duplicateDatesLocateTheFirstInViewOrder()
    {
        TVolgaTable table;
        unorderedDiary(table);
        QVERIFY(table.Locate("date", day(2009, 1, 1)));
        QCOMPARE(table.GetFieldValue("event").toBytes(), QByteArray("first")); // stored first
        table.setIndexFieldNames("date");
        const QList<QByteArray> seen = events(table);
        QVERIFY(table.Locate("date", day(2009, 1, 1)));
        QCOMPARE(table.RecNo(), 1);
        QCOMPARE(table.GetFieldValue("event").toBytes(), seen.first());
    }

    void clearingTheIndexGoesBackToStoredOrder()
    {
        TVolgaTable table;
        unorderedDiary(table);
        table.setIndexFieldNames("date");
        table.First();
        table.setIndexFieldNames("");
        table.First();
        QCOMPARE(table.GetFieldValue("event").toBytes(), QByteArray("third"));
        QCOMPARE(events(table), (QList<QByteArray>{"third", "first", "second", "again"}));
    }

    void changingTheIndexKeepsTheCurrentRow()
    {
        TVolgaTable table;
        unorderedDiary(table);
        QVERIFY(table.Locate("date", day(2009, 1, 3)));
        QCOMPARE(table.RecNo(), 1);
        table.setIndexFieldNames("date");
        QCOMPARE(table.RecNo(), 4);
        QCOMPARE(table.GetFieldValue("event").toBytes(), QByteArray("third"));
    }

    void settingTheSameTextChangesNothing()
    {
        TVolgaTable table;
        unorderedDiary(table);
        table.setIndexFieldNames("date");
        QVERIFY(table.Locate("date", day(2009, 1, 2)));
        const int at = table.RecNo();
        table.Edit();
        table.SetFieldValue("event", QByteArray("pending"));
        table.setIndexFieldNames("date");
        QCOMPARE(table.State(), dsEdit); // no implicit post either
        QCOMPARE(table.RecNo(), at);
        QCOMPARE(table.rowStatus(2), rsUnchanged);
    }

    void appendWhileOrderedGoesToTheEndAndIsStillFound()
    {
        TVolgaTable table;
        unorderedDiary(table);
        table.setIndexFieldNames("date");
        table.AppendRecord({day(2008, 12, 31), QByteArray("earliest")});
        QCOMPARE(table.RecNo(), 5);
        QVERIFY(!table.viewOrdered());
        QCOMPARE(events(table).last(), QByteArray("earliest"));
        QVERIFY(table.Locate("date", day(2008, 12, 31)));
        QCOMPARE(table.RecNo(), 5);
        QVERIFY(table.Locate("date", day(2009, 1, 3)));
        QCOMPARE(table.GetFieldValue("event").toBytes(), QByteArray("third"));
    }

    void deletedRowsStayOutOfARebuiltView()
    {
        TVolgaTable table;
        unorderedDiary(table);
        QVERIFY(table.Locate("date", day(2009, 1, 2)));
        table.Delete();
        table.setIndexFieldNames("date");
        QCOMPARE(table.RecordCount(), 3);
        QVERIFY(!events(table).contains("second"));
        table.setIndexFieldNames("");
        QCOMPARE(events(table), (QList<QByteArray>{"third", "first", "again"}));
    }

    void editKeepingTheKeyKeepsTheOrderMark()
    {
        TVolgaTable table;
        unorderedDiary(table);
        table.setIndexFieldNames("date");
        QVERIFY(table.Locate("date", day(2009, 1, 2)));
        table.Edit();
        table.SetFieldValue("event", QByteArray("text only"));
        table.Post();
        QVERIFY(table.viewOrdered());
        table.Edit();
        table.SetFieldValue("date", day(2010, 1, 1));
        table.Post();
        QVERIFY(!table.viewOrdered());
        QCOMPARE(table.RecNo(), 3); // the row keeps its place
        QVERIFY(table.Locate("date", day(2010, 1, 1)));
        QVERIFY(table.Locate("date", day(2009, 1, 3)));
    }

    void descendingAndCaseInsensitiveSort()
    {
        TVolgaTable table;
        table.setTableName(path("names.dat"));
        table.FieldDefs().Add("name", ftString, 20);
        table.CreateTable();
        table.Open();
        for (const char* name : {"beta", "Alpha", "gamma", "", "alpha2"}) table.AppendRecord({QByteArray(name)});
        auto names = [&] {
            QList<QByteArray> seen;
            for (table.First(); !table.Eof(); table.Next()) seen.append(table.GetFieldValue("name").toBytes());
            return seen;
        };
        table.setIndexFieldNames("name");
        QCOMPARE(names(), (QList<QByteArray>{"", "Alpha", "alpha2", "beta", "gamma"}));
        table.setSortOptions(vsoDescendSort);
        QCOMPARE(names(), (QList<QByteArray>{"gamma", "beta", "alpha2", "Alpha", ""}));
        QVERIFY(table.Locate("name", QByteArray("beta")));
        QCOMPARE(table.RecNo(), 2);
        table.setSortOptions(vsoCaseInsensitive);
        table.AppendRecord({QByteArray("ALPHA1")});
        table.setIndexFieldNames("");
        table.setIndexFieldNames("name");
        QCOMPARE(names(), (QList<QByteArray>{"", "Alpha", "ALPHA1", "alpha2", "beta", "gamma"}));
        QVERIFY(table.Locate("name", QByteArray("ALPHA1"))); // searching still regards case
        QCOMPARE(table.RecNo(), 3);
        QVERIFY(!table.Locate("name", QByteArray("BETA")));
    }

    void binarySearchFindsWhatTheLinearScanFinds()
    {
        QRandomGenerator random(20091231);
        const QStringList indexes = {"n", "s", "b;n", "n;s", "s;b;n"};
        for (int round = 0; round < 60; ++round) {
            TVolgaTable table;
            table.setTableName(path("random.dat"));
            table.FieldDefs().Add("n", ftInteger);
            table.FieldDefs().Add("s", ftString, 8);
            table.FieldDefs().Add("b", ftBoolean);
            table.CreateTable();
            table.Open();
            const int rows = random.bounded(0, 150);
            const int spread = random.bounded(1, 40);
            for (int i = 0; i < rows; ++i) {
                const QByteArray s = random.bounded(6) == 0 ? QByteArray() : QByteArray(1 + random.bounded(3), char('a' + random.bounded(3)));
                table.AppendRecord({random.bounded(-spread, spread), s, random.bounded(2) == 1});
            }
            const QString index = indexes[round % indexes.size()];
            const bool descending = round % 3 == 0;
            table.setSortOptions(descending ? TVolgaSortOptions(vsoDescendSort) : TVolgaSortOptions());
            table.setIndexFieldNames(index);
            QVERIFY(table.viewOrdered());

            QList<Keys> view;
            for (table.First(); !table.Eof(); table.Next())
                view.append({table.GetFieldValue("n").toInt(), table.GetFieldValue("s").toBytes(), table.GetFieldValue("b").toBool()});
            QCOMPARE(view.size(), rows);
            for (int i = 1; i < view.size(); ++i) {
                const int c = keyOrder(view[i - 1], view[i], index);
                QVERIFY2(descending ? c >= 0 : c <= 0, qPrintable(QString("round %1 row %2").arg(round).arg(i)));
            }

            const QString leading = index.section(';', 0, 0);
            for (int probe = 0; probe < 40; ++probe) {
                Keys key{random.bounded(-spread - 2, spread + 2), QByteArray(1 + random.bounded(3), char('a' + random.bounded(4))),
                         random.bounded(2) == 1};
                if (probe % 4 == 0 && !view.isEmpty()) key = view[random.bounded(int(view.size()))];
                if (key.s.isEmpty()) key.s = "a";
                int expected = -1;
                for (int i = 0; i < view.size() && expected < 0; ++i)
                    if (keyOrder(view[i], key, leading) == 0) expected = i + 1;
                const Variant value = leading == "n" ? Variant(key.n) : leading == "s" ? Variant(key.s) : Variant(key.b);
                const bool found = table.Locate(leading, value);
                QCOMPARE(found, expected > 0);
                if (found) QCOMPARE(table.RecNo(), expected);
                const Variant looked = table.Lookup(leading, value, "n");
                QCOMPARE(looked.isNull(), expected < 0);
                if (!looked.isNull()) QCOMPARE(looked.toInt(), view[expected - 1].n);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestRowOrder)
#include "tst_roworder.moc"
