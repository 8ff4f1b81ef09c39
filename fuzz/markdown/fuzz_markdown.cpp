// Feeds arbitrary bytes to the reader of the Markdown export, whole and a few bytes at a
// time (so that lines and UTF-8 sequences run across the reader's pieces): both must give
// the same entries or the same message. What it reads must export and read back to exactly
// the same entries, and merge into a diary that holds some of them.

#include "core/error.h"
#include "diary/exchange/diarylayout.h"
#include "diary/engine/volgatable.h"
#include "diary/exchange/diaryexport.h"
#include "diary/exchange/markdownimport.h"

#include <QIODevice>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace vistelle;

namespace {

// Hands out its bytes one to seven at a time.
class Trickle : public QIODevice {
public:
    explicit Trickle(QByteArray bytes) : m_bytes(std::move(bytes)) { open(ReadOnly | Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 n) override
    {
        const qint64 step = std::min<qint64>({n, 1 + m_at % 7, m_bytes.size() - m_at});
        std::memcpy(data, m_bytes.constData() + m_at, size_t(step));
        m_at += step;
        return step;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

// The entries, or the message that refused them.
DatedEntries readOrMessage(QIODevice& in, TDateTime settingsDate, QString& message)
{
    DatedEntries entries;
    try {
        readMarkdownExport(in, settingsDate, [&](TDateTime date, QByteArray text) { entries.emplace(date, std::move(text)); });
    } catch (const Error& e) {
        message = e.message();
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TDateTime settingsDate = encodeDate(5050, 7, 6);
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    DatedEntries entries;
    QString message;
    try {
        entries = readMarkdownExport(file, settingsDate);
    } catch (const Error& e) {
        message = e.message();
    }
    Trickle trickle(file);
    QString trickleMessage;
    const DatedEntries trickled = readOrMessage(trickle, settingsDate, trickleMessage);
    if (trickleMessage != message || (message.isEmpty() && trickled != entries)) std::abort();
    if (!message.isEmpty()) return 0;
    if (readMarkdownExport(exportEntries(entries, ExportFormat::Markdown), settingsDate) != entries) std::abort();
    exportEntries(entries, ExportFormat::Html);
    exportEntries(entries, ExportFormat::Text);
    exportEntries(entries, ExportFormat::Json);

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
