#include "pictures/bitmapgraphic.h"

#include "pictures/bmpcodec.h"
#include "pictures/classdata.h"

namespace vistelle {

std::shared_ptr<BitmapGraphic> BitmapGraphic::fromFile(const QByteArray& file)
{
    auto g = std::make_shared<BitmapGraphic>();
    if (file.isEmpty()) return g;
    const BmpFileInfo info = checkBmpFile(file);
    g->m_image = decodeBmpFile(file, info);
    g->m_file = file;
    return g;
}

std::shared_ptr<BitmapGraphic> BitmapGraphic::fromImage(const QImage& image)
{
    auto g = std::make_shared<BitmapGraphic>();
    if (image.isNull()) return g;
    g->m_file = encodeBmpFile(image);
    // Hold what the file holds, so that the picture in memory equals the stored one.
    g->m_image = decodeBmpFile(g->m_file, checkBmpFile(g->m_file));
    return g;
}

QByteArray BitmapGraphic::classData() const { return lengthPrefixed(m_file); }

} // namespace vistelle
