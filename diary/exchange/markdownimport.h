#pragma once
// Reading this program's own Markdown export (diaryexport.h) back, and merging what it
// holds into a diary by date.
//
// The reader streams: the title line and each heading are checked as they are read, the
// first error stops the read with its line number, and only the entry being read is held.
// Lines may end in CR LF or LF, each line for itself. Both forms of the export are read:
// the escaped form marked by the line diaryexport.h names, and the form before it (no
// mark), which escapes only "#" and "\" at line starts. A text takes CR LF between its
// lines when its heading ends in LF (a file whose line breaks became LF on the way, or an
// entry added by hand); under a CR LF heading each line keeps its own line break.

#include "diary/exchange/datemerge.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace vistelle {

// Called with each entry as it is read: its date and its text as stored bytes.
using EntrySink = std::function<void(TDateTime date, QByteArray text)>;

// Reads a Markdown export from `in` up to its end, handing each non-empty entry to `sink`.
// Throws an Error naming the line for a file of another form ("line 7: …"); the settings
// date never heads an entry, and a date never heads two. Bytes that are not UTF-8 stop
// the read at the line that holds the first of them.
void readMarkdownExport(QIODevice& in, TDateTime settingsDate, const EntrySink& sink);

// The same, for a file in memory, the entries collected by date.
DatedEntries readMarkdownExport(const QByteArray& file, TDateTime settingsDate);

// The line that separates the diary's text from an imported one for the same date.
QString importSeparator();

struct ImportCounts {
    int added = 0;     // dates the diary did not have
    int unchanged = 0; // dates that held the same text
    int joined = 0;    // dates that now hold both texts
};

// Merges the entries into the table by date: a new date is added, the same text is left,
// the pieces of another text the diary's own lacks go after it, below the separator line
// (textjoin.h). Texts are compared as texts, so the same words stored in another code
// page count as the same, and importing a file a second time changes nothing.
ImportCounts importEntries(TVolgaDataset& table, TDateTime settingsDate, DatedEntries imported);

} // namespace vistelle
