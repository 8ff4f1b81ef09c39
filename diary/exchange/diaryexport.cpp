#include "diary/exchange/diaryexport.h"

#include "core/textcodec.h"

#include <QList>

#include <cmath>

namespace vistelle {

namespace {

const char* const WeekdayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const MonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
const QString Dash = QStringLiteral(" \u2014 ");
const QByteArray CrLf = QByteArrayLiteral("\r\n");

bool isLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// A "\" before every line start that holds "#" or "\".
QString escapeLineStarts(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if ((i == 0 || isLineBreak(text[i - 1].unicode())) && (c == u'#' || c == u'\\')) out += u'\\';
        out += c;
    }
    return out;
}

bool allowedInHtml(char32_t c)
{
    if (c < 0x20) return c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
    if (c >= 0x7F && c <= 0x9F) return false;
    if (c >= 0xFDD0 && c <= 0xFDEF) return false;
    return (c & 0xFFFE) != 0xFFFE;
}

// The text as HTML character data: markup characters escaped, every line break one LF,
// characters an HTML document may not hold shown as U+FFFD.
QString htmlText(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    const QList<uint> codes = text.toUcs4();
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const char32_t c = codes[i];
        switch (c) {
        case u'&': out += QLatin1StringView("&amp;"); continue;
        case u'<': out += QLatin1StringView("&lt;"); continue;
        case u'>': out += QLatin1StringView("&gt;"); continue;
        case u'\r':
            if (i + 1 < codes.size() && codes[i + 1] == u'\n') ++i;
            out += u'\n';
            continue;
        }
        if (!allowedInHtml(c)) out += QChar(0xFFFD);
        else out += QString::fromUcs4(&c, 1);
    }
    return out;
}

const char HtmlHead[] = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>%1</title>
<style>
body { font-family: "DejaVu Serif", Georgia, serif; line-height: 1.45; color: #222; max-width: 42em; margin: 2em auto; padding: 0 1em; }
h1 { font-size: 1.6em; margin-bottom: 1.2em; }
h2 { font-size: 1.1em; color: #000080; margin: 1.8em 0 0.4em; }
.text { white-space: pre-wrap; overflow-wrap: break-word; }
@media print {
  body { max-width: none; margin: 0; padding: 0; color: #000; font-size: 11pt; }
  h2 { color: #000; break-after: avoid; page-break-after: avoid; }
  section { break-inside: avoid-page; }
  .text { orphans: 3; widows: 3; }
}
</style>
</head>
<body>
<h1>%1</h1>
)";

QByteArray markdown(const DatedEntries& entries)
{
    QByteArray out = "# " + exportTitle().toUtf8() + CrLf;
    for (const auto& [date, text] : entries) {
        if (text.isEmpty()) continue;
        out += CrLf + "## " + entryHeading(date).toUtf8() + CrLf + CrLf;
        out += escapeLineStarts(decodeStoredText(text)).toUtf8() + CrLf;
    }
    return out;
}

QByteArray plainText(const DatedEntries& entries)
{
    QByteArray out;
    for (const auto& [date, text] : entries) {
        if (text.isEmpty()) continue;
        out += entryHeading(date).toUtf8() + CrLf + decodeStoredText(text).toUtf8() + CrLf + CrLf;
    }
    return out;
}

QByteArray html(const DatedEntries& entries)
{
    QByteArray out = QString::fromLatin1(HtmlHead).arg(exportTitle()).toUtf8();
    for (const auto& [date, text] : entries) {
        if (text.isEmpty()) continue;
        out += "<section>\n<h2><time datetime=\"" + isoDate(date).toLatin1() + "\">" + entryHeading(date).toUtf8()
            + "</time></h2>\n<div class=\"text\">" + htmlText(decodeStoredText(text)).toUtf8() + "</div>\n</section>\n";
    }
    return out + "</body>\n</html>\n";
}

} // namespace

QString exportTitle() { return QStringLiteral("Vistelle diary"); }

bool isCalendarDay(TDateTime date)
{
    return date == std::floor(date) && date >= MinDateDays && date <= MaxDateDays;
}

QString isoDate(TDateTime date)
{
    const DateParts d = decodeDate(date);
    return QStringLiteral("%1-%2-%3")
        .arg(d.year, 4, 10, QChar(u'0'))
        .arg(d.month, 2, 10, QChar(u'0'))
        .arg(d.day, 2, 10, QChar(u'0'));
}

bool tryParseIsoDate(const QString& text, TDateTime& date)
{
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-') return false;
    for (qsizetype i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < u'0' || text[i] > u'9') return false;
    return tryEncodeDate(text.left(4).toInt(), text.mid(5, 2).toInt(), text.mid(8, 2).toInt(), date);
}

QString dateInWords(TDateTime date)
{
    const DateParts d = decodeDate(date);
    return QStringLiteral("%1, %2 %3 %4")
        .arg(QLatin1StringView(WeekdayNames[dayOfWeek(date) - 1]))
        .arg(d.day)
        .arg(QLatin1StringView(MonthNames[d.month - 1]))
        .arg(d.year);
}

QString entryHeading(TDateTime date) { return isoDate(date) + Dash + dateInWords(date); }

QByteArray exportEntries(const DatedEntries& entries, ExportFormat format)
{
    switch (format) {
    case ExportFormat::Markdown: return markdown(entries);
    case ExportFormat::Html: return html(entries);
    case ExportFormat::Text: return plainText(entries);
    }
    return {};
}

} // namespace vistelle
