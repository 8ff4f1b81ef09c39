#include "jpegcheck.h"

#include <QtEndian>

namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kSoi = 0xD8;
constexpr unsigned char kApp0 = 0xE0;
constexpr unsigned char kSof0 = 0xC0;
constexpr unsigned char kSos = 0xDA;

quint16 be16(const QByteArray &b, qsizetype at)
{
    return qFromBigEndian<quint16>(reinterpret_cast<const uchar *>(b.constData()) + at);
}

bool isFrameMarker(unsigned char m)
{
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

QString checkFrame(const QByteArray &b, qsizetype at, int width, int height)
{
    // SOF: length(2) precision(1) height(2) width(2) components(1)
    if (at + 8 > b.size())
        return QStringLiteral("frame header cut short");
    if (uchar(b[at + 2]) != 8)
        return QStringLiteral("precision is not 8 bits");
    if (be16(b, at + 3) != height || be16(b, at + 5) != width)
        return QStringLiteral("size is %1 x %2").arg(be16(b, at + 5)).arg(be16(b, at + 3));
    if (uchar(b[at + 7]) != 3)
        return QStringLiteral("%1 components").arg(uchar(b[at + 7]));
    return {};
}

} // namespace

QString JpegCheck::problem(const QByteArray &b, int width, int height)
{
    if (b.size() < 4 || uchar(b[0]) != kMarker || uchar(b[1]) != kSoi)
        return QStringLiteral("no start-of-image marker");
    if (uchar(b[2]) != kMarker || uchar(b[3]) != kApp0 || b.mid(6, 5) != QByteArray("JFIF\0", 5))
        return QStringLiteral("no JFIF header after the start of image");
    qsizetype at = 2;
    while (at + 4 <= b.size()) {
        if (uchar(b[at]) != kMarker)
            return QStringLiteral("marker expected at offset %1").arg(at);
        const unsigned char m = uchar(b[at + 1]);
        if (m == kSos)
            break;
        const quint16 length = be16(b, at + 2);
        if (isFrameMarker(m)) {
            if (m != kSof0)
                return QStringLiteral("frame marker FF%1 is not baseline").arg(m, 2, 16, QLatin1Char('0'));
            return checkFrame(b, at + 2, width, height);
        }
        at += 2 + length;
    }
    return QStringLiteral("no frame header");
}
