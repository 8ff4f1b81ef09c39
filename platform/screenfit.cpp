#include "platform/screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cmath>

namespace vistelle {

QMargins frameMarginsOf(const QWidget* window)
{
    // The window's own report: a widget's frame geometry can lag behind the window
    // manager's framing until the widget is next moved or resized.
    const QWindow* handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

QRect outerBoundsOf(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    if (!handle) return window->frameGeometry();
    return handle->geometry().marginsAdded(handle->frameMargins());
}

void moveFrameTo(QWidget* window, const QPoint& topLeft)
{
    QWindow* handle = window->windowHandle();
    if (!handle) return window->move(topLeft); // a window not yet created takes it as its frame position
    // The client area's place, worked out here: a frame position handed to the window
    // system is taken for the client's while the frame is new to it.
    const QMargins m = handle->frameMargins();
    handle->setPosition(topLeft + QPoint(m.left(), m.top()));
}

int roundingSlack(qreal devicePixelRatio)
{
    if (devicePixelRatio == 1.0) return 0;
    // A device pixel is 1 / ratio pixels wide; each value is rounded at most twice.
    return qMax(1, int(std::ceil(1.0 / devicePixelRatio)));
}

bool sameBounds(const QRect& a, const QRect& b, int slack)
{
    return qAbs(a.left() - b.left()) <= slack && qAbs(a.top() - b.top()) <= slack &&
           qAbs(a.width() - b.width()) <= slack && qAbs(a.height() - b.height()) <= slack;
}

QRect availableAreaFor(const QRect& bounds)
{
    const QScreen* best = QGuiApplication::primaryScreen();
    qint64 bestArea = 0;
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect common = s->geometry().intersected(bounds);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = s;
            bestArea = area;
        }
    }
    return best ? best->availableGeometry() : QRect();
}

QRect fitIntoArea(const QRect& bounds, const QRect& area, const QSize& minimum)
{
    if (area.isEmpty()) return bounds;
    QRect fitted = bounds;
    if (bounds.width() > area.width()) {
        fitted.setWidth(qMax(area.width(), minimum.width()));
        fitted.moveLeft(area.left());
    }
    if (bounds.height() > area.height()) {
        fitted.setHeight(qMax(area.height(), minimum.height()));
        fitted.moveTop(area.top());
    }
    return fitted;
}

} // namespace vistelle
