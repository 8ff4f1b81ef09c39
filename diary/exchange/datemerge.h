#pragma once
// Merging two versions of a diary by date. The window merges a diary.dat that another
// program changed (three ways, against the version this run last read or wrote); conflict
// copies, the command line's merge and import are two ways (the same merge, empty base).

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
// both, joined by the one rule (textjoin.h): ours, then the pieces of theirs it lacks.
// Texts holding the same pieces count as unchanged. With an empty base the merge is two
// ways: no date is deleted, and a text of theirs is joined into ours.
std::vector<EntryChange> mergeByDate(const DatedEntries& base, const DatedEntries& ours,
                                     const DatedEntries& theirs, const QString& separatorLine);

// Every row's date and event text except the settings row's (the first row of a date
// wins). Moves the table's current row.
DatedEntries readEntries(TVolgaDataset& table, TDateTime settingsDate);

// Stores, updates or deletes rows as the changes say. Moves the table's current row.
void applyChanges(TVolgaDataset& table, const std::vector<EntryChange>& changes);

} // namespace vistelle
