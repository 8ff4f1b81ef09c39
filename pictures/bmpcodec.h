#pragma once
// BMP files as the bitmap kind stores them. A BMP file that was read (from a set file or
// a dropped file) is kept byte for byte; a dropped bitmap is stored as the image writer's
// uncompressed form with a 40-byte header.

#include <QByteArray>
#include <QImage>

namespace vistelle {

struct BmpFileInfo {
    quint32 headerSize = 0;
    int width = 0;
    int height = 0;        // absolute value; top-down files have a negative height
    int bitCount = 0;
    quint32 compression = 0;
};

// Checks the file and info headers: "BM" and a planes count of 1, else "Bitmap image is
// not valid"; headers cut short give "Stream read error".
BmpFileInfo checkBmpFile(const QByteArray& file);

// Decodes a checked file; "Bitmap image is not valid" when the pixels cannot be read.
QImage decodeBmpFile(const QByteArray& file, const BmpFileInfo& info);

// The uncompressed BMP file of an image (24 bits for colour images, alpha dropped).
QByteArray encodeBmpFile(const QImage& image);

} // namespace vistelle
