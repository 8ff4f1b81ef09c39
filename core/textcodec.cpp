#include "core/textcodec.h"

#include <QStringDecoder>

#include <cstring>

namespace vistelle {

namespace {

// 0x80 … 0x9F of Windows-1252.
constexpr char16_t highTable[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isValidUtf8WithHighByte(const QByteArray& bytes)
{
    if (!hasNonAsciiByte(bytes)) return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

} // namespace

bool hasNonAsciiByte(QByteArrayView bytes)
{
    const char* p = bytes.data();
    const qsizetype n = bytes.size();
    quint64 any = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, p + i, 8);
        any |= word;
    }
    for (; i < n; ++i) any |= quint8(p[i]);
    return (any & 0x8080808080808080ULL) != 0;
}

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(highTable[b - 0x80]) : QChar(b);
    }
    return text;
}

bool toWindows1252(const QString& text, QByteArray& bytes)
{
    bytes.resize(text.size());
    char* out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) { out[i] = char(u); continue; }
        int found = -1;
        for (int k = 0; k < 32; ++k) {
            if (highTable[k] == u) { found = k; break; }
        }
        if (found < 0) return false;
        out[i] = char(0x80 + found);
    }
    return true;
}

QByteArray encodeStoredText(const QString& text)
{
    QByteArray bytes;
    if (toWindows1252(text, bytes)) {
        // A Windows-1252 form that happens to be valid UTF-8 would be read back as UTF-8;
        // store such a text as UTF-8 so that it reads back unchanged.
        if (!isValidUtf8WithHighByte(bytes)) return bytes;
    }
    return text.toUtf8();
}

QString decodeStoredText(const QByteArray& bytes)
{
    if (isValidUtf8WithHighByte(bytes)) return QString::fromUtf8(bytes);
    return fromWindows1252(bytes);
}

} // namespace vistelle
