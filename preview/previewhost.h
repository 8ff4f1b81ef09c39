#pragma once
// What the page preview takes from the main window each time it becomes active.

#include "pictures/picture.h"

#include <QString>

namespace vistelle {

class PreviewHost {
public:
    virtual ~PreviewHost() = default;
    virtual Picture pictureOnDisplay() const = 0;            // the main window's Image picture
    virtual QString monthCaption() const = 0;                // the main window's monthLabel caption
    virtual QString yearCaption() const = 0;                 // the main window's yearLabel caption
    virtual QString cellCaption(int col, int row) const = 0; // the calendar's CellCaption
    virtual void previewHidden() = 0;                        // the main window becomes active again
};

} // namespace vistelle
