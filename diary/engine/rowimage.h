#pragma once
// The native values of one row: fixed-size slots in one byte block, and one reference
// (a byte block, empty meaning none) per String or BLOB-family field.
//
// A row of a large table is small: 16 bytes of slots and one reference are held in the
// image itself (the diary's date and entry), more go to the heap. A row entry of the
// store then fits 64 bytes, so that 32 768 rows fill one 2 MB chunk (rowlist.h).

#include "diary/engine/fieldtypes.h"
#include "diary/engine/volgafield.h"

#include <QByteArray>

#include <cstring>

namespace vistelle {

class RowImage {
public:
    RowImage() { new (&m_ref) QByteArray(); }
    RowImage(int fixedWidth, int referenceCount);
    RowImage(const RowImage& other);
    RowImage(RowImage&& other) noexcept;
    RowImage& operator=(const RowImage& other);
    RowImage& operator=(RowImage&& other) noexcept;
    ~RowImage()
    {
        release();
        m_ref.~QByteArray();
    }

    char* slot(const TVolgaField& f) { return fixedData() + f.offset; }
    const char* slot(const TVolgaField& f) const { return fixedData() + f.offset; }
    QByteArray& reference(const TVolgaField& f) { return refs()[f.offset]; }
    const QByteArray& reference(const TVolgaField& f) const { return refs()[f.offset]; }

    // No reference, or a fixed slot of zero bytes. Inline: a pass over all rows asks it
    // per row (the calendar's marks).
    bool isBlank(const TVolgaField& f) const
    {
        if (isVariable(f.type)) return reference(f).isEmpty();
        const char* p = slot(f);
        if (f.width == 8) { // dates and numbers: one word
            quint64 word;
            std::memcpy(&word, p, 8);
            return word == 0;
        }
        for (int i = 0; i < f.width; ++i)
            if (p[i] != 0) return false;
        return true;
    }
    void clearField(const TVolgaField& f);
    // No slots and no references any more.
    void clear();
    bool isEmpty() const { return m_fixedWidth == 0 && m_refCount == 0; }

private:
    static constexpr int InlineFixed = 16;

    bool fixedInline() const { return m_fixedWidth <= InlineFixed; }
    bool refInline() const { return m_refCount <= 1; }
    char* fixedData() { return fixedInline() ? m_fixed : m_heapFixed; }
    const char* fixedData() const { return fixedInline() ? m_fixed : m_heapFixed; }
    QByteArray* refs() { return refInline() ? &m_ref : m_heapRefs; }
    const QByteArray* refs() const { return refInline() ? &m_ref : m_heapRefs; }
    // Gives an empty image this shape, all values zero or empty.
    void allocate(int fixedWidth, int referenceCount);
    void release();

    quint16 m_fixedWidth = 0;
    quint16 m_refCount = 0;
    union {
        char m_fixed[InlineFixed];
        char* m_heapFixed;
    };
    union {
        QByteArray m_ref; // constructed while the references are held inline
        QByteArray* m_heapRefs;
    };
};

} // namespace vistelle
