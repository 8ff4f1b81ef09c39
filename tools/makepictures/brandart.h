#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>

class QPainter;

// The client organisation's mark and the small interface pictures.
class BrandArt
{
public:
    struct MarkColours
    {
        QColor disc, letter, accent;
    };

    // The Korvo mark: a disc holding a geometric K whose upper arm is the
    // accent colour. Fits the largest centred square of box.
    static void mark(QPainter &p, const QRectF &box, const MarkColours &colours);

    static QImage placeholder();   // 800 x 600, invites a picture drop
    static QImage pageLogo();      // 168 x 50, for the white printed page
    static QImage barLogo(bool hover); // 37 x 30, on the black bottom bar
    static QImage arrow(bool right);   // 24 x 24 double chevron
};
