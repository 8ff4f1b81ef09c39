#include "diary/entrydays.h"

#include "diary/engine/fieldvalue.h"
#include "diary/engine/tablefile_format.h"
#include "diary/engine/volgadataset.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace vistelle {

quint32 EntryDays::ofMonth(int year, int month, TDateTime settingsDate)
{
    if (!m_known || m_version != m_table.rowsVersion()) refresh();
    TDateTime first = 0;
    if (!tryEncodeDate(year, month, 1, first)) return 0;
    const qint32 from = qint32(first), to = from + daysInMonth(year, month);
    quint32 marks = 0;
    for (auto it = std::lower_bound(m_days.begin(), m_days.end(), from); it != m_days.end() && *it < to; ++it)
        marks |= 1u << (*it - from + 1);
    if (settingsDate >= from && settingsDate < to) marks &= ~(1u << (qint32(settingsDate) - from + 1));
    return marks;
}

void EntryDays::dateChanged(TDateTime date)
{
    // A store posts, appends or deletes once; more changes than that, and every row is read.
    if (!m_known || !m_table.Active() || m_table.rowsVersion() != m_version + 1 || date != std::floor(date)) {
        m_known = false;
        return;
    }
    const Variant text = m_table.Lookup(QStringLiteral("date"), Variant::fromDateTime(date), QStringLiteral("event"));
    const bool hasEntry = !text.isNullOrUnassigned() && !text.toBytes().isEmpty();
    const qint32 day = qint32(date);
    const auto at = std::lower_bound(m_days.begin(), m_days.end(), day);
    const bool listed = at != m_days.end() && *at == day;
    if (hasEntry && !listed) m_days.insert(at, day);
    if (!hasEntry && listed) m_days.erase(at);
    m_version = m_table.rowsVersion();
}

// One pass over the live rows of the store, in stored order (the current row does not
// move). Only whole-day dates count: a row dated with a time of day is no day's entry.
void EntryDays::refresh()
{
    m_days.clear();
    m_version = m_table.rowsVersion();
    m_known = true;
    const TVolgaCursor* store = m_table.Active() ? m_table.cursor() : nullptr;
    const int dateIndex = store ? store->fieldIndex(QStringLiteral("date")) : -1;
    const int eventIndex = store ? store->fieldIndex(QStringLiteral("event")) : -1;
    if (dateIndex < 0 || eventIndex < 0) return;
    const TVolgaField& dateField = store->fields()[dateIndex];
    const TVolgaField& eventField = store->fields()[eventIndex];
    m_days.reserve(store->rows().size());
    const bool storedMilliseconds = dateField.type == EngineType::DateTime;
    for (const TVolgaRow& row : store->rows()) {
        if (!row.isLive() || row.image.isBlank(dateField) || row.image.isBlank(eventField)) continue;
        TDateTime date;
        if (storedMilliseconds) {
            // A whole day is a whole number of days' milliseconds: its date is the quotient,
            // and any other count has a time of day (the reading below, without its remainder).
            const double days = qFromLittleEndian<double>(row.image.slot(dateField)) / tablefile::MSecsPerDay;
            if (days != std::trunc(days)) continue;
            date = days - tablefile::StoredDateDelta;
        } else {
            date = fieldvalue::read(row.image, dateField).toDateTime();
        }
        if (date != std::floor(date) || date < MinDateDays || date > MaxDateDays) continue;
        m_days.push_back(qint32(date));
    }
    // A diary written day by day is already in order.
    if (!std::is_sorted(m_days.begin(), m_days.end())) std::sort(m_days.begin(), m_days.end());
    m_days.erase(std::unique(m_days.begin(), m_days.end()), m_days.end());
}

} // namespace vistelle
