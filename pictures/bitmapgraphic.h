#pragma once
#include "pictures/graphic.h"

namespace vistelle {

// TBitmap: a device-independent bitmap and the BMP file that stores it.
class BitmapGraphic final : public Graphic {
public:
    BitmapGraphic() = default;
    // From a BMP file, which is kept byte for byte and stored as it came (header form,
    // resolution, bit depth and alpha included). "Bitmap image is not valid" when rejected.
    static std::shared_ptr<BitmapGraphic> fromFile(const QByteArray& file);
    // From pixels (a dropped bitmap).
    static std::shared_ptr<BitmapGraphic> fromImage(const QImage& image);

    QString className() const override { return QStringLiteral("TBitmap"); }
    int width() const override { return m_image.width(); }
    int height() const override { return m_image.height(); }
    bool isEmpty() const override { return m_image.isNull(); }
    QByteArray classData() const override;
    QImage toBitmap() const override { return m_image; }

    const QByteArray& fileBytes() const { return m_file; }

protected:
    QImage drawFor(QSize) const override { return m_image; }

private:
    QImage m_image;
    QByteArray m_file;
};

} // namespace vistelle
