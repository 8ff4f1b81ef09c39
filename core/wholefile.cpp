#include "core/wholefile.h"

#include <QFile>

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace vistelle {

namespace {

// Fresh memory costs a page fault per page as the read fills it; asking for all pages of a
// large array at once is a quarter cheaper. Kernels without the request simply refuse it.
void populate(QByteArray& bytes)
{
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23;
#endif
    constexpr qsizetype Large = 1 << 20;
    if (bytes.size() < Large) return;
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(bytes.data()) + page - 1) & ~(page - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(bytes.data() + bytes.size()) & ~(page - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
}

} // namespace

QByteArray sharedPart(const QByteArray& whole, qsizetype from, qsizetype count)
{
    Q_ASSERT(from >= 0 && count >= 0 && from + count <= whole.size());
    if (count == 0) return QByteArray(0, Qt::Uninitialized);
    // A copy of the array's data pointer holds one more reference to its memory; only its
    // begin and size are moved, as erasing at the front of a Qt array does.
    QByteArray::DataPointer part = const_cast<QByteArray&>(whole).data_ptr(); // read only: no detach
    if (!part.d) return QByteArray(whole.constData() + from, count); // raw data owns nothing
    part.ptr += from;
    part.size = count;
    return QByteArray(std::move(part));
}

QByteArray readWholeFile(QFile& file)
{
    const qint64 expected = file.size() - file.pos();
    if (file.isSequential() || expected <= 0 || expected > qint64(INT32_MAX)) return file.readAll();
    // One array of the file's size, filled in place: no growing, no copy.
    QByteArray bytes(qsizetype(expected), Qt::Uninitialized);
    populate(bytes);
    qint64 got = 0;
    while (got < expected) {
        const qint64 n = file.read(bytes.data() + got, expected - got);
        if (n <= 0) break;
        got += n;
    }
    bytes.truncate(qsizetype(got));
    if (got == expected && !file.atEnd()) bytes += file.readAll(); // the file grew meanwhile
    return bytes;
}

} // namespace vistelle
