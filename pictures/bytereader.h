#pragma once
// Bounded little-endian reading over bytes held in memory. Every read checks the bytes
// that remain first and fails with "Stream read error" when too few are left, so no
// length read from a file reserves memory before it is known to be there.

#include <QByteArray>
#include <QtEndian>

namespace vistelle {

class ByteReader {
public:
    ByteReader(const char* data, qsizetype size) : m_data(data), m_size(size) {}
    // Reads an array; sharedBytes() hands out parts of it without copying.
    explicit ByteReader(const QByteArray& bytes) : m_owner(bytes), m_data(m_owner.constData()), m_size(bytes.size()) {}

    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_size - m_pos; }
    bool atEnd() const { return m_pos >= m_size; }
    const char* current() const { return m_data + m_pos; }

    quint8 peekU8() const;
    quint8 u8();
    qint8 i8() { return qint8(u8()); }
    qint16 i16();
    quint16 u16();
    qint32 i32();
    quint32 u32();
    QByteArray bytes(qsizetype count);   // copies count bytes
    QByteArray rest();                   // copies what remains
    // The next count bytes sharing the array read (see sharedPart), or copied when the
    // reader reads no array.
    QByteArray sharedBytes(qsizetype count);
    // A reader of the next count bytes, which it skips; it shares this one's array.
    ByteReader part(qsizetype count);
    void skip(qsizetype count);
    // Throws unless count bytes remain; count may come straight from the file.
    void need(qint64 count) const;

private:
    QByteArray m_owner;
    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

} // namespace vistelle
