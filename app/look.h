#pragma once
// Colours and fonts of the windows. Colours are given as window-system numbers 0x00BBGGRR.

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

#include "platform/systemcolours.h"

namespace vistelle::look {

inline QColor colour(unsigned bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

inline constexpr unsigned clBlack = 0x000000;
inline constexpr unsigned clGray = 0x808080;
inline constexpr unsigned clSilver = 0xC0C0C0;
inline constexpr unsigned clNavy = 0x800000;
inline constexpr unsigned clPurple = 0x800080;
inline constexpr unsigned clRed = 0x0000FF;
inline constexpr unsigned clWhite = 0xFFFFFF;

// The info-tip background (clInfoBk) the windows are designed with.
inline QColor infoBackground() { return infoBackgroundColour(); }

// Whether a family is installed. A family that is not makes the font matcher sort every
// installed font for each size and style asked for, at start-up; left out, the stand-in
// that follows it is found at once.
inline bool installed(const QString& family)
{
    static const QStringList families = [] {
        QStringList names;
        // A family that several foundries make is listed as "Family [Foundry]".
        for (const QString& listed : QFontDatabase::families())
            names.append(listed.section(QStringLiteral(" ["), 0, 0));
        return names;
    }();
    return families.contains(family, Qt::CaseInsensitive);
}

// A font by family with its stand-ins, sized in pixels.
inline QFont font(const QString& family, int pixels, bool bold = false, bool italic = false)
{
    QFont f;
    QStringList wanted{family};
    if (family == QLatin1String("Trebuchet MS") || family == QLatin1String("Lucida Sans"))
        wanted.append(QStringLiteral("Open Sans"));
    wanted.append(QStringLiteral("DejaVu Sans"));
    QStringList present;
    for (const QString& name : wanted)
        if (installed(name)) present.append(name);
    f.setFamilies(present.isEmpty() ? wanted : present);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

inline QFont trebuchet(int pixels, bool bold = false) { return font(QStringLiteral("Trebuchet MS"), pixels, bold); }

inline void setBackground(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

inline void setTextColour(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

} // namespace vistelle::look
