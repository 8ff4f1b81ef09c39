#pragma once
// A panel with three panes and two bars whose positions can be read and set in pixels.
// Each bar keeps at least Min pixels from the edge where its range starts and at least
// Max pixels from the opposite edge, whenever the panel is large enough for both.

#include <QWidget>

namespace vistelle {

class SplitterPanel : public QWidget {
    Q_OBJECT

public:
    enum class Arrangement {
        // Bar 0 upright: pane 0 on the left; bar 1 across the right column: pane 1 above pane 2.
        LeftAndStackedRight,
        // Bar 0 across: panes 0 and 1 above pane 2; bar 1 upright between panes 0 and 1.
        ColumnsOverBottom,
    };

    SplitterPanel(Arrangement arrangement, QWidget* parent = nullptr);

    QWidget* pane(int index) const { return m_panes[index]; }
    int barPosition(int bar) const;
    void setBarPosition(int bar, int position);
    void setBarLimits(int bar, int min, int max);
    static constexpr int BarThickness = 3;

    // The extent the bar's position ranges over (panel width or height, or the column's).
    int barExtent(int bar) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Bar {
        int requested = 0;
        int min = 0, max = 0;
    };
    bool upright(int bar) const;
    QRect barRect(int bar) const;
    int barAt(const QPoint& p) const;
    int clamped(int bar, int position) const;
    void layoutPanes();

    Arrangement m_arrangement;
    QWidget* m_panes[3];
    Bar m_bars[2];
    int m_dragging = -1;
    int m_dragOffset = 0;
};

} // namespace vistelle
