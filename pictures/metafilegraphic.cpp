#include "pictures/metafilegraphic.h"

#include "core/error.h"
#include "pictures/classdata.h"
#include "pictures/metafilerenderer.h"

#include <QPainter>
#include <QSvgRenderer>

namespace vistelle {

MetafileGraphic::MetafileGraphic(QByteArray data) : m_data(std::move(data))
{
    if (m_data.isEmpty()) return;
    m_info = metafile::check(reinterpret_cast<const unsigned char*>(m_data.constData()), size_t(m_data.size()));
    if (m_info.kind == metafile::Kind::Invalid) throw InvalidGraphicError(QStringLiteral("Metafile is not valid"));
}

// The stored length counts its own four bytes.
QByteArray MetafileGraphic::classData() const { return lengthPrefixed(m_data, 4); }

QImage MetafileGraphic::drawFor(QSize size) const
{
    if (!m_converted) {
        m_svg = MetafileRenderer::toSvg(m_data);
        m_converted = true;
    }
    if (m_svg.isEmpty()) return {};
    QSvgRenderer renderer(m_svg);
    if (!renderer.isValid()) return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

} // namespace vistelle
