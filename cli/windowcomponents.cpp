#include "cli/windowcomponents.h"

namespace vistelle::cli {

namespace {

// The window's layout, its timer and its picture lists; Qt's scroll areas name their
// own parts.
const char* const BuiltNames[] = {
    "BottomPane", "BottomPanel", "Calendar", "CalendarPane", "Friday", "FridayPanel", "Image", "LeftPane",
    "LeftPanel", "LogoA", "LogoAB", "LogoB", "MainPanel", "Monday", "MondayPanel", "MonthPanel", "PicPanel",
    "RightPane", "RightPanel", "Saturday", "SaturdayPanel", "Sunday", "SundayPanel", "Thursday", "ThursdayPanel",
    "Timer", "TipCheckBox", "Today", "TodayPane", "TopPanel", "TransLabel", "Tuesday", "TuesdayPanel",
    "WebLinkPanel", "Wednesday", "WednesdayPanel", "WeekNoPanel", "WeekPane", "WeekPanel", "YearPanel",
    "btnNextMonth", "btnNextWeek", "btnNextYear", "btnPreviousMonth", "btnPreviousWeek", "btnPreviousYear",
    "btnSearch", "ch1", "ch2", "ch3", "ch4", "lbl_Fridate", "lbl_Friday", "lbl_Mondate", "lbl_Monday",
    "lbl_Saturdate", "lbl_Saturday", "lbl_Sundate", "lbl_Sunday", "lbl_Thursdate", "lbl_Thursday",
    "lbl_Tuesdate", "lbl_Tuesday", "lbl_Wednesdate", "lbl_Wednesday", "monthLabel", "ownerURL", "piclist1",
    "piclist2", "piclist3", "piclist4", "qt_scrollarea_hcontainer", "qt_scrollarea_vcontainer",
    "qt_scrollarea_viewport", "searchBox", "vistelleURL", "weekLabel", "yearLabel",
};

// The components of the slideshow and the page preview.
const char* const LaterNames[] = {
    "AddSet1", "AddSet2", "AddSet3", "AddSet4", "Grid", "Logo", "Panel1", "Panel2", "Panel3", "SlidesTimer",
    "item05seconds", "item10seconds", "item30seconds", "item60seconds", "itemProportional", "itemRun",
    "itemStop", "itemStretched", "monthImage", "title", "vistelleLabel", "wpImage",
};

} // namespace

QStringList windowComponentNames(int set)
{
    QStringList names;
    for (const char* name : BuiltNames) names << QString::fromLatin1(name);
    if (set != 1) {
        for (const char* name : LaterNames) names << QString::fromLatin1(name);
    }
    return names;
}

} // namespace vistelle::cli
