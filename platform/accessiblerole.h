#pragma once
// Gives a widget the role assistive technologies report for it, where Qt's own guess is
// wrong: a label that acts as a button or a link, a picture control. Such a widget is
// named by its accessible name or else its label text, describes itself by its hint, and
// offers the press action, which sends it the Enter key, the keyboard's way to act on it.

#include <QAccessible>

class QWidget;

namespace vistelle {

// Call it first, before the widget's text, hint or name are set: while a screen reader
// listens, setting them makes Qt describe the widget to it, and a reader keeps the role
// it was first told.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);

} // namespace vistelle
