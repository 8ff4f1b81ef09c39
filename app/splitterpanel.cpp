#include "app/splitterpanel.h"

#include <QMouseEvent>
#include <QPainter>

namespace vistelle {

SplitterPanel::SplitterPanel(Arrangement arrangement, QWidget* parent)
    : QWidget(parent), m_arrangement(arrangement)
{
    for (QWidget*& p : m_panes) p = new QWidget(this);
    setMouseTracking(true);
}

bool SplitterPanel::upright(int bar) const
{
    return (m_arrangement == Arrangement::LeftAndStackedRight) == (bar == 0);
}

int SplitterPanel::barExtent(int bar) const
{
    if (m_arrangement == Arrangement::LeftAndStackedRight)
        return bar == 0 ? width() : height();
    if (bar == 0) return height();
    return width();
}

int SplitterPanel::clamped(int bar, int position) const
{
    const Bar& b = m_bars[bar];
    const int extent = barExtent(bar);
    if (b.min + b.max + BarThickness <= extent) return qBound(b.min, position, extent - b.max - BarThickness);
    return qBound(0, position, qMax(0, extent - BarThickness));
}

int SplitterPanel::barPosition(int bar) const { return clamped(bar, m_bars[bar].requested); }

void SplitterPanel::setBarPosition(int bar, int position)
{
    m_bars[bar].requested = position;
    layoutPanes();
}

void SplitterPanel::setBarLimits(int bar, int min, int max)
{
    m_bars[bar].min = min;
    m_bars[bar].max = max;
    layoutPanes();
}

QRect SplitterPanel::barRect(int bar) const
{
    const int p0 = barPosition(0), p1 = barPosition(1), t = BarThickness;
    if (m_arrangement == Arrangement::LeftAndStackedRight) {
        if (bar == 0) return QRect(p0, 0, t, height());
        return QRect(p0 + t, p1, width() - p0 - t, t);
    }
    if (bar == 0) return QRect(0, p0, width(), t);
    return QRect(p1, 0, t, p0);
}

void SplitterPanel::layoutPanes()
{
    const int p0 = barPosition(0), p1 = barPosition(1), t = BarThickness;
    if (m_arrangement == Arrangement::LeftAndStackedRight) {
        m_panes[0]->setGeometry(0, 0, p0, height());
        m_panes[1]->setGeometry(p0 + t, 0, width() - p0 - t, p1);
        m_panes[2]->setGeometry(p0 + t, p1 + t, width() - p0 - t, height() - p1 - t);
    } else {
        m_panes[0]->setGeometry(0, 0, p1, p0);
        m_panes[1]->setGeometry(p1 + t, 0, width() - p1 - t, p0);
        m_panes[2]->setGeometry(0, p0 + t, width(), height() - p0 - t);
    }
    update();
}

void SplitterPanel::resizeEvent(QResizeEvent*) { layoutPanes(); }

void SplitterPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    for (int bar = 0; bar < 2; ++bar) p.fillRect(barRect(bar), Qt::black);
}

int SplitterPanel::barAt(const QPoint& pt) const
{
    for (int bar = 0; bar < 2; ++bar) {
        if (barRect(bar).contains(pt)) return bar;
    }
    return -1;
}

void SplitterPanel::mousePressEvent(QMouseEvent* e)
{
    const int bar = barAt(e->position().toPoint());
    if (e->button() != Qt::LeftButton || bar < 0) return QWidget::mousePressEvent(e);
    m_dragging = bar;
    const QPoint pt = e->position().toPoint();
    m_dragOffset = (upright(bar) ? pt.x() : pt.y()) - barPosition(bar);
}

void SplitterPanel::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    if (m_dragging >= 0) {
        const int along = upright(m_dragging) ? pt.x() : pt.y();
        m_bars[m_dragging].requested = clamped(m_dragging, along - m_dragOffset);
        layoutPanes();
        return;
    }
    const int bar = barAt(pt);
    if (bar < 0) unsetCursor();
    else setCursor(upright(bar) ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void SplitterPanel::mouseReleaseEvent(QMouseEvent* e)
{
    if (m_dragging >= 0 && e->button() == Qt::LeftButton) m_dragging = -1;
    else QWidget::mouseReleaseEvent(e);
}

} // namespace vistelle
