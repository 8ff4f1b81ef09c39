#include "diary/exchange/markdownimport.h"

#include "core/error.h"
#include "core/textcodec.h"
#include "diary/exchange/diaryexport.h"
#include "diary/exchange/textjoin.h"
#include "diary/exchange/markdownlines.h"

#include <QBuffer>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

namespace vistelle {

namespace {

// Far more than a heading's date and words need.
constexpr qsizetype LongestHeading = 4096;

[[noreturn]] void failAt(qint64 line, const QString& what)
{
    raise(QStringLiteral("line %1: %2").arg(line).arg(what));
}

// "## 2009-12-24 — …": the date; the words after it are for readers and not checked.
TDateTime headingDate(QByteArrayView line, qint64 number)
{
    TDateTime date = 0;
    const QByteArrayView rest = line.size() >= 3 ? line.sliced(3) : QByteArrayView();
    const auto digits = [&](qsizetype from, qsizetype n) {
        int value = 0;
        for (qsizetype i = from; i < from + n; ++i) {
            if (rest[i] < '0' || rest[i] > '9') return -1;
            value = value * 10 + (rest[i] - '0');
        }
        return value;
    };
    const bool isoForm = rest.size() >= 10 && rest[4] == '-' && rest[7] == '-';
    const int year = isoForm ? digits(0, 4) : -1, month = isoForm ? digits(5, 2) : -1, day = isoForm ? digits(8, 2) : -1;
    if (year < 0 || month < 0 || day < 0 || !tryEncodeDate(year, month, day, date) || (rest.size() > 10 && rest[10] != ' '))
        failAt(number, QStringLiteral("the heading \"%1\" names no date in the form 2009-12-24").arg(textOfUtf8(line)));
    return date;
}

bool isAsciiPunctuation(char c)
{
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}

// The character an entity of the escaped form stands for, and its length; 0 for none.
qsizetype entityAt(QByteArrayView line, qsizetype at, char& c)
{
    static const struct {
        const char* text;
        char c;
    } Entities[] = {{"&#32;", ' '}, {"&#9;", '\t'}, {"&#13;", '\r'}, {"&#10;", '\n'}};
    const QByteArrayView rest = line.sliced(at);
    for (const auto& e : Entities) {
        if (rest.startsWith(e.text)) {
            c = e.c;
            return qsizetype(std::strlen(e.text));
        }
    }
    return 0;
}

// A line of the escaped form as text: "\" before punctuation gives the character, a "\"
// that ends the line is a line break for viewers and no text, the four entities give
// their characters.
void appendEscapedLine(QByteArray& out, QByteArrayView line)
{
    const qsizetype n = line.size();
    if (!std::memchr(line.data(), '\\', size_t(n)) && !std::memchr(line.data(), '&', size_t(n))) return void(out += line);
    qsizetype from = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = line[i];
        if (c != '\\' && c != '&') continue;
        out.append(line.constData() + from, i - from);
        char decoded = 0;
        if (c == '\\' && i + 1 == n) {
            from = n;
        } else if (c == '\\' && isAsciiPunctuation(line[i + 1])) {
            out += line[++i];
            from = i + 1;
        } else if (const qsizetype length = c == '&' ? entityAt(line, i, decoded) : 0) {
            out += decoded;
            i += length - 1;
            from = i + 1;
        } else {
            from = i;
        }
    }
    out.append(line.constData() + from, n - from);
}

// The form before the escaped one: a "\" at a line start (after CR or LF) that some
// character follows is dropped.
QByteArray unescapeLineStarts(const QByteArray& text)
{
    if (!text.contains('\\')) return text;
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool lineStart = i == 0 || text[i - 1] == '\r' || text[i - 1] == '\n';
        if (lineStart && text[i] == '\\' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

// The dates read so far. An export lists them in order, so each new one is usually past
// all others and needs no look-up; one that is not goes to a set of its own.
class SeenDates {
public:
    bool insert(TDateTime date)
    {
        if (m_inOrder.empty() || date > m_inOrder.back()) {
            if (m_others.count(date)) return false;
            m_inOrder.push_back(date);
            return true;
        }
        if (std::binary_search(m_inOrder.begin(), m_inOrder.end(), date)) return false;
        return m_others.insert(date).second;
    }

private:
    std::vector<TDateTime> m_inOrder;
    std::set<TDateTime> m_others;
};

// The entry being read: its lines joined as they come, the last one removable.
class EntryText {
public:
    void start(TDateTime date, bool crlfHeading)
    {
        m_date = date;
        m_crlfHeading = crlfHeading;
        m_text.clear();
        m_lines = 0;
    }
    void add(QByteArrayView line, bool crlf, bool escaped)
    {
        m_beforeLast = m_text.size();
        if (m_lines++ > 0) m_text += m_crlfHeading && !m_lastCrlf ? "\n" : "\r\n";
        if (escaped) appendEscapedLine(m_text, line);
        else m_text += line;
        m_lastCrlf = crlf;
    }
    void dropLastLine()
    {
        if (m_lines > 0) m_text.truncate(m_beforeLast);
        --m_lines;
    }
    void finish(const EntrySink& sink, bool escaped)
    {
        if (m_lines <= 0 || m_text.isEmpty()) return;
        sink(m_date, storedTextOfUtf8(escaped ? m_text : unescapeLineStarts(m_text)));
    }

private:
    TDateTime m_date = 0;
    bool m_crlfHeading = true;
    bool m_lastCrlf = true;
    QByteArray m_text;
    qsizetype m_beforeLast = 0;
    qsizetype m_lines = 0;
};

} // namespace

QString importSeparator() { return importedSeparator(); }

void readMarkdownExport(QIODevice& in, TDateTime settingsDate, const EntrySink& sink)
{
    MarkdownLines lines(in);
    if (!lines.beginsWith("# "))
        raise(QStringLiteral("not a Vistelle diary export: it does not begin with a title line \"# \u2026\""));
    QByteArrayView line;
    bool crlf = true;
    lines.next(line, crlf, LongestHeading);
    if (lines.cutOff()) failAt(1, QStringLiteral("a heading longer than %1 bytes").arg(LongestHeading));
    const QByteArray mark = markdownFormMark();
    bool escaped = false, inEntry = false, blankBefore = false;
    SeenDates seen;
    EntryText entry;
    // Outside the texts a line holds a title, a heading, the mark or nothing: one that runs
    // on is refused without being held whole.
    while (lines.next(line, crlf, LongestHeading, inEntry)) {
        if (lines.cutOff() && (line.startsWith("## ") || line.startsWith("# ")))
            failAt(lines.number(), QStringLiteral("a heading longer than %1 bytes").arg(LongestHeading));
        if (line.startsWith("## ")) {
            const qint64 at = lines.number();
            if (!blankBefore) failAt(at, QStringLiteral("a heading needs a blank line before it"));
            const TDateTime date = headingDate(line, at);
            if (date == settingsDate)
                failAt(at, QStringLiteral("%1 is the date of the window's settings, not of an entry").arg(isoDate(date)));
            if (!seen.insert(date)) failAt(at, QStringLiteral("a second entry for %1").arg(isoDate(date)));
            if (inEntry) {
                entry.dropLastLine(); // the blank line before this heading
                entry.finish(sink, escaped);
            }
            const bool crlfHeading = crlf;
            if (!lines.next(line, crlf, LongestHeading) || !line.isEmpty())
                failAt(at + 1, QStringLiteral("a heading needs a blank line after it"));
            entry.start(date, crlfHeading);
            inEntry = true;
            blankBefore = true;
            continue;
        }
        if (inEntry) entry.add(line, crlf, escaped);
        else if (line == QByteArrayView(mark) && !escaped) escaped = true;
        else if (!line.isEmpty()) failAt(lines.number(), QStringLiteral("text before the first entry's heading"));
        blankBefore = line.isEmpty();
    }
    if (inEntry) entry.finish(sink, escaped);
}

DatedEntries readMarkdownExport(const QByteArray& file, TDateTime settingsDate)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    DatedEntries entries;
    readMarkdownExport(buffer, settingsDate,
                       [&](TDateTime date, QByteArray text) { entries.emplace_hint(entries.end(), date, std::move(text)); });
    return entries;
}

ImportCounts importEntries(TVolgaDataset& table, TDateTime settingsDate, DatedEntries imported)
{
    const DatedEntries ours = readEntries(table, settingsDate);
    ImportCounts counts;
    for (auto& [date, text] : imported) {
        const auto own = ours.find(date);
        if (own == ours.end()) {
            ++counts.added;
        } else if (holdsText(own->second, text)) {
            text = own->second;
            ++counts.unchanged;
        } else {
            ++counts.joined;
        }
    }
    applyChanges(table, mergeByDate({}, ours, imported, importSeparator()));
    return counts;
}

} // namespace vistelle
