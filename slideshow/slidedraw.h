#pragma once
// The slideshow's choice of the next picture, apart from the window.

#include <QList>

#include <array>

namespace vistelle {

class RandomSource;

struct Slide {
    int set = 1;   // 1..4
    int month = 1; // 1..12
    bool operator==(const Slide&) const = default;
};

// The sets to draw from: the current set, then every marked set (marks of sets 1..4) in
// ascending order.
QList<int> slideCandidates(int currentSet, const std::array<bool, 4>& marked);

// A month drawn uniformly (below(12) + 1), then a set drawn uniformly from the
// candidates; when the set is the last one shown, the month is drawn again until it
// differs from the last month, so the same picture never follows itself.
Slide drawSlide(const QList<int>& candidates, const Slide& last, RandomSource& random);

} // namespace vistelle
