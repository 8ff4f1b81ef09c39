#include "diary/engine/tablewriter.h"
#include "diary/engine/progress.h"
#include "diary/engine/tablefile_format.h"
#include "core/textcodec.h"

#include <QtEndian>
#include <cstring>

namespace vistelle {

using namespace tablefile;

namespace {

char* putInt32(char* p, qint32 v)
{
    qToLittleEndian(v, p);
    return p + 4;
}

char* putBytes(char* p, const char* bytes, qsizetype n)
{
    std::memcpy(p, bytes, size_t(n));
    return p + n;
}

char* putBytes(char* p, const QByteArray& bytes) { return putBytes(p, bytes.constData(), bytes.size()); }

// Letter and size of a field definition; types outside the table are written as "s"
// without a size and read back as a String of the default size.
QByteArray typeCode(const TFieldDef& def)
{
    switch (def.dataType) {
    case ftString:
        if (def.size <= SmallStrMaxSize)
            return QByteArray(1, def.size < 10 ? char('0' + def.size) : char('A' + def.size - 10));
        return "s" + QByteArray::number(def.size);
    case ftSmallint:
    case ftWord: return "l";
    case ftInteger: return "i";
    case ftBoolean: return "b";
    case ftFloat: return "f";
    case ftCurrency: return "c";
    case ftDate: return "d";
    case ftTime: return "v";
    case ftDateTime: return "t";
    case ftAutoInc: return "a";
    case ftBlob: return "o";
    case ftMemo: return "m";
    case ftFmtMemo: return "r";
    case ftGraphic: return "g";
    default: return "s";
    }
}

} // namespace

TableWriter::TableWriter(const TVolgaCursor& cursor, std::function<void(int)> progress)
    : m_cursor(cursor), m_progress(std::move(progress))
{
}

QByteArray TableWriter::descriptorSection(const TFieldDefs& defs)
{
    QByteArray section;
    for (const TFieldDef& def : defs.items()) {
        QByteArray name = encodeStoredText(def.name);
        name.replace(TypeSeparator, NameBlankReplacement);
        section += QByteArray(WrittenPrefix) + PrefixSeparator + name + TypeSeparator + typeCode(def) + DescriptorEnd;
    }
    section += SectionEnd;
    return section;
}

QByteArray TableWriter::emptyImage(const TFieldDefs& defs)
{
    TVolgaCursor cursor;
    cursor.descriptorSection = descriptorSection(defs);
    cursor.mapWidth = defs.Count();
    QByteArray out;
    TableWriter(cursor).write(out);
    return out;
}

// The image is written into one buffer sized once, through a plain pointer: a save
// of a large diary runs on the window thread, so each row costs a few copies only.
qint64 TableWriter::write(QByteArray& out) const
{
    const qsizetype start = out.size();
    out.resize(start + sizeBound());
    char* const begin = out.data() + start;
    char* p = putInt32(begin, 0);
    *p++ = TableMarker;
    p = putInt32(p, 0);
    p = putInt32(p, m_cursor.mapWidth);
    p = putInt32(p, qint32(m_cursor.descriptorSection.size()));
    p = putBytes(p, m_cursor.descriptorSection);
    if (m_cursor.hasNotes) {
        *p++ = NotesMarker;
        qToLittleEndian(qint16(m_cursor.notes.size()), p);
        p = putBytes(p + 2, m_cursor.notes);
    }
    ProgressReporter progress(m_progress);
    const auto& rows = m_cursor.rows();
    const qint64 total = qint64(rows.size());
    qint32 written = 0;
    for (qint64 i = 0; i < total; ++i) {
        if (!rows[size_t(i)].isLive()) continue;
        p = writeRow(rows[size_t(i)], p);
        ++written;
        progress.report(i + 1, total);
    }
    const qint64 length = p - begin;
    qToLittleEndian(written, begin + RecordCountOffset);
    qToLittleEndian(qint32(length), begin);
    out.resize(start + length);
    return length;
}

// At least the image's length, so that it is written into one buffer without moving it.
qsizetype TableWriter::sizeBound() const
{
    qsizetype size = HeaderSize + m_cursor.descriptorSection.size() + 3 + m_cursor.notes.size();
    const QList<TVolgaField>& fields = m_cursor.fields();
    for (const TVolgaRow& row : m_cursor.rows()) {
        if (!row.isLive()) continue;
        size += m_cursor.mapWidth + m_cursor.rowWidth();
        for (const TVolgaField& f : fields)
            if (isVariable(f.type)) size += 4 + row.image.reference(f).size();
    }
    return size;
}

char* TableWriter::writeRow(const TVolgaRow& row, char* p) const
{
    char* map = p;
    p += m_cursor.mapWidth;
    const QList<TVolgaField>& fields = m_cursor.fields();
    for (int i = 0; i < fields.size(); ++i) map[i] = char(writeValue(fields[i], row.image, p));
    return p;
}

// Writes one value and moves p past it; returns its map entry (0: nothing written, an
// empty or zero value).
int TableWriter::writeValue(const TVolgaField& f, const RowImage& image, char*& p)
{
    if (isVariable(f.type)) {
        const QByteArray& bytes = image.reference(f);
        if (bytes.isEmpty()) return 0;
        p = putBytes(putInt32(p, qint32(bytes.size())), bytes);
        return VariableMapEntry;
    }
    const char* slot = image.slot(f);
    switch (f.type) {
    case EngineType::Double:
    case EngineType::Currency:
    case EngineType::DateTime: {
        if (qFromLittleEndian<double>(slot) == 0.0) return 0;
        p = putBytes(p, slot, 8);
        return 8;
    }
    case EngineType::SmallStr: {
        const int length = int(qstrnlen(slot, f.width));
        p = putBytes(p, slot, length);
        return length;
    }
    default:
        if (image.isBlank(f)) return 0;
        p = putBytes(p, slot, f.width);
        return f.width;
    }
}

} // namespace vistelle
