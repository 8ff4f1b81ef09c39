#pragma once
// The six picture kinds by class name and by file extension, and their decoders.

#include "pictures/graphic.h"

#include <QString>

namespace vistelle {

class ByteReader;

// Decodes a kind's class data from a set file payload (after the class name). Null for
// a class name that is none of the six kinds.
GraphicPtr readClassData(const QString& className, ByteReader& in);

// The class name of a file name's extension (compared without case): an empty string
// for a name without ".", a null string for an extension no kind takes.
QString classNameForExtension(const QString& extension);

// Decodes a whole picture file of the given kind.
GraphicPtr graphicFromFileBytes(const QString& className, const QByteArray& file);

} // namespace vistelle
