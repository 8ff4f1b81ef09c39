#include "search/entrysearch.h"

#include "core/regional.h"
#include "core/textcodec.h"

#include <cstring>

namespace vistelle {

namespace {

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }

bool restMatches(const char* text, const char* needle, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (foldAscii(text[i]) != needle[i]) return false;
    return true;
}

// The next position in [p, end) holding c, or end.
const char* find(const char* p, const char* end, char c)
{
    const void* hit = std::memchr(p, c, size_t(end - p));
    return hit ? static_cast<const char*>(hit) : end;
}

} // namespace

qsizetype indexOfAsciiFolded(QByteArrayView text, QByteArrayView needle, qsizetype from)
{
    const qsizetype n = needle.size();
    if (from < 0) from = 0;
    if (from + n > text.size()) return -1;
    if (n == 0) return from;
    const char* const data = text.data();
    const char* const end = data + (text.size() - n) + 1; // one past the last possible start
    const char small = needle[0];
    const char capital = small >= 'a' && small <= 'z' ? char(small - ('a' - 'A')) : small;
    // The next place of each form of the first character, kept until passed.
    const char* nextSmall = find(data + from, end, small);
    const char* nextCapital = capital == small ? end : find(data + from, end, capital);
    for (;;) {
        const char* candidate = qMin(nextSmall, nextCapital);
        if (candidate == end) return -1;
        if (restMatches(candidate + 1, needle.data() + 1, n - 1)) return candidate - data;
        if (candidate == nextSmall) nextSmall = find(candidate + 1, end, small);
        else nextCapital = find(candidate + 1, end, capital);
    }
}

EntrySearch::EntrySearch(const QString& needle) : m_needle(needle)
{
    for (QChar c : needle) {
        if (c.unicode() >= 0x80) return;
    }
    m_asciiNeedle = needle.toLatin1();
}

qsizetype EntrySearch::indexIn(QByteArrayView stored, qsizetype from) const
{
    if (!hasNonAsciiByte(stored)) {
        // Folded ASCII text holds only ASCII, so a needle with anything else is not in it.
        if (m_asciiNeedle.isEmpty()) return -1;
        return indexOfAsciiFolded(stored, m_asciiNeedle, from);
    }
    const QString folded = foldLower(decodeStoredText(QByteArray::fromRawData(stored.data(), stored.size())));
    return folded.indexOf(m_needle, from);
}

} // namespace vistelle
