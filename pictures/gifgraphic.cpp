#include "pictures/gifgraphic.h"

namespace vistelle {

QByteArray GifGraphic::classData() const
{
    if (m_encoded.isEmpty()) m_encoded = encodeGif(m_gif);
    return m_encoded;
}

QImage GifGraphic::toBitmap() const { return drawFor({}); }

QImage GifGraphic::drawFor(QSize) const
{
    if (m_rendered.isNull()) m_rendered = renderGif(m_gif);
    return m_rendered;
}

} // namespace vistelle
