#include "diary/dayentries.h"
#include "diary/dayeditor.h"
#include "diary/engine/volgatable.h"
#include "core/textcodec.h"
#include "diary/exchange/textjoin.h"

namespace vistelle {

namespace {
const QString Date = QStringLiteral("date");
const QString Event = QStringLiteral("event");
const QColor Grey(0x80, 0x80, 0x80);
} // namespace

DayEntries::DayEntries(TVolgaTable& table, DayEditor& editor) : m_table(table), m_editor(editor) {}

void DayEntries::getCurrentDate()
{
    if (!available) return;
    currentDate = selectedDate();
    m_loadedText.reset();
    m_loadedBytes.reset();
    if (!m_table.Locate(Date, Variant::fromDateTime(currentDate))) {
        entryMode = QStringLiteral("append");
        m_editor.setFocus();
        m_editor.clearText();
        return;
    }
    entryMode = QStringLiteral("update");
    m_loadedBytes = m_table.GetFieldValue(Event).toBytes();
    m_editor.setFocus();
    // The settings row's text is never loaded: on that date the editor keeps its text.
    if (currentDate != settingsDate) {
        m_editor.loadText(decodeStoredText(m_table.GetFieldValue(Event).toBytes()));
        m_loadedText = m_editor.text();
    }
    m_editor.caretToEnd();
}

void DayEntries::storeEvent()
{
    if (!available || m_table.ReadOnly()) return;
    const QString mode = entryMode;
    if (!mode.isEmpty() && currentDate != settingsDate) {
        // A merge may have changed the date's row, and moved the table's current row.
        std::optional<QByteArray> row;
        if (m_table.Locate(Date, Variant::fromDateTime(currentDate))) row = m_table.GetFieldValue(Event).toBytes();
        if (row != m_loadedBytes) {
            storeJoined(row);
            m_editor.setTextColour(Qt::black);
            return;
        }
    }
    if (mode == QLatin1String("append")) appendEvent();
    else if (mode == QLatin1String("update")) updateEvent();
    m_editor.setTextColour(Qt::black);
}

void DayEntries::appendEvent()
{
    const QString text = m_editor.text();
    if (text.isEmpty()) return getCurrentDate();
    const TDateTime date = currentDate;
    m_table.AppendRecord({Variant::fromDateTime(date), Variant(encodeStoredText(text))});
    getCurrentDate();
    if (tableChanged) tableChanged(date);
}

void DayEntries::updateEvent()
{
    const TDateTime date = currentDate;
    m_table.Edit();
    // An entry the user did not change keeps its stored bytes: the editor shows line
    // breaks and characters in its own form, which is not always the stored one.
    if (unchangedSinceLoad()) return getCurrentDate();
    const QString text = m_editor.text();
    if (!text.isEmpty()) m_table.SetFieldValue(Event, Variant(encodeStoredText(text)));
    else m_table.Delete();
    getCurrentDate();
    if (tableChanged) tableChanged(date);
}

void DayEntries::TodayChange()
{
    if (!available || m_table.ReadOnly()) return;
    if (m_editor.modified()) m_editor.setTextColour(Grey);
}

QString DayEntries::info(TDateTime date)
{
    // Days beyond the years 1 … 9999 (the week view's last week) have no entry.
    if (!available || !isValidDay(date)) return {};
    const Variant v = m_table.Lookup(Date, Variant::fromDateTime(date), Event);
    if (v.isNull() || v.isUnassigned()) return {};
    return decodeStoredText(v.toBytes());
}

void DayEntries::storeJoined(const std::optional<QByteArray>& row)
{
    const TDateTime date = currentDate;
    const QString text = m_editor.text();
    QByteArray joined;
    if (unchangedSinceLoad() || text.isEmpty()) joined = row.value_or(QByteArray()); // the row's text stands
    else if (!row) joined = encodeStoredText(text);
    else joined = joinTexts(encodeStoredText(text), otherCopySeparator(), *row);
    if (joined != row.value_or(QByteArray())) {
        if (!row) {
            m_table.AppendRecord({Variant::fromDateTime(date), Variant(joined)});
        } else {
            m_table.Edit();
            m_table.SetFieldValue(Event, Variant(joined));
            m_table.Post();
        }
    }
    getCurrentDate();
    if (joined != row.value_or(QByteArray()) && tableChanged) tableChanged(date);
}

bool DayEntries::unchangedSinceLoad() const { return m_loadedText && *m_loadedText == m_editor.text(); }

bool DayEntries::hasUnsavedText() const { return available && m_editor.isGrey(); }

} // namespace vistelle
