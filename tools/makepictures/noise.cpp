#include "noise.h"

#include "rng.h"

#include <cmath>
#include <numeric>

namespace {

double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }
double lerp(double a, double b, double t) { return a + (b - a) * t; }

} // namespace

Noise::Noise(std::uint32_t seed) : m_perm(512)
{
    std::vector<int> p(256);
    std::iota(p.begin(), p.end(), 0);
    Rng rng(seed * 7919ull + 17);
    for (int i = 255; i > 0; --i)
        std::swap(p[i], p[rng.below(i + 1)]);
    for (int i = 0; i < 512; ++i)
        m_perm[i] = p[i & 255];
}

double Noise::grad(int ix, int iy, double dx, double dy) const
{
    static const double gx[8] = {1, -1, 0, 0, 0.7071, -0.7071, 0.7071, -0.7071};
    static const double gy[8] = {0, 0, 1, -1, 0.7071, 0.7071, -0.7071, -0.7071};
    const int h = m_perm[m_perm[ix & 255] + (iy & 255)] & 7;
    return gx[h] * dx + gy[h] * dy;
}

double Noise::at(double x, double y) const
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const double dx = x - fx, dy = y - fy;
    const double u = fade(dx), v = fade(dy);
    const double a = lerp(grad(ix, iy, dx, dy), grad(ix + 1, iy, dx - 1, dy), u);
    const double b = lerp(grad(ix, iy + 1, dx, dy - 1), grad(ix + 1, iy + 1, dx - 1, dy - 1), u);
    return lerp(a, b, v) * 1.41;
}

double Noise::fbm(double x, double y, int octaves, double gain, double lacunarity) const
{
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * at(x, y);
        norm += amp;
        amp *= gain;
        x = x * lacunarity + 31.7;
        y = y * lacunarity + 11.3;
    }
    return sum / norm;
}

double Noise::ridged(double x, double y, int octaves) const
{
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        const double n = 1.0 - std::fabs(at(x, y));
        sum += amp * n * n;
        norm += amp;
        amp *= 0.5;
        x = x * 2.03 + 5.1;
        y = y * 2.03 + 9.7;
    }
    return sum / norm;
}

double Noise::fbm01(double x, double y, int octaves, double gain) const
{
    const double v = 0.5 + 0.5 * fbm(x, y, octaves, gain);
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
