#include "brandart.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>

namespace {

const QColor kKorvoBlue(0x1c, 0x5d, 0x99);
const QColor kKorvoOrange(0xf2, 0x8c, 0x28);
const QColor kInk(0x22, 0x33, 0x48);

QFont sansFont(int pixelSize, QFont::Weight weight)
{
    QFont f;
    f.setFamilies({QStringLiteral("Open Sans"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// K in a unit square (0..1): stem, lower leg and upper arm.
QPolygonF unitStem() { return QPolygonF({{0.20, 0.16}, {0.38, 0.16}, {0.38, 0.84}, {0.20, 0.84}}); }
QPolygonF unitLeg() { return QPolygonF({{0.38, 0.50}, {0.52, 0.42}, {0.82, 0.84}, {0.61, 0.84}}); }
QPolygonF unitArm() { return QPolygonF({{0.38, 0.56}, {0.38, 0.40}, {0.62, 0.16}, {0.84, 0.16}}); }

QPolygonF place(const QPolygonF &unit, const QRectF &square)
{
    QPolygonF out;
    for (const QPointF &pt : unit)
        out << QPointF(square.left() + pt.x() * square.width(), square.top() + pt.y() * square.height());
    return out;
}

void dashedDropZone(QPainter &p, const QRectF &r)
{
    QPen pen(QColor(0x8a, 0x9d, 0xb3), 3, Qt::CustomDashLine, Qt::RoundCap);
    pen.setDashPattern({4, 3});
    p.setPen(pen);
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawRoundedRect(r, 22, 22);
}

// A framed landscape with an arrow dropping into it.
void dropIcon(QPainter &p, QPointF centre)
{
    const QRectF frame(centre.x() - 58, centre.y() - 30, 116, 82);
    p.setPen(QPen(kInk, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xe9, 0xf1, 0xf8));
    p.drawRoundedRect(frame, 8, 8);
    p.save();
    p.setClipRect(frame.adjusted(2, 2, -2, -2));
    p.setPen(Qt::NoPen);
    p.setBrush(kKorvoOrange);
    p.drawEllipse(QPointF(frame.right() - 30, frame.top() + 26), 9, 9);
    p.setBrush(QColor(0x5d, 0x8f, 0xc0));
    p.drawPolygon(QPolygonF({{frame.left(), frame.bottom()}, {frame.left() + 38, frame.top() + 38},
                             {frame.left() + 62, frame.bottom() - 22}, {frame.left() + 80, frame.top() + 48},
                             {frame.right(), frame.bottom()}}));
    p.restore();
    QPainterPath arrow;
    const double ax = centre.x(), ay = centre.y() - 46;
    arrow.addRect(QRectF(ax - 7, ay - 42, 14, 34));
    arrow.addPolygon(QPolygonF({{ax - 20, ay - 10}, {ax + 20, ay - 10}, {ax, ay + 12}}));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kKorvoOrange);
    p.drawPath(arrow.simplified());
}

void centredText(QPainter &p, const QRectF &r, const QString &text, const QFont &font, const QColor &c)
{
    p.setFont(font);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

} // namespace

void BrandArt::mark(QPainter &p, const QRectF &box, const MarkColours &colours)
{
    const double side = std::min(box.width(), box.height());
    const QRectF square(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    QRadialGradient shine(square.center() - QPointF(side * 0.2, side * 0.25), side * 0.8);
    shine.setColorAt(0, colours.disc.lighter(125));
    shine.setColorAt(1, colours.disc);
    p.setBrush(shine);
    p.drawEllipse(square);
    const QRectF inner = square.adjusted(side * 0.1, side * 0.1, -side * 0.06, -side * 0.1);
    p.setBrush(colours.letter);
    p.drawPolygon(place(unitStem(), inner));
    p.drawPolygon(place(unitLeg(), inner));
    p.setBrush(colours.accent);
    p.drawPolygon(place(unitArm(), inner));
    p.restore();
}

QImage BrandArt::placeholder()
{
    QImage img(800, 600, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient bg(0, 0, 0, 600);
    bg.setColorAt(0, QColor(0xf4, 0xf7, 0xfa));
    bg.setColorAt(1, QColor(0xd3, 0xdd, 0xe8));
    p.fillRect(img.rect(), bg);
    QRadialGradient halo(400, 170, 330);
    halo.setColorAt(0, QColor(255, 255, 255, 200));
    halo.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(img.rect(), halo);

    dashedDropZone(p, QRectF(28, 28, 744, 544));
    mark(p, QRectF(330, 62, 140, 140), {kKorvoBlue, Qt::white, kKorvoOrange});
    centredText(p, QRectF(0, 210, 800, 50), QStringLiteral("The Korvo Group"),
                sansFont(38, QFont::Bold), kInk);
    p.setPen(QPen(QColor(0xa9, 0xb8, 0xc8), 2));
    p.drawLine(QPointF(300, 272), QPointF(500, 272));
    dropIcon(p, QPointF(400, 376));
    centredText(p, QRectF(0, 450, 800, 44), QStringLiteral("Drag & drop a picture of your own here"),
                sansFont(30, QFont::DemiBold), kInk);
    centredText(p, QRectF(0, 496, 800, 30), QStringLiteral("JPEG, GIF, bitmap, icon or metafile"),
                sansFont(18, QFont::Normal), QColor(0x5b, 0x6b, 0x7e));
    return img;
}

QImage BrandArt::pageLogo()
{
    QImage img(168, 50, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    mark(p, QRectF(4, 4, 42, 42), {kKorvoBlue, Qt::white, kKorvoOrange});
    p.setPen(kInk);
    QFont name = sansFont(27, QFont::Bold);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    p.setFont(name);
    p.drawText(QRectF(54, 0, 114, 34), Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("KORVO"));
    QFont group = sansFont(11, QFont::DemiBold);
    group.setLetterSpacing(QFont::AbsoluteSpacing, 5.2);
    p.setFont(group);
    p.setPen(kKorvoOrange.darker(115));
    p.drawText(QRectF(55, 33, 113, 16), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("GROUP"));
    return img;
}

QImage BrandArt::barLogo(bool hover)
{
    QImage img(37, 30, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    const MarkColours quiet{QColor(0x4a, 0x55, 0x63), QColor(0xd8, 0xdd, 0xe3), QColor(0xc4, 0x8a, 0x52)};
    const MarkColours bright{QColor(0x2a, 0x7f, 0xd0), Qt::white, QColor(0xff, 0xa0, 0x38)};
    mark(p, QRectF(4.5, 1.5, 28, 28), hover ? bright : quiet);
    return img;
}

QImage BrandArt::arrow(bool right)
{
    QImage img(24, 24, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (!right) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(QColor(0xe8, 0xe8, 0xe8), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (double x : {6.0, 12.5})
        p.drawPolyline(QPolygonF({{x, 6.5}, {x + 5.5, 12.0}, {x, 17.5}}));
    return img;
}
