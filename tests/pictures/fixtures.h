#pragma once
// Small pictures made in the tests themselves: JPEG and BMP from QImage, metafiles and
// broken files as annotated hex.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QtEndian>

namespace fixtures {

inline QByteArray le16(quint16 v) { QByteArray b(2, 0); qToLittleEndian(v, b.data()); return b; }
inline QByteArray le32(quint32 v) { QByteArray b(4, 0); qToLittleEndian(v, b.data()); return b; }

// A picture with four coloured quadrants, so scaling and placement can be checked.
inline QImage quadrants(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(0, 0, w / 2, h / 2, Qt::red);
    p.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
    p.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::white);
    return img;
}

inline QByteArray encoded(const QImage& img, const char* format, int quality = 90)
{
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format, quality);
    return out;
}

inline QByteArray jpeg(int w = 64, int h = 48) { return encoded(quadrants(w, h), "JPG"); }

// A placeable Windows metafile, 100 × 50 at 96 units per inch, filling a red rectangle.
inline QByteArray wmfRecords()
{
    return QByteArray::fromHex(
        "050000000B02" "0000" "0000"         // SETWINDOWORG 0, 0
        "050000000C02" "3200" "6400"         // SETWINDOWEXT 50 high, 100 wide
        "07000000FC02" "0000" "FF000000" "0000" // CREATEBRUSHINDIRECT solid red
        "040000002D010000"                   // SELECTOBJECT 0
        "070000001B04" "3200" "6400" "0000" "0000" // RECTANGLE bottom 50, right 100, top 0, left 0
        "030000000000");                     // EOF
}

inline QByteArray wmfWithRecords(const QByteArray& records, quint32 maxRecordWords = 7, quint16 objects = 1)
{
    QByteArray header = QByteArray::fromHex("0100" "0900" "0003") // type, header words, version
        + le32(quint32((18 + records.size()) / 2)) + le16(objects) + le32(maxRecordWords) + le16(0);
    QByteArray placeable = QByteArray::fromHex("D7CDC69A" "0000" "0000" "0000" "6400" "3200" "6000" "00000000");
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= qFromLittleEndian<quint16>(placeable.constData() + 2 * i);
    return placeable + le16(sum) + header + records;
}

inline QByteArray wmf() { return wmfWithRecords(wmfRecords()); }

// An enhanced metafile: header record (108 bytes) and end record (20 bytes).
inline QByteArray emf()
{
    QByteArray h = le32(1) + le32(108)
        + le32(0) + le32(0) + le32(99) + le32(49)         // bounds
        + le32(0) + le32(0) + le32(2646) + le32(1323)     // frame, 0.01 mm: 100 × 50 px
        + le32(0x464D4520) + le32(0x10000) + le32(128) + le32(2)
        + le16(1) + le16(0) + le32(0) + le32(0) + le32(0)
        + le32(1024) + le32(768) + le32(320) + le32(240)
        + le32(0) + le32(0) + le32(0) + le32(320000) + le32(240000);
    QByteArray eof = le32(14) + le32(20) + le32(0) + le32(16) + le32(20);
    return h + eof;
}

} // namespace fixtures
