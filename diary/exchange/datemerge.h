#pragma once
// Merging two versions of a diary by date. The window merges a diary.dat that another
// program changed (three ways, against the version this run last read or wrote); the
// command line merges an imported export (two ways: the same merge with an empty base).

#include "core/datetime.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <vector>

namespace vistelle {

class TVolgaDataset;

// The entries of a diary by date, as stored bytes; the settings row is never among them.
using DatedEntries = std::map<TDateTime, QByteArray>;

// One change to make to our entries: a text to store, or an empty text to delete the date.
struct EntryChange {
    TDateTime date = 0;
    QByteArray text;
    bool operator==(const EntryChange&) const = default;
};

// A date changed only in theirs takes their text (or goes when they deleted it); a date
// changed only in ours keeps ours; a date changed on both sides to different texts keeps
// both: ours, CR LF, the separator line, CR LF, theirs. Dates are compared as stored bytes.
std::vector<EntryChange> mergeByDate(const DatedEntries& base, const DatedEntries& ours,
                                     const DatedEntries& theirs, const QString& separatorLine);

// Both texts in one stored text, ours first, the separator line between them.
QByteArray joinTexts(const QByteArray& ours, const QString& separatorLine, const QByteArray& theirs);

// Every row's date and event text except the settings row's (the first row of a date
// wins). Moves the table's current row.
DatedEntries readEntries(TVolgaDataset& table, TDateTime settingsDate);

// Stores, updates or deletes rows as the changes say. Moves the table's current row.
void applyChanges(TVolgaDataset& table, const std::vector<EntryChange>& changes);

} // namespace vistelle
