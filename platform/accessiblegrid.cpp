#include "platform/accessiblegrid.h"

#include <QPointer>
#include <QWidget>

namespace vistelle {

namespace {

class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCell(QWidget* widget, int column, int row) : m_widget(widget), m_column(column), m_row(row) {}

    AccessibleGrid* grid() const
    {
        return static_cast<AccessibleGrid*>(QAccessible::queryAccessibleInterface(m_widget));
    }
    AccessibleGrid::Cell cell() const { return grid()->describeCell(m_column, m_row); }

    bool isValid() const override { return m_widget && grid(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid()->window(); }
    QAccessibleInterface* parent() const override { return grid(); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        const AccessibleGrid::Cell c = cell();
        if (t == QAccessible::Name) return c.name;
        if (t == QAccessible::Description) return c.description;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const QRect r = cell().rect;
        return QRect(m_widget->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return cell().role; }
    QAccessible::State state() const override
    {
        const AccessibleGrid::Cell c = cell();
        QAccessible::State s;
        s.readOnly = true;
        s.selectable = c.selectable;
        s.focusable = c.selectable;
        s.selected = c.selected;
        s.focused = c.selected && m_widget->hasFocus();
        s.invisible = !m_widget->isVisible() || c.rect.isEmpty();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override { return cell().selected; }
    QList<QAccessibleInterface*> columnHeaderCells() const override
    {
        QList<QAccessibleInterface*> headers;
        for (int r = 0; r < grid()->headerRows() && r < m_row; ++r) headers << grid()->cellAt(r, m_column);
        return headers;
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return grid(); }

private:
    QPointer<QWidget> m_widget;
    int m_column;
    int m_row;
};

} // namespace

AccessibleGrid::AccessibleGrid(QWidget* widget, int columns, int rows)
    : QAccessibleWidget(widget, QAccessible::Table), m_columns(columns), m_rows(rows)
{
}

AccessibleGrid::~AccessibleGrid()
{
    for (const QAccessible::Id id : std::as_const(m_cells)) QAccessible::deleteAccessibleInterface(id);
}

void* AccessibleGrid::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* AccessibleGrid::child(int index) const
{
    if (index < 0 || index >= childCount()) return nullptr;
    auto it = m_cells.constFind(index);
    if (it != m_cells.constEnd()) return QAccessible::accessibleInterface(*it);
    auto* cell = new GridCell(widget(), index % m_columns, index / m_columns);
    m_cells.insert(index, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int AccessibleGrid::indexOfChild(const QAccessibleInterface* child) const
{
    auto* cell = child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
    if (!cell || cell->table() != this) return -1;
    return cellIndex(cell->columnIndex(), cell->rowIndex());
}

QAccessibleInterface* AccessibleGrid::childAt(int x, int y) const
{
    const QPoint at = widget()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < childCount(); ++i) {
        if (describeCell(i % m_columns, i / m_columns).rect.contains(at)) return child(i);
    }
    return nullptr;
}

QAccessibleInterface* AccessibleGrid::focusChild() const
{
    if (!widget()->hasFocus()) return nullptr;
    const QList<QAccessibleInterface*> selected = selectedCells();
    return selected.isEmpty() ? nullptr : selected.first();
}

QAccessibleInterface* AccessibleGrid::cellAt(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns) return nullptr;
    return child(cellIndex(column, row));
}

QList<QAccessibleInterface*> AccessibleGrid::selectedCells() const
{
    QList<QAccessibleInterface*> cells;
    for (int i = 0; i < childCount(); ++i) {
        if (describeCell(i % m_columns, i / m_columns).selected) cells << child(i);
    }
    return cells;
}

QString AccessibleGrid::columnDescription(int column) const
{
    return headerRows() > 0 ? describeCell(column, 0).name : QString();
}

} // namespace vistelle
