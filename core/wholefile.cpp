#include "core/wholefile.h"

#include <QFile>

#include <cstdint>
#include <sys/mman.h>

namespace vistelle {

namespace {

std::uintptr_t alignUp(std::uintptr_t p) { return (p + HugePageSize - 1) & ~std::uintptr_t(HugePageSize - 1); }

// An array of `size` bytes whose data starts on a huge page boundary: allocated with a
// huge page to spare in front, which is then dropped from the front (a Qt array erased
// at its start only moves its begin). The spare pages are never touched, so they never
// take memory. Its huge pages are asked for before anything is written (the zero that
// ends the array included): a page once touched stays small, and so does the rest of its
// huge page. The last huge page is taken whole: its unused part is under 2 MB of many.
QByteArray alignedArray(qsizetype size)
{
    QByteArray bytes(size + 2 * HugePageSize, Qt::Uninitialized);
    const auto start = reinterpret_cast<std::uintptr_t>(bytes.constData());
    bytes.remove(0, qsizetype(alignUp(start) - start));
    adviseHugePages(bytes.data(), qsizetype(alignUp(std::uintptr_t(size))));
    bytes.truncate(size);
    return bytes;
}

} // namespace

void adviseHugePages(void* data, qsizetype size)
{
#ifdef MADV_HUGEPAGE
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = alignUp(start);
    const std::uintptr_t end = (start + std::uintptr_t(size)) & ~std::uintptr_t(HugePageSize - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

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
    if (file.isSequential() || expected < HugePagesFrom || expected > qint64(INT32_MAX)) return file.readAll();
    QByteArray bytes = alignedArray(qsizetype(expected));
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
