#pragma once
#include "pictures/gifcodec.h"
#include "pictures/graphic.h"

namespace vistelle {

// TGIFImage: a decoded GIF (header, colour tables, extensions, frames).
class GifGraphic final : public Graphic {
public:
    explicit GifGraphic(GifData gif) : m_gif(std::move(gif)) {}

    QString className() const override { return QStringLiteral("TGIFImage"); }
    int width() const override { return m_gif.width; }
    int height() const override { return m_gif.height; }
    bool isEmpty() const override { return m_gif.width <= 0 || m_gif.height <= 0; }
    QByteArray classData() const override;
    QImage toBitmap() const override;

    const GifData& gif() const { return m_gif; }

protected:
    QImage drawFor(QSize) const override;

private:
    GifData m_gif;
    mutable QImage m_rendered;
    mutable QByteArray m_encoded;
};

} // namespace vistelle
