#pragma once
// Icon files: kept as read; checked for a type of 1 or less and a whole directory;
// drawn from their first image.

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace vistelle {

// The size of the first image in the directory (0 × 0 for an icon without images).
// "Icon image is not valid" for a type above 1; "Stream read error" when cut short.
QSize checkIconFile(const QByteArray& file);

// The first image of the icon; a null image when it cannot be decoded.
QImage decodeIconFile(const QByteArray& file);

} // namespace vistelle
