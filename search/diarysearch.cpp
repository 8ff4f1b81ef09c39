#include "search/diarysearch.h"
#include "search/entrysearch.h"

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

// Shows every occurrence in the current row, the first at `first`; false when the user stops.
bool showOccurrences(SearchHost& host, const EntrySearch& search, qsizetype first)
{
    const TDateTime date = host.table.GetFieldValue(Date).toDateTime();
    const QByteArray stored = host.table.GetFieldValue(Event).toBytes();
    const QString entry = decodeStoredText(stored);
    // Occurrences do not overlap: the next is looked for behind the last character of this one.
    for (qsizetype at = first; at >= 0; at = search.indexIn(stored, at + search.needleLength())) {
        host.calendar.SetSelectedDate(date);
        host.editor.loadText(entry);
        host.editor.selectRange(int(at), int(search.needleLength()));
        host.setMonthPicture();
        if (!dialogs().confirm(QStringLiteral("Continue Searching?"))) return false;
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
        const EntrySearch search(foldLower(text));
        while (!table.Eof()) {
            // Each entry is looked at where it lies; only a row with an occurrence is read out.
            QByteArrayView stored;
            QByteArray copy; // an event field of a type without bytes of its own gives its text
            if (!table.peekBytes(Event, stored)) stored = copy = table.GetFieldValue(Event).toBytes();
            const qsizetype first = search.indexIn(stored);
            if (first >= 0 && table.GetFieldValue(Date).toDateTime() != host.settingsDate
                && !showOccurrences(host, search, first))
                break;
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
