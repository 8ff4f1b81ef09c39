#pragma once
// Where the main window's controls are, in client coordinates, worked out from the
// client size the way the window lays itself out: 5-pixel black frame strips, the
// 33-pixel bottom bar, the main splitter's bars (407 and 203 as designed, kept within
// their limits), the 25-pixel month and year bars and the calendar's 7 × 7 grid.

#include <QPoint>
#include <QSize>

namespace vistelle::e2e {

class MainWindowMap {
public:
    explicit MainWindowMap(QSize client, int bar0 = 407, int bar1 = 203);

    QPoint picture() const;                       // centre of the month picture
    QPoint monthLabel() const;
    QPoint calendarCell(int col, int row) const;  // row 0 is the weekday header
    QPoint dayEditor() const;
    QPoint searchBox() const;
    QPoint setChoice(int n) const;                // the radio button of set n, 1..4

private:
    QSize m_client;
    int m_bar0;
    int m_bar1;
    int m_panelWidth;
    int m_panelHeight;
};

} // namespace vistelle::e2e
