#include "monthscenes.h"

#include "canvas.h"
#include "landscape.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace {

using L = Landscape;
constexpr double kPi = std::numbers::pi;
constexpr int W = MonthScenes::kWidth;
constexpr int H = MonthScenes::kHeight;

Rgb hex(std::uint32_t v) { return Rgb::hex(v); }

// Ground plane seen in perspective: texture coordinates for a pixel below
// the horizon, so patterns shrink towards the distance.
struct Ground
{
    double horizon, cx = W / 2.0;
    double u(double x, double y) const { return (x - cx) / std::max(1.0, y - horizon); }
    double v(double y) const { return 100.0 / std::max(1.0, y - horizon); }
    double nearness(double y) const { return clamp01((y - horizon) / (H - horizon)); }
};

// Light on a rocky face: the horizontal slope of a creased height field,
// lit from the right when dir is +1 and from the left when -1.
double rockLight(const Noise &n, double x, double y, double scale, double dir)
{
    const double a = n.ridged((x + 2) * scale, y * scale * 1.3, 5);
    const double b = n.ridged((x - 2) * scale, y * scale * 1.3, 5);
    return clamp01(0.5 + dir * (a - b) * 9);
}

// Colours the tree shapes of a mask; where the shape has open sky a few
// pixels above it, the branch carries snow.
void paintTrees(Canvas &c, const QImage &mask, const Rgb &wood, const Rgb &snow, int snowDepth)
{
    c.composite(mask, [&](int x, int y, const Rgb &) {
        if (snowDepth > 0 && y >= snowDepth && mask.constScanLine(y - snowDepth)[x] < 80)
            return snow;
        return wood;
    });
}

void blossomCluster(QPainter &p, QPointF at, double radius, const std::vector<QColor> &palette, Rng &rng,
                    int count)
{
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const double a = rng.range(0, 2 * kPi), r = radius * std::sqrt(rng.unit());
        const QPointF pt = at + QPointF(std::cos(a) * r, std::sin(a) * r * 0.8);
        // Lower part of each cluster lies in its own shade.
        const double shadeK = clamp01((pt.y() - at.y()) / radius * 0.5 + 0.3);
        QColor col = palette[rng.below(int(palette.size()))];
        col = col.darker(100 + int(shadeK * 28));
        p.setBrush(col);
        const double s = rng.range(1.6, 4.2);
        p.drawEllipse(pt, s, s * rng.range(0.7, 1.0));
    }
}

void finish(Canvas &c, double contrast, double saturation, double vignette)
{
    L::grade(c, contrast, saturation);
    L::vignette(c, vignette);
}

} // namespace

QImage MonthScenes::paint(int month)
{
    Canvas c(kWidth, kHeight);
    void (*scenes[12])(Canvas &) = {january, february, march,     april,   may,      june,
                                    july,    august,   september, october, november, december};
    scenes[(month - 1) % 12](c);
    return c.toRgb32(1.4 / 255.0 * 2, 1000 + month);
}

// January: snowfields and a conifer wood at dawn under a pink sky.
void MonthScenes::january(Canvas &c)
{
    const Noise n(101);
    Rng rng(1);
    const double horizon = 455;
    L::sky(c, {{0.0, hex(0x17244a)}, {0.22, hex(0x34447a)}, {0.40, hex(0x7c6a9e)}, {0.52, hex(0xe39a93)},
               {0.60, hex(0xffc98c)}}, 0, H);
    L::glow(c, {700, horizon - 4}, 70, hex(0xffa860), 0.55);
    L::Clouds streaks{60, 400, 0.0018, 0.022, 0.56, 0.18, hex(0xffc2a8), hex(0x6e5d8e), 0.75, 6};
    L::clouds(c, n, streaks);

    const auto peaks = L::ridge(n, W, horizon + 10, 175, 0.0035, 5, 3.2, true);
    L::fill(c, peaks, [&](int x, int y, double depth) {
        const double light = rockLight(n, x, y, 0.012, 1);
        const double rock = smoothstep(0.55, 0.8, n.fbm01(x * 0.02, y * 0.03, 4)) * smoothstep(10, 60, depth);
        Rgb col = mix(hex(0x7f7fb0), hex(0xffd2cf), light);
        col = mix(col, hex(0x4b4a72), rock * 0.6);
        return mix(col, hex(0xe7a9a6), 0.35 + 0.3 * smoothstep(0, 200, depth));
    });
    const auto hills = L::ridge(n, W, horizon + 78, 60, 0.005, 4, 9.1, false);
    L::fill(c, hills, [&](int x, int y, double depth) {
        const double d = n.fbm01(x * 0.01, y * 0.03, 3);
        return mix(mix(hex(0x9aa2cf), hex(0xf4d2d2), d * 0.7), hex(0xd8a4b0), 0.25 - depth * 0.001);
    });
    QImage wood = c.newMask();
    L::forest(wood, hills, 18, 52, 0.22, 6, rng);
    paintTrees(c, wood, hex(0x3a3a62), hex(0xc9b6d8), 2);

    const auto field = L::ridge(n, W, 640, 70, 0.0022, 4, 21.7, false);
    L::fill(c, field, [&](int x, int y, double depth) {
        const double drift = n.fbm01(x * 0.003, y * 0.012, 5);
        const double lit = smoothstep(0.35, 0.7, drift + (x - 300) * 0.0004);
        Rgb col = mix(hex(0x8e9ed4), hex(0xffe8de), lit);
        return mix(col, hex(0x7f8ac4), smoothstep(0, 180, depth) * 0.35);
    });
    QImage near = c.newMask();
    {
        QPainter p(&near);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        const double xs[] = {40, 120, 205, 880, 985};
        const double hs[] = {420, 330, 250, 300, 380};
        for (int i = 0; i < 5; ++i)
            p.drawPath(L::conifer({xs[i], field[int(xs[i])] + 24}, hs[i], hs[i] * 0.42, rng));
    }
    paintTrees(c, near, hex(0x1b1f38), hex(0xe6d8ea), 4);
    c.shade(560, H, [&](int x, int y, Rgb &col) {
        if (n.at(x * 0.9, y * 0.9) > 0.72 && y > field[x] + 4)
            col = col + hex(0xffffff) * 0.35;
    });
    finish(c, 0.12, 1.05, 0.28);
}

// February: a frozen lake with cracked ice and frosted reeds under a pale sun.
void MonthScenes::february(Canvas &c)
{
    const Noise n(202);
    Rng rng(2);
    const Ground g{400};
    L::sky(c, {{0.0, hex(0x7ea4cc)}, {0.30, hex(0xb9d1e6)}, {0.52, hex(0xf0f4f6)}}, 0, 401);
    L::glow(c, {330, 230}, 38, hex(0xfff3dc), 0.75);
    L::Clouds veil{20, 330, 0.0025, 0.01, 0.55, 0.3, hex(0xffffff), hex(0xb8c6d6), 0.55, 6};
    L::clouds(c, n, veil);

    const auto shore = L::ridge(n, W, g.horizon + 2, 18, 0.006, 3, 4.4, false);
    QImage wood = c.newMask();
    L::forest(wood, shore, 14, 46, 0.3, 4, rng);
    paintTrees(c, wood, hex(0x7d8fa8), hex(0xe8eef4), 2);
    L::fill(c, shore, [&](int, int, double) { return hex(0xe9eef3); });

    c.shade(int(g.horizon) + 3, H, [&](int x, int y, Rgb &col) {
        const double u = g.u(x, y) * 3, v = g.v(y) * 0.6;
        const double crack = smoothstep(0.82, 0.97, n.ridged(u * 1.7, v * 1.7, 3));
        const double snow = smoothstep(0.5, 0.75, n.fbm01(u * 0.9 + 7, v * 0.5, 5));
        const double near = g.nearness(y);
        Rgb ice = mix(hex(0xc9dde9), hex(0x4f8db5), std::pow(near, 0.7));
        ice = mix(ice, hex(0x2f6a92), smoothstep(0.4, 0.9, n.fbm01(u * 0.5, v * 0.3, 4)) * near * 0.6);
        const double sheen = std::exp(-std::pow((x - 330) / (60 + 200 * near), 2)) * (1 - near * 0.6);
        ice = ice + hex(0xfff3dc) * (sheen * 0.35);
        ice = mix(ice, hex(0xeef5fa), crack * (0.5 + 0.4 * near));
        col = mix(ice, hex(0xf2f6fa), snow * 0.85);
    });

    QPainter p(&c.image());
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 70; ++i) {
        const double x0 = rng.range(0, 330) + (i % 3 == 0 ? 700 : 0);
        const double h = rng.range(90, 260);
        const double lean = rng.range(-40, 40);
        QPainterPath stalk({x0, double(H + 5)});
        stalk.quadTo(x0 + lean * 0.2, H - h * 0.6, x0 + lean, H - h);
        p.setPen(QPen(QColor(0xc9, 0xd2, 0xdc), rng.range(1.4, 3.0), Qt::SolidLine, Qt::RoundCap));
        p.drawPath(stalk);
        p.setPen(Qt::NoPen);
        for (int k = 0; k < 28; ++k) {
            const QPointF at = stalk.pointAtPercent(rng.range(0.2, 1.0)) + QPointF(rng.range(-3, 3), rng.range(-3, 3));
            p.setBrush(QColor(255, 255, 255, 110 + rng.below(140)));
            const double s = rng.range(0.8, 2.4);
            p.drawEllipse(at, s, s);
        }
    }
    p.end();
    finish(c, 0.1, 0.95, 0.22);
}

// March: the thaw; snow lingers in patches while a stream runs through the
// first green under a spring sky.
void MonthScenes::march(Canvas &c)
{
    const Noise n(303);
    Rng rng(3);
    const Ground g{420};
    L::sky(c, {{0.0, hex(0x3f78bd)}, {0.35, hex(0x8fbbe2)}, {0.56, hex(0xdfeaf0)}}, 0, H);
    L::Clouds cumulus{40, 360, 0.0032, 0.008, 0.56, 0.14, hex(0xffffff), hex(0x8d9db2), 1.0, 6};
    L::clouds(c, n, cumulus);

    const auto far = L::ridge(n, W, g.horizon, 70, 0.004, 5, 1.5, false);
    L::fill(c, far, [&](int x, int y, double) {
        const double snow = smoothstep(0.48, 0.6, n.fbm01(x * 0.012, y * 0.03, 5));
        return mix(mix(hex(0x6a8aa4), hex(0xe2ecf4), snow), hex(0xc6d8e4), 0.45);
    });
    const auto mid = L::ridge(n, W, g.horizon + 45, 45, 0.006, 4, 6.3, false);
    L::fill(c, mid, [&](int x, int y, double) {
        const double snow = smoothstep(0.55, 0.62, n.fbm01(x * 0.01, y * 0.04, 5));
        const double green = n.fbm01(x * 0.02, y * 0.05, 3);
        return mix(mix(mix(hex(0x7b7448), hex(0x8aa24c), green), hex(0xeef2f4), snow), hex(0xb8cad6), 0.25);
    });
    {
        QPainter p(&c.image());
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 38; ++i) {
            const double x = rng.range(0, W);
            std::vector<QPointF> tips;
            p.setPen(QPen(QColor(0x5e, 0x55, 0x4c)));
            L::tree(p, {x, mid[int(x)] + 6}, rng.range(10, 18), kPi / 2, 2.2, 4, rng, &tips);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xa8, 0xc4, 0x6a, 120));
            for (const QPointF &t : tips)
                p.drawEllipse(t, 3.0, 3.0);
        }
    }

    auto streamX = [&](double y) { return W * 0.55 + std::sin(g.v(y) * 0.09 + 1.0) * 900 / g.v(y) * 0.9; };
    c.shade(int(mid[0]) - 60, H, [&](int x, int y, Rgb &col) {
        const double midTop = mid[x] + 30;
        if (y < midTop)
            return;
        const double u = g.u(x, y) * 4, v = g.v(y) * 0.8;
        const double near = g.nearness(y);
        const double grass = n.fbm01(u * 1.5, v * 1.5, 5);
        const double snow = smoothstep(0.56, 0.6, n.fbm01(u * 0.6 + 3, v * 0.4, 6));
        Rgb ground = mix(mix(hex(0x6e6236), hex(0x8fae46), grass), hex(0x5f8a34), near * 0.4 * grass);
        ground = ground * (0.85 + 0.3 * n.fbm01(x * 0.2, y * 0.3, 2));
        ground = mix(ground, mix(hex(0xdfe8f0), hex(0xffffff), n.fbm01(u * 3, v * 3, 3)), snow);
        const double halfWidth = 4 + 90 * near;
        const double dist = std::fabs(x - streamX(y)) / halfWidth;
        const double fade = smoothstep(midTop, midTop + 20, y);
        if (dist < 1.25) {
            const Rgb bank = mix(ground, hex(0x4a3e2a), 0.6);
            Rgb water = mix(hex(0x8fbbe2), hex(0x3d6f9a), near) + hex(0xffffff) * (0.25 * smoothstep(0.6, 0.9, n.fbm01(x * 0.03, y * 0.4, 3)));
            ground = dist < 1 ? water : mix(bank, ground, (dist - 1) * 4);
        }
        col = mix(col, mix(hex(0xa8bcc4), ground, 0.6 + 0.4 * near), fade);
    });
    finish(c, 0.12, 1.08, 0.25);
}

// April: a cherry tree in full blossom over a green valley.
void MonthScenes::april(Canvas &c)
{
    const Noise n(404);
    Rng rng(4);
    const Ground g{470};
    L::sky(c, {{0.0, hex(0x5592d6)}, {0.40, hex(0xa9cdee)}, {0.62, hex(0xeef3f2)}}, 0, H);
    L::Clouds soft{60, 330, 0.003, 0.009, 0.6, 0.16, hex(0xffffff), hex(0xb5c3d5), 0.85, 6};
    L::clouds(c, n, soft);
    const auto far = L::ridge(n, W, g.horizon, 80, 0.0035, 5, 2.2, false);
    L::fill(c, far, [&](int, int, double) { return hex(0x9fb8c4); });
    const auto mid = L::ridge(n, W, g.horizon + 40, 40, 0.005, 4, 5.5, false);
    L::fill(c, mid, [&](int x, int y, double depth) {
        const double f = n.fbm01(x * 0.015, y * 0.04, 4);
        return mix(mix(hex(0x7fa860), hex(0xb6cc70), f), hex(0xa9c0c0), 0.35 - depth * 0.002);
    });
    {
        QPainter p(&c.image());
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 60; ++i) {
            const double x = rng.range(0, W), y = mid[int(x)] + rng.range(4, 30);
            const std::vector<QColor> pal = {QColor(0xf3, 0xc9, 0xd8), QColor(0xff, 0xf0, 0xf4), QColor(0x9c, 0xbb, 0x6c)};
            blossomCluster(p, {x, y}, rng.range(5, 11), pal, rng, 40);
        }
    }
    c.shade(int(g.horizon) + 30, H, [&](int x, int y, Rgb &col) {
        if (y < mid[x] + 40)
            return;
        const double u = g.u(x, y) * 4, v = g.v(y);
        const double near = g.nearness(y);
        Rgb grass = mix(hex(0x6f9c3c), hex(0xa6c558), n.fbm01(u, v, 5));
        grass = grass * (0.8 + 0.35 * n.fbm01(x * 0.15, y * 0.05, 3));
        col = mix(col, mix(hex(0x98b480), grass, 0.5 + 0.5 * near), smoothstep(mid[x] + 40, mid[x] + 60, y));
    });

    QPainter p(&c.image());
    p.setRenderHint(QPainter::Antialiasing);
    std::vector<QPointF> tips;
    p.setPen(QPen(QColor(0x3a, 0x2a, 0x28)));
    L::tree(p, {250, H + 20}, 260, kPi / 2 + 0.08, 44, 7, rng, &tips);
    const std::vector<QColor> petals = {QColor(0xf8, 0xc8, 0xda), QColor(0xf2, 0xa6, 0xc4),
                                        QColor(0xff, 0xe6, 0xef), QColor(0xff, 0xfa, 0xfc),
                                        QColor(0xe9, 0x8f, 0xb3)};
    for (const QPointF &t : tips)
        blossomCluster(p, t, rng.range(18, 34), petals, rng, 150);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 900; ++i) {
        const double y = rng.range(560, H);
        const double s = 0.8 + (y - 560) / 80;
        p.setBrush(petals[rng.below(5)]);
        p.drawEllipse(QPointF(rng.range(0, W), y), s, s * 0.6);
    }
    p.end();
    finish(c, 0.1, 1.05, 0.22);
}

void MonthScenes::may(Canvas &c) { january(c); }
void MonthScenes::june(Canvas &c) { january(c); }
void MonthScenes::july(Canvas &c) { january(c); }
void MonthScenes::august(Canvas &c) { january(c); }
void MonthScenes::september(Canvas &c) { january(c); }
void MonthScenes::october(Canvas &c) { january(c); }
void MonthScenes::november(Canvas &c) { january(c); }
void MonthScenes::december(Canvas &c) { january(c); }
