#include "platform/screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <optional>

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

void resizeClientTo(QWidget* window, const QSize& size)
{
    window->resize(size);
    QWindow* handle = window->windowHandle();
    if (handle && handle->size() != size) handle->resize(size);
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

namespace {

// Fits a window until it is settled: every 50 ms, and whenever the window system moves,
// resizes or activates the window. A window manager that frames the window where it
// already is moves nothing, but activates it. The tries count only while the window is
// on screen: a busy window manager maps it late.
class Settler : public QObject {
public:
    Settler(QWidget* window, std::function<bool()> fit, int tries)
        : QObject(window), m_window(window), m_fit(std::move(fit)), m_triesLeft(tries)
    {
        window->installEventFilter(this);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const QWindow* handle = m_window->windowHandle();
            if (handle && handle->isExposed() && --m_triesLeft <= 0) return finish();
            step();
        });
        m_timer.start(50);
    }

    void step()
    {
        if (m_done) return;
        const bool inPlace = m_fit();
        const QRect outer = outerBoundsOf(m_window);
        if (inPlace && m_placed == outer) return finish();
        m_placed = inPlace ? std::optional(outer) : std::nullopt;
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        const QEvent::Type t = e->type();
        if (t == QEvent::Move || t == QEvent::Resize || t == QEvent::WindowActivate)
            QTimer::singleShot(0, this, [this] { step(); });
        return false;
    }

private:
    void finish()
    {
        m_done = true;
        m_timer.stop();
        m_window->removeEventFilter(this);
        deleteLater();
    }

    QWidget* m_window;
    std::function<bool()> m_fit;
    int m_triesLeft;
    QTimer m_timer;
    std::optional<QRect> m_placed;
    bool m_done = false;
};

} // namespace

void fitUntilSettled(QWidget* window, std::function<bool()> fit, int tries)
{
    (new Settler(window, std::move(fit), tries))->step();
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

QPoint placeInside(const QRect& bounds, const QRect& area)
{
    return {qMax(area.left(), qMin(bounds.left(), area.right() + 1 - bounds.width())),
            qMax(area.top(), qMin(bounds.top(), area.bottom() + 1 - bounds.height()))};
}

} // namespace vistelle
