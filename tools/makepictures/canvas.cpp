#include "canvas.h"

#include "rng.h"

Canvas::Canvas(int width, int height) : m_image(width, height, QImage::Format_RGBX64)
{
    m_image.fill(Qt::black);
}

Rgb Canvas::get(int x, int y) const
{
    return fromPixel(reinterpret_cast<const QRgba64 *>(m_image.constScanLine(y))[x]);
}

void Canvas::set(int x, int y, const Rgb &c)
{
    reinterpret_cast<QRgba64 *>(m_image.scanLine(y))[x] = toPixel(c);
}

Rgb Canvas::sample(double x, double y) const
{
    x = std::clamp(x, 0.0, width() - 1.001);
    y = std::clamp(y, 0.0, height() - 1.001);
    const int ix = int(x), iy = int(y);
    const double fx = x - ix, fy = y - iy;
    const Rgb top = mix(get(ix, iy), get(ix + 1, iy), fx);
    const Rgb bottom = mix(get(ix, iy + 1), get(ix + 1, iy + 1), fx);
    return mix(top, bottom, fy);
}

QImage Canvas::newMask() const
{
    QImage mask(width(), height(), QImage::Format_Grayscale8);
    mask.fill(0);
    return mask;
}

QImage Canvas::toRgb32(double grain, std::uint64_t seed) const
{
    QImage out(width(), height(), QImage::Format_RGB32);
    Rng rng(seed);
    for (int y = 0; y < height(); ++y) {
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < width(); ++x) {
            const Rgb c = get(x, y);
            const double n = (rng.unit() - 0.5) * grain;
            auto q = [n](double v) { return std::clamp(int(v * 255.0 + 0.5 + n * 255.0), 0, 255); };
            dst[x] = qRgb(q(c.r), q(c.g), q(c.b));
        }
    }
    return out;
}
