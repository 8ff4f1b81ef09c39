#pragma once
// Pseudo-random numbers seeded from the clock; tests install a fixed source.

#include <functional>

namespace vistelle {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seedFromClock() = 0;
    // A uniformly drawn integer of 0 … n − 1 (n ≥ 1).
    virtual int below(int n) = 0;
};

RandomSource& randomSource();
void setRandomSource(RandomSource* source); // nullptr: the clock-seeded generator

} // namespace vistelle
