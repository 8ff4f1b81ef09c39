#include "platform/dragsource.h"

#include <QDrag>
#include <QWidget>
#include <QMimeData>
#include <QPixmap>

namespace vistelle {

namespace {

class SystemDragSource : public DragSource {
public:
    void dragBitmap(QWidget* source, const QImage& bitmap) override
    {
        auto* drag = new QDrag(source);
        auto* data = new QMimeData;
        data->setImageData(bitmap);
        drag->setMimeData(data);
        drag->setPixmap(QPixmap::fromImage(bitmap.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        drag->exec(Qt::CopyAction, Qt::CopyAction);
    }
};

DragSource* installed = nullptr;

} // namespace

DragSource& dragSource()
{
    static SystemDragSource system;
    return installed ? *installed : system;
}

void setDragSource(DragSource* source) { installed = source; }

} // namespace vistelle
