#pragma once
// What the slideshow reads from, and asks of, the main window.

#include "pictures/picture.h"

namespace vistelle {

class SlideshowHost {
public:
    virtual ~SlideshowHost() = default;
    virtual int currentSet() const = 0;                 // 1..4
    virtual int calendarMonth() const = 0;              // the calendar's Month, 1..12
    virtual Picture pictureOnDisplay() const = 0;       // the main window's Image picture
    virtual Picture setPicture(int set, int month) const = 0; // item month-1 of pictureLists[set]; may throw "List index out of bounds (%d)"
    virtual void loadSetIfNeeded(int set) = 0;          // sets 2..4; may throw (file errors)
    virtual void slideshowHidden() = 0;                 // the main window becomes active again
};

} // namespace vistelle
