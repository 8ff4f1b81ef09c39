#pragma once
// Diary entries written out for reading elsewhere: Markdown, one HTML document or plain
// text, in date order. markdownimport.h reads the Markdown back.
//
// Markdown, line breaks CR LF as the diary stores them (so that texts go out byte for byte):
//   # Vistelle diary
//   <blank>
//   ## 2009-12-24 — Thursday, 24 December 2009
//   <blank>
//   the text, its lines as stored
//   <blank>
//   ## 2009-12-25 — …
// A text line that begins with "#" or "\" gets a "\" in front (Markdown's own escape), so
// that no line of a text can pass for a heading.
// Text: for each entry the date line, the text and a blank line.
// HTML: the same structure as the Markdown in one UTF-8 document with a print style sheet.

#include "core/datetime.h"
#include "diary/exchange/datemerge.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vistelle {

enum class ExportFormat { Markdown, Html, Text };

// One entry to write: its date and its stored text, which it does not own.
struct ExportEntry {
    TDateTime date;
    const QByteArray* text;
};

// The table's entries in date order, the settings row left out; of two rows with one date
// the first stored is kept, as readEntries keeps it. Read from the row store without
// moving the current row; the texts are the table's own, valid while its rows stay.
std::vector<ExportEntry> entriesInDateOrder(const TVolgaDataset& table, TDateTime settingsDate);

// The title line's text.
QString exportTitle();
// "2009-12-24"; the date must lie in years 1 … 9999.
QString isoDate(TDateTime date);
// Reads exactly the form "yyyy-mm-dd" of an existing date.
bool tryParseIsoDate(const QString& text, TDateTime& date);
// "Thursday, 24 December 2009".
QString dateInWords(TDateTime date);
// "2009-12-24 — Thursday, 24 December 2009", the heading of an entry.
QString entryHeading(TDateTime date);

// Whether the date can head an entry: a whole day of years 1 … 9999.
bool isCalendarDay(TDateTime date);

// The entries in the form asked for, in the order given. Every date must be a calendar
// day; empty texts are left out.
QByteArray exportEntries(const std::vector<ExportEntry>& entries, ExportFormat format);
QByteArray exportEntries(const DatedEntries& entries, ExportFormat format);

} // namespace vistelle
