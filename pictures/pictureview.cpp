#include "pictures/pictureview.h"

#include <QPainter>

namespace vistelle {

namespace {

// Largest size with the picture's aspect that fits: the wider side first, each
// dimension truncated.
QSize proportionalSize(qint64 w, qint64 h, qint64 cw, qint64 ch)
{
    qint64 width, height;
    if (w > h) {
        width = cw;
        height = cw * h / w;
        if (height > ch) {
            height = ch;
            width = ch * w / h;
        }
    } else {
        height = ch;
        width = ch * w / h;
        if (width > cw) {
            width = cw;
            height = cw * h / w;
        }
    }
    return {int(width), int(height)};
}

} // namespace

QRect pictureTargetRect(QSize picture, QSize control, FitMode mode)
{
    const int w = picture.width(), h = picture.height();
    const int cw = control.width(), ch = control.height();
    if (w <= 0 || h <= 0 || cw <= 0 || ch <= 0) return {};
    QSize drawn;
    switch (mode) {
    case FitMode::Stretched: return {0, 0, cw, ch};
    case FitMode::Proportional: drawn = proportionalSize(w, h, cw, ch); break;
    case FitMode::CentredShrink:
        drawn = (w > cw || h > ch) ? proportionalSize(w, h, cw, ch) : picture;
        break;
    }
    return {(cw - drawn.width()) / 2, (ch - drawn.height()) / 2, drawn.width(), drawn.height()};
}

void paintPicture(QPainter& painter, const QRect& area, const Picture& picture, FitMode mode,
                  const QColor& background)
{
    painter.fillRect(area, background);
    const QRect target = pictureTargetRect(picture.size(), area.size(), mode).translated(area.topLeft());
    if (target.isEmpty()) return;
    const QImage image = picture.render(target.size());
    if (!image.isNull()) painter.drawImage(target.topLeft(), image);
}

PictureView::PictureView(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void PictureView::setPicture(const Picture& picture)
{
    // A graphic never changes: the same one again draws the same pixels.
    if (picture.sharesGraphicWith(m_picture)) return;
    m_picture = picture;
    update();
}

void PictureView::setFitMode(FitMode mode)
{
    m_mode = mode;
    update();
}

void PictureView::setBackgroundColor(const QColor& color)
{
    m_background = color;
    update();
}

void PictureView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintPicture(painter, rect(), m_picture, m_mode, m_background);
}

} // namespace vistelle
