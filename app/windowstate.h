#pragma once
// The window-state record: H "x" W "y" T "z" L "j" B0 "k" B1, six decimal integers
// (outer height, width, top, left, and the positions of the two main bars).

#include <QString>
#include <functional>

namespace vistelle {

struct WindowState {
    int height = 0, width = 0, top = 0, left = 0, bar0 = 0, bar1 = 0;
};

QString composeWindowRecord(const WindowState& state);

// Cuts the six pieces out of the record in order and hands each to apply (0 = height …
// 5 = bar 1) as soon as it is converted. A piece that is not an integer fails with
// "'%s' is not a valid integer value"; the pieces before it have been applied.
void applyWindowRecord(const QString& record, const std::function<void(int piece, int value)>& apply);

} // namespace vistelle
