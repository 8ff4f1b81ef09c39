#pragma once

#include <cstdint>
#include <vector>

// Seeded 2-D gradient noise and its fractal sums. Values are roughly in
// [-1, 1]; fbm() keeps that range by normalising the octave weights.
class Noise
{
public:
    explicit Noise(std::uint32_t seed);

    double at(double x, double y) const;
    double fbm(double x, double y, int octaves, double gain = 0.5, double lacunarity = 2.0) const;
    // Sharp creases where the noise crosses zero: cracks, veins, ridges.
    double ridged(double x, double y, int octaves) const;
    // fbm mapped to [0, 1].
    double fbm01(double x, double y, int octaves, double gain = 0.5) const;

private:
    double grad(int ix, int iy, double dx, double dy) const;

    std::vector<int> m_perm;
};
