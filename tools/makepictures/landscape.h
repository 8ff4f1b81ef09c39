#pragma once

#include "canvas.h"
#include "noise.h"
#include "rng.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointF>

#include <utility>
#include <vector>

// Painting steps shared by the month scenes: sky, light, clouds, terrain
// layers, water, trees and finishing.
class Landscape
{
public:
    using Stops = std::vector<std::pair<double, Rgb>>;

    struct Clouds
    {
        double top = 0, bottom = 300;    // band in pixels, faded at both ends
        double scaleX = 0.004, scaleY = 0.012;
        double coverage = 0.55, softness = 0.15; // fbm01 threshold and ramp
        Rgb lit, shade;
        double opacity = 1.0;
        int octaves = 6;
    };

    static Rgb gradientAt(const Stops &stops, double t);
    static void sky(Canvas &c, const Stops &stops, int y0, int y1);
    // Additive light: a tight core and a wide halo.
    static void glow(Canvas &c, QPointF centre, double radius, const Rgb &colour, double strength);
    static void clouds(Canvas &c, const Noise &n, const Clouds &style);

    // Top edge of a terrain layer, one height per column.
    static std::vector<double> ridge(const Noise &n, int width, double baseY, double amplitude,
                                     double scale, int octaves, double offset, bool sharp);
    // colour(x, y, depth below the edge) for everything below the edge; the
    // edge pixel itself is blended by its coverage.
    template <class F> static void fill(Canvas &c, const std::vector<double> &top, F colour)
    {
        for (int x = 0; x < c.width(); ++x) {
            const int y0 = std::max(0, int(std::floor(top[x])));
            for (int y = y0; y < c.height(); ++y) {
                const double cover = clamp01(y + 1 - top[x]);
                const Rgb col = colour(x, y, y - top[x]);
                c.set(x, y, cover >= 1 ? col : mix(c.get(x, y), col, cover));
            }
        }
    }

    // Mirrors the rows above waterY into the rows below, rippled and tinted.
    static void reflect(Canvas &c, int waterY, const Noise &n, const Rgb &tint, double tintAmount,
                        double ripple);

    static QPainterPath conifer(QPointF base, double height, double width, Rng &rng);
    // A row of conifers whose bases follow a terrain edge, painted into a mask.
    static void forest(QImage &mask, const std::vector<double> &top, double minH, double maxH,
                       double density, double sink, Rng &rng);
    // Branching tree; returns the twig tips for leaves or blossom.
    static void tree(QPainter &p, QPointF base, double length, double angle, double width,
                     int depth, Rng &rng, std::vector<QPointF> *tips);

    static void stars(Canvas &c, Rng &rng, int count, double yMax);
    static void vignette(Canvas &c, double strength);
    static void grade(Canvas &c, double contrast, double saturation);
};
