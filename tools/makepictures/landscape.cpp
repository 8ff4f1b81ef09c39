#include "landscape.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kPi = std::numbers::pi;
}

Rgb Landscape::gradientAt(const Stops &stops, double t)
{
    if (t <= stops.front().first)
        return stops.front().second;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].first) {
            const double span = stops[i].first - stops[i - 1].first;
            const double k = smoothstep(0, 1, (t - stops[i - 1].first) / span);
            return mix(stops[i - 1].second, stops[i].second, k);
        }
    }
    return stops.back().second;
}

void Landscape::sky(Canvas &c, const Stops &stops, int y0, int y1)
{
    c.shade(y0, y1, [&](int, int y, Rgb &col) { col = gradientAt(stops, double(y) / c.height()); });
}

void Landscape::glow(Canvas &c, QPointF centre, double radius, const Rgb &colour, double strength)
{
    c.shade([&](int x, int y, Rgb &col) {
        const double d = std::hypot(x - centre.x(), y - centre.y()) / radius;
        const double light = std::exp(-d * d) + 0.35 * std::exp(-d / 2.5);
        col = col + colour * (strength * light);
    });
}

void Landscape::clouds(Canvas &c, const Noise &n, const Clouds &s)
{
    c.shade(int(s.top), int(s.bottom) + 1, [&](int x, int y, Rgb &col) {
        const double band = smoothstep(s.top, s.top + (s.bottom - s.top) * 0.25, y)
                            * (1 - smoothstep(s.bottom - (s.bottom - s.top) * 0.35, s.bottom, y));
        const double v = n.fbm01(x * s.scaleX, y * s.scaleY, s.octaves, 0.55);
        const double d = smoothstep(s.coverage, s.coverage + s.softness, v) * band;
        if (d <= 0)
            return;
        // Denser cores and the undersides (sampled a little lower) are darker.
        const double below = n.fbm01(x * s.scaleX, (y + 14) * s.scaleY, s.octaves, 0.55);
        const double shadow = clamp01((below - v) * 4 + 0.5 * smoothstep(s.coverage, 1.0, v));
        col = mix(col, mix(s.lit, s.shade, shadow), d * s.opacity);
    });
}

std::vector<double> Landscape::ridge(const Noise &n, int width, double baseY, double amplitude,
                                     double scale, int octaves, double offset, bool sharp)
{
    std::vector<double> top(width);
    for (int x = 0; x < width; ++x) {
        const double v = sharp ? n.ridged(x * scale + offset, offset * 0.37, octaves)
                               : 0.5 + 0.5 * n.fbm(x * scale + offset, offset * 0.37, octaves);
        top[x] = baseY - amplitude * v;
    }
    return top;
}

void Landscape::reflect(Canvas &c, int waterY, const Noise &n, const Rgb &tint, double tintAmount,
                        double ripple)
{
    const int h = c.height();
    for (int y = waterY; y < h; ++y) {
        const double depth = double(y - waterY) / (h - waterY);
        for (int x = 0; x < c.width(); ++x) {
            const double wave = n.fbm(x * 0.004, y * 0.09 / (0.3 + depth), 3);
            const double dx = wave * ripple * (0.4 + depth) * 20;
            const double sy = 2.0 * waterY - y - 1 + wave * ripple * 6 * (0.3 + depth);
            Rgb col = c.sample(x + dx, std::max(0.0, sy));
            const double streak = n.fbm(x * 0.002, y * 0.6, 2);
            col = col * (0.92 + 0.08 * streak);
            const double fresnel = tintAmount + (1 - tintAmount) * 0.35 * depth;
            c.set(x, y, mix(col, tint, clamp01(fresnel)));
        }
    }
}

QPainterPath Landscape::conifer(QPointF base, double height, double width, Rng &rng)
{
    // Drooping branch pairs on a thin stem, shorter towards the top.
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (height < 30) {
        // Too small for branches to show: a ragged spire.
        const double half = width / 2;
        path.addPolygon(QPolygonF({{base.x() - half, base.y()}, {base.x() - half * 0.45, base.y() - height * 0.45},
                                   {base.x() - half * 0.6, base.y() - height * 0.42}, {base.x(), base.y() - height},
                                   {base.x() + half * 0.6, base.y() - height * 0.42},
                                   {base.x() + half * 0.45, base.y() - height * 0.45}, {base.x() + half, base.y()}}));
        return path;
    }
    const double stem = std::max(1.0, width * 0.06);
    path.addRect(QRectF(base.x() - stem / 2, base.y() - height, stem, height));
    const int levels = std::max(6, int(height / 5));
    const double x0 = base.x();
    for (int i = 0; i < levels; ++i) {
        const double t = (i + rng.range(0.0, 0.6)) / levels;
        const double y = base.y() - height * (0.1 + 0.9 * t);
        const double reach = width * 0.5 * std::pow(1 - t, 0.95) * rng.range(0.65, 1.1);
        const double droop = reach * rng.range(0.25, 0.5);
        const double thick = std::max(1.4, height * 0.045 * (1 - t * 0.5));
        for (int side : {-1, 1}) {
            const double r = reach * rng.range(0.8, 1.05);
            QPolygonF branch;
            branch << QPointF(x0, y - thick) << QPointF(x0 + side * r * 0.55, y + droop * 0.2 - thick * 0.6)
                   << QPointF(x0 + side * r, y + droop) << QPointF(x0 + side * r * 0.5, y + droop * 0.55)
                   << QPointF(x0, y + thick * 0.8);
            path.addPolygon(branch);
            path.closeSubpath();
        }
    }
    path.addPolygon(QPolygonF({{x0 - stem * 1.5, base.y() - height * 0.9}, {x0, base.y() - height * 1.04},
                               {x0 + stem * 1.5, base.y() - height * 0.9}}));
    return path;
}

void Landscape::forest(QImage &mask, const std::vector<double> &top, double minH, double maxH,
                       double density, double sink, Rng &rng)
{
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const int w = int(top.size());
    for (double x = -10; x < w + 10; x += rng.range(0.3, 1.0) / density) {
        const int ix = std::clamp(int(x), 0, w - 1);
        const double h = rng.range(minH, maxH);
        p.drawPath(conifer(QPointF(x, top[ix] + sink), h, h * rng.range(0.32, 0.45), rng));
    }
}

void Landscape::tree(QPainter &p, QPointF base, double length, double angle, double width, int depth,
                     Rng &rng, std::vector<QPointF> *tips)
{
    const QPointF end = base + QPointF(std::cos(angle), -std::sin(angle)) * length;
    const QPointF bend = (base + end) / 2 + QPointF(rng.range(-1, 1), rng.range(-1, 1)) * length * 0.12;
    QPainterPath stroke(base);
    stroke.quadTo(bend, end);
    QPen pen = p.pen();
    pen.setWidthF(width);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(stroke);
    if (depth == 0) {
        if (tips)
            tips->push_back(end);
        return;
    }
    const int branches = 2 + (rng.chance(0.45) ? 1 : 0);
    for (int i = 0; i < branches; ++i) {
        const double spread = rng.range(0.3, 0.7) * (i % 2 ? 1 : -1);
        // Branches lean back towards the vertical so the crown stays upright.
        const double a = angle + spread + (kPi / 2 - angle) * 0.15;
        tree(p, end, length * rng.range(0.62, 0.78), a, width * 0.66, depth - 1, rng, tips);
    }
    if (tips && depth <= 2)
        tips->push_back(end);
}

void Landscape::stars(Canvas &c, Rng &rng, int count, double yMax)
{
    for (int i = 0; i < count; ++i) {
        const double x = rng.range(0, c.width() - 1), y = rng.range(0, yMax);
        const double fade = 1 - smoothstep(yMax * 0.55, yMax, y);
        const double b = std::pow(rng.unit(), 3.0) * fade;
        const Rgb tint = mix(Rgb::hex(0xffd9b0), Rgb::hex(0xc8d8ff), rng.unit());
        const int r = b > 0.5 ? 2 : 1;
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                const int px = int(x) + dx, py = int(y) + dy;
                if (px < 0 || py < 0 || px >= c.width() || py >= c.height())
                    continue;
                const double d = std::hypot(px - x, py - y);
                const double k = b * std::exp(-d * d * 1.6);
                c.set(px, py, c.get(px, py) + tint * k);
            }
    }
}

void Landscape::vignette(Canvas &c, double strength)
{
    const double cx = c.width() / 2.0, cy = c.height() / 2.0;
    c.shade([&](int x, int y, Rgb &col) {
        const double d = std::hypot((x - cx) / cx, (y - cy) / cy) / std::sqrt(2.0);
        col = col * (1 - strength * smoothstep(0.45, 1.0, d));
    });
}

void Landscape::grade(Canvas &c, double contrast, double saturation)
{
    c.shade([&](int, int, Rgb &col) {
        const double l = col.luma();
        Rgb s = mix(Rgb{l, l, l}, col, saturation);
        auto curve = [contrast](double v) {
            v = clamp01(v);
            const double sv = v * v * (3 - 2 * v);
            return v + (sv - v) * contrast;
        };
        col = {curve(s.r), curve(s.g), curve(s.b)};
    });
}
