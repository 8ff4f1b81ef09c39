#include "diary/engine/volgadataset.h"
#include "diary/engine/fieldvalue.h"
#include "diary/engine/rowcomparer.h"
#include "diary/engine/tablewriter.h"
#include "diary/engine/volgablobstream.h"
#include "core/savefile.h"
#include "core/error.h"

#include <QFile>
#include <QFileInfo>

namespace vistelle {

namespace {

const QString MsgClosed = QStringLiteral("Cannot perform this operation on a closed dataset");
const QString MsgEmpty = QStringLiteral("Cannot perform this operation on an empty dataset");
const QString MsgReadOnly = QStringLiteral("Cannot modify a read-only dataset");
const QString MsgDeleteReadOnly = QStringLiteral("Read-only record cannot be deleted");
const QString MsgNotEditing = QStringLiteral("Table is not in edit or insert mode");
const QString MsgFieldReadOnly = QStringLiteral("Field '%s' is read only!");

// The same name with the extension ".~d".
QString backupName(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    return (suffix.isEmpty() ? fileName : fileName.chopped(suffix.size() + 1)) + QStringLiteral(".~d");
}

} // namespace

TVolgaDataset::TVolgaDataset() = default;
TVolgaDataset::~TVolgaDataset() = default;

void TVolgaDataset::checkActive() const
{
    if (!Active()) raise(MsgClosed);
}

void TVolgaDataset::checkCanModify() const
{
    if (m_readOnly) raise(MsgReadOnly);
}

std::function<void(int)> TVolgaDataset::progressCallback()
{
    if (!OnCallback) return {};
    return [this](int percent) { if (OnCallback) OnCallback(this, percent); };
}

// ---- opening and closing ----

void TVolgaDataset::Open()
{
    if (Active()) return;
    try {
        loadRows();
        createFields();
        m_keys[0] = KeyBuffer::build(*m_cursor, m_indexFieldNames);
        m_keys[1] = KeyBuffer{};
    } catch (...) {
        m_fields.clear();
        throw;
    }
    m_state = dsBrowse;
    ++m_rowsVersion;
    m_viewOrdered = false;
    rebuildView(false);
    m_pos = -1;
    m_eof = m_view.empty();
    if (!m_view.empty()) m_pos = 0;
    loadCurrentRecord();
}

void TVolgaDataset::Close()
{
    if (!Active()) return;
    m_state = dsInactive;
    ++m_rowsVersion;
    m_recordModified = false;
    m_record = RowImage();
    m_recordRow = nullptr;
    m_view.clear();
    m_fields.clear();
    m_pos = -1;
    m_eof = true;
}

void TVolgaDataset::createFields()
{
    m_fields.clear();
    const QList<TVolgaField>& descriptors = m_cursor->fields();
    for (int i = 0; i < descriptors.size(); ++i) {
        const TVolgaField& d = descriptors[i];
        auto field = std::make_unique<TDatasetField>(d.name, fieldTypeOf(d.type), d.size, i);
        if (d.type == EngineType::Double && field->DisplayFormat().isEmpty())
            field->setDisplayFormat(QStringLiteral("0.######"));
        m_fields.push_back(std::move(field));
    }
}

TDatasetField* TVolgaDataset::FindField(const QString& name) const
{
    for (const auto& field : m_fields)
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0) return field.get();
    return nullptr;
}

TDatasetField& TVolgaDataset::FieldByName(const QString& name) const
{
    TDatasetField* field = FindField(name);
    if (!field) raise(fmt("Field '%s' not found", name));
    return *field;
}

const TVolgaField& TVolgaDataset::descriptorOf(const TDatasetField& field) const
{
    return m_cursor->fields()[field.descriptor()];
}

// ---- the row view ----

// The store's live rows in stored order, sorted by key buffer 0 when it has fields. With
// keepCurrent the row that was current stays current at its new place.
void TVolgaDataset::rebuildView(bool keepCurrent)
{
    TVolgaRow* current = keepCurrent && RecNo() > 0 ? m_view[size_t(m_pos)] : nullptr;
    m_view.clear();
    m_view.reserve(m_cursor->rows().size());
    const bool allLive = m_cursor->deadRows == 0; // spares a look at every row when opening
    for (TVolgaRow& row : m_cursor->rows())
        if (allLive || row.isLive()) m_view.push_back(&row);
    if (!m_keys[0].isEmpty()) {
        RowComparer(m_keys[0], m_sortOptions.testFlag(vsoCaseInsensitive), m_sortOptions.testFlag(vsoDescendSort))
            .sort(m_view);
        m_viewOrdered = true;
    }
    m_pos = -1;
    if (!keepCurrent) return;
    for (size_t i = 0; i < m_view.size(); ++i) {
        if (m_view[i] == current) m_pos = qsizetype(i);
    }
    if (m_pos < 0 && !m_view.empty()) m_pos = 0;
    loadCurrentRecord();
}

void TVolgaDataset::loadCurrentRecord()
{
    if (RecNo() > 0) {
        m_recordRow = m_view[size_t(m_pos)];
        m_record = m_recordRow->image;
    } else {
        m_recordRow = nullptr;
        m_record = m_cursor->blankImage();
    }
}

void TVolgaDataset::setIndexFieldNames(const QString& names)
{
    if (names == m_indexFieldNames) return;
    if (!Active()) {
        m_indexFieldNames = names;
        return;
    }
    KeyBuffer keys = KeyBuffer::build(*m_cursor, names); // refuses bad names before anything changes
    finishPending();
    m_indexFieldNames = names;
    m_keys[0] = std::move(keys);
    rebuildView(true);
}

void TVolgaDataset::setSortOptions(TVolgaSortOptions options)
{
    if (options == m_sortOptions) return;
    if (Active()) finishPending();
    m_sortOptions = options;
    if (Active()) rebuildView(true);
}

void TVolgaDataset::setReadOnly(bool on)
{
    if (Active()) finishPending();
    m_readOnly = on;
}

// ---- navigation ----

void TVolgaDataset::First()
{
    checkActive();
    finishPending();
    m_pos = -1;
    m_eof = false;
    Next();
}

void TVolgaDataset::Next()
{
    checkActive();
    finishPending();
    if (m_pos < qsizetype(m_view.size()) - 1) {
        ++m_pos;
        m_eof = false;
        loadCurrentRecord();
    } else {
        m_eof = true;
    }
}

// ---- changes ----

void TVolgaDataset::finishPending()
{
    if (m_state != dsEdit && m_state != dsInsert) return;
    if (m_recordModified) postRecord();
    else dropRecord();
}

void TVolgaDataset::Edit()
{
    checkActive();
    finishPending();
    checkCanModify();
    if (RecNo() == 0) raise(MsgEmpty);
    TVolgaRow* row = m_view[size_t(m_pos)];
    if (!row->backup) row->backup = std::make_unique<RowImage>(row->image);
    m_recordRow = row;
    m_record = row->image;
    m_recordModified = false;
    m_state = dsEdit;
}

void TVolgaDataset::Post()
{
    if (m_state != dsEdit && m_state != dsInsert) raise(QStringLiteral("Dataset not in edit or insert mode"));
    postRecord();
}

void TVolgaDataset::Cancel()
{
    if (m_state == dsEdit || m_state == dsInsert) dropRecord();
}

void TVolgaDataset::postRecord()
{
    if (m_state == dsEdit) {
        TVolgaRow& row = *m_recordRow;
        if (row.status == rsUnchanged) row.status = rsModified;
        const bool keysKept = !m_indexFieldNames.isEmpty() && !keysChangedSinceBackup(row);
        row.image = m_record;
        if (!keysKept) m_viewOrdered = false;
    } else {
        TVolgaRow& row = m_cursor->appendRow(m_record, rsInserted);
        m_view.push_back(&row);
        m_pos = qsizetype(m_view.size()) - 1;
        m_recordRow = &row;
        m_eof = false;
        m_viewOrdered = false;
    }
    m_state = dsBrowse;
    m_recordModified = false;
    ++m_rowsVersion;
}

bool TVolgaDataset::keysChangedSinceBackup(const TVolgaRow& row) const
{
    const RowComparer comparer(m_keys[0], false, false);
    return comparer.compare(m_record, row.backup ? *row.backup : row.image) != 0;
}

void TVolgaDataset::dropRecord()
{
    m_state = dsBrowse;
    m_recordModified = false;
    loadCurrentRecord();
}

void TVolgaDataset::AppendRecord(const QList<Variant>& values)
{
    checkActive();
    finishPending();
    checkCanModify();
    if (values.size() > FieldCount()) raise(fmt("List index out of bounds (%d)", FieldCount()));
    m_record = m_cursor->blankImage();
    m_recordRow = nullptr;
    m_recordModified = false;
    m_state = dsInsert;
    try {
        for (int i = 0; i < values.size(); ++i)
            if (!values[i].isUnassigned()) writeField(*m_fields[size_t(i)], values[i]);
    } catch (...) {
        dropRecord();
        throw;
    }
    postRecord();
}

void TVolgaDataset::Delete()
{
    checkActive();
    if (m_state == dsInsert) {
        dropRecord();
        return;
    }
    if (RecNo() == 0) raise(MsgEmpty);
    if (m_readOnly) raise(MsgDeleteReadOnly);
    TVolgaRow* row = m_view[size_t(m_pos)];
    if (row->status == rsInserted) {
        row->status = rsDiscarded;
        row->image.clear();
        row->backup.reset();
    } else {
        row->status = rsDeleted;
    }
    ++m_cursor->deadRows;
    ++m_rowsVersion;
    m_view.erase(m_view.begin() + m_pos);
    if (m_pos >= qsizetype(m_view.size())) m_pos = qsizetype(m_view.size()) - 1;
    m_eof = m_view.empty();
    dropRecord();
}

// ---- field values ----

void TVolgaDataset::SetFieldValue(const QString& field, const Variant& value)
{
    writeField(FieldByName(field), value);
}

void TVolgaDataset::writeField(const TDatasetField& field, const Variant& value)
{
    const TVolgaField& f = descriptorOf(field);
    if (isBlobFamily(f.type)) {
        TVolgaBlobStream stream(*this, field, TVolgaBlobStream::bmWrite);
        stream.write(value.isNullOrUnassigned() ? QByteArray() : value.toBytes());
        stream.close();
        return;
    }
    if (m_state != dsEdit && m_state != dsInsert) raise(MsgNotEditing);
    if (field.ReadOnly()) raise(fmt(MsgFieldReadOnly, field.DisplayName()));
    if (f.type == EngineType::AutoInc) return;
    fieldvalue::write(m_record, f, value);
    m_recordModified = true;
}

Variant TVolgaDataset::GetFieldValue(const QString& name) const
{
    checkActive();
    const TDatasetField& field = FieldByName(name);
    const TVolgaField& f = descriptorOf(field);
    if (isBlobFamily(f.type))
        return TVolgaBlobStream(const_cast<TVolgaDataset&>(*this), field, TVolgaBlobStream::bmRead).data();
    return fieldvalue::read(m_record, f);
}

bool TVolgaDataset::peekBytes(const QString& name, QByteArrayView& bytes) const
{
    checkActive();
    const TVolgaField& f = descriptorOf(FieldByName(name));
    if (!isVariable(f.type)) return false;
    const QByteArray& stored = m_record.reference(f);
    bytes = stored;
    if (f.type == EngineType::String) bytes = bytes.first(qMin<qsizetype>(stored.size(), qMax<int>(f.size, 0)));
    return true;
}

// ---- search ----

bool TVolgaDataset::Locate(const QString& keyFields, const Variant& keyValues, TLocateOptions options)
{
    const qsizetype found = findKey(keyFields, keyValues, options);
    if (found < 0) return false;
    m_pos = found;
    m_eof = false;
    loadCurrentRecord();
    return true;
}

Variant TVolgaDataset::Lookup(const QString& keyFields, const Variant& keyValues, const QString& resultFields)
{
    const qsizetype found = findKey(keyFields, keyValues, {});
    if (found < 0) return Variant::null();
    const RowImage& image = m_view[size_t(found)]->image;
    const QStringList names = splitFieldNames(resultFields);
    QList<Variant> values;
    for (const QString& name : names)
        values.append(fieldvalue::read(image, descriptorOf(FieldByName(name))));
    if (values.size() == 1) return values.first();
    return values;
}

// The view position of the first row matching the keys, or -1. Finishes a pending change.
qsizetype TVolgaDataset::findKey(const QString& keyFields, const Variant& keyValues, TLocateOptions options)
{
    checkActive();
    finishPending();
    if (m_view.empty() || keyFields.trimmed().isEmpty() || keyValues.isNullOrUnassigned()) return -1;
    m_keys[1] = KeyBuffer::build(*m_cursor, keyFields);
    if (options) return findByValues(keyValues, options);
    fillKeyTexts(keyValues);
    const RowComparer comparer(m_keys[1], false, m_sortOptions.testFlag(vsoDescendSort));
    const QString& index = m_indexFieldNames;
    const QString keys = keyFields.trimmed();
    const bool leading = index.startsWith(keys, Qt::CaseInsensitive)
        && (index.size() == keys.size() || index[keys.size()] == u';');
    if (leading && m_viewOrdered && !m_sortOptions.testFlag(vsoCaseInsensitive))
        return comparer.binarySearch(m_view, m_keys[1].image);
    return comparer.linearSearch(m_view, m_keys[1].image);
}

// Each key value goes through its text form into the key parser, so a date keeps whole
// seconds only. Null or unassigned elements leave their key slot zero.
void TVolgaDataset::fillKeyTexts(const Variant& keyValues)
{
    KeyBuffer& keys = m_keys[1];
    const QList<Variant> values = keyValues.toArray();
    for (int i = 0; i < keys.count() && i < values.size(); ++i) {
        if (values[i].isNullOrUnassigned()) continue;
        fieldvalue::parseKey(keys.image, keys.fields[i], values[i].toBytes());
    }
}

namespace {

bool valueMatches(const Variant& row, const Variant& key, bool isText, TLocateOptions options)
{
    if (row.isNullOrUnassigned() || key.isNullOrUnassigned()) return false;
    if (isText || key.kind() == Variant::Kind::Text) {
        QByteArray r = row.toBytes(), k = key.toBytes();
        if (isText && options.testFlag(loCaseInsensitive)) { r = r.toUpper(); k = k.toUpper(); }
        if (isText && options.testFlag(loPartialKey)) return r.startsWith(k);
        return r == k;
    }
    if (key.kind() == Variant::Kind::Boolean) return row.toBool() == key.toBool();
    return row.toDouble() == key.toDouble();
}

} // namespace

// The search with options compares values as values, scanning from the first row.
qsizetype TVolgaDataset::findByValues(const Variant& keyValues, TLocateOptions options) const
{
    const KeyBuffer& keys = m_keys[1];
    const QList<Variant> values = keyValues.toArray();
    const int used = qMin(keys.count(), int(values.size()));
    for (size_t i = 0; i < m_view.size(); ++i) {
        bool match = true;
        for (int k = 0; k < used && match; ++k) {
            const TVolgaField& f = keys.fields[k];
            const bool isText = f.type == EngineType::SmallStr || f.type == EngineType::String;
            match = valueMatches(fieldvalue::read(m_view[i]->image, f), values[k], isText, options);
        }
        if (match) return qsizetype(i);
    }
    return -1;
}

// ---- saving ----

void TVolgaDataset::SaveToFile(const QString& fileName)
{
    if (!m_cursor) return;
    if (m_saveOptions.testFlag(savAutoBackup) && QFile::exists(fileName)) {
        const QString backup = backupName(fileName);
        QFile::remove(backup);
        QFile::copy(fileName, backup);
    }
    if (!writeFileWhole(fileName, saveImage(), &m_fileStamp)) raise(fmt("Cannot create file %s", fileName));
}

QByteArray TVolgaDataset::saveImage(QByteArray buffer)
{
    buffer.truncate(0); // keeps the buffer's memory for the image
    if (m_cursor) TableWriter(*m_cursor, progressCallback()).write(buffer);
    return buffer;
}

} // namespace vistelle
