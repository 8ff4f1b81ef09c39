#include "preview/pagegrid.h"
#include "platform/accessiblegrid.h"

#include <QPainter>

namespace vistelle {

namespace {
bool inside(int col, int row)
{
    return col >= 0 && col < PageGrid::ColCount && row >= 0 && row < PageGrid::RowCount;
}
// The page's table to assistive technologies: its cells as the page shows them, the
// weekday row as column headers.
class PageGridAccessible : public AccessibleGrid {
public:
    explicit PageGridAccessible(PageGrid* grid) : AccessibleGrid(grid, PageGrid::ColCount, PageGrid::RowCount) {}

    Cell describeCell(int column, int row) const override
    {
        Cell c;
        c.name = static_cast<const PageGrid*>(widget())->cell(column, row);
        c.role = row == 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
        c.rect = PageGrid::cellRect(column, row);
        return c;
    }
    int headerRows() const override { return 1; }
};

QAccessibleInterface* pageGridFactory(const QString&, QObject* object)
{
    auto* grid = qobject_cast<PageGrid*>(object);
    return grid ? new PageGridAccessible(grid) : nullptr;
}

} // namespace

PageGrid::PageGrid(QWidget* parent) : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(pageGridFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QString PageGrid::cell(int col, int row) const
{
    return inside(col, row) ? m_cells[size_t(row * ColCount + col)] : QString();
}

void PageGrid::setCell(int col, int row, const QString& text)
{
    if (!inside(col, row)) return;
    QString& slot = m_cells[size_t(row * ColCount + col)];
    if (slot == text) return;
    slot = text;
    update(cellRect(col, row));
}

QRect PageGrid::cellRect(int col, int row)
{
    return {LineWidth + col * ColWidth, LineWidth + row * RowHeight, ColWidth - LineWidth, RowHeight - LineWidth};
}

QSize PageGrid::tableSize() { return {LineWidth + ColCount * ColWidth, LineWidth + RowCount * RowHeight}; }

void PageGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Whatever of the widget lies beyond the table shows the page behind it.
    painter.fillRect(rect(), parentWidget() ? parentWidget()->palette().color(QPalette::Window)
                                            : palette().color(QPalette::Window));
    painter.fillRect(QRect(QPoint(0, 0), tableSize()), palette().color(QPalette::Base));
    paintLines(painter);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    for (int row = 0; row < RowCount; ++row)
        for (int col = 0; col < ColCount; ++col) paintCell(painter, col, row);
}

void PageGrid::paintLines(QPainter& painter) const
{
    const QSize table = tableSize();
    for (int col = 0; col <= ColCount; ++col)
        painter.fillRect(col * ColWidth, 0, LineWidth, table.height(), m_lineColor);
    for (int row = 0; row <= RowCount; ++row)
        painter.fillRect(0, row * RowHeight, table.width(), LineWidth, m_lineColor);
}

void PageGrid::paintCell(QPainter& painter, int col, int row) const
{
    const QString& text = m_cells[size_t(row * ColCount + col)];
    if (text.isEmpty()) return;
    const QRect area = cellRect(col, row);
    painter.save();
    painter.setClipRect(area);
    painter.drawText(area.adjusted(TextMargin, TextMargin, -TextMargin, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    painter.restore();
}

} // namespace vistelle
