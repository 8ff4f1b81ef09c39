#include "pictures/bmpcodec.h"

#include "core/error.h"
#include "pictures/bytereader.h"
#include "pictures/graphic.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

namespace vistelle {

namespace {

constexpr quint32 kCoreHeader = 12;
constexpr quint32 kRle8 = 1;
constexpr quint32 kRle4 = 2;
constexpr quint32 kBitFields = 3;

[[noreturn]] void invalid() { throw InvalidGraphicError(QStringLiteral("Bitmap image is not valid")); }

// Bytes the uncompressed pixel rows need, so that a short file is refused before the
// image is allocated.
qint64 uncompressedPixelBytes(const BmpFileInfo& info)
{
    const qint64 stride = ((qint64(info.width) * info.bitCount + 31) / 32) * 4;
    return stride * info.height;
}

} // namespace

BmpFileInfo checkBmpFile(const QByteArray& file)
{
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M') invalid();
    ByteReader in(file);
    in.skip(14);
    BmpFileInfo info;
    info.headerSize = in.u32();
    int planes = 0;
    if (info.headerSize == kCoreHeader) {
        info.width = in.u16();
        info.height = in.u16();
        planes = in.u16();
        info.bitCount = in.u16();
    } else if (info.headerSize >= 40) {
        info.width = in.i32();
        const qint32 height = in.i32();
        info.height = height == INT32_MIN ? -1 : qAbs(height);
        planes = in.u16();
        info.bitCount = in.u16();
        info.compression = in.u32();
        in.need(info.headerSize - 20);
    } else {
        invalid();
    }
    if (planes != 1 || info.width < 0 || info.height < 0) invalid();
    return info;
}

QImage decodeBmpFile(const QByteArray& file, const BmpFileInfo& info)
{
    if (qint64(info.width) * info.height > kMaxDecodedPixels) invalid();
    const bool compressed = info.compression == kRle8 || info.compression == kRle4;
    if (!compressed && info.compression <= kBitFields && uncompressedPixelBytes(info) > file.size())
        raise(QStringLiteral("Stream read error"));
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage image = reader.read();
    if (image.isNull()) invalid();
    return image;
}

QByteArray encodeBmpFile(const QImage& image)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image)) raise(QStringLiteral("Bitmap image is not valid"));
    return out;
}

} // namespace vistelle
