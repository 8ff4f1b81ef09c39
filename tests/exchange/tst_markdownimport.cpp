// Reading the Markdown export back: a file whose line breaks became LF, the merge into a
// diary by date, and the message for each file of another form. (The round trip of a
// random diary runs through the files in tst_vistellediary.)

#include "core/error.h"
#include "diary/exchange/diarylayout.h"
#include "core/textcodec.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/diaryexport.h"
#include "diary/exchange/markdownimport.h"

#include <QIODevice>
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

// Endless bytes of one kind after a start, counting what was read.
class Endless : public QIODevice {
public:
    explicit Endless(QByteArray start, char fill) : m_start(std::move(start)), m_fill(fill) { open(ReadOnly | Unbuffered); }
    qint64 read = 0;
    qint64 limit = -1; // when set: the bytes end there, handed out one at a time
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 n) override
    {
        if (limit >= 0) n = qMin<qint64>(1, limit - read);
        for (qint64 i = 0; i < n; ++i) data[i] = read + i < m_start.size() ? m_start[read + i] : m_fill;
        read += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }


private:
    QByteArray m_start;
    char m_fill;
};

// Files written before the escaped form: only "#" and "\" at line starts escaped.
const QByteArray OldForm = QStringLiteral(
    "# Vistelle diary\r\n"
    "\r\n"
    "## 2009-12-24 \u2014 Thursday, 24 December 2009\r\n"
    "\r\n"
    "Christmas Eve\r\n"
    "Carols at eight, *\u20AC5* each.\r\n"
    "\r\n"
    "## 2009-12-25 \u2014 Friday, 25 December 2009\r\n"
    "\r\n"
    "\\# not a heading\r\n"
    "\\\\ a backslash &#32;\n"
    "\\## lone LF before\r\n"
    "\r\n"
    "\r\n"
    "## 2010-01-01 \u2014 Friday, 1 January 2010\r\n"
    "\r\n"
    "<b>New</b> year & \u65E5\u672C\\\r\n").toUtf8();

} // namespace

Q_DECLARE_METATYPE(vistelle::DatedEntries)

class TestMarkdownImport : public QObject {
    Q_OBJECT

private slots:
    void fileWithoutTheMarkIsReadByTheRulesBeforeIt()
    {
        const DatedEntries expected{
            {date(2009, 12, 24), encodeStoredText(QStringLiteral("Christmas Eve\r\nCarols at eight, *\u20AC5* each."))},
            {date(2009, 12, 25), "# not a heading\r\n\\ a backslash &#32;\n## lone LF before\r\n"},
            {date(2010, 1, 1), encodeStoredText(QStringLiteral("<b>New</b> year & \u65E5\u672C\\"))}};
        QCOMPARE(readMarkdownExport(OldForm, SettingsDate), expected);
    }

    // Texts come back byte for byte, whatever they hold.
    void markedFormRoundTrips_data()
    {
        QTest::addColumn<QString>("text");
        // (QString::fromUtf8 would drop a leading U+FEFF.)
        QTest::newRow("U+FEFF first") << QChar(0xFEFF) + QStringLiteral("a text \u20AC");
        QTest::newRow("U+FEFF alone") << QString(QChar(0xFEFF));
        QTest::newRow("U+FEFF in Windows-1252 text") << QChar(0xFEFF) + QStringLiteral("caf\u00E9");
        for (const char* text : {"a\\", "\\", "\\\r\n\\",
                                 "&#32;&#9;&#13;&#10;&amp;", "  lead\r\n\ttab", "trail  \r\n", "\r\n\r\nblank first",
                                 "a\rb\nc\r\r\n\n\r", "## 2009-01-01 \xE2\x80\x94 x\r\n\r\n## 2009-01-02", "1.\r\n-\r\n=",
                                 "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"})
            QTest::newRow(text) << QString::fromUtf8(text);
        QTest::newRow("NUL and controls") << (QString(QChar(0)) + u'\x01' + u'\x1F');
    }
    void markedFormRoundTrips()
    {
        QFETCH(QString, text);
        const DatedEntries diary{{date(2009, 12, 24), encodeStoredText(text)}, {date(2009, 12, 25), "next"}};
        QCOMPARE(readMarkdownExport(exportEntries(diary, ExportFormat::Markdown), SettingsDate), diary);
    }

    // Each row: the lines after the title, with their own breaks, and the entries read.
    void lfAndCrLfLinesAreEachRecognised_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<DatedEntries>("entries");
        const QByteArray mark = "# Vistelle diary\r\n\r\n<!-- vistelle-diary markdown 2 -->\r\n";
        QTest::newRow("an LF entry appended to a CR LF file")
            << mark + "\r\n## 2009-01-01 x\r\n\r\none\\\r\ntwo\r\n\n## 2009-01-02 y\n\nthree\nfour\n"
            << DatedEntries{{date(2009, 1, 1), "one\r\ntwo"}, {date(2009, 1, 2), "three\r\nfour"}};
        QTest::newRow("an LF heading inside CR LF lines")
            << mark + "\r\n## 2009-01-01 x\r\n\r\none\r\n\n## 2009-01-02 y\r\n\r\nthree\r\n"
            << DatedEntries{{date(2009, 1, 1), "one"}, {date(2009, 1, 2), "three"}};
        QTest::newRow("LF title, CR LF entry")
            << QByteArray("# t\n\n## 2009-01-01 x\r\n\r\none\r\ntwo\n")
            << DatedEntries{{date(2009, 1, 1), "one\r\ntwo"}};
        QTest::newRow("no break at the end") << QByteArray("# t\n\n## 2009-01-01\n\nend") << DatedEntries{{date(2009, 1, 1), "end"}};
    }
    void lfAndCrLfLinesAreEachRecognised()
    {
        QFETCH(QByteArray, file);
        QFETCH(DatedEntries, entries);
        QCOMPARE(readMarkdownExport(file, SettingsDate), entries);
    }

    // A stream that is not an export is refused at its start, however long it runs on.
    void endlessJunkIsRefusedAtItsStart_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<char>("fill");
        QTest::addColumn<QString>("message");
        QTest::newRow("random bytes") << QByteArray("\x9F") << 'x' << QStringLiteral("line 1: not a Vistelle diary export: the file is not UTF-8 text");
        QTest::newRow("text without a title") << QByteArray() << 'x'
                                              << QStringLiteral("not a Vistelle diary export: it does not begin with a title line \"# \u2026\"");
        QTest::newRow("a title that runs on") << QByteArray("# ") << 'x' << QStringLiteral("line 1: a heading longer than 4096 bytes");
        QTest::newRow("a heading that runs on") << QByteArray("# t\r\n\r\n## ") << 'x'
                                                << QStringLiteral("line 3: a heading longer than 4096 bytes");
        QTest::newRow("a heading that runs on after a text")
            << QByteArray("# t\r\n\r\n## 2009-01-01\r\n\r\ntext\r\n\r\n## ") << 'x'
            << QStringLiteral("line 7: a heading longer than 4096 bytes");
        QTest::newRow("a title, then bad bytes") << QByteArray("# t\r\n") << '\xFF'
                                                 << QStringLiteral("line 2: not a Vistelle diary export: the file is not UTF-8 text");
    }
    void endlessJunkIsRefusedAtItsStart()
    {
        QFETCH(QByteArray, start);
        QFETCH(char, fill);
        QFETCH(QString, message);
        Endless junk(start, fill);
        try {
            readMarkdownExport(junk, SettingsDate, [](TDateTime, QByteArray) {});
            QFAIL("read");
        } catch (const Error& e) {
            QCOMPARE(e.message(), message);
        }
        QVERIFY(junk.read <= 1024 * 1024);
    }

    // A good file cut at every length, or broken in its middle, reads or names a line.
    // Read a byte at a time, lines and UTF-8 sequences run across the reader's pieces.
    void byteByByteReadsAsWhole()
    {
        const DatedEntries diary{{date(2009, 12, 24), encodeStoredText(QStringLiteral("\uFEFF\u65E5\r\n# two\r\n\u20AC\U0001F600"))},
                                 {date(2009, 12, 25), "three"}};
        const QByteArray file = exportEntries(diary, ExportFormat::Markdown);
        Endless oneByOne(file, 0); // read ends where the file does
        oneByOne.limit = file.size();
        DatedEntries read;
        readMarkdownExport(oneByOne, SettingsDate, [&](TDateTime d, QByteArray t) { read.emplace(d, std::move(t)); });
        QCOMPARE(read, diary);
    }

    void cutOrBrokenFileReadsOrNamesALine()
    {
        const DatedEntries diary{{date(2009, 12, 24), encodeStoredText(QStringLiteral("\uFEFFone\r\n# two\r\n\u20AC"))},
                                 {date(2009, 12, 25), "three"}};
        const QByteArray file = exportEntries(diary, ExportFormat::Markdown);
        for (qsizetype n = 0; n <= file.size(); ++n) {
            for (const QByteArray& damaged : {file.left(n), file.left(n) + '\xC0' + file.mid(n + 1)}) {
                try {
                    const DatedEntries read = readMarkdownExport(damaged, SettingsDate);
                    QVERIFY(read.size() <= diary.size());
                } catch (const Error& e) {
                    QVERIFY2(e.message().startsWith(QStringLiteral("line ")) || e.message().startsWith(QStringLiteral("not a")),
                             qPrintable(e.message()));
                }
            }
        }
    }

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
                                   << QStringLiteral("line 5: not a Vistelle diary export: the file is not UTF-8 text");
        QTest::newRow("not UTF-8 at a sequence's end") << QByteArray("# t\r\n\r\n\xE2\x82")
                                                      << QStringLiteral("line 3: not a Vistelle diary export: the file is not UTF-8 text");
        QTest::newRow("a surrogate in UTF-8") << QByteArray("# t\n\xED\xA0\x80\n")
                                             << QStringLiteral("line 2: not a Vistelle diary export: the file is not UTF-8 text");
        QTest::newRow("text before the first heading of the marked form")
            << QByteArray("# t\r\n\r\n<!-- vistelle-diary markdown 2 -->\r\n<!-- vistelle-diary markdown 2 -->\r\n")
            << QStringLiteral("line 4: text before the first entry's heading");
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
