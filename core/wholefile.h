#pragma once
// Reading a file whole into one array.

#include <QByteArray>

class QFile;

namespace vistelle {

// Reads everything from the current position of an open file to its end; check the
// file's error() afterwards. An array of megabytes is laid on huge pages where the system
// offers them: a fresh page costs the kernel far more than copying it, and a 2 MB page
// stands for 512 small ones. Memory use stays the same.
QByteArray readWholeFile(QFile& file);

// Asks for huge pages for the whole 2 MB pages inside [data, data + size), before they
// are first touched. Does nothing where the system has none.
void adviseHugePages(void* data, qsizetype size);

// Bytes `from` … `from + count` of `whole` as an array of their own that shares whole's
// memory: nothing is copied, and all of whole stays in memory while the part lives. Unlike
// other arrays, the part's last byte is not followed by a zero. Changing the part copies it
// first, as for any shared array.
QByteArray sharedPart(const QByteArray& whole, qsizetype from, qsizetype count);

// The size of a huge page where they are used (2 MB).
inline constexpr qsizetype HugePageSize = qsizetype(2) << 20;

// Files from this size on are read onto huge pages; below it the small pages cost little.
// The last huge page is taken whole: the rest of it beyond the file counts as memory for as
// long as the array lives.
inline constexpr qsizetype HugePagesFrom = HugePageSize / 2;

} // namespace vistelle
