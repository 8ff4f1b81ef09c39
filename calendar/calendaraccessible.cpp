#include "calendar/calendaraccessible.h"

#include "calendar/qelcalendar.h"
#include "core/datewords.h"

namespace vistelle {

namespace {

QAccessibleInterface* calendarFactory(const QString&, QObject* object)
{
    auto* calendar = qobject_cast<TQelCalendar*>(object);
    return calendar ? new CalendarAccessible(calendar) : nullptr;
}

} // namespace

CalendarAccessible::CalendarAccessible(TQelCalendar* calendar) : AccessibleGrid(calendar, GridColumns, GridRows) {}

TQelCalendar* CalendarAccessible::calendar() const { return static_cast<TQelCalendar*>(widget()); }

AccessibleGrid::Cell CalendarAccessible::describeCell(int column, int row) const
{
    const TQelCalendar* c = calendar();
    const GridCell at{column, row};
    Cell cell;
    cell.rect = c->cellRect(at);
    if (row == 0) {
        cell.role = QAccessible::ColumnHeader;
        cell.name = weekdayName((c->StartOfWeek() + column) % 7);
        return cell;
    }
    const QString caption = c->CellCaption(column, row);
    if (caption.isEmpty()) return cell;
    const int day = caption.toInt();
    cell.name = spokenDate(encodeDate(c->Year(), c->Month(), day));
    if (c->dayMarked(day)) cell.description = QStringLiteral("has an entry");
    cell.selectable = !c->ReadOnly();
    cell.selected = at == c->currentCell();
    return cell;
}

void CalendarAccessible::installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(calendarFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace vistelle
