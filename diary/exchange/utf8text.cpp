#include "diary/exchange/utf8text.h"

#include "core/textcodec.h"

#include <QStringDecoder>

#include <cstring>

namespace vistelle {

qsizetype Utf8Check::check(QByteArrayView piece)
{
    const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
    const qsizetype n = piece.size();
    qsizetype i = 0;
    while (i < n) {
        if (m_need == 0) {
            // ASCII runs, 32 or 8 bytes at a time.
            if (i + 32 <= n) {
                quint64 words[4];
                std::memcpy(words, p + i, 32);
                if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ULL) == 0) {
                    i += 32;
                    continue;
                }
            }
            if (i + 8 <= n) {
                quint64 word;
                std::memcpy(&word, p + i, 8);
                if ((word & 0x8080808080808080ULL) == 0) {
                    i += 8;
                    continue;
                }
            }
            const unsigned char c = p[i++];
            if (c < 0x80) continue;
            m_low = 0x80;
            m_high = 0xBF;
            if (c >= 0xC2 && c <= 0xDF) m_need = 1;
            else if (c >= 0xE0 && c <= 0xEF) {
                m_need = 2;
                if (c == 0xE0) m_low = 0xA0;
                if (c == 0xED) m_high = 0x9F; // no surrogates
            } else if (c >= 0xF0 && c <= 0xF4) {
                m_need = 3;
                if (c == 0xF0) m_low = 0x90;
                if (c == 0xF4) m_high = 0x8F; // up to U+10FFFF
            } else {
                return i - 1;
            }
            continue;
        }
        const unsigned char c = p[i];
        if (c < m_low || c > m_high) return i;
        m_low = 0x80;
        m_high = 0xBF;
        --m_need;
        ++i;
    }
    return -1;
}

bool isUtf8(QByteArrayView bytes)
{
    Utf8Check check;
    return check.check(bytes) < 0 && check.complete();
}

QString textOfUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

QByteArray storedTextAsUtf8(const QByteArray& stored)
{
    if (!hasNonAsciiByte(stored) || isUtf8(stored)) return stored;
    return fromWindows1252(stored).toUtf8();
}

QByteArray storedTextOfUtf8(const QByteArray& utf8)
{
    if (!hasNonAsciiByte(utf8)) return utf8;
    return encodeStoredText(textOfUtf8(utf8));
}

} // namespace vistelle
