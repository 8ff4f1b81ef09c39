#include "search/diarysearch.h"

#include "calendar/qelcalendar.h"
#include "core/error.h"
#include "core/regional.h"
#include "core/textcodec.h"
#include "diary/dayeditor.h"
#include "diary/engine/volgatable.h"
#include "platform/dialogs.h"

namespace vistelle {

namespace {

const QString Date = QStringLiteral("date");
const QString Event = QStringLiteral("event");

// Jumps to the date the text names; false when the text is no date or the jump fails.
bool jumpToDate(SearchHost& host, const QString& text)
{
    try {
        const TDateTime date = strToDate(text);
        const int m = host.calendar.Month();
        host.calendar.SetSelectedDate(date);
        if (host.calendar.Month() != m) host.setMonthPicture();
        host.clearSearchText();
        return true;
    } catch (const Error&) {
        return false;
    }
}

// Shows every occurrence of the needle in the current row; false when the user stops.
bool showOccurrences(SearchHost& host, const QString& needle)
{
    const TDateTime date = host.table.GetFieldValue(Date).toDateTime();
    const QString entry = decodeStoredText(host.table.GetFieldValue(Event).toBytes());
    QString haystack = foldLower(entry);
    qsizetype offset = 0;
    while (needle.size() <= haystack.size() && haystack.contains(needle)) {
        const qsizetype p = haystack.indexOf(needle) + 1;
        host.calendar.SetSelectedDate(date);
        host.editor.loadText(entry);
        host.editor.selectRange(int(offset + p - 1), int(needle.size()));
        host.setMonthPicture();
        if (!dialogs().confirm(QStringLiteral("Continue Searching?"))) return false;
        const qsizetype k = p + needle.size() - 1;
        haystack = haystack.mid(k);
        offset += k;
    }
    return true;
}

void searchText(SearchHost& host, const QString& text)
{
    TVolgaTable& table = host.table;
    table.setReadOnly(true);
    try {
        table.setIndexFieldNames(Date);
        table.First();
        const QString needle = foldLower(text);
        while (!table.Eof()) {
            if (table.GetFieldValue(Date).toDateTime() != host.settingsDate && !showOccurrences(host, needle)) break;
            table.Next();
        }
    } catch (...) {
        // A table error ends the search; the table still goes back to its own order and
        // becomes writable again, so that entries can be stored afterwards.
        table.setIndexFieldNames(QString());
        table.setReadOnly(false);
        throw;
    }
    table.setIndexFieldNames(QString());
    table.setReadOnly(false);
    host.getCurrentDate();
    host.clearSearchText();
}

} // namespace

void searchDiary(SearchHost& host)
{
    host.storeEvent();
    const QString text = host.searchText();
    if (text.isEmpty()) return;
    if (jumpToDate(host, text)) return;
    searchText(host, text);
}

} // namespace vistelle
