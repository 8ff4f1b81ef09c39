#pragma once
#include "pictures/graphic.h"

namespace vistelle {

// TOleGraphic: the generic picture object. This system only ever makes it empty (from a
// dropped file name without extension); it stores no class data.
class OleGraphic final : public Graphic {
public:
    QString className() const override { return QStringLiteral("TOleGraphic"); }
    int width() const override { return 0; }
    int height() const override { return 0; }
    bool isEmpty() const override { return true; }
    QByteArray classData() const override { return {}; }

protected:
    QImage drawFor(QSize) const override { return {}; }
};

} // namespace vistelle
