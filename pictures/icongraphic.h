#pragma once
#include "pictures/graphic.h"

namespace vistelle {

// TIcon: the icon file's bytes as read.
class IconGraphic final : public Graphic {
public:
    // "Icon image is not valid" for a type above 1; no bytes make an empty icon.
    explicit IconGraphic(QByteArray file);

    QString className() const override { return QStringLiteral("TIcon"); }
    int width() const override { return m_size.width(); }
    int height() const override { return m_size.height(); }
    bool isEmpty() const override { return m_file.isEmpty(); }
    QByteArray classData() const override { return m_file; }

protected:
    QImage drawFor(QSize) const override;

private:
    QByteArray m_file;
    QSize m_size{0, 0};
};

} // namespace vistelle
