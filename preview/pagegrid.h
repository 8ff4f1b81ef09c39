#pragma once
// The printed page's 7 × 7 table: plain text cells between 1-pixel silver lines, no
// header styling, no current cell, no editing.
//
// Every column is 70 pixels from line to line and every row 25 (the line included),
// and one more line closes the table on the left and at the top, so the whole table
// takes 491 × 176 pixels and fits its 492 × 177 place on the page without clipping.

#include <QString>
#include <QWidget>
#include <array>

namespace vistelle {

class PageGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int ColCount = 7;
    static constexpr int RowCount = 7;
    static constexpr int ColWidth = 70;  // pitch of a column, one grid line included
    static constexpr int RowHeight = 25; // pitch of a row, one grid line included
    static constexpr int LineWidth = 1;
    static constexpr int TextMargin = 2;

    explicit PageGrid(QWidget* parent = nullptr);

    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString& text);

    // The area inside a cell's lines, in widget coordinates.
    static QRect cellRect(int col, int row);
    // The size the table takes with its lines.
    static QSize tableSize();

    QColor lineColor() const { return m_lineColor; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintLines(class QPainter& painter) const;
    void paintCell(class QPainter& painter, int col, int row) const;

    std::array<QString, ColCount * RowCount> m_cells;
    QColor m_lineColor{0xC0, 0xC0, 0xC0}; // silver
};

} // namespace vistelle
