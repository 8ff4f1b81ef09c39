#include "slideshow/slidedraw.h"

#include "platform/random.h"

namespace vistelle {

QList<int> slideCandidates(int currentSet, const std::array<bool, 4>& marked)
{
    QList<int> candidates{currentSet};
    for (int set = 1; set <= 4; ++set) {
        if (marked[set - 1]) candidates << set;
    }
    return candidates;
}

Slide drawSlide(const QList<int>& candidates, const Slide& last, RandomSource& random)
{
    Q_ASSERT(!candidates.isEmpty());
    Slide next;
    next.month = random.below(12) + 1;
    next.set = candidates.at(random.below(int(candidates.size())));
    if (next.set == last.set) {
        while (next.month == last.month) next.month = random.below(12) + 1;
    }
    return next;
}

} // namespace vistelle
