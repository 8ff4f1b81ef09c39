#include "pictures/icocodec.h"

#include "core/error.h"
#include "pictures/bytereader.h"
#include "pictures/graphic.h"

#include <QBuffer>
#include <QImageReader>

namespace vistelle {

namespace {
constexpr int kDirectoryEntrySize = 16;
}

QSize checkIconFile(const QByteArray& file)
{
    ByteReader in(file);
    in.u16(); // reserved
    const quint16 type = in.u16();
    if (type > 1) throw InvalidGraphicError(QStringLiteral("Icon image is not valid"));
    const quint16 count = in.u16();
    in.need(qint64(count) * kDirectoryEntrySize);
    if (count == 0) return {0, 0};
    const int width = in.u8();
    const int height = in.u8();
    return {width == 0 ? 256 : width, height == 0 ? 256 : height};
}

QImage decodeIconFile(const QByteArray& file)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxDecodedPixels) return {};
    return reader.read();
}

} // namespace vistelle
