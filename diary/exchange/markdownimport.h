#pragma once
// Reading this program's own Markdown export (diaryexport.h) back, and merging what it
// holds into a diary by date.

#include "diary/exchange/datemerge.h"

#include <QByteArray>
#include <QString>

namespace vistelle {

// The entries of a Markdown export, texts as stored bytes. A file whose line breaks were
// turned into LF on the way takes CR LF again inside its texts. Throws an Error naming
// the line for a file of another form ("line 7: …"); the settings date never heads an
// entry, and a date never heads two.
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
