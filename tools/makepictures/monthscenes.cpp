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
    // Across and into the picture, in the same unit.
    double u(double x, double y) const { return (x - cx) / std::max(1.0, y - horizon); }
    double v(double y) const { return 900.0 / std::max(1.0, y - horizon); }
    double nearness(double y) const { return clamp01((y - horizon) / (H - horizon)); }
};

// Light on a rocky face: the horizontal slope of a creased height field,
// lit from the right when dir is +1 and from the left when -1.
double rockLight(const Noise &n, double x, double y, double scale, double dir)
{
    const double a = n.ridged((x + 2) * scale, y * scale * 1.3, 3) + 0.15 * n.fbm(x * scale * 6, y * scale * 6, 2);
    const double b = n.ridged((x - 2) * scale, y * scale * 1.3, 3) + 0.15 * n.fbm((x - 4) * scale * 6, y * scale * 6, 2);
    return clamp01(0.5 + dir * (a - b) * 8);
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

// Five-lobed leaf with veins, turned by angle degrees.
void vineLeaf(QPainter &p, QPointF at, double size, double angle, const Rgb &colour, Rng &rng)
{
    QPolygonF outline;
    for (int i = 0; i <= 90; ++i) {
        const double a = i * 2 * kPi / 90;
        const double lobe = 0.72 + 0.28 * std::fabs(std::cos(2.5 * a)) + rng.range(-0.02, 0.02);
        outline << QPointF(std::sin(a), -std::cos(a)) * size * lobe;
    }
    p.save();
    p.translate(at);
    p.rotate(angle);
    QRadialGradient body(QPointF(-size * 0.3, -size * 0.3), size * 1.4);
    body.setColorAt(0, (colour * 1.25).toQColor());
    body.setColorAt(1, (colour * 0.6).toQColor());
    p.setPen(QPen((colour * 0.45).toQColor(), 1.2));
    p.setBrush(body);
    p.drawPolygon(outline);
    p.setPen(QPen((colour * 1.4).toQColor(), 1.6));
    for (int i = 0; i < 5; ++i) {
        const double a = (i - 2) * 0.9;
        p.drawLine(QPointF(0, size * 0.25), QPointF(std::sin(a), -std::cos(a)) * size * 0.75);
    }
    p.restore();
}

// Rounded crowns of leafless woods along a terrain edge, into a mask.
void treeline(QImage &mask, const std::vector<double> &top, double size, Rng &rng)
{
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (double x = 0; x < W; x += rng.range(0.25, 0.6) * size) {
        if (rng.chance(0.1))
            continue;
        const double r = size * rng.range(0.6, 1.3);
        p.drawEllipse(QPointF(x, top[int(x)] - r * 0.5 + 4), r, r * 0.8);
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
        const double light = rockLight(n, x, y, 0.0045, 1);
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
        const double drift = n.fbm01(x * 0.0015, y * 0.02, 5);
        const double lit = smoothstep(0.3, 0.75, drift + (x - 300) * 0.0004);
        Rgb col = mix(hex(0xa4afdc), hex(0xfff0e8), lit);
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
        const double u = g.u(x, y) * 2.5, v = g.v(y) * 2.5;
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

    auto streamX = [&](double y) { return W * 0.55 + std::sin(g.v(y) * 0.12 + 1.0) * 1.1 * (y - g.horizon); };
    c.shade(int(mid[0]) - 60, H, [&](int x, int y, Rgb &col) {
        const double midTop = mid[x] + 30;
        if (y < midTop)
            return;
        const double u = g.u(x, y) * 3, v = g.v(y) * 3;
        const double near = g.nearness(y);
        const double grass = n.fbm01(u * 1.5, v * 1.5, 5);
        const double snow = smoothstep(0.55, 0.64, n.fbm01(u * 0.6 + 3, v * 0.4, 6)) * (0.85 + 0.15 * n.fbm01(u * 5, v * 5, 2));
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
        const double u = g.u(x, y) * 4, v = g.v(y) * 4;
        const double near = g.nearness(y);
        Rgb grass = mix(hex(0x6f9c3c), hex(0xa6c558), n.fbm01(u, v, 5));
        grass = grass * (0.8 + 0.35 * n.fbm01(x * 0.15, y * 0.05, 3));
        col = mix(col, mix(hex(0x98b480), grass, 0.5 + 0.5 * near), smoothstep(mid[x] + 40, mid[x] + 60, y));
    });

    QPainter p(&c.image());
    p.setRenderHint(QPainter::Antialiasing);
    std::vector<QPointF> tips;
    p.setPen(QPen(QColor(0x3a, 0x2a, 0x28)));
    L::tree(p, {190, H + 20}, 170, kPi / 2 + 0.12, 40, 7, rng, &tips);
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

// May: a wildflower meadow on rolling hills under summer clouds.
void MonthScenes::may(Canvas &c)
{
    const Noise n(505);
    Rng rng(5);
    const Ground g{400};
    L::sky(c, {{0.0, hex(0x2f6ec4)}, {0.35, hex(0x82b6e6)}, {0.53, hex(0xe2eef2)}}, 0, H);
    L::Clouds cumulus{50, 330, 0.0028, 0.0075, 0.52, 0.14, hex(0xffffff), hex(0x8594aa), 1.0, 6};
    L::clouds(c, n, cumulus);
    const auto far = L::ridge(n, W, g.horizon + 10, 70, 0.003, 5, 1.1, false);
    L::fill(c, far, [&](int, int, double depth) { return mix(hex(0x8fa9bd), hex(0x7d9a92), depth * 0.01); });
    const auto hill = L::ridge(n, W, g.horizon + 70, 70, 0.004, 4, 4.0, false);
    L::fill(c, hill, [&](int x, int y, double depth) {
        const double f = n.fbm01(x * 0.01, y * 0.03, 4);
        return mix(mix(hex(0x77a83e), hex(0xa9c95a), f), hex(0x9fbfb0), std::max(0.0, 0.3 - depth * 0.004));
    });
    {
        QPainter p(&c.image());
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 26; ++i) {
            const double x = rng.range(0, W), y = hill[int(x)] + rng.range(2, 14);
            const double r = rng.range(6, 13);
            for (int k = 0; k < 14; ++k) {
                const QPointF at(x + rng.range(-r, r), y - r + rng.range(-r * 0.6, r * 0.6));
                const double lit = clamp01((x - at.x()) / r * 0.5 + 0.5);
                p.setBrush(mix(hex(0x2f5a2a), hex(0x5f8d3c), lit).toQColor());
                p.drawEllipse(at, r * 0.55, r * 0.5);
            }
        }
    }
    const double meadowTop = g.horizon + 120;
    c.shade(int(meadowTop) - 40, H, [&](int x, int y, Rgb &col) {
        if (y < hill[x] + 55)
            return;
        const double u = g.u(x, y) * 6, v = g.v(y) * 6;
        const double near = g.nearness(y);
        Rgb grass = mix(hex(0x5f9230), hex(0xa4c64e), n.fbm01(u, v, 4));
        grass = grass * (0.75 + 0.4 * n.fbm01(x * 0.25, y * 0.04, 3) * near + 0.2 * (1 - near));
        col = mix(col, grass, smoothstep(hill[x] + 55, hill[x] + 75, y));
    });
    QPainter p(&c.image());
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colours[] = {QColor(0xd9, 0x2a, 0x1c), QColor(0xf5, 0xf5, 0xec), QColor(0x4b, 0x6f, 0xdb),
                              QColor(0xf5, 0xcf, 0x2b), QColor(0xd9, 0x2a, 0x1c), QColor(0xb0, 0x6a, 0xd0)};
    for (int i = 0; i < 9000; ++i) {
        const double y = meadowTop + std::pow(rng.unit(), 0.8) * (H - meadowTop + 20);
        const double x = rng.range(-10, W + 10);
        const double near = g.nearness(y);
        // Poppies drift in broad patches; other flowers spread evenly.
        int kind = rng.below(6);
        if ((kind == 0 || kind == 4) && n.fbm01(x * 0.004, y * 0.01, 3) < 0.5)
            kind = 1 + rng.below(3);
        const double s = 0.6 + near * near * 9;
        if (s > 3) {
            p.setPen(QPen(QColor(0x4a, 0x7a, 0x2a), s * 0.18));
            p.drawLine(QPointF(x, y), QPointF(x + rng.range(-2, 2), y + s * 2.5));
        }
        p.setPen(Qt::NoPen);
        QColor col = colours[kind];
        col = col.darker(100 + int((1 - near) * 10));
        p.setBrush(col);
        p.drawEllipse(QPointF(x, y), s, s * 0.75);
        if (s > 2.5) {
            p.setBrush(kind == 1 ? QColor(0xf0, 0xc0, 0x20) : col.darker(170));
            p.drawEllipse(QPointF(x, y), s * 0.3, s * 0.25);
        }
    }
    p.end();
    finish(c, 0.1, 1.1, 0.22);
}

// June: a mountain lake that mirrors snowy peaks and a conifer shore.
void MonthScenes::june(Canvas &c)
{
    const Noise n(606);
    Rng rng(6);
    const int water = 455;
    L::sky(c, {{0.0, hex(0x2a66b8)}, {0.3, hex(0x73a8de)}, {0.55, hex(0xcfe3ee)}}, 0, water);
    L::Clouds fair{30, 250, 0.003, 0.009, 0.58, 0.14, hex(0xffffff), hex(0x95a5bb), 0.9, 6};
    L::clouds(c, n, fair);
    const auto peaks = L::ridge(n, W, water - 10, 300, 0.0028, 6, 7.7, true);
    L::fill(c, peaks, [&](int x, int y, double depth) {
        const double light = rockLight(n, x, y, 0.0045, -1);
        const double snowLine = 0.55 + 0.25 * n.fbm(x * 0.01, y * 0.01, 3);
        const double height = double(water - y) / 300.0;
        const double snow = smoothstep(snowLine - 0.05, snowLine + 0.05, height + light * 0.25);
        Rgb rock = mix(hex(0x3e4a5e), hex(0x9aa4b4), light);
        Rgb snowCol = mix(hex(0x9fb4d2), hex(0xffffff), light);
        Rgb col = mix(rock, snowCol, snow);
        col = mix(col, hex(0x2f5a3a), smoothstep(0.35, 0.1, height) * (1 - snow));
        return mix(col, hex(0xa8c4dc), 0.3 * (1 - smoothstep(0, 120, depth) * 0.5));
    });
    const auto shore = L::ridge(n, W, water - 2, 40, 0.005, 4, 2.9, false);
    QImage wood = c.newMask();
    L::forest(wood, shore, 25, 80, 0.12, 30, rng);
    c.composite(wood, [&](int x, int y, const Rgb &) {
        return mix(hex(0x183526), hex(0x3f6a3a), n.fbm01(x * 0.05, y * 0.05, 3) * 0.6);
    });
    L::fill(c, std::vector<double>(W, water - 1), [&](int, int, double) { return hex(0x27402c); });
    L::reflect(c, water, n, hex(0x1d4a5e), 0.18, 0.25);
    // Low sun glints on the water.
    c.shade(water + 2, H, [&](int x, int y, Rgb &col) {
        const double glint = smoothstep(0.55, 0.75, n.fbm01(x * 0.03, y * 0.35, 3));
        col = col + hex(0xffffff) * (glint * 0.12 * (1 - double(y - water) / (H - water)));
    });
    QImage near = c.newMask();
    {
        QPainter p(&near);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        QPainterPath bank({-10.0, 610.0});
        bank.cubicTo(180, 600, 260, 700, 380, H + 10);
        bank.lineTo(-10, H + 10);
        p.drawPath(bank);
        for (double x : {30.0, 95.0, 160.0})
            p.drawPath(L::conifer({x, 650}, rng.range(330, 430), 120, rng));
    }
    c.composite(near, [&](int x, int y, const Rgb &) {
        return mix(hex(0x0f2418), hex(0x3a5a2a), n.fbm01(x * 0.04, y * 0.04, 4) * 0.7);
    });
    finish(c, 0.12, 1.1, 0.25);
}

// July: a turquoise bay and a sandy beach in strong midday sun.
void MonthScenes::july(Canvas &c)
{
    const Noise n(707);
    Rng rng(7);
    const Ground g{330};
    L::sky(c, {{0.0, hex(0x0f57c0)}, {0.25, hex(0x3e8fdc)}, {0.43, hex(0xbfe3f6)}}, 0, 331);
    L::Clouds small{150, 320, 0.004, 0.012, 0.64, 0.12, hex(0xffffff), hex(0xa7bdd3), 0.9, 5};
    L::clouds(c, n, small);
    const auto cape = L::ridge(n, W, g.horizon + 2, 120, 0.006, 5, 3.3, false);
    std::vector<double> headland(W);
    for (int x = 0; x < W; ++x)
        headland[x] = g.horizon + 2 - std::max(0.0, (g.horizon + 2 - cape[x])) * smoothstep(690, 900, x);
    L::fill(c, headland, [&](int x, int y, double depth) {
        const double light = rockLight(n, x, y, 0.01, -1);
        Rgb col = mix(mix(hex(0x3f5f2a), hex(0x7d9a4a), light), hex(0x9a8a70), smoothstep(20, 60, depth) * light);
        return mix(col, hex(0x9fc4d8), 0.3);
    });
    const auto shoreline = [&](double x) { return 520 + 28 * std::sin(x * 0.006 + 0.5) + 12 * n.fbm(x * 0.01, 0.5, 3); };
    c.shade(int(g.horizon) + 1, H, [&](int x, int y, Rgb &col) {
        if (y < headland[x])
            return;
        const double shore = shoreline(x);
        const double near = g.nearness(y);
        const double u = g.u(x, y) * 8, v = g.v(y) * 8;
        if (y < shore) {
            const double t = clamp01((y - g.horizon) / (shore - g.horizon));
            Rgb sea = L::gradientAt({{0.0, hex(0x0d4a8a)}, {0.45, hex(0x1a7fb5)}, {0.8, hex(0x23b3bd)}, {1.0, hex(0x7fdccf)}}, t);
            const double wave = n.fbm01(u, v * 0.35, 4);
            sea = sea * (0.88 + 0.25 * wave);
            const double glitter = std::exp(-std::pow((x - 820) / (40 + 260 * t), 2));
            if (n.at(x * 0.5, y * 1.5) > 0.55 - glitter * 0.3)
                sea = sea + hex(0xffffff) * (glitter * 0.9);
            const double foam = smoothstep(shore - 14, shore - 2, y) + smoothstep(0.86, 0.95, n.ridged(u * 0.3, v * 0.06, 3)) * t * t * 0.6;
            col = mix(sea, hex(0xf6fbfb), clamp01(foam) * (0.6 + 0.4 * n.fbm01(x * 0.05, y * 0.2, 3)));
        } else {
            const double wet = 1 - smoothstep(shore, shore + 30 + near * 40, y);
            Rgb sand = mix(hex(0xe9d3a4), hex(0xf7e8c4), n.fbm01(x * 0.01, y * 0.02, 4));
            sand = sand * (0.93 + 0.1 * n.fbm01(x * 0.8, y * 0.8, 2));
            sand = sand * (0.95 + 0.06 * std::sin(u * 40 + n.fbm(u, v, 3) * 4));
            col = mix(sand, hex(0xb49a72), wet * 0.7);
        }
    });
    L::glow(c, {820, 80}, 45, hex(0xfffbef), 1.1);

    QPainter p(&c.image());
    p.setRenderHint(QPainter::Antialiasing);
    // A leaning palm on the left; its shadow first.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8a, 0x70, 0x50, 90));
    p.drawEllipse(QPointF(300, 735), 150, 22);
    QPainterPath trunk({120.0, double(H + 10)});
    trunk.cubicTo(150, 560, 170, 350, 250, 170);
    for (int i = 0; i < 36; ++i) {
        const double t = i / 36.0;
        const QPointF at = trunk.pointAtPercent(t);
        const double w = 22 - 12 * t;
        p.setBrush(QColor(0x6b, 0x52, 0x3a).darker(100 + (i % 2) * 18));
        p.drawEllipse(at, w, w * 0.55);
    }
    const QPointF crown = trunk.pointAtPercent(1.0);
    for (int f = 0; f < 11; ++f) {
        const double a = -kPi * 0.95 + f * (kPi * 1.9 / 10) + rng.range(-0.1, 0.1);
        const double len = rng.range(150, 230);
        QPainterPath rib(crown);
        const QPointF tip = crown + QPointF(std::cos(a) * len, std::sin(a) * len * 0.6 + len * 0.45);
        const QPointF ctrl = crown + QPointF(std::cos(a) * len * 0.6, std::sin(a) * len * 0.6 - 40);
        rib.quadTo(ctrl, tip);
        for (int k = 2; k < 40; ++k) {
            const double t = k / 40.0;
            const QPointF at = rib.pointAtPercent(t);
            const double angle = rib.angleAtPercent(t) * kPi / 180;
            const double leaf = 38 * std::sin(t * kPi) * (1 - t * 0.4);
            for (int side : {-1, 1}) {
                const QPointF dir(std::cos(angle + side * 1.1), -std::sin(angle + side * 1.1));
                p.setPen(QPen(mix(hex(0x1f4a1a), hex(0x5a8a2a), rng.unit() * 0.6 + (side > 0 ? 0.3 : 0)).toQColor(), 3.2, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(at, at + dir * leaf + QPointF(0, leaf * 0.45));
            }
        }
        p.setPen(QPen(QColor(0x3a, 0x4a, 0x1a), 3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(rib);
    }
    p.end();
    finish(c, 0.12, 1.12, 0.18);
}

// August: golden wheat and round bales below a warm afternoon sky.
void MonthScenes::august(Canvas &c)
{
    const Noise n(808);
    Rng rng(8);
    const Ground g{420};
    L::sky(c, {{0.0, hex(0x4c7fc0)}, {0.3, hex(0x93b2d4)}, {0.5, hex(0xf0d9a8)}, {0.56, hex(0xf6d08a)}}, 0, H);
    L::glow(c, {770, 330}, 60, hex(0xffd890), 0.6);
    L::Clouds fair{60, 330, 0.0025, 0.009, 0.58, 0.16, hex(0xfff2dc), hex(0xa895a0), 0.85, 6};
    L::clouds(c, n, fair);
    const auto far = L::ridge(n, W, g.horizon, 55, 0.004, 5, 5.1, false);
    L::fill(c, far, [&](int, int, double) { return hex(0xaeab9e); });
    const auto fields = L::ridge(n, W, g.horizon + 45, 45, 0.005, 4, 8.2, false);
    L::fill(c, fields, [&](int x, int y, double depth) {
        const double band = std::sin((x * 0.012 + y * 0.06 + n.fbm(x * 0.004, y * 0.01, 3) * 3));
        Rgb col = band > 0.3 ? hex(0xd8b050) : (band > -0.4 ? hex(0x8a9a44) : hex(0xb08a48));
        col = col * (0.9 + 0.15 * n.fbm01(x * 0.03, y * 0.08, 3));
        return mix(col, hex(0xd8c8a8), std::max(0.0, 0.35 - depth * 0.005));
    });
    {
        QPainter p(&c.image());
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        const double x = 300, base = fields[300] + 8;
        p.setBrush(QColor(0x3a, 0x30, 0x22));
        p.drawRect(QRectF(x - 3, base - 30, 6, 32));
        for (int k = 0; k < 90; ++k) {
            const QPointF at(x + rng.range(-40, 40), base - 50 + rng.range(-28, 22));
            const double lit = clamp01((at.x() - x) / 80 + 0.5);
            p.setBrush(mix(hex(0x2a3a1e), hex(0x6a7a32), lit).toQColor());
            p.drawEllipse(at, rng.range(8, 15), rng.range(7, 12));
        }
    }
    const double wheatTop = g.horizon + 90;
    c.shade(int(wheatTop) - 50, H, [&](int x, int y, Rgb &col) {
        if (y < fields[x] + 40)
            return;
        const double near = g.nearness(y);
        const double u = g.u(x, y), v = g.v(y);
        const double stalks = n.fbm01(x * (0.15 + 0.5 * (1 - near)), y * 0.02, 3);
        const double sway = n.fbm01(u * 3, v * 1.5, 4);
        Rgb wheat = mix(hex(0xb07a2a), hex(0xf2cc6a), sway);
        wheat = mix(wheat * 0.7, wheat * 1.15, stalks);
        col = mix(col, mix(hex(0xdcc08a), wheat, 0.4 + 0.6 * near), smoothstep(fields[x] + 40, fields[x] + 55, y));
    });
    QPainter p(&c.image());
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF bales[] = {{560, 560}, {660, 548}, {760, 575}, {470, 590}};
    for (const QPointF &b : bales) {
        const double s = (b.y() - g.horizon) / 5.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x6a, 0x4a, 0x1a, 110));
        p.drawEllipse(QPointF(b.x() - s * 0.9, b.y() + s * 0.55), s * 1.5, s * 0.3);
        QLinearGradient body(b.x() - s, 0, b.x() + s, 0);
        body.setColorAt(0, QColor(0x9a, 0x70, 0x2a));
        body.setColorAt(1, QColor(0xf0, 0xc8, 0x70));
        p.setBrush(body);
        p.drawRoundedRect(QRectF(b.x() - s, b.y() - s * 0.9, s * 1.6, s * 1.4), s * 0.3, s * 0.3);
        p.setBrush(QColor(0xe8, 0xc0, 0x66));
        p.drawEllipse(QPointF(b.x() + s * 0.6, b.y() - s * 0.2), s * 0.42, s * 0.7);
        p.setPen(QPen(QColor(0xb8, 0x8a, 0x3a), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(b.x() + s * 0.6, b.y() - s * 0.2), s * 0.22, s * 0.38);
    }
    for (int i = 0; i < 700; ++i) {
        const double y = rng.range(640, H + 30), x = rng.range(-10, W + 10);
        const double len = (y - 600) * 0.25;
        QPainterPath ear({x, y});
        ear.quadTo(x + rng.range(-5, 5), y - len * 0.7, x + rng.range(-12, 12), y - len);
        p.setPen(QPen(mix(hex(0x9a6a20), hex(0xffd878), rng.unit()).toQColor(), 1.2));
        p.drawPath(ear);
        p.setPen(Qt::NoPen);
        p.setBrush(mix(hex(0xb8862a), hex(0xffe090), rng.unit()).toQColor());
        const QPointF top = ear.pointAtPercent(1.0);
        p.drawEllipse(top, len * 0.06, len * 0.16);
    }
    p.end();
    finish(c, 0.14, 1.1, 0.28);
}

// September: vineyard rows running to a hill town with cypresses, in low
// evening light.
void MonthScenes::september(Canvas &c)
{
    const Noise n(909);
    Rng rng(9);
    const Ground g{410, 560};
    L::sky(c, {{0.0, hex(0x5a7fb4)}, {0.3, hex(0xa7b6c8)}, {0.5, hex(0xf0cc98)}, {0.55, hex(0xf7c07a)}}, 0, H);
    L::glow(c, {180, 360}, 55, hex(0xffc070), 0.7);
    L::Clouds high{40, 300, 0.0022, 0.012, 0.6, 0.15, hex(0xffe2c0), hex(0x9a8aa0), 0.8, 6};
    L::clouds(c, n, high);
    const auto far = L::ridge(n, W, g.horizon, 70, 0.0035, 5, 3.7, false);
    L::fill(c, far, [&](int, int, double depth) { return mix(hex(0xa89ab0), hex(0x9a8aa0), depth * 0.01); });
    const auto hill = L::ridge(n, W, g.horizon + 25, 55, 0.004, 4, 1.9, false);
    L::fill(c, hill, [&](int x, int y, double depth) {
        const double f = n.fbm01(x * 0.02, y * 0.05, 3);
        return mix(mix(hex(0x7a7a3a), hex(0xb0a050), f), hex(0xc8b090), std::max(0.0, 0.35 - depth * 0.006));
    });
    {
        QPainter p(&c.image());
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        const double townX = 700;
        for (int i = 0; i < 14; ++i) {
            const double x = townX + rng.range(-70, 70), base = hill[int(x)] + 6;
            const double w = rng.range(10, 22), h = rng.range(10, 20);
            p.setBrush(mix(hex(0xd8a878), hex(0xf2d2a8), rng.unit()).toQColor());
            p.drawRect(QRectF(x, base - h, w, h));
            p.setBrush(QColor(0xa8, 0x5a, 0x3a));
            p.drawPolygon(QPolygonF({{x - 2, base - h}, {x + w / 2, base - h - 6}, {x + w + 2, base - h}}));
        }
        p.setBrush(QColor(0xe6, 0xc4, 0x98));
        p.drawRect(QRectF(townX - 10, hill[int(townX)] - 50, 12, 56));
        for (int i = 0; i < 12; ++i) {
            const double x = rng.range(0, W), base = hill[int(x)] + 4, h = rng.range(35, 70);
            p.setBrush(QColor(0x24, 0x36, 0x1e));
            p.drawEllipse(QRectF(x - h * 0.1, base - h, h * 0.2, h));
        }
    }
    c.shade(int(g.horizon) + 20, H, [&](int x, int y, Rgb &col) {
        const double top = hill[std::clamp(x, 0, W - 1)] + 30;
        if (y < top)
            return;
        const double u = g.u(x, y), v = g.v(y);
        const double near = g.nearness(y);
        const double row = 0.5 + 0.5 * std::cos(u * kPi * 6);
        const double vine = smoothstep(0.45, 0.75, row + 0.25 * n.fbm(u * 4, v * 2, 4));
        Rgb leaves = mix(hex(0x4a6a22), hex(0xc8a840), n.fbm01(u * 3, v * 1.5, 4));
        leaves = mix(leaves, hex(0xa84a22), smoothstep(0.6, 0.8, n.fbm01(u * 2 + 9, v, 4)) * 0.7);
        // The evening sun comes from the left: the rows' left faces are lit.
        const double side = std::sin(u * kPi * 6);
        leaves = leaves * (0.75 + 0.45 * clamp01(0.5 - side * 0.7));
        const Rgb soil = mix(hex(0x8a6a48), hex(0xb89070), n.fbm01(u * 8, v * 4, 3)) * 0.9;
        const Rgb ground = mix(soil, leaves, vine);
        col = mix(col, mix(hex(0xc8a888), ground, 0.35 + 0.65 * near), smoothstep(top, top + 16, y));
    });
    QPainter p(&c.image());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int k = 0; k < 9; ++k)
        vineLeaf(p, {rng.range(790, 1030), rng.range(540, 700)}, rng.range(55, 85), rng.range(0, 360),
                 mix(hex(0x3a5a1a), hex(0xb89a30), rng.unit()), rng);
    for (int cl = 0; cl < 3; ++cl) {
        const QPointF top(rng.range(820, 980), rng.range(600, 660));
        for (int i = 0; i < 60; ++i) {
            const double t = rng.unit();
            const QPointF at = top + QPointF(rng.range(-1, 1) * 40 * (1 - t), t * 110);
            QRadialGradient grape(at - QPointF(3, 3), 11);
            grape.setColorAt(0, QColor(0x9a, 0x6a, 0xb0));
            grape.setColorAt(0.5, QColor(0x4a, 0x1f, 0x4a));
            grape.setColorAt(1, QColor(0x22, 0x0a, 0x22));
            p.setBrush(grape);
            p.drawEllipse(at, 10, 10);
        }
    }
    p.end();
    finish(c, 0.14, 1.1, 0.3);
}

// October: an autumn wood in full colour along a still lake with morning mist.
void MonthScenes::october(Canvas &c)
{
    const Noise n(1010);
    Rng rng(10);
    const int water = 470;
    L::sky(c, {{0.0, hex(0x6c95c4)}, {0.35, hex(0xb7c8d6)}, {0.6, hex(0xeadcc6)}}, 0, water);
    L::Clouds soft{30, 260, 0.003, 0.01, 0.56, 0.2, hex(0xfff4e6), hex(0xa8a8b8), 0.85, 6};
    L::clouds(c, n, soft);
    const auto far = L::ridge(n, W, water - 40, 70, 0.004, 5, 6.6, false);
    L::fill(c, far, [&](int x, int y, double) {
        return mix(mix(hex(0xb07a50), hex(0x8a8a5a), n.fbm01(x * 0.02, y * 0.05, 3)), hex(0xd8ccc0), 0.55);
    });
    QPainter p(&c.image());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const std::vector<Rgb> palette = {hex(0xc8321a), hex(0xe8701e), hex(0xf2b02a), hex(0xd8901e),
                                      hex(0x9a2a1a), hex(0x6a7a2a), hex(0xf4cc40)};
    for (int layer = 0; layer < 3; ++layer) {
        const double baseY = water - 60 + layer * 22, haze = 0.35 - layer * 0.15;
        for (int i = 0; i < 420; ++i) {
            const double x = rng.range(-20, W + 20);
            const double top = baseY - 40 * (0.5 + 0.5 * n.fbm(x * 0.006, layer, 3)) - rng.range(0, 50);
            const double r = rng.range(10, 24) * (1 + layer * 0.2);
            Rgb col = palette[rng.below(int(palette.size()))];
            if (rng.chance(0.12))
                col = hex(0x1f3a22);
            for (int k = 0; k < 5; ++k) {
                const QPointF at(x + rng.range(-r, r) * 0.6, top + rng.range(0, r * 2.5));
                const double lit = rng.range(0.7, 1.15) - (at.y() - top) / (r * 6);
                p.setBrush(mix(col * lit, hex(0xd8d0c8), haze).toQColor());
                p.drawEllipse(at, r * rng.range(0.5, 0.8), r * rng.range(0.4, 0.7));
            }
        }
    }
    p.setBrush(QColor(0x2a, 0x22, 0x1a));
    p.drawRect(QRectF(0, water - 6, W, 8));
    p.end();
    L::reflect(c, water, n, hex(0x2a3540), 0.16, 0.2);
    c.shade(water - 60, water + 80, [&](int x, int y, Rgb &col) {
        const double mist = std::exp(-std::pow((y - water) / 28.0, 2)) * n.fbm01(x * 0.004, y * 0.03, 4);
        col = mix(col, hex(0xf2ebe2), mist * 0.75);
    });
    QPainter q(&c.image());
    q.setRenderHint(QPainter::Antialiasing);
    q.setPen(Qt::NoPen);
    QPainterPath bank({-10.0, 700.0});
    bank.cubicTo(250, 660, 600, 720, W + 10, 680);
    bank.lineTo(W + 10, H + 10);
    bank.lineTo(-10, H + 10);
    q.setBrush(QColor(0x3a, 0x2a, 0x1c));
    q.drawPath(bank);
    for (int i = 0; i < 2600; ++i) {
        const double x = rng.range(-10, W + 10);
        const double y = rng.range(0.0, 1.0) * (H + 10 - 690) + 690;
        if (!bank.contains(QPointF(x, y - 4)))
            continue;
        const double s = 3 + (y - 660) * 0.09;
        q.save();
        q.translate(x, y);
        q.rotate(rng.range(0, 360));
        q.setBrush((palette[rng.below(5)] * rng.range(0.55, 1.05)).toQColor());
        q.drawEllipse(QPointF(0, 0), s, s * 0.5);
        q.restore();
    }
    q.end();
    finish(c, 0.12, 1.12, 0.3);
}

// November: layered hills dissolving into mist, a pale sun and a bare tree.
void MonthScenes::november(Canvas &c)
{
    const Noise n(1111);
    Rng rng(11);
    L::sky(c, {{0.0, hex(0x8f98a6)}, {0.4, hex(0xc8c8c8)}, {0.6, hex(0xe4dcd0)}}, 0, H);
    L::glow(c, {640, 250}, 36, hex(0xfff0d8), 0.55);
    L::Clouds layers{40, 300, 0.002, 0.01, 0.5, 0.3, hex(0xe6e2dc), hex(0x9a9aa2), 0.6, 6};
    L::clouds(c, n, layers);
    const Rgb fog = hex(0xdcd6cc);
    for (int layer = 0; layer < 6; ++layer) {
        const double k = layer / 5.0;
        const auto top = L::ridge(n, W, 380 + layer * 62, 60 + layer * 10, 0.003 + layer * 0.0007, 5,
                                  layer * 4.3 + 1, false);
        const Rgb body = mix(hex(0x6a7480), hex(0x1e2a26), k);
        L::fill(c, top, [&](int x, int y, double depth) {
            // Mist pools in the valleys: lighter lower down each layer.
            const double pool = smoothstep(0, 90, depth) * (0.7 - k * 0.4);
            const double tex = n.fbm01(x * 0.01, y * 0.02 + layer, 4);
            Rgb col = body * (0.9 + 0.2 * tex);
            return mix(col, fog, clamp01((1 - k) * 0.7 + pool));
        });
        if (layer >= 2) {
            QImage wood = c.newMask();
            L::forest(wood, top, 10 + layer * 6, 22 + layer * 10, 0.012 + layer * 0.004, 3, rng);
            treeline(wood, top, 3 + layer * 2.2, rng);
            const Rgb treeCol = mix(body, fog, (1 - k) * 0.6);
            c.composite(wood, [&](int, int, const Rgb &) { return treeCol; });
        }
    }
    QPainter p(&c.image());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1a, 0x1e, 0x1c)));
    L::tree(p, {830, 720}, 120, kPi / 2 - 0.05, 16, 8, rng, nullptr);
    p.setPen(QPen(QColor(0x3a, 0x3a, 0x40), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 7; ++i) {
        const QPointF at(rng.range(300, 520), rng.range(150, 260));
        const double s = rng.range(4, 8);
        QPainterPath bird(at - QPointF(s, 0));
        bird.quadTo(at - QPointF(s / 2, s * 0.5), at);
        bird.quadTo(at + QPointF(s / 2, -s * 0.5), at + QPointF(s, 0));
        p.drawPath(bird);
    }
    p.end();
    finish(c, 0.1, 0.9, 0.3);
}

// December: a snowy village under a starry night sky, its windows lit.
void MonthScenes::december(Canvas &c)
{
    const Noise n(1212);
    Rng rng(12);
    L::sky(c, {{0.0, hex(0x030818)}, {0.3, hex(0x0b1838)}, {0.55, hex(0x243a68)}, {0.62, hex(0x3a4a78)}}, 0, H);
    c.shade(0, 480, [&](int x, int y, Rgb &col) {
        const double d = std::fabs((y - 360) + (x - 512) * 0.45) / 120.0;
        const double band = std::exp(-d * d) * n.fbm01(x * 0.006, y * 0.012, 6);
        col = col + hex(0x8aa0d8) * (band * band * 0.35);
    });
    L::stars(c, rng, 2600, 480);
    L::glow(c, {860, 110}, 18, hex(0xeef2ff), 0.9);
    const auto far = L::ridge(n, W, 470, 110, 0.004, 5, 2.4, true);
    L::fill(c, far, [&](int x, int y, double) {
        const double light = rockLight(n, x, y, 0.005, 1);
        return mix(mix(hex(0x34457a), hex(0x9fb0dc), light), hex(0x1e2c58), 0.5);
    });
    const auto hill = L::ridge(n, W, 560, 70, 0.004, 4, 7.5, false);
    QImage wood = c.newMask();
    L::forest(wood, hill, 20, 60, 0.1, 10, rng);
    paintTrees(c, wood, hex(0x0c1626), hex(0x8a9cc8), 2);
    L::fill(c, hill, [&](int x, int y, double depth) {
        const double drift = n.fbm01(x * 0.003, y * 0.02, 5);
        return mix(mix(hex(0x4a5a8c), hex(0xb8c6e8), drift), hex(0x3a4a7a), smoothstep(0, 250, depth) * 0.4);
    });
    QPainter p(&c.image());
    p.setRenderHint(QPainter::Antialiasing);
    std::vector<QPointF> lights;
    // Houses from the back to the front, each smaller the farther it stands.
    for (int i = 0; i < 16; ++i) {
        const double x = rng.range(60, 960);
        const double base = std::max(hill[int(x)] + 20, 600.0 + i * 6 + rng.range(-10, 10));
        const double scale = 0.6 + (base - 580) / 120;
        const double w = rng.range(40, 70) * scale, ht = rng.range(28, 40) * scale;
        if (i == 7) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x30, 0x26, 0x2a));
            p.drawRect(QRectF(x + w * 0.3, base - ht - 70 * scale, w * 0.28, 72 * scale));
            p.setBrush(QColor(0xe8, 0xee, 0xfa));
            p.drawPolygon(QPolygonF({{x + w * 0.26, base - ht - 68 * scale}, {x + w * 0.44, base - ht - 110 * scale},
                                     {x + w * 0.62, base - ht - 68 * scale}}));
            lights.push_back({x + w * 0.44, base - ht - 40 * scale});
            p.setBrush(QColor(0xff, 0xd0, 0x80));
            p.drawEllipse(lights.back(), 4 * scale, 6 * scale);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(mix(hex(0x2a2024), hex(0x4a3a3a), rng.unit()).toQColor());
        p.drawRect(QRectF(x, base - ht, w, ht));
        p.setBrush(QColor(0xe4, 0xea, 0xf8));
        p.drawPolygon(QPolygonF({{x - 6 * scale, base - ht + 3}, {x + w / 2, base - ht - w * 0.45},
                                 {x + w + 6 * scale, base - ht + 3}}));
        p.setBrush(QColor(0x8a, 0x98, 0xc4));
        p.drawPolygon(QPolygonF({{x + w / 2, base - ht - w * 0.45}, {x + w + 6 * scale, base - ht + 3},
                                 {x + w / 2 + 3, base - ht + 3}}));
        for (int k = 0; k < 2; ++k) {
            if (rng.chance(0.2))
                continue;
            const QRectF win(x + w * (0.18 + 0.45 * k), base - ht * 0.72, w * 0.2, ht * 0.34);
            p.setBrush(QColor(0xff, 0xc0 + rng.below(30), 0x60));
            p.drawRect(win);
            lights.push_back(win.center());
        }
        p.setBrush(QColor(0xb4, 0xc2, 0xe4, 150));
        p.drawEllipse(QRectF(x - w * 0.2, base - 5 * scale, w * 1.4, 11 * scale));
    }
    for (int i = 0; i < 10; ++i) {
        const double x = rng.range(0, W), base = 640 + rng.range(0, 60), h = rng.range(60, 110);
        QImage tree = c.newMask();
        QPainter tp(&tree);
        tp.setRenderHint(QPainter::Antialiasing);
        tp.setPen(Qt::NoPen);
        tp.setBrush(Qt::white);
        tp.drawPath(L::conifer({x, base}, h, h * 0.42, rng));
        tp.end();
        p.end();
        paintTrees(c, tree, hex(0x0a1420), hex(0xc8d4ee), 3);
        p.begin(&c.image());
        p.setRenderHint(QPainter::Antialiasing);
    }
    p.end();
    for (const QPointF &l : lights)
        L::glow(c, l, 12, hex(0xffa040), 0.22);
    const auto front = L::ridge(n, W, 735, 30, 0.003, 4, 11.0, false);
    L::fill(c, front, [&](int x, int y, double) {
        const double drift = n.fbm01(x * 0.002, y * 0.02, 5);
        Rgb col = mix(hex(0x5a6a9c), hex(0xd0dcf4), drift);
        if (n.at(x * 0.9, y * 0.9) > 0.7)
            col = col + hex(0xffffff) * 0.3;
        return col;
    });
    QPainter q(&c.image());
    q.setRenderHint(QPainter::Antialiasing);
    q.setPen(Qt::NoPen);
    for (int i = 0; i < 500; ++i) {
        const double s = std::pow(rng.unit(), 4) * 4 + 0.7;
        QRadialGradient flake(QPointF(0, 0), s);
        flake.setColorAt(0, QColor(255, 255, 255, 210));
        flake.setColorAt(1, QColor(255, 255, 255, 0));
        q.save();
        q.translate(rng.range(0, W), rng.range(0, H));
        q.setBrush(flake);
        q.drawEllipse(QPointF(0, 0), s, s);
        q.restore();
    }
    q.end();
    finish(c, 0.1, 1.05, 0.3);
}
