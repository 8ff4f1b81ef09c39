#include "pictures/graphickinds.h"

#include "pictures/bitmapgraphic.h"
#include "pictures/bmpcodec.h"
#include "pictures/icocodec.h"
#include "core/error.h"
#include "pictures/bytereader.h"
#include "pictures/gifgraphic.h"
#include "pictures/icongraphic.h"
#include "pictures/jpeggraphic.h"
#include "pictures/metafilegraphic.h"
#include "pictures/olegraphic.h"

namespace vistelle {

namespace {

QByteArray lengthThenBytes(ByteReader& in)
{
    const quint32 length = in.u32();
    return in.bytes(qsizetype(length));
}

// The stored length counts itself; four or less is an empty metafile.
GraphicPtr readMetafile(ByteReader& in)
{
    const quint32 length = in.u32();
    if (length <= 4) return std::make_shared<MetafileGraphic>(QByteArray());
    return std::make_shared<MetafileGraphic>(in.bytes(qsizetype(length - 4)));
}

} // namespace

GraphicPtr readClassData(const QString& className, ByteReader& in)
{
    if (className == u"TJPEGImage") {
        const quint32 length = in.u32();
        return std::make_shared<JpegGraphic>(in.sharedBytes(qsizetype(length)));
    }
    if (className == u"TBitmap") return BitmapGraphic::fromFile(lengthThenBytes(in));
    if (className == u"TGIFImage") return std::make_shared<GifGraphic>(decodeGif(in.rest()));
    if (className == u"TIcon") return std::make_shared<IconGraphic>(in.rest());
    if (className == u"TMetafile") return readMetafile(in);
    if (className == u"TOleGraphic") return std::make_shared<OleGraphic>();
    return nullptr;
}

QString classNameForExtension(const QString& extension)
{
    const QString ext = extension.toLower();
    if (ext == u"bmp") return QStringLiteral("TBitmap");
    if (ext == u"jpg" || ext == u"jpeg") return QStringLiteral("TJPEGImage");
    if (ext == u"gif") return QStringLiteral("TGIFImage");
    if (ext == u"ico") return QStringLiteral("TIcon");
    if (ext == u"wmf" || ext == u"emf") return QStringLiteral("TMetafile");
    return {};
}

GraphicPtr graphicFromFileBytes(const QString& className, const QByteArray& file)
{
    // An empty file is no picture: each kind rejects it as its decoder would.
    if (file.isEmpty() && className != u"TOleGraphic") {
        if (className == u"TJPEGImage") parseJpegHeader(file);
        if (className == u"TBitmap") checkBmpFile(file);
        if (className == u"TIcon") checkIconFile(file);
        if (className == u"TGIFImage") decodeGif(file);
        throw InvalidGraphicError(QStringLiteral("Metafile is not valid"));
    }
    if (className == u"TJPEGImage") return std::make_shared<JpegGraphic>(file);
    if (className == u"TBitmap") return BitmapGraphic::fromFile(file);
    if (className == u"TGIFImage") return std::make_shared<GifGraphic>(decodeGif(file));
    if (className == u"TIcon") return std::make_shared<IconGraphic>(file);
    if (className == u"TMetafile") return std::make_shared<MetafileGraphic>(file);
    return std::make_shared<OleGraphic>();
}

} // namespace vistelle
