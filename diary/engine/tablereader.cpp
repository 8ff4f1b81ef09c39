#include "diary/engine/tablereader.h"
#include "diary/engine/progress.h"
#include "diary/engine/tablefile_format.h"
#include "core/numbers.h"
#include "core/textcodec.h"

#include <QtEndian>
#include <cstring>

namespace vistelle {

using namespace tablefile;

TableReader::TableReader(const QByteArray& image, TVolgaCursor& cursor, std::function<void(int)> progress)
    : m_data(image.constData()), m_size(image.size()), m_cursor(cursor), m_progress(std::move(progress))
{
    m_cursor.source = image;
}

void TableReader::fail(const QString& reason) const { throw TableReadError(reason); }

qint32 TableReader::int32At(qint64 pos) const { return qFromLittleEndian<qint32>(m_data + pos); }

void TableReader::read()
{
    if (m_size < MarkerOffset + 1) fail(MsgCorruption);
    if (m_data[MarkerOffset] == ErrorMarker) readErrorImage();
    if (m_size < HeaderSize) fail(MsgCorruption);
    const qint32 recordCount = int32At(RecordCountOffset);
    const qint32 mapWidth = int32At(9);
    const qint32 sectionLength = int32At(13);
    m_pos = HeaderSize;
    // Each field takes at least a byte of the descriptor section. Checked against the
    // section, which is written back unchanged, a count that reads once reads again; it
    // also bounds the row map of every row written back.
    if (sectionLength < 0 || sectionLength > remaining()) fail(MsgCorruption);
    if (mapWidth < 0 || mapWidth > sectionLength) fail(MsgCorruption);
    const QByteArray section(m_data + m_pos, sectionLength);
    m_pos += sectionLength;
    parseDescriptors(section, mapWidth);
    m_cursor.descriptorSection = section;
    m_cursor.mapWidth = mapWidth;
    readNotes(mapWidth);
    checkRecordCount(recordCount);
    readRows(recordCount, mapWidth);
}

// The text of an error image runs from the marker's next byte to the first zero byte.
void TableReader::readErrorImage() const
{
    const char* text = m_data + MarkerOffset + 1;
    const qint64 available = m_size - MarkerOffset - 1;
    const void* zero = std::memchr(text, 0, size_t(available));
    const qint64 length = zero ? static_cast<const char*>(zero) - text : available;
    fail(decodeStoredText(QByteArray(text, length)));
}

// Exactly `count` descriptors are taken; a section that ends before them ends the list
// without complaint, and whatever follows the last one is never looked at.
void TableReader::parseDescriptors(const QByteArray& section, qint32 count)
{
    qsizetype pos = 0;
    for (qint32 found = 0; found < count && pos < section.size(); ++found) {
        const qsizetype end = section.indexOf(DescriptorEnd, pos);
        if (end <= pos) fail(MsgDescriptorSection); // no terminator, or an empty descriptor
        parseDescriptor(section.mid(pos, end - pos));
        pos = end + 1;
    }
}

void TableReader::parseDescriptor(const QByteArray& text)
{
    const qsizetype blank = text.indexOf(TypeSeparator);
    if (blank < 0 || blank + 1 >= text.size()) fail(MsgCorruption);
    TVolgaField field;
    const QByteArray fullName = text.left(blank);
    const qsizetype dot = fullName.indexOf(PrefixSeparator);
    field.name = decodeStoredText(dot < 0 ? fullName : fullName.mid(dot + 1));
    if (dot >= 0) field.prefix = decodeStoredText(fullName.left(dot));
    const unsigned char letter = static_cast<unsigned char>(text[blank + 1]);
    field.type = typeOfLetter(char(letter));
    if (field.type == EngineType::String) {
        const QByteArray digits = text.mid(blank + 2);
        int size = DefaultStringSize;
        if (!digits.isEmpty() && !tryStrToInt(QString::fromLatin1(digits), size)) fail(MsgCorruption);
        if (size < 0 || size > 32767) fail(MsgCorruption);
        field.size = qint16(size);
    } else if (field.type == EngineType::Unknown) {
        // Any other character is a SmallStr size code: above '9' counted from 'A' = 10.
        const int size = letter > '9' ? letter - 'A' + 10 : letter - '0';
        if (size < 0) fail(MsgCorruption);
        field.type = EngineType::SmallStr;
        field.size = qint16(size);
    }
    field.rightAligned = isNumericEngineType(field.type);
    if (!m_cursor.addField(field)) fail(MsgCorruption);
}

// A notes block is looked for only when at least a row map's worth of bytes follows.
void TableReader::readNotes(qint32 mapWidth)
{
    if (remaining() < mapWidth || remaining() < 1 || m_data[m_pos] != NotesMarker) return;
    if (remaining() < 3) fail(MsgCorruption);
    const qint16 length = qFromLittleEndian<qint16>(m_data + m_pos + 1);
    m_pos += 3;
    if (length < 0 || length > remaining()) fail(MsgCorruption);
    m_cursor.hasNotes = true;
    m_cursor.notes = QByteArray(m_data + m_pos, length);
    m_pos += length;
}

// Nothing is reserved up front: the rows that are there are read, and a count the bytes
// cannot hold ends in the record-count check.
void TableReader::checkRecordCount(qint32 count) const
{
    if (count < 0 || count > MaxListCapacity) throw Error(fmt(MsgListCapacity, count));
}

// A table without fields has no row bytes, so none of its declared rows is there.
void TableReader::readRows(qint32 count, qint32 mapWidth)
{
    ProgressReporter progress(m_progress);
    qint64 read = 0;
    while (read < count && mapWidth > 0 && remaining() >= mapWidth) {
        const bool cutShort = readRow(mapWidth, read + 1);
        ++read;
        progress.report(read, count);
        if (cutShort) break;
    }
    if (read != count) fail(fmt(MsgRecordCount, read, count));
}

bool TableReader::readValue(const TVolgaField& f, int entry, RowImage& image, qint64 recNo)
{
    if (isVariable(f.type)) return readReference(f, image, recNo);
    const qint64 available = qMin<qint64>(entry, remaining());
    char* slot = image.slot(f);
    if (available == 8) std::memcpy(slot, m_data + m_pos, 8); // the common widths without a call
    else if (available == 4) std::memcpy(slot, m_data + m_pos, 4);
    else std::memcpy(slot, m_data + m_pos, size_t(available));
    m_pos += available;
    return available == entry;
}

bool TableReader::readReference(const TVolgaField& f, RowImage& image, qint64 recNo)
{
    if (remaining() < 4) {
        m_pos = m_size;
        return false;
    }
    const qint32 length = int32At(m_pos);
    m_pos += 4;
    if (f.type == EngineType::String && (length < 0 || length > MaxStringLength))
        fail(fmt(MsgWrongStringLength, f.name, length, recNo));
    if (isBlobFamily(f.type) && (length < 0 || length > MaxBlobLength))
        fail(fmt(MsgWrongBlobLength, f.name, length, recNo));
    if (length > remaining()) {
        m_pos = m_size;
        return false;
    }
    if (length > 0) image.reference(f) = QByteArray::fromRawData(m_data + m_pos, length);
    m_pos += length;
    return true;
}

// Returns true when the data ended inside the row after its first field: the row is kept
// with what was read, and reading ends.
bool TableReader::readRow(qint32 mapWidth, qint64 recNo)
{
    if (remaining() < mapWidth) fail(MsgUnexpectedEnd);
    const unsigned char* map = reinterpret_cast<const unsigned char*>(m_data + m_pos);
    if (remaining() > 8192) __builtin_prefetch(m_data + m_pos + 8192); // rows ahead, read in stride
    m_pos += mapWidth;
    // The row joins the store at once; a failure discards the whole store.
    RowImage& image = m_cursor.appendBlankRow(rsUnchanged).image;
    const QList<TVolgaField>& fields = m_cursor.fields();
    for (int i = 0; i < fields.size(); ++i) {
        const TVolgaField& f = fields[i];
        const int entry = map[i];
        const int limit = isVariable(f.type) ? VariableMapEntry : f.width;
        if (entry > limit || (isVariable(f.type) && entry != 0 && entry != VariableMapEntry))
            fail(fmt(MsgWrongLength, f.name, entry, recNo));
        if (entry == 0) continue;
        if (!readValue(f, entry, image, recNo)) {
            if (i == 0) fail(MsgUnexpectedEnd);
            return true;
        }
    }
    return false;
}

} // namespace vistelle
