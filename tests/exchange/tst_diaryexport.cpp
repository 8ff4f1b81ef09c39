// The export forms of a fixed diary: Markdown, text and JSON byte for byte, HTML as one
// document with its text escaped and its contents; the dates in ISO form and in words.

#include "core/textcodec.h"
#include "diary/exchange/diaryexport.h"

#include <QTest>

using namespace vistelle;

namespace {

TDateTime date(int y, int m, int d) { return encodeDate(y, m, d); }

// Windows-1252 and UTF-8 texts, line breaks, lines that look like Markdown headings, an
// empty text (left out) and the first day of year 1.
DatedEntries fixedDiary()
{
    return {
        {date(2009, 12, 24), encodeStoredText(QStringLiteral("Christmas Eve\r\nCarols at eight, \u20AC5 each."))},
        {date(2009, 12, 25), encodeStoredText(QStringLiteral("# not a heading\r\n\\ a backslash\r\n## 2009-12-26 \u2014 nor this\r\n"))},
        {date(2009, 12, 26), QByteArray()},
        {date(2010, 1, 1), encodeStoredText(QStringLiteral("<b>New</b> year & \u65E5\u672C\r\n\r\nsecond paragraph"))},
        {date(1, 1, 1), encodeStoredText(QStringLiteral("the first day"))},
    };
}

} // namespace

class TestDiaryExport : public QObject {
    Q_OBJECT

private slots:
    void markdownByteForByte()
    {
        const QByteArray expected = QStringLiteral(
            "# Vistelle diary\r\n"
            "\r\n"
            "<!-- vistelle-diary markdown 2 -->\r\n"
            "\r\n"
            "## 0001-01-01 \u2014 Monday, 1 January 1\r\n"
            "\r\n"
            "the first day\r\n"
            "\r\n"
            "## 2009-12-24 \u2014 Thursday, 24 December 2009\r\n"
            "\r\n"
            "Christmas Eve\\\r\n"
            "Carols at eight, \u20AC5 each.\r\n"
            "\r\n"
            "## 2009-12-25 \u2014 Friday, 25 December 2009\r\n"
            "\r\n"
            "\\# not a heading\\\r\n"
            "\\\\ a backslash\\\r\n"
            "\\## 2009-12-26 \u2014 nor this\r\n"
            "\r\n"
            "\r\n"
            "## 2010-01-01 \u2014 Friday, 1 January 2010\r\n"
            "\r\n"
            "\\<b\\>New\\</b\\> year \\& \u65E5\u672C\r\n"
            "\r\n"
            "second paragraph\r\n").toUtf8();
        QCOMPARE(exportEntries(fixedDiary(), ExportFormat::Markdown), expected);
        QCOMPARE(exportEntries(DatedEntries(), ExportFormat::Markdown),
                 QByteArray("# Vistelle diary\r\n\r\n<!-- vistelle-diary markdown 2 -->\r\n"));
    }

    // Each row: a text and its lines in the file; nothing may read as markup in a viewer.
    void markdownLinesAreEscapedForViewers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("lines");
        auto row = [](const char* name, const char* text, const char* lines) {
            QTest::newRow(name) << QString::fromUtf8(text) << QByteArray(lines);
        };
        row("heading", "# a", "\\# a");
        row("list items", "- a\r\n+ b\r\n* c", "\\- a\\\r\n\\+ b\\\r\n\\* c");
        row("numbered items", "1. a\r\n22) b\r\n3 c", "1\\. a\\\r\n22\\) b\\\r\n3 c");
        row("underlines and rules", "a\r\n===\r\n---\r\n___", "a\\\r\n\\===\\\r\n\\---\\\r\n\\_\\_\\_");
        row("code by indentation", "    code\r\n\tmore", "&#32;&#32;&#32;&#32;code\\\r\n&#9;more");
        row("fences, quotes and HTML", "```\r\n~~~\r\n> q\r\n<div>", "\\`\\`\\`\\\r\n\\~\\~\\~\\\r\n\\> q\\\r\n\\<div\\>");
        row("links, emphasis, entities, tables", "[a](b) _c_ &amp; |d|", "\\[a\\](b) \\_c\\_ \\&amp; \\|d\\|");
        row("backslash at the end", "a\\\r\nb", "a\\\\\\\r\nb");
        row("blank lines break no line", "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n");
        row("lone CR and LF", "a\rb\nc", "a&#13;b&#10;c");
        row("inner spaces stay", "a  b\t c", "a  b\t c");
    }
    void markdownLinesAreEscapedForViewers()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, lines);
        const QByteArray file = exportEntries({{date(2009, 1, 1), encodeStoredText(text)}}, ExportFormat::Markdown);
        const QByteArray head = "## 2009-01-01 \xE2\x80\x94 Thursday, 1 January 2009\r\n\r\n";
        QCOMPARE(file.mid(file.indexOf(head) + head.size()), lines + "\r\n");
    }

    void jsonIsAnArrayOfDatesAndTexts()
    {
        const DatedEntries diary{{date(2009, 12, 24), encodeStoredText(QStringLiteral("\uFEFF\"q\" \\ \u20AC\r\n\t") + QChar(1))},
                                 {date(2009, 12, 25), QByteArray()},
                                 {date(2010, 1, 1), "caf\xE9"}};
        QCOMPARE(exportEntries(diary, ExportFormat::Json),
                 QByteArray("[\n{\"date\": \"2009-12-24\", \"text\": \"\xEF\xBB\xBF\\\"q\\\" \\\\ \xE2\x82\xAC\\r\\n\\t\\u0001\"},\n"
                            "{\"date\": \"2010-01-01\", \"text\": \"caf\xC3\xA9\"}\n]\n"));
        QCOMPARE(exportEntries(DatedEntries(), ExportFormat::Json), QByteArray("[]\n"));
    }

    void textByteForByte()
    {
        const QByteArray expected = QStringLiteral(
            "0001-01-01 \u2014 Monday, 1 January 1\r\n"
            "the first day\r\n"
            "\r\n"
            "2009-12-24 \u2014 Thursday, 24 December 2009\r\n"
            "Christmas Eve\r\n"
            "Carols at eight, \u20AC5 each.\r\n"
            "\r\n"
            "2009-12-25 \u2014 Friday, 25 December 2009\r\n"
            "# not a heading\r\n"
            "\\ a backslash\r\n"
            "## 2009-12-26 \u2014 nor this\r\n"
            "\r\n"
            "\r\n"
            "2010-01-01 \u2014 Friday, 1 January 2010\r\n"
            "<b>New</b> year & \u65E5\u672C\r\n"
            "\r\n"
            "second paragraph\r\n"
            "\r\n").toUtf8();
        QCOMPARE(exportEntries(fixedDiary(), ExportFormat::Text), expected);
    }

    void htmlIsOneEscapedPrintableDocument()
    {
        const QString page = QString::fromUtf8(exportEntries(fixedDiary(), ExportFormat::Html));
        QVERIFY(page.startsWith(QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">")));
        QVERIFY(page.endsWith(QStringLiteral("</body>\n</html>\n")));
        QVERIFY(page.contains(QStringLiteral("<title>Vistelle diary</title>")));
        QVERIFY(page.contains(QStringLiteral("<h1>Vistelle diary</h1>")));
        QVERIFY(page.contains(QStringLiteral("@media print")));
        QCOMPARE(page.count(QStringLiteral("<section id=")), 4);
        QVERIFY(page.contains(QStringLiteral("<section id=\"2009-12-24\">")));
        QVERIFY(page.contains(QStringLiteral("<nav id=\"contents\">\n<ul>\n"
                                             "<li><span class=\"year\">1</span> <a href=\"#0001-01-01\">January</a></li>\n"
                                             "<li><span class=\"year\">2009</span> <a href=\"#2009-12-24\">December</a></li>\n"
                                             "<li><span class=\"year\">2010</span> <a href=\"#2010-01-01\">January</a></li>\n"
                                             "</ul>\n</nav>\n")));
        QCOMPARE(page.count(QStringLiteral("</section>")), 4);
        QVERIFY(page.contains(QStringLiteral(
            "<h2><time datetime=\"2010-01-01\">2010-01-01 \u2014 Friday, 1 January 2010</time></h2>\n"
            "<div class=\"text\">&lt;b&gt;New&lt;/b&gt; year &amp; \u65E5\u672C\n\nsecond paragraph</div>")));
        QVERIFY(page.contains(QStringLiteral("<div class=\"text\">Christmas Eve\nCarols at eight, \u20AC5 each.</div>")));
        QVERIFY(!page.contains(u'\r'));
        QVERIFY(!page.contains(QStringLiteral("<b>")));
    }

    void htmlShowsCharactersItMayNotHoldAsReplacement()
    {
        const DatedEntries diary{{date(2009, 1, 1), encodeStoredText(QStringLiteral("a\x01" "b") + QChar(0) + QChar(0xFFFF) + u'\t')}};
        const QString page = QString::fromUtf8(exportEntries(diary, ExportFormat::Html));
        QVERIFY(page.contains(QStringLiteral("<div class=\"text\">a\uFFFDb\uFFFD\uFFFD\t</div>")));
    }

    void datesInIsoFormAndInWords_data()
    {
        QTest::addColumn<TDateTime>("value");
        QTest::addColumn<QString>("heading");
        QTest::newRow("Christmas Eve") << date(2009, 12, 24) << QStringLiteral("2009-12-24 \u2014 Thursday, 24 December 2009");
        QTest::newRow("leap day") << date(2008, 2, 29) << QStringLiteral("2008-02-29 \u2014 Friday, 29 February 2008");
        QTest::newRow("day 0") << 0.0 << QStringLiteral("1899-12-30 \u2014 Saturday, 30 December 1899");
        QTest::newRow("last day") << date(9999, 12, 31) << QStringLiteral("9999-12-31 \u2014 Friday, 31 December 9999");
        QTest::newRow("year 10") << date(10, 7, 4) << QStringLiteral("0010-07-04 \u2014 Sunday, 4 July 10");
    }
    void datesInIsoFormAndInWords()
    {
        QFETCH(TDateTime, value);
        QFETCH(QString, heading);
        QCOMPARE(entryHeading(value), heading);
        TDateTime back = -1;
        QVERIFY(tryParseIsoDate(heading.left(10), back));
        QCOMPARE(back, value);
    }

    void onlyExistingDatesInTheExactFormParse_data()
    {
        QTest::addColumn<QString>("text");
        for (const char* text : {"2009-02-29", "2009-13-01", "2009-00-10", "0000-01-01", "2009-1-01", "2009/01/01",
                                 "2009-01-01 ", " 2009-01-01", "24/12/2009", "+009-01-01", "2009-01-3x", ""})
            QTest::newRow(text) << QString::fromLatin1(text);
    }
    void onlyExistingDatesInTheExactFormParse()
    {
        QFETCH(QString, text);
        TDateTime d = 0;
        QVERIFY(!tryParseIsoDate(text, d));
    }
};

QTEST_GUILESS_MAIN(TestDiaryExport)
#include "tst_diaryexport.moc"
