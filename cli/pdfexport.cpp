#include "cli/pdfexport.h"

#include "core/error.h"
#include "diary/exchange/utf8text.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

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

// One month's entries (the title before the first month's) as a document of its own: laid
// out a month at a time, a diary of any length stays within the coordinates a text layout
// can hold (one document of a century overflows them).
class MonthWriter {
public:
    MonthWriter(QPdfWriter& writer, QPainter& painter) : m_writer(writer), m_painter(painter)
    {
        m_page = writer.pageLayout().paintRectPixels(writer.resolution()).size();
        m_heading.setFontPointSize(12);
        m_heading.setFontWeight(QFont::Bold);
        m_headingBlock.setTopMargin(14);
        m_headingBlock.setBottomMargin(4);
    }

    void title()
    {
        QTextCharFormat format;
        format.setFontPointSize(20);
        format.setFontWeight(QFont::Bold);
        cursor().insertText(exportTitle(), format);
    }

    void entry(const ExportEntry& e)
    {
        const DateParts d = decodeDate(e.date);
        const int month = d.year * 12 + d.month;
        if (month != m_month && m_document && !m_document->isEmpty()) flush();
        m_month = month;
        QTextCursor at = cursor();
        if (m_document->isEmpty()) {
            at.setBlockFormat(m_headingBlock);
            at.setCharFormat(m_heading);
        } else {
            at.insertBlock(m_headingBlock, m_heading);
        }
        at.insertText(entryHeading(e.date));
        at.insertBlock(QTextBlockFormat(), QTextCharFormat());
        at.insertText(withLineSeparators(textOfUtf8(storedTextAsUtf8(*e.text))));
    }

    // Lays the document out on pages of its own and draws them.
    void flush()
    {
        if (!m_document) return;
        m_document->documentLayout()->setPaintDevice(&m_writer);
        m_document->setPageSize(m_page);
        for (int p = 0; p < m_document->pageCount(); ++p) {
            if (m_pages++ > 0) m_writer.newPage();
            m_painter.save();
            m_painter.translate(0, -p * m_page.height());
            m_document->drawContents(&m_painter, QRectF(QPointF(0, p * m_page.height()), m_page));
            m_painter.restore();
        }
        m_document.reset();
    }

private:
    QTextCursor cursor()
    {
        if (!m_document) {
            m_document = std::make_unique<QTextDocument>();
            m_document->setDefaultFont(QFont({QStringLiteral("DejaVu Serif")}, 11));
            m_document->setDocumentMargin(0);
        }
        QTextCursor at(m_document.get());
        at.movePosition(QTextCursor::End);
        return at;
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    QSizeF m_page;
    QTextCharFormat m_heading;
    QTextBlockFormat m_headingBlock;
    std::unique_ptr<QTextDocument> m_document;
    int m_month = 0;
    int m_pages = 0;
};

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
        QPainter painter(&writer);
        MonthWriter months(writer, painter);
        months.title();
        months.flush(); // the title has the first page
        for (const ExportEntry& e : entries) {
            if (!e.text->isEmpty()) months.entry(e);
        }
        months.flush();
    }
    return buffer.data();
}

} // namespace vistelle::cli
