#pragma once

#include <cstdint>

// Small deterministic generator (splitmix64): the same seed gives the same
// pictures on every platform, unlike the standard distributions.
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
    int below(int n) { return int(unit() * n); }
    bool chance(double p) { return unit() < p; }

private:
    std::uint64_t m_state;
};
