#pragma once

#include <QColor>
#include <QImage>
#include <QRgba64>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// Working colour, sRGB components in [0, 1] (values above 1 are allowed
// while light is added and are clipped when stored).
struct Rgb
{
    double r = 0, g = 0, b = 0;

    static Rgb hex(std::uint32_t v)
    {
        return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0};
    }
    QColor toQColor(double alpha = 1.0) const
    {
        return QColor::fromRgbF(float(std::clamp(r, 0.0, 1.0)), float(std::clamp(g, 0.0, 1.0)),
                                float(std::clamp(b, 0.0, 1.0)), float(alpha));
    }
    double luma() const { return 0.299 * r + 0.587 * g + 0.114 * b; }

    Rgb operator+(const Rgb &o) const { return {r + o.r, g + o.g, b + o.b}; }
    Rgb operator-(const Rgb &o) const { return {r - o.r, g - o.g, b - o.b}; }
    Rgb operator*(const Rgb &o) const { return {r * o.r, g * o.g, b * o.b}; }
    Rgb operator*(double k) const { return {r * k, g * k, b * k}; }
};

inline Rgb mix(const Rgb &a, const Rgb &b, double t) { return a + (b - a) * t; }
inline double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double smoothstep(double e0, double e1, double x)
{
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// A picture being painted: 16 bits per channel so that soft gradients and
// many blended layers do not band; QPainter draws on image() directly.
class Canvas
{
public:
    Canvas(int width, int height);

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    QImage &image() { return m_image; }

    Rgb get(int x, int y) const;
    void set(int x, int y, const Rgb &c);
    Rgb sample(double x, double y) const; // clamped, bilinear

    // f(x, y, colour&) for every pixel of rows [y0, y1).
    template <class F> void shade(int y0, int y1, F f)
    {
        y0 = std::max(0, y0);
        y1 = std::min(height(), y1);
        for (int y = y0; y < y1; ++y) {
            auto *line = reinterpret_cast<QRgba64 *>(m_image.scanLine(y));
            for (int x = 0; x < width(); ++x) {
                Rgb c = fromPixel(line[x]);
                f(x, y, c);
                line[x] = toPixel(c);
            }
        }
    }
    template <class F> void shade(F f) { shade(0, height(), f); }

    // Blends colour(x, y, current) over the picture where the 8-bit grey
    // mask is lit, by the mask's coverage.
    template <class F> void composite(const QImage &mask, F colour)
    {
        shade([&](int x, int y, Rgb &c) {
            const int m = mask.constScanLine(y)[x];
            if (m)
                c = mix(c, colour(x, y, c), m / 255.0);
        });
    }

    QImage newMask() const;
    // 8-bit result with a faint fixed-seed dither against banding.
    QImage toRgb32(double grain, std::uint64_t seed) const;

private:
    static Rgb fromPixel(QRgba64 p) { return {p.red() / 65535.0, p.green() / 65535.0, p.blue() / 65535.0}; }
    static QRgba64 toPixel(const Rgb &c)
    {
        return QRgba64::fromRgba64(quint16(clamp01(c.r) * 65535 + 0.5), quint16(clamp01(c.g) * 65535 + 0.5),
                                   quint16(clamp01(c.b) * 65535 + 0.5), 65535);
    }

    QImage m_image;
};
