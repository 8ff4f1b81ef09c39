#pragma once
// A picture control: draws a Picture on its background colour in one of three fits.

#include "pictures/picture.h"

#include <QColor>
#include <QRect>
#include <QWidget>

namespace vistelle {

enum class FitMode {
    Proportional,  // scaled up or down to the largest size that fits, aspect kept, centred
    Stretched,     // scaled to exactly the control's size
    CentredShrink, // larger pictures shrunk with the aspect kept, smaller at their own size; centred
};

// Where a picture of `picture` size is drawn in a control of `control` size. An empty
// rectangle when the picture has no size.
QRect pictureTargetRect(QSize picture, QSize control, FitMode mode);

// Fills `area` with `background` and draws the picture into it with the given fit.
void paintPicture(QPainter& painter, const QRect& area, const Picture& picture, FitMode mode,
                  const QColor& background);

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    const Picture& picture() const { return m_picture; }
    void setPicture(const Picture& picture);

    FitMode fitMode() const { return m_mode; }
    void setFitMode(FitMode mode);

    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor& color);

    // Where the picture is drawn now, in widget coordinates.
    QRect pictureRect() const { return pictureTargetRect(m_picture.size(), size(), m_mode); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Picture m_picture;
    FitMode m_mode = FitMode::Proportional;
    QColor m_background = Qt::black;
};

} // namespace vistelle
