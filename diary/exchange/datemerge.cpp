#include "diary/exchange/datemerge.h"
#include "diary/exchange/textjoin.h"
#include "diary/engine/volgadataset.h"

namespace vistelle {

namespace {

const QString Date = QStringLiteral("date");
const QString Event = QStringLiteral("event");

const QByteArray* find(const DatedEntries& entries, TDateTime date)
{
    const auto it = entries.find(date);
    return it == entries.end() ? nullptr : &it->second;
}

bool same(const QByteArray* a, const QByteArray* b) { return a == b || (a && b && *a == *b); }

} // namespace

std::vector<EntryChange> mergeByDate(const DatedEntries& base, const DatedEntries& ours,
                                     const DatedEntries& theirs, const QString& separatorLine)
{
    std::vector<EntryChange> changes;
    auto consider = [&](TDateTime date) {
        const QByteArray* b = find(base, date);
        const QByteArray* o = find(ours, date);
        const QByteArray* t = find(theirs, date);
        if (same(o, t) || same(t, b)) return; // nothing new on their side
        if (o && t && sameText(*o, *t)) return; // the same pieces, perhaps in another order
        if (same(o, b)) return changes.push_back({date, t ? *t : QByteArray()}); // theirs only
        // Changed on both sides: a deletion on one side gives way to the other's text.
        if (!t) return;
        if (!o) return changes.push_back({date, *t});
        const QByteArray joined = joinTexts(*o, separatorLine, *t);
        if (joined != *o) changes.push_back({date, joined});
    };
    for (const auto& [date, text] : theirs) consider(date);
    for (const auto& [date, text] : base) {
        if (!theirs.count(date)) consider(date);
    }
    return changes;
}

DatedEntries readEntries(TVolgaDataset& table, TDateTime settingsDate)
{
    DatedEntries entries;
    for (table.First(); !table.Eof(); table.Next()) {
        const TDateTime date = table.GetFieldValue(Date).toDateTime();
        if (date != settingsDate) entries.try_emplace(date, table.GetFieldValue(Event).toBytes());
    }
    return entries;
}

void applyChanges(TVolgaDataset& table, const std::vector<EntryChange>& changes)
{
    for (const EntryChange& change : changes) {
        const bool found = table.Locate(Date, Variant::fromDateTime(change.date));
        if (change.text.isEmpty()) {
            if (found) table.Delete();
        } else if (found) {
            table.Edit();
            table.SetFieldValue(Event, Variant(change.text));
            table.Post();
        } else {
            table.AppendRecord({Variant::fromDateTime(change.date), Variant(change.text)});
        }
    }
}

} // namespace vistelle
