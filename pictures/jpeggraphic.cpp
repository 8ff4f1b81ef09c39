#include "pictures/jpeggraphic.h"

#include "core/error.h"
#include "pictures/classdata.h"

namespace vistelle {

JpegGraphic::JpegGraphic(QByteArray bytes) : m_bytes(std::move(bytes))
{
    if (!m_bytes.isEmpty()) m_header = parseJpegHeader(m_bytes);
}

QByteArray JpegGraphic::classData() const { return lengthPrefixed(m_bytes); }

QImage JpegGraphic::toBitmap() const
{
    if (isEmpty()) return {};
    int code = 0;
    QImage image = decodeJpeg(m_bytes, {}, &code);
    if (image.isNull()) throw InvalidGraphicError(fmt(QStringLiteral("JPEG error #%d"), code));
    return image;
}

QImage JpegGraphic::drawFor(QSize size) const { return decodeJpeg(m_bytes, size); }

} // namespace vistelle
