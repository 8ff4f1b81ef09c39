#pragma once
// The native values of one row: fixed-size slots in one byte block, and one reference
// (a byte block, empty meaning none) per String or BLOB-family field.

#include "diary/engine/volgafield.h"

#include <QByteArray>
#include <QVarLengthArray>

namespace vistelle {

class RowImage {
public:
    RowImage() = default;
    RowImage(int fixedWidth, int referenceCount);
    // Moving copies: the container's own move leaks a heap-held buffer in this Qt version.
    RowImage(const RowImage&) = default;
    RowImage(RowImage&& other) : m_fixed(other.m_fixed), m_refs(other.m_refs) {}
    RowImage& operator=(const RowImage&) = default;
    RowImage& operator=(RowImage&& other) { return *this = static_cast<const RowImage&>(other); }

    char* slot(const TVolgaField& f) { return m_fixed.data() + f.offset; }
    const char* slot(const TVolgaField& f) const { return m_fixed.constData() + f.offset; }
    QByteArray& reference(const TVolgaField& f) { return m_refs[f.offset]; }
    const QByteArray& reference(const TVolgaField& f) const { return m_refs[f.offset]; }

    // No reference, or a fixed slot of zero bytes.
    bool isBlank(const TVolgaField& f) const;
    void clearField(const TVolgaField& f);
    void clear();
    bool isEmpty() const { return m_fixed.isEmpty() && m_refs.isEmpty(); }

private:
    QVarLengthArray<char, 16> m_fixed;
    QVarLengthArray<QByteArray, 1> m_refs;
};

} // namespace vistelle
