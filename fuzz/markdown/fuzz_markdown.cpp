// Feeds arbitrary bytes to the reader of the Markdown export. What it reads must export
// and read back to exactly the same entries, and merge into a diary that holds some of them.

#include "core/error.h"
#include "diary/exchange/diarylayout.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/diaryexport.h"
#include "diary/exchange/markdownimport.h"

#include <cstdlib>

using namespace vistelle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TDateTime settingsDate = encodeDate(5050, 7, 6);
    DatedEntries entries;
    try {
        entries = readMarkdownExport(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), settingsDate);
    } catch (const Error&) {
        return 0;
    }
    if (readMarkdownExport(exportEntries(entries, ExportFormat::Markdown), settingsDate) != entries) std::abort();
    exportEntries(entries, ExportFormat::Html);
    exportEntries(entries, ExportFormat::Text);

    TVolgaTable table;
    defineDiaryFields(table);
    table.Open();
    bool every = false;
    for (const auto& [date, text] : entries) {
        if ((every = !every)) table.AppendRecord({Variant::fromDateTime(date), Variant(QByteArray("kept"))});
    }
    const ImportCounts counts = importEntries(table, settingsDate, entries);
    if (counts.added + counts.unchanged + counts.joined != int(entries.size())) std::abort();
    if (importEntries(table, settingsDate, entries).unchanged != int(entries.size())) std::abort(); // twice changes nothing
    return 0;
}
