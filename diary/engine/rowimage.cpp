#include "diary/engine/rowimage.h"

#include <cstring>
#include <utility>

namespace vistelle {

RowImage::RowImage(int fixedWidth, int referenceCount)
{
    new (&m_ref) QByteArray();
    allocate(fixedWidth, referenceCount);
}

RowImage::RowImage(const RowImage& other)
{
    new (&m_ref) QByteArray();
    *this = other;
}

RowImage::RowImage(RowImage&& other) noexcept
{
    new (&m_ref) QByteArray();
    *this = std::move(other);
}

RowImage& RowImage::operator=(const RowImage& other)
{
    if (this == &other) return *this;
    if (m_fixedWidth != other.m_fixedWidth || m_refCount != other.m_refCount) {
        release();
        allocate(other.m_fixedWidth, other.m_refCount);
    }
    if (m_fixedWidth > 0) std::memcpy(fixedData(), other.fixedData(), m_fixedWidth);
    for (int i = 0; i < m_refCount; ++i) refs()[i] = other.refs()[i];
    return *this;
}

RowImage& RowImage::operator=(RowImage&& other) noexcept
{
    if (this == &other) return *this;
    release();
    m_fixedWidth = other.m_fixedWidth;
    m_refCount = other.m_refCount;
    if (fixedInline()) std::memcpy(m_fixed, other.m_fixed, InlineFixed);
    else m_heapFixed = std::exchange(other.m_heapFixed, nullptr);
    if (refInline()) {
        m_ref = std::move(other.m_ref);
    } else {
        m_ref.~QByteArray();
        m_heapRefs = std::exchange(other.m_heapRefs, nullptr);
        new (&other.m_ref) QByteArray(); // the other image is left empty, its reference inline
    }
    other.m_fixedWidth = 0;
    other.m_refCount = 0;
    return *this;
}

// Expects an empty image (no heap parts, the inline reference constructed).
void RowImage::allocate(int fixedWidth, int referenceCount)
{
    m_fixedWidth = quint16(fixedWidth);
    m_refCount = quint16(referenceCount);
    if (fixedInline()) std::memset(m_fixed, 0, InlineFixed);
    else m_heapFixed = new char[size_t(fixedWidth)]();
    if (!refInline()) {
        m_ref.~QByteArray();
        m_heapRefs = new QByteArray[size_t(referenceCount)];
    }
}

// Leaves an empty image: no heap parts, the inline reference constructed and empty.
void RowImage::release()
{
    if (!fixedInline()) delete[] m_heapFixed;
    if (refInline()) {
        m_ref = QByteArray();
    } else {
        delete[] m_heapRefs;
        new (&m_ref) QByteArray();
    }
    m_fixedWidth = 0;
    m_refCount = 0;
}

void RowImage::clearField(const TVolgaField& f)
{
    if (isVariable(f.type)) reference(f) = QByteArray();
    else std::memset(slot(f), 0, f.width);
}

void RowImage::clear() { release(); }

} // namespace vistelle
