#include "pictures/builtinpictures.h"

#include "core/error.h"
#include "pictures/jpeggraphic.h"
#include "pictures/tlmdgraphiclist.h"

#include <QBuffer>
#include <QImageReader>
#include <QResource>

#include <array>
#include <map>

#ifdef VISTELLE_HAS_BUILTIN_RESOURCES
static void registerBuiltinResources() { Q_INIT_RESOURCE(builtin); }
#else
static void registerBuiltinResources() {}
#endif

namespace vistelle {

namespace {

constexpr std::array<const char*, 12> kItemNames = {"janpic", "febpic", "marpic", "aprpic", "maypic", "junpic",
                                                    "julpic", "augpic", "seppic", "octpic", "novpic", "decpic"};
constexpr std::array<quint16, 4> kLeft = {514, 542, 570, 595};
constexpr quint16 kTop = 301;

// Each built-in picture is parsed once; all items showing it share it. Its bytes stay
// where the program holds them: only the pages a decoder reads are ever loaded.
GraphicPtr builtinGraphic(const QString& path)
{
    static std::map<QString, GraphicPtr> loaded;
    auto it = loaded.find(path);
    if (it != loaded.end()) return it->second;
    GraphicPtr graphic = std::make_shared<JpegGraphic>(builtinBytes(path));
    loaded.emplace(path, graphic);
    return graphic;
}

QString picturePath(int set, int month)
{
    if (set != 1) return QStringLiteral(":/builtin/placeholder.jpg");
    return QStringLiteral(":/builtin/month%1.jpg").arg(month, 2, 10, QLatin1Char('0'));
}

} // namespace

QByteArray builtinBytes(const QString& path)
{
    initBuiltinPictures();
    const QResource resource(path);
    if (!resource.isValid()) raise(fmt(QStringLiteral("Cannot open file %s"), path));
    if (resource.compressionAlgorithm() != QResource::NoCompression) return resource.uncompressedData();
    // Registered resources stay for the whole run, so the bytes are not copied.
    return QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()), resource.size());
}

QImage builtinPng(const QString& path)
{
    QByteArray bytes;
    try {
        bytes = builtinBytes(path);
    } catch (const Error&) {
        return {};
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // With the format named and no guessing, Qt's own PNG reader is used at once instead
    // of every image plugin being loaded and asked first.
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

void initBuiltinPictures()
{
    static bool done = false;
    if (!done) registerBuiltinResources();
    done = true;
}

void fillBuiltinList(TLMDGraphicList& list, int set)
{
    Q_ASSERT(set >= 1 && set <= 4);
    initBuiltinPictures();
    list.Graphics().clear();
    for (int m = 1; m <= 12; ++m) {
        TLMDGraphicListItem& item = list.Graphics().add();
        item.setName(QString::fromLatin1(kItemNames[size_t(m - 1)]));
        item.setPicture(Picture(builtinGraphic(picturePath(set, m))));
    }
    list.setLeft(kLeft[size_t(set - 1)]);
    list.setTop(kTop);
}

TLMDGraphicList* createBuiltinList(int set, QObject* owner)
{
    auto* list = new TLMDGraphicList(owner);
    list->setObjectName(QStringLiteral("piclist%1").arg(set));
    fillBuiltinList(*list, set);
    return list;
}

} // namespace vistelle
