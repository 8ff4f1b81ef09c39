#pragma once
// One graphic of one of the six picture kinds. A graphic never changes once made, so
// pictures share it freely: copying a picture copies a pointer, and a copy can never
// change with its original. Only the cache of drawn images changes, invisibly.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <vector>

namespace vistelle {

// The most pixels any decoder hands out at once (256 MB of 32-bit pixels).
inline constexpr qint64 kMaxDecodedPixels = qint64(64) * 1024 * 1024;

class Graphic {
public:
    virtual ~Graphic() = default;

    virtual QString className() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual bool isEmpty() const = 0;

    // The class's own data as a set file stores it after the class name.
    virtual QByteArray classData() const = 0;

    // The graphic at its own pixel size, for dragging out. Kinds without a bitmap form
    // fail with "Cannot assign a <class> to a TBitmap".
    virtual QImage toBitmap() const;

    // The graphic drawn at exactly the given size, smooth-scaled; a null image when it
    // cannot be drawn. The last few sizes asked for are kept.
    QImage scaledTo(QSize size) const;
    void clearCache() const;

protected:
    // An image of the whole graphic at least as large as the size asked for, when the
    // kind can make one cheaply (a scaled JPEG decode); its own pixels otherwise.
    virtual QImage drawFor(QSize size) const = 0;
    // Kinds that draw vector data at the exact size say so.
    virtual bool drawsExactSize() const { return false; }

private:
    struct CacheEntry { QSize size; QImage image; };
    mutable std::vector<CacheEntry> m_cache;
};

using GraphicPtr = std::shared_ptr<const Graphic>;

} // namespace vistelle
