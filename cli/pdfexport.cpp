#include "cli/pdfexport.h"

#include "core/error.h"
#include "diary/exchange/utf8text.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>

namespace vistelle::cli {

namespace {

// A text's line breaks (CR LF, lone CR or LF) as line breaks inside one paragraph.
QString withLineSeparators(QString text)
{
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(u'\r', QChar::LineSeparator);
    text.replace(u'\n', QChar::LineSeparator);
    return text;
}

void build(QTextDocument& document, const std::vector<ExportEntry>& entries)
{
    QFont body({QStringLiteral("DejaVu Serif")}, 11);
    document.setDefaultFont(body);
    QTextCursor cursor(&document);
    QTextCharFormat title;
    title.setFontPointSize(20);
    title.setFontWeight(QFont::Bold);
    cursor.insertText(exportTitle(), title);

    QTextCharFormat heading;
    heading.setFontPointSize(12);
    heading.setFontWeight(QFont::Bold);
    QTextBlockFormat headingBlock;
    headingBlock.setTopMargin(14);
    headingBlock.setBottomMargin(4);
    QTextBlockFormat textBlock;
    const QTextCharFormat text;
    int month = 0;
    for (const ExportEntry& e : entries) {
        if (e.text->isEmpty()) continue;
        const DateParts d = decodeDate(e.date);
        QTextBlockFormat block = headingBlock;
        const int thisMonth = d.year * 12 + d.month;
        block.setPageBreakPolicy(thisMonth != month ? QTextFormat::PageBreak_AlwaysBefore : QTextFormat::PageBreak_Auto);
        month = thisMonth;
        cursor.insertBlock(block, heading);
        cursor.insertText(entryHeading(e.date));
        cursor.insertBlock(textBlock, text);
        cursor.insertText(withLineSeparators(textOfUtf8(storedTextAsUtf8(*e.text))));
    }
}

} // namespace

QByteArray pdfOfEntries(const std::vector<ExportEntry>& entries)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        raise(QStringLiteral("a PDF needs the program's font service, which this run lacks"));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(exportTitle());
        writer.setCreator(QStringLiteral("vistelle-diary"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        QTextDocument document;
        build(document, entries);
        document.print(&writer);
    }
    return buffer.data();
}

} // namespace vistelle::cli
