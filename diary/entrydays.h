#pragma once
// The days that have a diary entry, for the calendar's marks. The dates of the rows with
// text are kept as a sorted list, taken again from the table only when its rows changed
// since the last look; a month is then one binary search and at most 31 steps.

#include "core/datetime.h"

#include <QtGlobal>
#include <vector>

namespace vistelle {

class TVolgaDataset;

class EntryDays {
public:
    explicit EntryDays(TVolgaDataset& table) : m_table(table) {}

    // Bit d (1 … 31) is set when day d of the month has an entry; the day of the settings
    // row never does.
    quint32 ofMonth(int year, int month, TDateTime settingsDate);
    // A store changed the row of this date: the list follows with one look-up instead of
    // reading every row again, when that store is the only change since the last look.
    void dateChanged(TDateTime date);

private:
    void refresh();

    TVolgaDataset& m_table;
    std::vector<qint32> m_days; // whole day numbers, ascending, each once
    quint64 m_version = 0;
    bool m_known = false;
};

} // namespace vistelle
