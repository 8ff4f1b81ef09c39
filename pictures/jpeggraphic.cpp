#include "pictures/jpeggraphic.h"

#include "core/error.h"
#include "pictures/classdata.h"

namespace vistelle {

JpegGraphic::JpegGraphic(QByteArray bytes) : m_bytes(std::move(bytes))
{
    if (!m_bytes.isEmpty()) m_header = parseJpegHeader(m_bytes);
}

QByteArray JpegGraphic::classData() const { return lengthPrefixed(m_bytes); }

namespace {

// The size of the largest n/8 scale of a width × height picture that the decoder hands
// out whole; empty when the picture fits at its own size.
QSize largestDecodableScale(int width, int height)
{
    if (qint64(width) * height <= kMaxDecodedPixels) return {};
    QSize size(1, 1);
    for (int n = 7; n >= 1; --n) {
        size = QSize(int((qint64(width) * n + 7) / 8), int((qint64(height) * n + 7) / 8));
        if (qint64(size.width()) * size.height() <= kMaxDecodedPixels) break;
    }
    return size;
}

} // namespace

// A picture too large to decode whole is handed out at the largest DCT scale that fits.
QImage JpegGraphic::toBitmap() const
{
    if (isEmpty()) return {};
    int code = 0;
    QImage image = decodeJpeg(m_bytes, largestDecodableScale(width(), height()), &code);
    if (image.isNull()) throw InvalidGraphicError(fmt(QStringLiteral("JPEG error #%d"), code));
    return image;
}

QImage JpegGraphic::drawFor(QSize size) const { return decodeJpeg(m_bytes, size); }

} // namespace vistelle
