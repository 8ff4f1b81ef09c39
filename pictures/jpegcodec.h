#pragma once
// JPEG through libjpeg: header parsing when a picture is loaded, and decoding scaled by
// the DCT to the smallest n/8 that still covers the size it is drawn at. JPEG data is
// never encoded here; pictures keep the bytes they were read from.

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace vistelle {

struct JpegHeader {
    int width = 0;
    int height = 0;
    int components = 0;
    bool progressive = false;
};

// Parses the headers up to the first scan; fails with "JPEG error #<code>".
JpegHeader parseJpegHeader(const QByteArray& data);

// Decodes at the smallest n/8 scale whose size covers `cover` in both directions, or at
// full size when `cover` is empty. A null image when the data cannot be decoded; then
// `errorCode`, when given, holds the library's message code (or -1 when too large).
QImage decodeJpeg(const QByteArray& data, QSize cover = {}, int* errorCode = nullptr);

} // namespace vistelle
