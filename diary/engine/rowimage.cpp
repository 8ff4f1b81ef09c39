#include "diary/engine/rowimage.h"

#include <cstring>

namespace vistelle {

RowImage::RowImage(int fixedWidth, int referenceCount) : m_fixed(fixedWidth), m_refs(referenceCount)
{
    if (fixedWidth > 0) std::memset(m_fixed.data(), 0, size_t(fixedWidth));
}

bool RowImage::isBlank(const TVolgaField& f) const
{
    if (isVariable(f.type)) return m_refs[f.offset].isEmpty();
    const char* p = slot(f);
    for (int i = 0; i < f.width; ++i)
        if (p[i] != 0) return false;
    return true;
}

void RowImage::clearField(const TVolgaField& f)
{
    if (isVariable(f.type)) m_refs[f.offset] = QByteArray();
    else std::memset(slot(f), 0, f.width);
}

void RowImage::clear()
{
    m_fixed.clear();
    m_refs.clear();
}

} // namespace vistelle
