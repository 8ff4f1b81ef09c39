#include "pictures/graphic.h"

#include "core/error.h"

namespace vistelle {

namespace {
constexpr std::size_t kCacheSizes = 2;
}

QImage Graphic::toBitmap() const
{
    raise(fmt(QStringLiteral("Cannot assign a %s to a %s"), className(), QStringLiteral("TBitmap")));
}

QImage Graphic::scaledTo(QSize size) const
{
    if (size.isEmpty() || isEmpty()) return {};
    for (const auto& entry : m_cache) {
        if (entry.size == size) return entry.image;
    }
    QImage image = drawFor(size);
    if (!image.isNull() && image.size() != size && !drawsExactSize())
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (m_cache.size() >= kCacheSizes) m_cache.erase(m_cache.begin());
    m_cache.push_back({size, image});
    return image;
}

void Graphic::clearCache() const { m_cache.clear(); }

} // namespace vistelle
