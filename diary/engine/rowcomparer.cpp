#include "diary/engine/rowcomparer.h"
#include "core/textcodec.h"

#include <QtEndian>
#include <cstring>

namespace vistelle {

namespace {

template <typename T> int sign(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

template <typename T> int compareInts(const char* a, const char* b)
{
    return sign<qint64>(qFromLittleEndian<T>(a), qFromLittleEndian<T>(b));
}

} // namespace

int RowComparer::compare(const RowImage& a, const RowImage& b) const
{
    for (const TVolgaField& f : m_keys.fields) {
        const int c = compareField(f, a, b);
        if (c != 0) return m_descending ? -c : c;
    }
    return 0;
}

int RowComparer::compareField(const TVolgaField& f, const RowImage& a, const RowImage& b) const
{
    switch (f.type) {
    case EngineType::SmallInt: return compareInts<qint16>(a.slot(f), b.slot(f));
    case EngineType::Integer:
    case EngineType::Date:
    case EngineType::Time:
    case EngineType::AutoInc: return compareInts<qint32>(a.slot(f), b.slot(f));
    case EngineType::Double:
    case EngineType::Currency:
    case EngineType::DateTime:
        return sign(qFromLittleEndian<double>(a.slot(f)), qFromLittleEndian<double>(b.slot(f)));
    case EngineType::Boolean: {
        const bool x = qFromLittleEndian<quint16>(a.slot(f)) != 0;
        const bool y = qFromLittleEndian<quint16>(b.slot(f)) != 0;
        return x == y ? 0 : (x ? -1 : 1);
    }
    case EngineType::SmallStr: {
        const qsizetype na = qstrnlen(a.slot(f), f.width), nb = qstrnlen(b.slot(f), f.width);
        if (f.rightAligned && na != nb) return na < nb ? -1 : 1;
        return compareText(a.slot(f), na, b.slot(f), nb);
    }
    case EngineType::String:
    case EngineType::Memo:
    case EngineType::FmtMemo: {
        const QByteArray& x = a.reference(f);
        const QByteArray& y = b.reference(f);
        return compareText(x.constData(), x.size(), y.constData(), y.size());
    }
    default: return 0; // BLOB, Graphic and Unknown compare equal
    }
}

// An empty text comes first; otherwise the common length decides, then the shorter text.
int RowComparer::compareText(const char* a, qsizetype na, const char* b, qsizetype nb) const
{
    if (na == 0 || nb == 0) return sign(na, nb);
    const qsizetype n = qMin(na, nb);
    int c = 0;
    if (m_caseInsensitive) {
        const QString x = decodeStoredText(QByteArray(a, n)).toUpper();
        const QString y = decodeStoredText(QByteArray(b, n)).toUpper();
        c = QString::localeAwareCompare(x, y);
    } else {
        c = std::memcmp(a, b, size_t(n));
    }
    if (c != 0) return c < 0 ? -1 : 1;
    return sign(na, nb);
}

// A view already in strictly ascending order is left as it is: the quicksort would not
// move a single row of it (it only swaps rows that compare out of order, or equal).
// A diary is stored in date order, so this spares a full sort at every text search.
void RowComparer::sort(std::vector<TVolgaRow*>& view) const
{
    if (view.size() < 2) return;
    bool ordered = true;
    for (size_t i = 1; i < view.size() && ordered; ++i) ordered = compare(view[i - 1]->image, view[i]->image) < 0;
    if (!ordered) quickSort(view, 0, qsizetype(view.size()) - 1);
}

// The bounds checks on I and J only matter for comparisons that are not a total order
// (NaN keys); for ordinary keys the pivot stops both scans. The smaller part is sorted by
// recursion and the larger one by the loop, which gives the same result as always recursing
// on L..J while keeping the stack shallow.
void RowComparer::quickSort(std::vector<TVolgaRow*>& view, qsizetype l, qsizetype r) const
{
    while (l < r) {
        qsizetype i = l, j = r;
        const TVolgaRow* pivot = view[size_t((l + r) / 2)];
        do {
            while (i < r && compare(view[size_t(i)]->image, pivot->image) < 0) ++i;
            while (j > l && compare(view[size_t(j)]->image, pivot->image) > 0) --j;
            if (i <= j) {
                std::swap(view[size_t(i)], view[size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - l < r - i) {
            if (l < j) quickSort(view, l, j);
            l = i;
        } else {
            if (i < r) quickSort(view, i, r);
            r = j;
        }
    }
}

qsizetype RowComparer::binarySearch(const std::vector<TVolgaRow*>& view, const RowImage& key) const
{
    const RowComparer plain(m_keys, false, false);
    qsizetype lo = 0, hi = qsizetype(view.size()) - 1, found = -1;
    while (lo <= hi) {
        const qsizetype mid = (lo + hi) / 2;
        const int c = plain.compare(view[size_t(mid)]->image, key);
        if (m_descending ? c > 0 : c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) found = mid;
        }
    }
    return found;
}

qsizetype RowComparer::linearSearch(const std::vector<TVolgaRow*>& view, const RowImage& key) const
{
    // One binary64 key (the diary's date): the same equality as compare(), without its dispatch.
    if (m_keys.count() == 1) {
        const TVolgaField& f = m_keys.fields.first();
        if (f.type == EngineType::DateTime || f.type == EngineType::Double || f.type == EngineType::Currency) {
            const double k = qFromLittleEndian<double>(key.slot(f));
            for (size_t i = 0; i < view.size(); ++i) {
                const double v = qFromLittleEndian<double>(view[i]->image.slot(f));
                if (!(v < k) && !(k < v)) return qsizetype(i);
            }
            return -1;
        }
    }
    const RowComparer plain(m_keys, false, false);
    for (size_t i = 0; i < view.size(); ++i)
        if (plain.compare(view[i]->image, key) == 0) return qsizetype(i);
    return -1;
}

} // namespace vistelle
