#include "calendar/qelcalendar.h"

#include "calendar/calendaraccessible.h"

#include "core/error.h"
#include "core/regional.h"
#include "platform/guard.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QWheelEvent>

namespace vistelle {

namespace {

const QString RangeCheckError = QStringLiteral("Range check error");
const QString DateEncodeError = QStringLiteral("Invalid argument to date encode");

constexpr int WheelStep = 120; // one notch of a standard mouse wheel
const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor Grey(0x80, 0x80, 0x80);

bool isDateValue(TDateTime value) { return value > MinDateDays - 1 && value < MaxDateDays + 1; }

} // namespace

TQelCalendar::TQelCalendar(QWidget* parent) : QFrame(parent)
{
    CalendarAccessible::installFactory();
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    m_useCurrentDate = true;
    m_selectedDate = today();
    RefreshGrid();
}

// --- the selected date ---

void TQelCalendar::SetSelectedDate(TDateTime value)
{
    // Nothing outside years 1..9999 can be laid out; refuse it before anything changes.
    if (!isDateValue(value)) vistelle::raise(DateEncodeError);
    m_selectedDate = value;
    RefreshGrid();
    NotifyChange();
}

int TQelCalendar::GetDatePart(int part) const
{
    const DateParts d = decodeDate(m_selectedDate);
    switch (part) {
    case 1: return d.year;
    case 2: return d.month;
    case 3: return d.day;
    }
    return 0;
}

void TQelCalendar::SetDatePart(int part, int value)
{
    if (value < 1) return;
    DateParts d = decodeDate(m_selectedDate);
    switch (part) {
    case 1:
        if (value == d.year) return;
        if (value > 65535) vistelle::raise(RangeCheckError);
        d.year = value;
        break;
    case 2:
        if (value > 12 || value == d.month) return;
        d.month = value;
        break;
    case 3:
        if (value > CurrentMonthLength() || value == d.day) return;
        d.day = value;
        break;
    default:
        return;
    }
    m_selectedDate = encodeDate(d.year, d.month, d.day);
    m_useCurrentDate = false;
    RefreshGrid();
    NotifyChange();
}

void TQelCalendar::stepMonth(int delta)
{
    const DateParts d = decodeDate(m_selectedDate);
    const YearMonth to = neighbourMonth({d.year, d.month}, delta);
    SetSelectedDate(encodeDate(to.year, to.month, clampDay(d.day, MonthLength(to.year, to.month))));
}

void TQelCalendar::stepYear(int delta)
{
    // 29 February first becomes 28 February of the same year (a notification of its own).
    if (IsLeap(Year()) && Month() == 2 && Day() == 29) SetDatePart(3, 28);
    SetDatePart(1, Year() + delta);
}

// --- settings ---

void TQelCalendar::SetStartOfWeek(int value)
{
    if (value < 0 || value > 6) vistelle::raise(RangeCheckError);
    if (value == m_startOfWeek) return;
    m_startOfWeek = value;
    RefreshGrid();
}

void TQelCalendar::SetUseCurrentDate(bool value)
{
    if (value == m_useCurrentDate) return;
    m_useCurrentDate = value;
    if (!value) return;
    m_selectedDate = today();
    RefreshGrid();
}

void TQelCalendar::SetGridLineWidth(int value)
{
    if (value < 0) return;
    m_gridLineWidth = value;
    update();
}

QColor TQelCalendar::Color() const { return palette().color(QPalette::Base); }

void TQelCalendar::SetColor(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, color);
    setPalette(pal);
}

QColor TQelCalendar::FontColor() const { return palette().color(QPalette::Text); }

void TQelCalendar::SetFontColor(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Text, color);
    setPalette(pal);
}

// --- layout ---

int TQelCalendar::MonthLength(int year, int month) const { return vistelle::MonthLength(year, month); }

int TQelCalendar::CurrentMonthLength() const
{
    const DateParts d = decodeDate(m_selectedDate);
    return MonthLength(d.year, d.month);
}

bool TQelCalendar::IsLeap(int year) const { return vistelle::IsLeap(year); }

void TQelCalendar::RefreshGrid()
{
    m_rebuilding = true;
    const auto done = qScopeGuard([this] { m_rebuilding = false; });
    const DateParts d = decodeDate(m_selectedDate);
    m_firstCellOffset = MonthGrid::firstCellOffsetOf(dayOfWeek(encodeDate(d.year, d.month, 1)), m_startOfWeek);
    trySelect(grid().cellOfDay(d.day));
    update();
    announceSelection();
}

void TQelCalendar::NotifyChange()
{
    if (OnChange) OnChange(this);
}

QString TQelCalendar::CellCaption(int ACol, int ARow) const
{
    if (ARow == 0) return MonthGrid::headerCaption(ACol, m_startOfWeek, regional().shortDayNames);
    return grid().dayCaption({ACol, ARow});
}

// --- selection and the click behaviour ---

bool TQelCalendar::maySelectCell(GridCell cell) const
{
    return (!m_readOnly || m_rebuilding) && cell.isDayRow() && !CellCaption(cell.col, cell.row).isEmpty();
}

void TQelCalendar::trySelect(GridCell cell)
{
    if (cell == m_current || !maySelectCell(cell)) return;
    m_current = cell;
    update();
    announceSelection();
}

void TQelCalendar::click()
{
    {
        // The current cell may already stand on the new day; if the owner's handler fails,
        // put it back on the selected day so that grid and date agree.
        auto restore = qScopeGuard([this] {
            m_current = grid().cellOfDay(Day());
            update();
            announceSelection();
        });
        if (OnClick) OnClick(this);
        restore.dismiss();
    }
    const QString caption = CellCaption(m_current.col, m_current.row);
    if (!caption.isEmpty()) SetDatePart(3, caption.toInt());
}

void TQelCalendar::stepTo(GridCell target)
{
    target.col = qBound(0, target.col, GridColumns - 1);
    target.row = qBound(FirstDayRow, target.row, LastDayRow);
    if (target == m_current) return;
    trySelect(target);
    click();
}

// --- geometry ---

QRect TQelCalendar::cellRect(GridCell cell) const
{
    const QPoint origin = contentsRect().topLeft();
    return QRect(origin.x() + cell.col * (m_colWidth + m_gridLineWidth),
                 origin.y() + cell.row * (m_rowHeight + m_gridLineWidth), m_colWidth, m_rowHeight);
}

bool TQelCalendar::cellAt(const QPoint& pos, GridCell& cell) const
{
    const QPoint rel = pos - contentsRect().topLeft();
    const int pitchX = m_colWidth + m_gridLineWidth, pitchY = m_rowHeight + m_gridLineWidth;
    if (rel.x() < 0 || rel.y() < 0 || pitchX <= 0 || pitchY <= 0) return false;
    cell = {rel.x() / pitchX, rel.y() / pitchY};
    return cell.col < GridColumns && cell.row < GridRows;
}

void TQelCalendar::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const QSize client = contentsRect().size();
    m_colWidth = qMax(0, (client.width() - 6 * m_gridLineWidth) / 7);
    m_rowHeight = qMax(0, (client.height() - 6 * m_gridLineWidth) / 7);
}

// --- input ---

void TQelCalendar::mousePressEvent(QMouseEvent* event)
{
    GridCell cell;
    if (event->button() != Qt::LeftButton || !cellAt(event->position().toPoint(), cell) || !cell.isDayRow()) {
        QFrame::mousePressEvent(event);
        return;
    }
    m_selecting = true;
    trySelect(cell);
}

void TQelCalendar::mouseMoveEvent(QMouseEvent* event)
{
    GridCell cell;
    if (m_selecting && cellAt(event->position().toPoint(), cell) && cell.isDayRow()) trySelect(cell);
}

void TQelCalendar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_selecting) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    mouseMoveEvent(event);
    m_selecting = false;
    guard([this] { click(); });
}

void TQelCalendar::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    guard([this] {
        if (OnDblClick) OnDblClick(this);
    });
}

void TQelCalendar::keyPressEvent(QKeyEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    GridCell target = m_current;
    switch (event->key()) {
    case Qt::Key_Left: --target.col; break;
    case Qt::Key_Right: ++target.col; break;
    case Qt::Key_Up: --target.row; break;
    case Qt::Key_Down: ++target.row; break;
    case Qt::Key_Home: target = ctrl ? GridCell{0, FirstDayRow} : GridCell{0, target.row}; break;
    case Qt::Key_End: target = ctrl ? GridCell{GridColumns - 1, LastDayRow} : GridCell{GridColumns - 1, target.row}; break;
    case Qt::Key_PageUp: target.row = FirstDayRow; break;
    case Qt::Key_PageDown: target.row = LastDayRow; break;
    default: QFrame::keyPressEvent(event); return;
    }
    event->accept();
    guard([this, target] { stepTo(target); });
}

void TQelCalendar::wheelEvent(QWheelEvent* event)
{
    event->accept();
    m_wheelAccumulator += event->angleDelta().y();
    while (qAbs(m_wheelAccumulator) >= WheelStep) {
        const int rows = m_wheelAccumulator > 0 ? -1 : 1; // wheel up moves one week back
        m_wheelAccumulator += rows * WheelStep;
        if (!guard([this, rows] { stepTo({m_current.col, m_current.row + rows}); })) {
            m_wheelAccumulator = 0;
            return;
        }
    }
}

void TQelCalendar::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    update();
    announceFocus();
}

// --- assistive technologies ---

void TQelCalendar::announceSelection()
{
    const GridCell before = m_announcedCell;
    const bool dateChanged = m_announcedDate != m_selectedDate;
    if (before == m_current && !dateChanged) return;
    m_announcedCell = m_current;
    m_announcedDate = m_selectedDate;
    if (!QAccessible::isActive()) return; // no assistive technology listens
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
    if (!table) return;
    const auto index = [](GridCell c) { return c.row * GridColumns + c.col; };
    QAccessible::State selected;
    selected.selected = true;
    if (before != m_current) {
        for (const GridCell c : {before, m_current}) {
            if (QAccessibleInterface* cell = table->child(index(c))) {
                QAccessibleStateChangeEvent change(cell, selected);
                QAccessible::updateAccessibility(&change);
                // The AT-SPI bridge tells of a cell's selected state on this event.
                QAccessibleEvent selection(cell, QAccessible::Selection);
                QAccessible::updateAccessibility(&selection);
            }
        }
        QAccessibleEvent within(this, QAccessible::SelectionWithin);
        QAccessible::updateAccessibility(&within);
    }
    if (QAccessibleInterface* cell = table->child(index(m_current))) {
        QAccessibleEvent named(cell, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
    }
    announceFocus();
}

void TQelCalendar::announceFocus()
{
    if (!hasFocus() || !QAccessible::isActive()) return;
    const int child = m_current.row * GridColumns + m_current.col;
    QAccessibleEvent descendant(this, QAccessible::ActiveDescendantChanged);
    descendant.setChild(child);
    QAccessible::updateAccessibility(&descendant);
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(child);
    QAccessible::updateAccessibility(&focus);
}

void TQelCalendar::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    update();
}

// --- painting ---

void TQelCalendar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect client = contentsRect();
    p.fillRect(client, Color());
    const int gridWidth = GridColumns * m_colWidth + (GridColumns - 1) * m_gridLineWidth;
    const int gridHeight = GridRows * m_rowHeight + (GridRows - 1) * m_gridLineWidth;
    const QColor dayLines = Color() == Silver ? Grey : Silver;
    for (int k = 1; k < GridColumns; ++k) {
        const int x = client.left() + k * m_colWidth + (k - 1) * m_gridLineWidth;
        p.fillRect(x, client.top(), m_gridLineWidth, m_rowHeight, Qt::black);
        p.fillRect(x, client.top() + m_rowHeight, m_gridLineWidth, gridHeight - m_rowHeight, dayLines);
    }
    for (int r = 1; r < GridRows; ++r) {
        const int y = client.top() + r * m_rowHeight + (r - 1) * m_gridLineWidth;
        p.fillRect(client.left(), y, gridWidth, m_gridLineWidth, r == 1 ? QColor(Qt::black) : dayLines);
    }
    CellFonts fonts{dayMarks ? dayMarks(Year(), Month()) : 0, font(), fontMetrics(), font(), fontMetrics()};
    if (fonts.marks) {
        fonts.bold = fonts.regular; // made once per paint, not once per cell
        fonts.bold.setBold(true);
        fonts.boldMetrics = QFontMetrics(fonts.bold);
    }
    for (int row = 0; row < GridRows; ++row)
        for (int col = 0; col < GridColumns; ++col) drawCell(p, {col, row}, fonts);
    drawFrame(&p);
}

bool TQelCalendar::dayMarked(int day) const
{
    return day >= 1 && day <= CurrentMonthLength() && dayMarks && (dayMarks(Year(), Month()) >> day & 1u);
}

void TQelCalendar::drawCell(QPainter& p, GridCell cell, const CellFonts& fonts) const
{
    const QRect r = cellRect(cell);
    if (r.isEmpty()) return;
    p.save();
    const auto restore = qScopeGuard([&p] { p.restore(); });
    QColor textColor = FontColor();
    if (cell.row == 0) {
        p.fillRect(r, palette().color(QPalette::Button));
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    } else if (cell == m_current) {
        p.fillRect(r, palette().color(QPalette::Highlight));
        textColor = palette().color(QPalette::HighlightedText);
    }
    const QString text = CellCaption(cell.col, cell.row);
    const bool marked = fonts.marks && cell.isDayRow() && !text.isEmpty() && (fonts.marks >> grid().dayNumberAt(cell) & 1u);
    const QFontMetrics& fm = marked ? fonts.boldMetrics : fonts.regularMetrics;
    const int x = r.left() + (r.width() - fm.horizontalAdvance(text)) / 2;
    const int y = r.top() + (r.height() - fm.height()) / 2;
    p.setClipRect(r);
    p.setFont(marked ? fonts.bold : fonts.regular);
    p.setPen(textColor);
    p.drawText(x, y + fm.ascent(), text);
    if (cell == m_current && hasFocus()) {
        p.setPen(QPen(textColor, 1, Qt::DotLine));
        p.drawRect(r.adjusted(1, 1, -2, -2));
    }
}

} // namespace vistelle
