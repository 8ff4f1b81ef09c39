#include "pictures/bytereader.h"

#include "core/error.h"
#include "core/wholefile.h"

namespace vistelle {

void ByteReader::need(qint64 count) const
{
    if (count < 0 || count > remaining()) raise(QStringLiteral("Stream read error"));
}

quint8 ByteReader::peekU8() const
{
    need(1);
    return quint8(m_data[m_pos]);
}

quint8 ByteReader::u8()
{
    need(1);
    return quint8(m_data[m_pos++]);
}

qint16 ByteReader::i16() { return qint16(u16()); }

quint16 ByteReader::u16()
{
    need(2);
    const auto v = qFromLittleEndian<quint16>(m_data + m_pos);
    m_pos += 2;
    return v;
}

qint32 ByteReader::i32() { return qint32(u32()); }

quint32 ByteReader::u32()
{
    need(4);
    const auto v = qFromLittleEndian<quint32>(m_data + m_pos);
    m_pos += 4;
    return v;
}

QByteArray ByteReader::bytes(qsizetype count)
{
    need(count);
    QByteArray out(m_data + m_pos, count);
    m_pos += count;
    return out;
}

QByteArray ByteReader::rest() { return bytes(remaining()); }

QByteArray ByteReader::sharedBytes(qsizetype count)
{
    if (m_owner.isNull()) return bytes(count);
    need(count);
    QByteArray out = sharedPart(m_owner, m_data - m_owner.constData() + m_pos, count);
    m_pos += count;
    return out;
}

ByteReader ByteReader::part(qsizetype count)
{
    need(count);
    ByteReader part(m_data + m_pos, count);
    part.m_owner = m_owner;
    m_pos += count;
    return part;
}

void ByteReader::skip(qsizetype count)
{
    need(count);
    m_pos += count;
}

} // namespace vistelle
