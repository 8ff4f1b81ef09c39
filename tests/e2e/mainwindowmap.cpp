#include "mainwindowmap.h"

#include <QtGlobal>

namespace vistelle::e2e {

namespace {

constexpr int Strip = 5;
constexpr int BottomBar = 33;
constexpr int BarBorder = 2;
constexpr int BarThickness = 3;
constexpr int TitleBar = 25;     // month, week and year bars
constexpr int CalendarMargin = 2;
constexpr int CalendarFrame = 1;
constexpr int GridLine = 1;
constexpr int DesignBarWidth = 716;

int clampBar(int position, int min, int max, int extent)
{
    if (min + max + BarThickness <= extent) return qBound(min, position, extent - max - BarThickness);
    return qBound(0, position, qMax(0, extent - BarThickness));
}

} // namespace

MainWindowMap::MainWindowMap(QSize client, int bar0, int bar1)
    : m_client(client),
      m_panelWidth(client.width() - 2 * Strip),
      m_panelHeight(client.height() - 2 * Strip - BottomBar)
{
    m_bar0 = clampBar(bar0, 300, 300, m_panelWidth);
    m_bar1 = clampBar(bar1, 200, 29, m_panelHeight);
}

QPoint MainWindowMap::picture() const
{
    return {Strip + m_bar0 / 2, Strip + (m_panelHeight - TitleBar) / 2};
}

QPoint MainWindowMap::monthLabel() const
{
    const int paneLeft = Strip + m_bar0 + BarThickness;
    const int paneWidth = m_panelWidth - m_bar0 - BarThickness;
    return {paneLeft + paneWidth / 2, Strip + TitleBar / 2};
}

QPoint MainWindowMap::calendarCell(int col, int row) const
{
    const int paneLeft = Strip + m_bar0 + BarThickness;
    const int paneWidth = m_panelWidth - m_bar0 - BarThickness;
    const int left = paneLeft + CalendarMargin + CalendarFrame;
    const int top = Strip + TitleBar + CalendarMargin + CalendarFrame;
    const int width = paneWidth - 2 * (CalendarMargin + CalendarFrame);
    const int height = m_bar1 - TitleBar - 2 * (CalendarMargin + CalendarFrame);
    const int colWidth = (width - 6 * GridLine) / 7;
    const int rowHeight = (height - 6 * GridLine) / 7;
    return {left + col * (colWidth + GridLine) + colWidth / 2, top + row * (rowHeight + GridLine) + rowHeight / 2};
}

QPoint MainWindowMap::dayEditor() const
{
    const int paneLeft = Strip + m_bar0 + BarThickness;
    const int paneWidth = m_panelWidth - m_bar0 - BarThickness;
    const int paneTop = Strip + m_bar1 + BarThickness;
    const int paneHeight = m_panelHeight - m_bar1 - BarThickness;
    return {paneLeft + paneWidth / 2, paneTop + TitleBar + (paneHeight - TitleBar) / 2};
}

QPoint MainWindowMap::searchBox() const
{
    return {BarBorder + 23 + 153 / 2, m_client.height() - BottomBar + BarBorder + 5 + 19 / 2};
}

QPoint MainWindowMap::setChoice(int n) const
{
    static constexpr int Lefts[4] = {513, 547, 581, 615};
    const int shift = m_client.width() - 2 * BarBorder - DesignBarWidth;
    return {BarBorder + Lefts[qBound(1, n, 4) - 1] + shift + 7, m_client.height() - BottomBar + BarBorder + 6 + 17 / 2};
}

} // namespace vistelle::e2e
