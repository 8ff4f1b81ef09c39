#include "diary/exchange/markdownimport.h"

#include "core/error.h"
#include "core/textcodec.h"
#include "diary/exchange/diaryexport.h"
#include "diary/exchange/textjoin.h"

#include <QStringDecoder>
#include <QStringList>

namespace vistelle {

namespace {

[[noreturn]] void failAt(qsizetype line, const QString& what)
{
    raise(QStringLiteral("line %1: %2").arg(line + 1).arg(what));
}

QString unescapeLineStarts(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool lineStart = i == 0 || text[i - 1] == u'\r' || text[i - 1] == u'\n';
        if (lineStart && text[i] == u'\\' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

// The lines of the file: split at CR LF when the title line ends so, else at every LF
// (with a CR before it dropped). A final line break ends the last line.
QStringList splitLines(const QString& text)
{
    const qsizetype firstBreak = text.indexOf(u'\n');
    const bool crlf = firstBreak > 0 && text[firstBreak - 1] == u'\r';
    QStringList lines = text.split(crlf ? QStringLiteral("\r\n") : QStringLiteral("\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    if (!crlf) {
        for (QString& line : lines)
            if (line.endsWith(u'\r')) line.chop(1);
    }
    return lines;
}

// "## 2009-12-24 — …": the date; the words after it are for readers and not checked.
TDateTime headingDate(const QString& line, qsizetype index)
{
    const QString rest = line.mid(3);
    TDateTime date = 0;
    const QString iso = rest.left(10);
    if (!tryParseIsoDate(iso, date) || (rest.size() > 10 && !rest.mid(10).startsWith(u' ')))
        failAt(index, QStringLiteral("the heading \"%1\" names no date in the form 2009-12-24").arg(line));
    return date;
}

} // namespace

QString importSeparator() { return importedSeparator(); }

DatedEntries readMarkdownExport(const QByteArray& file, TDateTime settingsDate)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(file);
    if (decoder.hasError()) raise(QStringLiteral("not a Vistelle diary export: the file is not UTF-8 text"));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    const QStringList lines = splitLines(text);
    if (lines.isEmpty() || !lines[0].startsWith(QLatin1StringView("# ")))
        raise(QStringLiteral("not a Vistelle diary export: it does not begin with a title line \"# …\""));

    std::vector<qsizetype> headings;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].startsWith(QLatin1StringView("## "))) headings.push_back(i);
        else if (headings.empty() && !lines[i].isEmpty()) failAt(i, QStringLiteral("text before the first entry's heading"));
    }
    DatedEntries entries;
    for (size_t k = 0; k < headings.size(); ++k) {
        const qsizetype at = headings[k];
        const qsizetype end = k + 1 < headings.size() ? headings[k + 1] - 1 : lines.size(); // the blank line before the next
        if (lines[at - 1].size() != 0) failAt(at, QStringLiteral("a heading needs a blank line before it"));
        if (at + 1 >= lines.size() || !lines[at + 1].isEmpty())
            failAt(at + 1, QStringLiteral("a heading needs a blank line after it"));
        const TDateTime date = headingDate(lines[at], at);
        if (date == settingsDate)
            failAt(at, QStringLiteral("%1 is the date of the window's settings, not of an entry").arg(isoDate(date)));
        if (entries.count(date)) failAt(at, QStringLiteral("a second entry for %1").arg(isoDate(date)));
        const QString body = lines.mid(at + 2, qMax<qsizetype>(0, end - at - 2)).join(QStringLiteral("\r\n"));
        if (!body.isEmpty()) entries.emplace(date, encodeStoredText(unescapeLineStarts(body)));
    }
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
