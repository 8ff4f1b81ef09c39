#include "diary/exchange/textjoin.h"
#include "core/textcodec.h"

#include <algorithm>
#include <vector>

namespace vistelle {

namespace {

// One piece of a text as it stands: the separator that comes before it (empty for the
// first), its own text, and its comparable form.
struct Piece {
    QString before;
    QString text;
    QString key;
};

QString rightTrimmed(QStringView line)
{
    qsizetype end = line.size();
    while (end > 0 && line[end - 1].isSpace()) --end;
    return line.first(end).toString();
}

bool isSeparator(QStringView line)
{
    const QString trimmed = rightTrimmed(line);
    return trimmed == otherCopySeparator() || trimmed == importedSeparator();
}

QString comparable(const QString& text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = unified.split(u'\n');
    for (QString& line : lines) line = rightTrimmed(line);
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines.join(u'\n');
}

// Splits at separator lines; the line break before a separator line and the one after it
// belong to the separator, so that the pieces put back together give the text again.
std::vector<Piece> split(const QString& text)
{
    std::vector<Piece> pieces(1);
    qsizetype lineStart = 0;
    qsizetype pieceStart = 0;
    qsizetype breakBefore = 0; // where the line break before this line begins
    while (lineStart <= text.size()) {
        qsizetype end = lineStart;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
        qsizetype next = end;
        if (next < text.size()) next += (text[next] == u'\r' && next + 1 < text.size() && text[next + 1] == u'\n') ? 2 : 1;
        if (isSeparator(QStringView(text).sliced(lineStart, end - lineStart))) {
            // A separator right after another (or at the start) has no line break of its own before it.
            const qsizetype pieceEnd = lineStart == pieceStart ? pieceStart : breakBefore;
            pieces.back().text = text.mid(pieceStart, qMax<qsizetype>(0, pieceEnd - pieceStart));
            pieces.push_back({text.mid(pieceEnd, next - pieceEnd), {}, {}});
            pieceStart = next;
        }
        if (end == text.size()) break;
        breakBefore = end;
        lineStart = next;
    }
    pieces.back().text = text.mid(pieceStart);
    for (Piece& p : pieces) p.key = comparable(p.text);
    return pieces;
}

bool holds(const std::vector<Piece>& ours, const QString& key)
{
    for (const Piece& p : ours) {
        if (p.key.startsWith(key)) return true;
    }
    return false;
}

} // namespace

QString otherCopySeparator() { return QStringLiteral("----- other copy -----"); }
QString importedSeparator() { return QStringLiteral("----- imported -----"); }

QStringList textPieces(const QByteArray& stored)
{
    QStringList keys;
    for (const Piece& p : split(decodeStoredText(stored))) keys << p.key;
    return keys;
}

QByteArray joinTexts(const QByteArray& ours, const QString& separatorLine, const QByteArray& theirs)
{
    std::vector<Piece> joined = split(decodeStoredText(ours));
    const auto blank = [](const std::vector<Piece>& pieces) {
        return std::all_of(pieces.begin(), pieces.end(), [](const Piece& p) { return p.key.isEmpty(); });
    };
    // A blank text holds nothing: theirs takes its place.
    if (blank(joined)) return blank(split(decodeStoredText(theirs))) ? ours : theirs;
    bool changed = false;
    for (const Piece& t : split(decodeStoredText(theirs))) {
        if (holds(joined, t.key)) continue;
        changed = true;
        // The first piece of ours that this one continues takes its place; later ones go.
        bool placed = false;
        for (auto it = joined.begin(); it != joined.end();) {
            if (it->key.isEmpty() || !t.key.startsWith(it->key)) {
                ++it;
            } else if (!placed) {
                it->text = t.text;
                it->key = t.key;
                placed = true;
                ++it;
            } else {
                it = joined.erase(it);
            }
        }
        if (!placed) joined.push_back({QStringLiteral("\r\n") + separatorLine + QStringLiteral("\r\n"), t.text, t.key});
    }
    if (!changed) return ours;
    QString text;
    for (const Piece& p : joined) text += p.before + p.text;
    return encodeStoredText(text);
}

bool holdsText(const QByteArray& ours, const QByteArray& theirs)
{
    const std::vector<Piece> own = split(decodeStoredText(ours));
    for (const Piece& t : split(decodeStoredText(theirs))) {
        if (!holds(own, t.key)) return false;
    }
    return true;
}

bool sameText(const QByteArray& a, const QByteArray& b) { return a == b || (holdsText(a, b) && holdsText(b, a)); }

} // namespace vistelle
