#pragma once
#include "pictures/graphic.h"
#include "pictures/jpegcodec.h"

namespace vistelle {

// TJPEGImage: the JPEG bytes exactly as read (shared, never re-encoded) and their header.
class JpegGraphic final : public Graphic {
public:
    // Parses the headers of non-empty data; "JPEG error #<code>" when they are malformed.
    explicit JpegGraphic(QByteArray bytes);

    QString className() const override { return QStringLiteral("TJPEGImage"); }
    int width() const override { return m_header.width; }
    int height() const override { return m_header.height; }
    bool isEmpty() const override { return m_bytes.isEmpty(); }
    QByteArray classData() const override;
    QImage toBitmap() const override;

    const QByteArray& bytes() const { return m_bytes; }
    const JpegHeader& header() const { return m_header; }

protected:
    QImage drawFor(QSize size) const override;

private:
    QByteArray m_bytes;
    JpegHeader m_header;
};

} // namespace vistelle
