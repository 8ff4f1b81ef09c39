#pragma once
// Small helpers shared by the picture kinds for their stored class data.

#include <QByteArray>
#include <QtEndian>

namespace vistelle {

// A 4-byte little-endian length followed by the bytes.
inline QByteArray lengthPrefixed(const QByteArray& bytes, quint32 extra = 0)
{
    QByteArray out(4, '\0');
    qToLittleEndian<quint32>(quint32(bytes.size()) + extra, out.data());
    out += bytes;
    return out;
}

} // namespace vistelle
