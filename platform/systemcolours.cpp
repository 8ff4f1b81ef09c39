#include "platform/systemcolours.h"

#include <cmath>

namespace vistelle {

namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

} // namespace

QColor infoBackgroundColour() { return QColor(0xFF, 0xFF, 0xE1); }

QColor buttonFaceColour() { return QColor(0xF0, 0xF0, 0xF0); }

QPalette designedPalette()
{
    const QColor black(Qt::black), white(Qt::white);
    // Highlight: white text on it keeps 6.3:1.
    const QColor highlight(0x00, 0x5F, 0xB8);
    QPalette p(buttonFaceColour());
    for (const QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(g, QPalette::Window, buttonFaceColour());
        p.setColor(g, QPalette::WindowText, black);
        p.setColor(g, QPalette::Base, white);
        p.setColor(g, QPalette::AlternateBase, QColor(0xF7, 0xF7, 0xF7));
        p.setColor(g, QPalette::Text, black);
        p.setColor(g, QPalette::Button, buttonFaceColour());
        p.setColor(g, QPalette::ButtonText, black);
        p.setColor(g, QPalette::BrightText, white);
        p.setColor(g, QPalette::Light, white);
        p.setColor(g, QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3));
        p.setColor(g, QPalette::Mid, QColor(0xA0, 0xA0, 0xA0));
        p.setColor(g, QPalette::Dark, QColor(0x69, 0x69, 0x69));
        p.setColor(g, QPalette::Shadow, black);
        p.setColor(g, QPalette::Highlight, highlight);
        p.setColor(g, QPalette::HighlightedText, white);
        p.setColor(g, QPalette::ToolTipBase, infoBackgroundColour());
        p.setColor(g, QPalette::ToolTipText, black);
        p.setColor(g, QPalette::PlaceholderText, QColor(0x6E, 0x6E, 0x6E));
        p.setColor(g, QPalette::Link, QColor(0x00, 0x00, 0xEE));
        p.setColor(g, QPalette::LinkVisited, QColor(0x55, 0x1A, 0x8B));
    }
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x6D, 0x6D, 0x6D));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x6D, 0x6D, 0x6D));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x6D, 0x6D, 0x6D));
    p.setColor(QPalette::Disabled, QPalette::Base, buttonFaceColour());
    return p;
}

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

} // namespace vistelle
