#pragma once
// Stored texts stay bytes in the table; the window converts them. Texts whose every
// character fits Windows-1252 are stored in it (the format's single-byte form for Western text);
// others as UTF-8, so that no character is lost. On reading, bytes that form valid
// UTF-8 and contain a non-ASCII byte are read as UTF-8, anything else as Windows-1252.

#include <QByteArray>
#include <QString>

namespace vistelle {

QByteArray encodeStoredText(const QString& text);
QString decodeStoredText(const QByteArray& bytes);

// Windows-1252 in both directions. The five bytes the code page leaves undefined map to
// the control characters of the same number, so every byte survives a round trip.
QString fromWindows1252(const QByteArray& bytes);
bool toWindows1252(const QString& text, QByteArray& bytes); // false when a character does not fit

// True when a byte is 0x80 or above: bytes without one are ASCII, the same text in either
// stored form. Looks at eight bytes at a time.
bool hasNonAsciiByte(QByteArrayView bytes);

} // namespace vistelle
