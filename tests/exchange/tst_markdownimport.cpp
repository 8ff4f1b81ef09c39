// Reading the Markdown export back: a file whose line breaks became LF, the merge into a
// diary by date, and the message for each file of another form. (The round trip of a
// random diary runs through the files in tst_vistellediary.)

#include "core/error.h"
#include "diary/exchange/diarylayout.h"
#include "core/textcodec.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/diaryexport.h"
#include "diary/exchange/markdownimport.h"

#include <QTest>

using namespace vistelle;

namespace {

const TDateTime SettingsDate = encodeDate(5050, 7, 6);
TDateTime date(int y, int m, int d) { return encodeDate(y, m, d); }

void newDiary(TVolgaTable& table)
{
    defineDiaryFields(table);
    table.Open();
}

QString failureOf(const QByteArray& file)
{
    try {
        readMarkdownExport(file, SettingsDate);
    } catch (const Error& e) {
        return e.message();
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(vistelle::DatedEntries)

class TestMarkdownImport : public QObject {
    Q_OBJECT

private slots:
    void fileWhoseLineBreaksBecameLfGivesCrLfBack()
    {
        const DatedEntries diary{{date(2009, 12, 24), encodeStoredText("one\r\n# two\r\n\r\n")},
                                 {date(2009, 12, 25), encodeStoredText("three")}};
        QByteArray file = exportEntries(diary, ExportFormat::Markdown);
        file.replace("\r\n", "\n");
        QCOMPARE(readMarkdownExport("\xEF\xBB\xBF" + file, SettingsDate), diary);
    }

    void mergeByDate_data()
    {
        QTest::addColumn<DatedEntries>("ours");
        QTest::addColumn<DatedEntries>("imported");
        QTest::addColumn<DatedEntries>("after");
        QTest::addColumn<QList<int>>("counts"); // added, unchanged, joined
        const TDateTime a = date(2009, 3, 1), b = date(2009, 3, 2);
        QTest::newRow("a missing date is added")
            << DatedEntries{{a, "mine"}} << DatedEntries{{b, "theirs"}} << DatedEntries{{a, "mine"}, {b, "theirs"}}
            << QList<int>{1, 0, 0};
        QTest::newRow("the same text is left")
            << DatedEntries{{a, "same"}} << DatedEntries{{a, "same"}} << DatedEntries{{a, "same"}} << QList<int>{0, 1, 0};
        // The same words stored as UTF-8 by another writer keep their bytes.
        QTest::newRow("the same text in another code page is left")
            << DatedEntries{{a, "caf\xC3\xA9"}} << DatedEntries{{a, "caf\xE9"}} << DatedEntries{{a, "caf\xC3\xA9"}}
            << QList<int>{0, 1, 0};
        QTest::newRow("another text keeps both, ours first")
            << DatedEntries{{a, "mine\r\n"}} << DatedEntries{{a, "theirs"}}
            << DatedEntries{{a, "mine\r\n\r\n----- imported -----\r\ntheirs"}} << QList<int>{0, 0, 1};
        QTest::newRow("a text imported before is left")
            << DatedEntries{{a, "mine\r\n----- imported -----\r\ntheirs"}} << DatedEntries{{a, "theirs"}}
            << DatedEntries{{a, "mine\r\n----- imported -----\r\ntheirs"}} << QList<int>{0, 1, 0};
    }
    void mergeByDate()
    {
        QFETCH(DatedEntries, ours);
        QFETCH(DatedEntries, imported);
        QFETCH(DatedEntries, after);
        QFETCH(QList<int>, counts);
        TVolgaTable table;
        newDiary(table);
        table.AppendRecord({Variant::fromDateTime(SettingsDate), Variant(QByteArray("415x736y163z266j0k0"))});
        for (const auto& [d, text] : ours) table.AppendRecord({Variant::fromDateTime(d), Variant(text)});
        const ImportCounts c = importEntries(table, SettingsDate, imported);
        QCOMPARE((QList<int>{c.added, c.unchanged, c.joined}), counts);
        QCOMPARE(readEntries(table, SettingsDate), after);
        QVERIFY(table.Locate("date", Variant::fromDateTime(SettingsDate)));
        QCOMPARE(table.GetFieldValue("event").toBytes(), QByteArray("415x736y163z266j0k0"));
    }

    void fileOfAnotherFormNamesTheLine_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        const QString noTitle = QStringLiteral("not a Vistelle diary export: it does not begin with a title line \"# \u2026\"");
        QTest::newRow("empty") << QByteArray() << noTitle;
        QTest::newRow("no title") << QByteArray("Dear diary\r\n") << noTitle;
        QTest::newRow("not UTF-8") << QByteArray("# Vistelle diary\r\n\r\n## 2009-01-01\r\n\r\ncaf\xE9\r\n")
                                   << QStringLiteral("not a Vistelle diary export: the file is not UTF-8 text");
        QTest::newRow("text before the first heading") << QByteArray("# t\r\n\r\nstray\r\n")
                                                       << QStringLiteral("line 3: text before the first entry's heading");
        QTest::newRow("no such date") << QByteArray("# t\r\n\r\n## 2009-02-29 x\r\n\r\nx\r\n")
                                      << QStringLiteral("line 3: the heading \"## 2009-02-29 x\" names no date in the form 2009-12-24");
        QTest::newRow("date run on") << QByteArray("# t\r\n\r\n## 2009-02-011\r\n\r\nx\r\n")
                                     << QStringLiteral("line 3: the heading \"## 2009-02-011\" names no date in the form 2009-12-24");
        QTest::newRow("no blank line before") << QByteArray("# t\r\n## 2009-01-01\r\n\r\nx\r\n")
                                              << QStringLiteral("line 2: a heading needs a blank line before it");
        QTest::newRow("no blank line after") << QByteArray("# t\r\n\r\n## 2009-01-01\r\nx\r\n")
                                             << QStringLiteral("line 4: a heading needs a blank line after it");
        QTest::newRow("heading at the end") << QByteArray("# t\r\n\r\n## 2009-01-01\r\n")
                                            << QStringLiteral("line 4: a heading needs a blank line after it");
        QTest::newRow("a date twice") << QByteArray("# t\r\n\r\n## 2009-01-01\r\n\r\nx\r\n\r\n## 2009-01-01\r\n\r\ny\r\n")
                                      << QStringLiteral("line 7: a second entry for 2009-01-01");
        QTest::newRow("the settings date")
            << QByteArray("# t\r\n\r\n## 5050-07-06 \xE2\x80\x94 Wednesday, 6 July 5050\r\n\r\n415x736\r\n")
            << QStringLiteral("line 3: 5050-07-06 is the date of the window's settings, not of an entry");
    }
    void fileOfAnotherFormNamesTheLine()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        QCOMPARE(failureOf(file), message);
    }
};

QTEST_GUILESS_MAIN(TestMarkdownImport)
#include "tst_markdownimport.moc"
