#pragma once
// Reading a file whole into one array.

#include <QByteArray>

class QFile;

namespace vistelle {

// Reads everything from the current position of an open file to its end into one array;
// check the file's error() afterwards.
QByteArray readWholeFile(QFile& file);

// Bytes `from` … `from + count` of `whole` as an array of their own that shares whole's
// memory: nothing is copied, and all of whole stays in memory while the part lives. Unlike
// other arrays, the part's last byte is not followed by a zero. Changing the part copies it
// first, as for any shared array.
QByteArray sharedPart(const QByteArray& whole, qsizetype from, qsizetype count);

} // namespace vistelle
