#include "pictures/picture.h"

#include "core/error.h"
#include "pictures/bitmapgraphic.h"
#include "pictures/graphickinds.h"
#include "pictures/olegraphic.h"

#include <QFile>
#include <QFileInfo>

namespace vistelle {

Picture Picture::fromFile(const QString& fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) return Picture(std::make_shared<OleGraphic>());
    const QString extension = name.mid(dot + 1);
    const QString className = classNameForExtension(extension);
    if (className.isNull())
        throw InvalidGraphicError(fmt(QStringLiteral("Unknown picture file extension (.%s)"), extension));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) raise(fmt(QStringLiteral("Cannot open file %s"), fileName));
    const QByteArray bytes = file.readAll();
    file.close();
    return Picture(graphicFromFileBytes(className, bytes));
}

Picture Picture::fromImage(const QImage& image) { return Picture(BitmapGraphic::fromImage(image)); }

QImage Picture::toBitmap() const { return m_graphic ? m_graphic->toBitmap() : QImage(); }

QImage Picture::render(QSize size) const { return m_graphic ? m_graphic->scaledTo(size) : QImage(); }

} // namespace vistelle
