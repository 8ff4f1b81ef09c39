#pragma once
// TQelCalendar: a month-grid date picker of 7 columns by 7 rows. Row 0 names the weekdays,
// rows 1..6 show the days of the selected date's month; the selected day is the current cell.
//
// Colours come from the palette: control colour = Base (Color), header = Button, captions
// = Text (FontColor), current cell = Highlight with HighlightedText.
//
// The events are plain callbacks called directly, so an error thrown by the owner's handler
// travels back to whoever moved the date. Only where the user moved it (mouse, keys, wheel)
// does the error end at the application's error box, as in every handler Qt calls.

#include "calendar/monthgrid.h"
#include "core/datetime.h"

#include <QFrame>
#include <functional>

namespace vistelle {

class TQelCalendar : public QFrame {
    Q_OBJECT
    Q_PROPERTY(double SelectedDate READ SelectedDate WRITE SetSelectedDate)
    Q_PROPERTY(int Day READ Day WRITE SetDay STORED false)
    Q_PROPERTY(int Month READ Month WRITE SetMonth STORED false)
    Q_PROPERTY(int Year READ Year WRITE SetYear STORED false)
    Q_PROPERTY(int StartOfWeek READ StartOfWeek WRITE SetStartOfWeek)
    Q_PROPERTY(bool UseCurrentDate READ UseCurrentDate WRITE SetUseCurrentDate)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(int GridLineWidth READ GridLineWidth WRITE SetGridLineWidth)

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TQelCalendar(QWidget* parent = nullptr);

    // Writing stores the value as given, lays the grid out and notifies, even for the same value.
    // A value that names no date of years 1..9999 fails with "Invalid argument to date encode".
    TDateTime SelectedDate() const { return m_selectedDate; }
    void SetSelectedDate(TDateTime value);

    int Day() const { return GetDatePart(3); }
    int Month() const { return GetDatePart(2); }
    int Year() const { return GetDatePart(1); }
    void SetDay(int value) { SetDatePart(3, value); }
    void SetMonth(int value) { SetDatePart(2, value); }
    void SetYear(int value) { SetDatePart(1, value); }
    // Part 1 = year, 2 = month, 3 = day.
    int GetDatePart(int part) const;
    void SetDatePart(int part, int value);

    // Weekday of column 0: 0 = Sunday … 6 = Saturday; other values fail with "Range check error".
    int StartOfWeek() const { return m_startOfWeek; }
    void SetStartOfWeek(int value);
    bool UseCurrentDate() const { return m_useCurrentDate; }
    void SetUseCurrentDate(bool value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value) { m_readOnly = value; }
    int GridLineWidth() const { return m_gridLineWidth; }
    void SetGridLineWidth(int value);

    QColor Color() const;
    void SetColor(const QColor& color);
    QColor FontColor() const;
    void SetFontColor(const QColor& color);

    int FirstCellOffset() const { return m_firstCellOffset; }
    QString CellCaption(int ACol, int ARow) const;

    void MonthForward() { stepMonth(+1); }
    void MonthBack() { stepMonth(-1); }
    void YearForward() { stepYear(+1); }
    void YearBack() { stepYear(-1); }

    virtual int MonthLength(int year, int month) const;
    virtual int CurrentMonthLength() const;
    virtual bool IsLeap(int year) const;
    virtual void RefreshGrid();
    virtual void NotifyChange();

    // Grid geometry and the current cell, for owners that draw or test the grid.
    GridCell currentCell() const { return m_current; }
    int defaultColWidth() const { return m_colWidth; }
    int defaultRowHeight() const { return m_rowHeight; }
    QRect cellRect(GridCell cell) const; // in widget coordinates
    bool rebuilding() const { return m_rebuilding; }

    TNotifyEvent OnClick;
    TNotifyEvent OnChange;
    TNotifyEvent OnDblClick;

    // Days to draw bold: asked once per repaint for the displayed month, bit d (1 … 31)
    // standing for day d. The owner calls update() when its answer changes.
    std::function<quint32(int year, int month)> dayMarks;
    // Whether day d of the displayed month is drawn bold.
    bool dayMarked(int day) const;

protected:
    // A cell may become current when it holds a day and the user may move the selection
    // (or the grid is being laid out).
    virtual bool maySelectCell(GridCell cell) const;
    // Runs after a mouse click on a day row and after a key or wheel step that had a target:
    // OnClick with the old date, then the current cell's day becomes the selected day.
    virtual void click();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    MonthGrid grid() const { return MonthGrid(m_firstCellOffset, CurrentMonthLength()); }
    void stepMonth(int delta);
    void stepYear(int delta);
    void trySelect(GridCell cell);
    void stepTo(GridCell target);
    bool cellAt(const QPoint& pos, GridCell& cell) const;
    // Tells assistive technologies of a new current cell or date: the selected state of the
    // old and the new cell, and the focus on the new one while the calendar has the focus.
    void announceSelection();
    void announceFocus();
    // The captions' fonts of one paint: bit d of marks draws day d in the bold one.
    struct CellFonts {
        quint32 marks;
        QFont regular;
        QFontMetrics regularMetrics;
        QFont bold;
        QFontMetrics boldMetrics;
    };
    void drawCell(class QPainter& p, GridCell cell, const CellFonts& fonts) const;

    TDateTime m_selectedDate = 0;
    int m_firstCellOffset = 1;
    bool m_readOnly = false;
    int m_startOfWeek = 0;
    bool m_rebuilding = false;
    bool m_useCurrentDate = true;

    int m_gridLineWidth = 1;
    int m_colWidth = 64;
    int m_rowHeight = 24;
    GridCell m_current{0, FirstDayRow};
    bool m_selecting = false; // left button pressed on a day row, not yet released
    int m_wheelAccumulator = 0;
    GridCell m_announcedCell{0, FirstDayRow};
    TDateTime m_announcedDate = 0;
};

} // namespace vistelle
