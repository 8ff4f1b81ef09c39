#include "diary/exchange/diaryexport.h"

#include "core/textcodec.h"
#include "diary/exchange/utf8text.h"
#include "diary/engine/fieldvalue.h"
#include "diary/engine/volgadataset.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vistelle {

namespace {

const char* const WeekdayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const MonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
const char Dash[] = " \xE2\x80\x94 "; // " — " in UTF-8


// --- the heading, "2009-12-24 — Thursday, 24 December 2009", straight into the output ---

// A heading's words come from the date's month: entries in date order decode one date per
// month, the other days count on from it.
class HeadingWriter {
public:
    void append(QByteArray& out, TDateTime date)
    {
        const qint64 n = qint64(date);
        if (n < m_first || n >= m_first + m_length || date != double(n)) startMonth(date);
        const int day = int(n - m_first) + 1;
        char buffer[64];
        char* p = buffer;
        p = digits(p, m_year, 4);
        *p++ = '-';
        p = digits(p, m_month, 2);
        *p++ = '-';
        p = digits(p, day, 2);
        p = copy(p, Dash);
        p = copy(p, WeekdayNames[(m_weekdayOfFirst - 1 + day - 1) % 7]);
        p = copy(p, ", ");
        p = digits(p, day, 1);
        *p++ = ' ';
        p = copy(p, MonthNames[m_month - 1]);
        *p++ = ' ';
        p = digits(p, m_year, 1);
        out.append(buffer, p - buffer);
    }

private:
    void startMonth(TDateTime date)
    {
        const DateParts d = decodeDate(date);
        m_year = d.year;
        m_month = d.month;
        m_first = qint64(encodeDate(d.year, d.month, 1));
        m_length = daysInMonth(d.year, d.month);
        m_weekdayOfFirst = dayOfWeek(double(m_first));
    }
    static char* digits(char* p, int value, int width)
    {
        char reversed[12];
        int n = 0;
        do {
            reversed[n++] = char('0' + value % 10);
            value /= 10;
        } while (value > 0 || n < width);
        while (n > 0) *p++ = reversed[--n];
        return p;
    }
    static char* copy(char* p, const char* text)
    {
        while (*text) *p++ = *text++;
        return p;
    }

    qint64 m_first = 0;
    int m_length = 0; // no month yet
    int m_year = 0, m_month = 0, m_weekdayOfFirst = 1;
};

void appendHeading(QByteArray& out, TDateTime date) { HeadingWriter().append(out, date); }

// --- texts ---

// What a byte of a text line needs in the escaped form: 0 nothing, 1 a "\" before it
// (markup anywhere in a line), 2 an entity instead (a CR or LF that is no line break).
struct ByteKinds {
    unsigned char kind[256] = {};
    constexpr ByteKinds()
    {
        for (unsigned char c : {'\\', '`', '*', '_', '[', ']', '<', '>', '&', '~', '|'}) kind[c] = 1;
        kind[unsigned('\r')] = kind[unsigned('\n')] = 2;
    }
};
constexpr ByteKinds Kinds;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// One line of a text (no CR LF inside) in the escaped form; see the header.
void appendMarkdownLine(QByteArray& out, const char* p, qsizetype n)
{
    qsizetype i = 0;
    for (; i < n && (p[i] == ' ' || p[i] == '\t'); ++i) out += p[i] == ' ' ? "&#32;" : "&#9;";
    if (i == 0 && n > 0) {
        if (p[0] == '#' || p[0] == '+' || p[0] == '-' || p[0] == '=') {
            out += '\\';
        } else {
            qsizetype digits = 0;
            while (digits < n && isDigit(p[digits])) ++digits;
            if (digits > 0 && digits < n && (p[digits] == '.' || p[digits] == ')')) {
                out.append(p, digits);
                out += '\\';
                i = digits;
            }
        }
    }
    qsizetype from = i;
    for (; i < n; ++i) {
        const unsigned char kind = Kinds.kind[static_cast<unsigned char>(p[i])];
        if (kind == 0) continue;
        out.append(p + from, i - from);
        if (kind == 1) {
            out += '\\';
            from = i;
        } else {
            out += p[i] == '\r' ? "&#13;" : "&#10;";
            from = i + 1;
        }
    }
    out.append(p + from, n - from);
}

// A text (UTF-8) in the escaped Markdown form, line by line.
void appendMarkdownText(QByteArray& out, const QByteArray& text)
{
    const char* p = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf("\r\n", start);
        const qsizetype lineEnd = end < 0 ? n : end;
        appendMarkdownLine(out, p + start, lineEnd - start);
        if (end < 0) return;
        const qsizetype next = end + 2;
        const bool nextIsEmpty = next == n || (next + 1 < n && p[next] == '\r' && p[next + 1] == '\n');
        if (lineEnd > start && !nextIsEmpty) out += '\\'; // a line break for viewers
        out += "\r\n";
        start = next;
    }
}

// A text (UTF-8) as a JSON string's content.
void appendJsonString(QByteArray& out, const QByteArray& text)
{
    static const char Hex[] = "0123456789abcdef";
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        out.append(text.constData() + from, i - from);
        from = i + 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            out += "\\u00";
            out += Hex[c >> 4];
            out += Hex[c & 15];
        }
    }
    out.append(text.constData() + from, text.size() - from);
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
nav ul { list-style: none; padding: 0; }
nav .year { font-weight: bold; margin-right: 0.4em; }
.text { white-space: pre-wrap; overflow-wrap: break-word; }
@media print {
  body { max-width: none; margin: 0; padding: 0; color: #000; font-size: 11pt; }
  h2 { color: #000; break-after: avoid; page-break-after: avoid; }
  section { break-inside: avoid-page; }
  nav { break-after: page; page-break-after: always; }
  .text { orphans: 3; widows: 3; }
}
</style>
</head>
<body>
<h1>%1</h1>
)";

// Room for the texts and their headings, so that the output grows once.
qsizetype estimate(const std::vector<ExportEntry>& entries)
{
    qsizetype size = 256;
    for (const ExportEntry& e : entries) size += e.text->size() + 64;
    return size;
}

QByteArray markdown(const std::vector<ExportEntry>& entries)
{
    QByteArray out;
    out.reserve(estimate(entries));
    out += "# " + exportTitle().toUtf8() + "\r\n\r\n" + markdownFormMark() + "\r\n";
    HeadingWriter headings;
    for (const ExportEntry& e : entries) {
        if (e.text->isEmpty()) continue;
        out += "\r\n## ";
        headings.append(out, e.date);
        out += "\r\n\r\n";
        appendMarkdownText(out, storedTextAsUtf8(*e.text));
        out += "\r\n";
    }
    return out;
}

QByteArray plainText(const std::vector<ExportEntry>& entries)
{
    QByteArray out;
    out.reserve(estimate(entries));
    HeadingWriter headings;
    for (const ExportEntry& e : entries) {
        if (e.text->isEmpty()) continue;
        headings.append(out, e.date);
        out += "\r\n" + storedTextAsUtf8(*e.text) + "\r\n\r\n";
    }
    return out;
}

QByteArray json(const std::vector<ExportEntry>& entries)
{
    QByteArray out;
    out.reserve(estimate(entries));
    out += '[';
    bool first = true;
    for (const ExportEntry& e : entries) {
        if (e.text->isEmpty()) continue;
        out += first ? "\n" : ",\n";
        first = false;
        out += "{\"date\": \"" + isoDate(e.date).toLatin1() + "\", \"text\": \"";
        appendJsonString(out, storedTextAsUtf8(*e.text));
        out += "\"}";
    }
    out += first ? "]\n" : "\n]\n";
    return out;
}

// The table of contents: a line per year, a link per month to its first entry.
void appendContents(QByteArray& out, const std::vector<ExportEntry>& entries)
{
    out += "<nav id=\"contents\">\n<ul>\n";
    int year = 0, month = 0;
    for (const ExportEntry& e : entries) {
        if (e.text->isEmpty()) continue;
        const DateParts d = decodeDate(e.date);
        if (d.year == year && d.month == month) continue;
        if (d.year != year) {
            if (year != 0) out += "</li>\n";
            out += "<li><span class=\"year\">" + QByteArray::number(d.year) + "</span>";
        }
        out += " <a href=\"#" + isoDate(e.date).toLatin1() + "\">" + MonthNames[d.month - 1] + "</a>";
        year = d.year;
        month = d.month;
    }
    if (year != 0) out += "</li>\n";
    out += "</ul>\n</nav>\n";
}

QByteArray html(const std::vector<ExportEntry>& entries)
{
    QByteArray out;
    out.reserve(estimate(entries) * 11 / 10);
    out += QString::fromLatin1(HtmlHead).arg(exportTitle()).toUtf8();
    appendContents(out, entries);
    for (const ExportEntry& e : entries) {
        if (e.text->isEmpty()) continue;
        const QByteArray iso = isoDate(e.date).toLatin1();
        out += "<section id=\"" + iso + "\">\n<h2><time datetime=\"" + iso + "\">";
        appendHeading(out, e.date);
        out += "</time></h2>\n<div class=\"text\">" + htmlText(textOfUtf8(storedTextAsUtf8(*e.text))).toUtf8()
             + "</div>\n</section>\n";
    }
    return out + "</body>\n</html>\n";
}

} // namespace

std::vector<ExportEntry> entriesInDateOrder(const TVolgaDataset& table, TDateTime settingsDate)
{
    std::vector<ExportEntry> entries;
    const TVolgaCursor* store = table.Active() ? table.cursor() : nullptr;
    const int dateIndex = store ? store->fieldIndex(QStringLiteral("date")) : -1;
    const int eventIndex = store ? store->fieldIndex(QStringLiteral("event")) : -1;
    if (dateIndex < 0 || eventIndex < 0) return entries;
    const TVolgaField& dateField = store->fields()[dateIndex];
    const TVolgaField& eventField = store->fields()[eventIndex];
    if (!isBlobFamily(eventField.type)) return entries;
    entries.reserve(store->rows().size());
    for (const TVolgaRow& row : store->rows()) {
        if (!row.isLive()) continue;
        const TDateTime date = row.image.isBlank(dateField) ? 0 : fieldvalue::read(row.image, dateField).toDateTime();
        if (date != settingsDate) entries.push_back({date, &row.image.reference(eventField)});
    }
    const auto byDate = [](const ExportEntry& a, const ExportEntry& b) { return a.date < b.date; };
    if (!std::is_sorted(entries.begin(), entries.end(), byDate)) std::stable_sort(entries.begin(), entries.end(), byDate);
    const auto sameDate = [](const ExportEntry& a, const ExportEntry& b) { return a.date == b.date; };
    entries.erase(std::unique(entries.begin(), entries.end(), sameDate), entries.end());
    return entries;
}

QString exportTitle() { return QStringLiteral("Vistelle diary"); }

QByteArray markdownFormMark() { return QByteArrayLiteral("<!-- vistelle-diary markdown 2 -->"); }

bool isCalendarDay(TDateTime date)
{
    return date == std::floor(date) && date >= MinDateDays && date <= MaxDateDays;
}

QString isoDate(TDateTime date)
{
    QByteArray heading;
    appendHeading(heading, date);
    return QString::fromLatin1(heading.left(10));
}

bool tryParseIsoDate(const QString& text, TDateTime& date)
{
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-') return false;
    for (qsizetype i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < u'0' || text[i] > u'9') return false;
    return tryEncodeDate(text.left(4).toInt(), text.mid(5, 2).toInt(), text.mid(8, 2).toInt(), date);
}

QString dateInWords(TDateTime date) { return entryHeading(date).mid(13); }

QString entryHeading(TDateTime date)
{
    QByteArray heading;
    appendHeading(heading, date);
    return QString::fromUtf8(heading);
}

QByteArray exportEntries(const std::vector<ExportEntry>& entries, ExportFormat format)
{
    switch (format) {
    case ExportFormat::Markdown: return markdown(entries);
    case ExportFormat::Html: return html(entries);
    case ExportFormat::Text: return plainText(entries);
    case ExportFormat::Json: return json(entries);
    }
    return {};
}

QByteArray exportEntries(const DatedEntries& entries, ExportFormat format)
{
    std::vector<ExportEntry> list;
    list.reserve(entries.size());
    for (const auto& [date, text] : entries) list.push_back({date, &text});
    return exportEntries(list, format);
}

} // namespace vistelle
