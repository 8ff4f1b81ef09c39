#pragma once
// Comparison of two row images on the fields of a key buffer, the quicksort that orders the
// row view, and the binary search over an ordered view.

#include "diary/engine/keybuffer.h"

#include <vector>

namespace vistelle {

class RowComparer {
public:
    RowComparer(const KeyBuffer& keys, bool caseInsensitive, bool descending)
        : m_keys(keys), m_caseInsensitive(caseInsensitive), m_descending(descending) {}

    // < 0, 0, > 0: field by field, the first field that differs decides.
    int compare(const RowImage& a, const RowImage& b) const;

    // In-place quicksort of the view: pivot at the middle, I up and J down, swap and step,
    // then L..J and I..R. Rows with equal keys end in no defined relative order.
    void sort(std::vector<TVolgaRow*>& view) const;

    // The first row in view order whose key fields equal the key image, or -1.
    // The view must be ordered by these fields with this comparer's direction.
    qsizetype binarySearch(const std::vector<TVolgaRow*>& view, const RowImage& key) const;

    // The first row whose key fields equal the key image, scanning from the first row.
    qsizetype linearSearch(const std::vector<TVolgaRow*>& view, const RowImage& key) const;

private:
    int compareField(const TVolgaField& f, const RowImage& a, const RowImage& b) const;
    int compareText(const char* a, qsizetype na, const char* b, qsizetype nb) const;
    void quickSort(std::vector<TVolgaRow*>& view, qsizetype l, qsizetype r) const;

    const KeyBuffer& m_keys;
    bool m_caseInsensitive;
    bool m_descending;
};

} // namespace vistelle
