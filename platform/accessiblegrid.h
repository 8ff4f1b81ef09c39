#pragma once
// A grid of text cells drawn by one widget, shown to assistive technologies (AT-SPI) as a
// table whose children are its cells, row by row. The widget's own accessible class says
// what each cell is; this class keeps one cell object per cell for the interface's life,
// so that events about a cell reach the object a screen reader already holds.

#include <QAccessibleWidget>
#include <QHash>
#include <QRect>

namespace vistelle {

class AccessibleGrid : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    struct Cell {
        QString name;
        QString description;
        QAccessible::Role role = QAccessible::Cell;
        bool selectable = false;
        bool selected = false;
        QRect rect; // in widget coordinates
    };

    AccessibleGrid(QWidget* widget, int columns, int rows);
    ~AccessibleGrid() override;

    virtual Cell describeCell(int column, int row) const = 0;
    // Rows at the top that name the columns (their cells have the column-header role).
    virtual int headerRows() const { return 0; }

    int cellIndex(int column, int row) const { return row * m_columns + column; }

    // QAccessibleInterface
    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::Role role() const override { return QAccessible::Table; }
    int childCount() const override { return m_columns * m_rows; }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return m_columns; }
    int rowCount() const override { return m_rows; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    int m_columns;
    int m_rows;
    mutable QHash<int, QAccessible::Id> m_cells;
};

} // namespace vistelle
