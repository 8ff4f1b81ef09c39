// Feeds arbitrary bytes to the table reader. An image that reads must write back, read again
// and write the same bytes; the dataset then orders and searches it.

#include "diary/engine/tablereader.h"
#include "diary/engine/tablewriter.h"
#include "diary/engine/volgatable.h"

#include <cstdlib>

using namespace vistelle;

namespace {

void exerciseDataset(const QByteArray& bytes)
{
    TVolgaTable table;
    table.setLoadMode(lmStream);
    table.setLoadStream(bytes);
    table.Open();
    const QList<TVolgaField>& fields = table.cursor()->fields();
    for (const TVolgaField& f : fields) {
        if (isBlobFamily(f.type)) continue;
        table.setIndexFieldNames(f.name);
        table.First();
        const Variant value = table.GetFieldValue(f.name);
        table.Locate(f.name, value);
        table.Lookup(f.name, value, f.name);
        break;
    }
    for (table.First(); !table.Eof(); table.Next())
        for (const TVolgaField& f : fields) table.GetFieldValue(f.name);
}

// The layout cannot tell a notes block from a first row whose map begins with '*', and it
// finds notes only when a row map's worth of bytes follows them; such images do not round trip.
bool ambiguousLayout(const TVolgaCursor& cursor, const QByteArray& written)
{
    const qint64 rowsAt = 17 + cursor.descriptorSection.size() + (cursor.hasNotes ? 3 + cursor.notes.size() : 0);
    if (cursor.hasNotes) return written.size() - (rowsAt - 3 - cursor.notes.size()) < cursor.mapWidth;
    return written.size() > rowsAt && written[rowsAt] == '*';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TVolgaCursor cursor;
    try {
        TableReader(bytes, cursor).read();
    } catch (const Error&) {
        return 0;
    }
    // Every field takes a byte of the image: no row written back can outgrow what was read.
    if (cursor.mapWidth > bytes.size()) std::abort();
    QByteArray first;
    TableWriter(cursor).write(first);
    if (ambiguousLayout(cursor, first)) return 0;
    TVolgaCursor again;
    TableReader(first, again).read(); // throws, and so fails the run, if the writer wrote an unreadable image
    QByteArray second;
    TableWriter(again).write(second);
    if (first != second) std::abort();
    try {
        exerciseDataset(bytes);
    } catch (const Error&) {
    }
    return 0;
}
