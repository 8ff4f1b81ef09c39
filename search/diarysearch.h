#pragma once
// The diary search behind the search box: a date jumps the calendar there; any other
// text is looked for, without regard to case, in every entry in date order, each
// occurrence shown selected in the day editor with the question whether to go on.

#include "core/datetime.h"

#include <QString>
#include <functional>

namespace vistelle {

class DayEditor;
class TQelCalendar;
class TVolgaTable;

struct SearchHost {
    TVolgaTable& table;
    TQelCalendar& calendar;
    DayEditor& editor;
    TDateTime settingsDate;
    std::function<void()> storeEvent;
    std::function<void()> getCurrentDate;
    std::function<void()> setMonthPicture;
    std::function<QString()> searchText;
    std::function<void()> clearSearchText;
};

// The whole search, prompts included, runs inside this one call. A table error ends it;
// the table is writable and back in its own row order afterwards in every case.
void searchDiary(SearchHost& host);

} // namespace vistelle
