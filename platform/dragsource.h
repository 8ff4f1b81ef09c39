#pragma once
// Starts a drag that offers one bitmap with the copy operation only, and returns when it
// ends (dropped or cancelled). Tests install a stand-in that records the bitmap.

#include <QImage>

class QWidget;

namespace vistelle {

class DragSource {
public:
    virtual ~DragSource() = default;
    virtual void dragBitmap(QWidget* source, const QImage& bitmap) = 0;
};

DragSource& dragSource();
void setDragSource(DragSource* source); // nullptr: the window system's drag and drop

} // namespace vistelle
