#pragma once
// Diary entries written out for reading elsewhere: Markdown, one HTML document or plain
// text, in date order. markdownimport.h reads the Markdown back.
//
// Markdown, line breaks CR LF as the diary stores them, written so that a CommonMark
// viewer shows each entry as the diary does and "import" gives every text back byte for
// byte:
//   # Vistelle diary
//   <blank>
//   <!-- vistelle-diary markdown 2 -->      the mark of this form (markdownFormMark)
//   <blank>
//   ## 2009-12-24 — Thursday, 24 December 2009
//   <blank>
//   the text, a line of the file per line of the text
//   <blank>
//   ## 2009-12-25 — …
// In a text line a "\" goes before each of \ ` * _ [ ] < > & ~ |, and at the line's start
// before # + - = and before the "." or ")" after leading digits, so that no line becomes a
// heading, list, rule, code or HTML; spaces and tabs that start a line are written as
// &#32; and &#9; (they would make code or vanish), a CR or LF that is not part of a
// CR LF as &#13; and &#10;. A line that a non-empty line of the same text follows ends in
// "\", a line break for viewers. Files without the mark (exports made before it) escape
// only "#" and "\" at line starts; markdownimport.h reads both.
// Text: for each entry the date line, the text and a blank line.
// HTML: one UTF-8 document with a print style sheet: a table of contents by year and month,
// then the entries, each a section with the date as its id (id="2009-12-24").
// JSON: an array of {"date": "2009-12-24", "text": "…"}, one entry a line, UTF-8.

#include "core/datetime.h"
#include "diary/exchange/datemerge.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vistelle {

enum class ExportFormat { Markdown, Html, Text, Json };

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
// The line that marks the escaped Markdown form.
QByteArray markdownFormMark();
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
