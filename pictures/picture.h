#pragma once
// A picture: nothing, or one graphic of the six kinds TJPEGImage, TBitmap, TGIFImage,
// TIcon, TMetafile and TOleGraphic. A value type: graphics never change once made, so a
// copy shares its original's graphic (JPEG bytes included) yet never changes with it.

#include "pictures/graphic.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace vistelle {

class Picture {
public:
    Picture() = default;
    explicit Picture(GraphicPtr graphic) : m_graphic(std::move(graphic)) {}

    // Loads a picture file by the kind of its extension (compared without case):
    // - no "." in the file name: an empty TOleGraphic, the file is not read;
    // - an extension no kind takes: InvalidGraphicError "Unknown picture file extension (.<ext>)";
    // - a file that cannot be opened: Error "Cannot open file <name>";
    // - data the kind's decoder rejects: InvalidGraphicError with the decoder's message.
    static Picture fromFile(const QString& fileName);
    // A dropped bitmap: a TBitmap holding the image's pixels (no alpha).
    static Picture fromImage(const QImage& image);

    bool hasGraphic() const { return m_graphic != nullptr; }
    // True when the picture holds nothing or an empty graphic.
    bool isEmpty() const { return !m_graphic || m_graphic->isEmpty(); }
    // The graphic's class name; empty when the picture holds nothing.
    QString className() const { return m_graphic ? m_graphic->className() : QString(); }
    int width() const { return m_graphic ? m_graphic->width() : 0; }
    int height() const { return m_graphic ? m_graphic->height() : 0; }
    QSize size() const { return {width(), height()}; }

    const Graphic* graphic() const { return m_graphic.get(); }
    const GraphicPtr& sharedGraphic() const { return m_graphic; }

    // The picture as a bitmap of its own pixel size, for dragging out: a null image for
    // an empty picture; "Cannot assign a <class> to a TBitmap" for icons, metafiles and
    // the generic kind. A JPEG above the decoders' pixel limit comes scaled down to fit it.
    QImage toBitmap() const;

    // The picture drawn at exactly `size` (smooth-scaled; JPEG decoded at a reduced DCT
    // scale first). Null when there is nothing to draw or it cannot be drawn. Copies of a
    // picture share this cache.
    QImage render(QSize size) const;

    // Same graphic (not merely equal content).
    bool sharesGraphicWith(const Picture& other) const { return m_graphic == other.m_graphic; }

private:
    GraphicPtr m_graphic;
};

} // namespace vistelle
