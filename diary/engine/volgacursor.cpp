#include "diary/engine/volgacursor.h"
#include "diary/engine/tablefile_format.h"

namespace vistelle {

namespace {

// Width of the field in the native row image: a String is one reference, a BLOB-family
// value a reference plus its length.
int nativeWidth(const TVolgaField& f)
{
    if (f.type == EngineType::String) return 4;
    if (isBlobFamily(f.type)) return 8;
    if (f.type == EngineType::SmallStr) return f.size + 1;
    return tablefile::fixedWidth(f.type);
}

} // namespace

bool TVolgaCursor::addField(TVolgaField field)
{
    const int width = nativeWidth(field);
    if (width < 0 || m_rowWidth + width > tablefile::MaxRowWidth) return false;
    field.width = quint16(width);
    if (isVariable(field.type)) {
        field.offset = m_refCount++;
    } else {
        field.offset = m_fixedWidth;
        m_fixedWidth += width;
    }
    m_rowWidth += width;
    m_fields.append(field);
    return true;
}

int TVolgaCursor::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

TVolgaRow& TVolgaCursor::appendBlankRow(TRowStatus status)
{
    return m_rows.emplace_back(m_fixedWidth, m_refCount, status);
}

TVolgaRow& TVolgaCursor::appendRow(RowImage image, TRowStatus status)
{
    return m_rows.emplace_back(std::move(image), status);
}

} // namespace vistelle
