#include "diary/spelling/spellwords.h"

#include <QChar>

namespace vistelle {

namespace {

// The code point at i and how many UTF-16 units it takes.
char32_t codePointAt(QStringView text, qsizetype i, int& units)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        units = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    units = 1;
    return c.unicode();
}

bool isWordChar(char32_t c)
{
    if (c < 0x80) return (c | 0x20) - 'a' < 26 || c - '0' < 10;
    return QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

bool isApostrophe(char32_t c) { return c == U'\'' || c == U'\u2019'; }

bool isBlank(char32_t c) { return QChar::isSpace(c); }

// A piece between blanks that is a web or e-mail address: it holds "://", begins with
// "www." or "mailto:" (after opening brackets or quotes), or has a name, "@" and a
// domain with a dot.
bool isAddress(QStringView piece)
{
    // Most pieces are plain words: without ':' and '@' and a dot before their last
    // character, none of the forms below can match.
    bool maybe = false;
    for (qsizetype i = 0; i < piece.size() && !maybe; ++i) {
        const char16_t c = piece[i].unicode();
        maybe = c == u':' || c == u'@' || (c == u'.' && i + 1 < piece.size());
    }
    if (!maybe) return false;
    while (!piece.isEmpty() && !piece.front().isLetterOrNumber()) piece = piece.mid(1);
    if (piece.contains(u"://")) return true;
    if (piece.startsWith(u"www.", Qt::CaseInsensitive) || piece.startsWith(u"mailto:", Qt::CaseInsensitive))
        return true;
    const qsizetype at = piece.indexOf(u'@');
    if (at <= 0) return false;
    const qsizetype dot = piece.indexOf(u'.', at + 2);
    return dot > 0 && dot + 1 < piece.size() && piece[dot + 1].isLetterOrNumber();
}

// A word is looked up unless it holds a digit or no small letter.
bool isLookedUp(QStringView word)
{
    bool small = false;
    for (qsizetype i = 0; i < word.size();) {
        int units = 1;
        const char32_t c = codePointAt(word, i, units);
        i += units;
        if (c < 0x80) {
            if (c - '0' < 10) return false;
            small = small || c - 'a' < 26;
            continue;
        }
        if (QChar::isDigit(c) || QChar::category(c) == QChar::Number_Letter || QChar::category(c) == QChar::Number_Other)
            return false;
        if (QChar::isLower(c)) small = true;
    }
    return small;
}

// Appends the words of the piece [from, to) of text.
void wordsOfPiece(QStringView text, qsizetype from, qsizetype to, QList<WordRange>& out)
{
    qsizetype i = from;
    while (i < to) {
        int units = 1;
        if (!isWordChar(codePointAt(text, i, units))) {
            i += units;
            continue;
        }
        const qsizetype start = i;
        i += units;
        while (i < to) {
            const char32_t c = codePointAt(text, i, units);
            if (isWordChar(c)) {
                i += units;
                continue;
            }
            int next = 1;
            if (isApostrophe(c) && i + 1 < to && isWordChar(codePointAt(text, i + 1, next))) {
                i += 1;
                continue;
            }
            break;
        }
        const QStringView word = text.mid(start, i - start);
        if (isLookedUp(word)) out.append({int(start), int(i - start)});
    }
}

} // namespace

QList<WordRange> wordsToCheck(QStringView text)
{
    QList<WordRange> out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && isBlank(text[i].unicode())) ++i;
        const qsizetype start = i;
        while (i < n && !isBlank(text[i].unicode())) ++i;
        if (i > start && !isAddress(text.mid(start, i - start))) wordsOfPiece(text, start, i, out);
    }
    return out;
}

std::optional<WordRange> wordToCheckAt(QStringView text, int position)
{
    for (const WordRange& w : wordsToCheck(text)) {
        if (w.start > position) break;
        if (position <= w.end()) return w;
    }
    return std::nullopt;
}

} // namespace vistelle
