#include "core/numbers.h"
#include "core/error.h"

namespace vistelle {

bool tryStrToInt(const QString& text, int& value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) { negative = text[i] == u'-'; ++i; }
    int base = 10;
    if (i < n && text[i] == u'$') { base = 16; ++i; }
    else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) { base = 16; i += 2; }
    if (i >= n) return false;
    qint64 v = 0;
    for (; i < n; ++i) {
        const int d = QChar(text[i]).isDigit() && text[i].unicode() < 128 ? text[i].unicode() - '0'
                    : (base == 16 && text[i].unicode() < 128 && std::isxdigit(text[i].unicode()))
                        ? (std::tolower(text[i].unicode()) - 'a' + 10) : -1;
        if (d < 0 || d >= base) return false;
        v = v * base + d;
        if (v > 0x100000000LL) return false;
    }
    if (base == 10) {
        if (negative) v = -v;
        if (v < INT32_MIN || v > INT32_MAX) return false;
        value = int(v);
    } else {
        if (v > 0xFFFFFFFFLL) return false;
        value = int(quint32(v));
        if (negative) value = -value;
    }
    return true;
}

int strToInt(const QString& text)
{
    int value = 0;
    if (!tryStrToInt(text, value)) raise(fmt("'%s' is not a valid integer value", text));
    return value;
}

} // namespace vistelle
