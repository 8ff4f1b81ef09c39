#pragma once
// The system colours the windows are designed with (button face, window, info-tip
// background, highlight …), as one palette. The windows set it as a whole, so that a
// desktop palette of other colours, a dark one among them, cannot pair one of its
// colours with one of the windows' fixed ones: every text keeps the contrast it was
// designed with.

#include <QColor>
#include <QPalette>

namespace vistelle {

QPalette designedPalette();

// The info-tip background (clInfoBk): the day editor, the calendar, the search box.
QColor infoBackgroundColour();
// The button face (clBtnFace).
QColor buttonFaceColour();

// WCAG contrast ratio of two colours, 1 … 21.
double contrastRatio(const QColor& a, const QColor& b);

} // namespace vistelle
