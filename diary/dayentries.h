#pragma once
// The diary's entry rules: one entry per date, stored when the user acts elsewhere
// ("click outside box to save"), loaded for every newly selected date.

#include "core/datetime.h"

#include <QString>
#include <functional>
#include <optional>

namespace vistelle {

class DayEditor;
class TVolgaTable;

class DayEntries {
public:
    DayEntries(TVolgaTable& table, DayEditor& editor);

    // The calendar's selected date.
    std::function<TDateTime()> selectedDate;
    TDateTime settingsDate = 0;
    // Called after a store has appended, updated or deleted the row of the date.
    std::function<void(TDateTime date)> tableChanged;

    TDateTime currentDate = 0;
    QString entryMode; // "append", "update", or empty before the first load
    // False when the diary could not be opened: storing and loading do nothing.
    bool available = true;

    void getCurrentDate();
    void storeEvent();
    void appendEvent();
    void updateEvent();
    void TodayChange();
    QString info(TDateTime date);

    // The editor holds text typed since the last load or store.
    bool hasUnsavedText() const;

private:
    // The editor still holds the entry exactly as loaded, so its stored bytes stand.
    bool unchangedSinceLoad() const;
    // A merge changed the date's row since the editor loaded it: the editor's text and
    // the row's are joined by the one rule, the editor's first.
    void storeJoined(const std::optional<QByteArray>& row);

    TVolgaTable& m_table;
    DayEditor& m_editor;
    // The editor's text right after the last load of an entry; none when the last load
    // cleared the editor or left it as it was.
    std::optional<QString> m_loadedText;
    // The date's stored text at the last load; none when it had no row.
    std::optional<QByteArray> m_loadedBytes;
};

} // namespace vistelle
