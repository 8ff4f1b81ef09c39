#pragma once
// Outer bounds of top-level windows, frame included, in device-independent pixels, as
// the window system reports and sets them; and fitting a window into a screen's
// available area. On a scaled desktop every value passes through a rounding to the
// device's pixels, so bounds read back may differ from the bounds set by a pixel.

#include <QMargins>
#include <QRect>
#include <functional>

class QWidget;

namespace vistelle {

// The frame around the client area as far as the window system has told it: empty
// until a window manager has framed the window, and always without one.
QMargins frameMarginsOf(const QWidget* window);
QRect outerBoundsOf(const QWidget* window);
// Gives the window's client area this size. The widget's own idea of its size can hold
// a request that the window manager has overridden since, so the window's is asked too.
void resizeClientTo(QWidget* window, const QSize& size);
// Moves the window so that its frame, not its client area, starts at the point.
void moveFrameTo(QWidget* window, const QPoint& topLeft);

// Runs fit now, then every 50 ms and on every move, resize and activation of the window,
// until fit reports the window in place on two runs in a row with the same outer bounds
// between them, or the window has been on screen for tries runs. A window manager
// frames and places a new window some time after it is shown, late when it is busy.
void fitUntilSettled(QWidget* window, std::function<bool()> fit, int tries);

// How far, in device-independent pixels, outer bounds read back can lie from the bounds
// set at this scale: none at 100 %, one pixel at 150 %.
int roundingSlack(qreal devicePixelRatio);
bool sameBounds(const QRect& a, const QRect& b, int slack);

// The available area (work area) of the screen that holds most of the bounds, or of
// the primary screen; empty without a screen.
QRect availableAreaFor(const QRect& bounds);
// A size larger than the area shrinks to the area's (not below the minimum) and its
// position moves into the area; bounds that fit stay as they are.
QRect fitIntoArea(const QRect& bounds, const QRect& area, const QSize& minimum = {});
// Where bounds that fit the area start when moved the least to lie inside it.
QPoint placeInside(const QRect& bounds, const QRect& area);

} // namespace vistelle
