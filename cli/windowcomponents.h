#pragma once
// The names the main window's components carry when the window reads a picture set:
// set 1 is read while the window is being built, sets 2 to 4 on first need, once the
// slideshow and the page preview exist. A set file whose list takes one of these names
// fails to read. The names of the top-level windows are left out: the window gives a
// list that takes one of them a number instead ("Wallpaper_1"), which never fails.
// tst_windowcomponents holds this against a real main window.

#include <QStringList>

namespace vistelle::cli {

QStringList windowComponentNames(int set);

} // namespace vistelle::cli
