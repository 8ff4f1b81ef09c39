#include "pictures/gifcodec.h"

#include "core/error.h"
#include "pictures/graphic.h"

#include <gif_lib.h>

#include <cstring>
#include <memory>

namespace vistelle {

namespace {

constexpr int kGraphicControl = 0xF9;
// An LZW code yields at most 4096 pixels and takes at least a byte's worth of bits on
// average, so a frame that claims more pixels than this per remaining byte is corrupt.
constexpr qint64 kMaxPixelsPerByte = 4096;

// ---- reading ----

struct Source {
    const QByteArray* data;
    qsizetype pos = 0;
};

extern "C" int readFromMemory(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* src = static_cast<Source*>(gif->UserData);
    const qsizetype left = src->data->size() - src->pos;
    const int n = int(qMin<qsizetype>(left, length));
    if (n > 0) std::memcpy(buffer, src->data->constData() + src->pos, size_t(n));
    src->pos += n;
    return n;
}

struct CloseReader {
    void operator()(GifFileType* gif) const { int err = 0; DGifCloseFile(gif, &err); }
};
using ReaderPtr = std::unique_ptr<GifFileType, CloseReader>;

[[noreturn]] void fail(int code)
{
    if (code == D_GIF_ERR_READ_FAILED || code == D_GIF_ERR_NO_SCRN_DSCR || code == D_GIF_ERR_EOF_TOO_SOON)
        raise(QStringLiteral("Stream read error"));
    if (code == D_GIF_ERR_NOT_GIF_FILE) throw InvalidGraphicError(QStringLiteral("Invalid GIF signature"));
    throw InvalidGraphicError(QStringLiteral("Invalid GIF data"));
}

void check(GifFileType* gif, int result)
{
    if (result != GIF_OK) fail(gif->Error);
}

void checkSignature(const QByteArray& data)
{
    if (data.size() < 3) raise(QStringLiteral("Stream read error"));
    if (!data.startsWith("GIF")) throw InvalidGraphicError(QStringLiteral("Invalid GIF signature"));
    if (data.size() < 6) raise(QStringLiteral("Stream read error"));
    const QByteArray version = data.mid(3, 3);
    if (version != "87a" && version != "89a") throw InvalidGraphicError(QStringLiteral("Unsupported GIF version"));
}

std::optional<GifColorTable> tableOf(const ColorMapObject* map)
{
    if (!map) return std::nullopt;
    GifColorTable table;
    table.bitsPerPixel = map->BitsPerPixel;
    table.sorted = map->SortFlag;
    table.rgb.resize(qsizetype(map->ColorCount) * 3);
    for (int i = 0; i < map->ColorCount; ++i) {
        table.rgb[3 * i] = char(map->Colors[i].Red);
        table.rgb[3 * i + 1] = char(map->Colors[i].Green);
        table.rgb[3 * i + 2] = char(map->Colors[i].Blue);
    }
    return table;
}

GifExtension readExtension(GifFileType* gif)
{
    GifExtension ext;
    GifByteType* block = nullptr;
    check(gif, DGifGetExtension(gif, &ext.function, &block));
    while (block) {
        ext.blocks.emplace_back(reinterpret_cast<const char*>(block + 1), block[0]);
        check(gif, DGifGetExtensionNext(gif, &block));
    }
    return ext;
}

// Rows of an interlaced frame arrive in four passes: every 8th row from 0, every 8th
// from 4, every 4th from 2, every 2nd from 1.
std::vector<int> rowOrder(int height, bool interlaced)
{
    std::vector<int> order;
    order.reserve(size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) order.push_back(y);
        return order;
    }
    static constexpr int start[] = {0, 4, 2, 1};
    static constexpr int step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass]) order.push_back(y);
    return order;
}

void skipImageData(GifFileType* gif)
{
    int codeSize = 0;
    GifByteType* block = nullptr;
    check(gif, DGifGetCode(gif, &codeSize, &block));
    while (block) check(gif, DGifGetCodeNext(gif, &block));
}

// Reads one image; zero-sized frames draw nothing and are dropped.
void readFrame(GifFileType* gif, const Source& src, GifData& out, std::vector<GifExtension>& pending,
               qint64& pixelBudget)
{
    check(gif, DGifGetImageDesc(gif));
    const GifImageDesc& desc = gif->Image;
    const qint64 pixels = qint64(desc.Width) * desc.Height;
    if (pixels == 0) {
        skipImageData(gif);
        return;
    }
    const qint64 left = src.data->size() - src.pos;
    if (pixels > left * kMaxPixelsPerByte || pixels > pixelBudget) fail(D_GIF_ERR_DATA_TOO_BIG);
    pixelBudget -= pixels;
    GifFrame frame;
    frame.extensions = std::move(pending);
    pending.clear();
    frame.left = desc.Left;
    frame.top = desc.Top;
    frame.width = desc.Width;
    frame.height = desc.Height;
    frame.interlaced = desc.Interlace;
    frame.colors = tableOf(desc.ColorMap);
    const std::optional<GifColorTable>& table = frame.colors ? frame.colors : out.colors;
    if (!table) fail(D_GIF_ERR_NO_COLOR_MAP);
    frame.pixels.resize(pixels);
    auto* base = reinterpret_cast<GifPixelType*>(frame.pixels.data());
    for (int y : rowOrder(frame.height, frame.interlaced))
        check(gif, DGifGetLine(gif, base + qint64(y) * frame.width, frame.width));
    // The writer keeps only the bits its colour table has; keep the same here, so that
    // a stored and re-read picture equals the one in memory.
    const int mask = (1 << qMax(2, table->bitsPerPixel)) - 1;
    for (qint64 i = 0; i < pixels; ++i) base[i] &= GifPixelType(mask);
    out.frames.push_back(std::move(frame));
}

// ---- writing ----

struct Sink {
    QByteArray out;
};

extern "C" int writeToMemory(GifFileType* gif, const GifByteType* buffer, int length)
{
    static_cast<Sink*>(gif->UserData)->out.append(reinterpret_cast<const char*>(buffer), length);
    return length;
}

struct FreeMap {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using MapPtr = std::unique_ptr<ColorMapObject, FreeMap>;

MapPtr mapOf(const std::optional<GifColorTable>& table)
{
    if (!table) return nullptr;
    const int count = int(table->rgb.size() / 3);
    std::vector<GifColorType> colors(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        colors[size_t(i)].Red = GifByteType(table->rgb[3 * i]);
        colors[size_t(i)].Green = GifByteType(table->rgb[3 * i + 1]);
        colors[size_t(i)].Blue = GifByteType(table->rgb[3 * i + 2]);
    }
    MapPtr map(GifMakeMapObject(count, colors.data()));
    if (map) map->SortFlag = table->sorted;
    return map;
}

void put(GifFileType* gif, int result)
{
    if (result != GIF_OK) raise(QStringLiteral("Invalid GIF data"));
}

void writeExtensions(GifFileType* gif, const std::vector<GifExtension>& extensions)
{
    for (const auto& ext : extensions) {
        put(gif, EGifPutExtensionLeader(gif, ext.function));
        for (const auto& block : ext.blocks)
            put(gif, EGifPutExtensionBlock(gif, int(block.size()), block.constData()));
        put(gif, EGifPutExtensionTrailer(gif));
    }
}

void writeFrame(GifFileType* gif, const GifFrame& frame)
{
    writeExtensions(gif, frame.extensions);
    MapPtr local = mapOf(frame.colors);
    if (!local) {
        // giflib keeps the previous frame's local map otherwise, and leaks it.
        GifFreeMapObject(gif->Image.ColorMap);
        gif->Image.ColorMap = nullptr;
    }
    put(gif, EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced,
                              local.get()));
    // EGifPutLine masks the line in place, so it gets a copy of each row.
    std::vector<GifPixelType> row(size_t(frame.width));
    const auto* base = reinterpret_cast<const GifPixelType*>(frame.pixels.constData());
    for (int y : rowOrder(frame.height, frame.interlaced)) {
        std::memcpy(row.data(), base + qint64(y) * frame.width, row.size());
        put(gif, EGifPutLine(gif, row.data(), frame.width));
    }
}

} // namespace

GifData decodeGif(const QByteArray& data)
{
    checkSignature(data);
    Source src{&data};
    int error = 0;
    ReaderPtr gif(DGifOpen(&src, readFromMemory, &error));
    if (!gif) fail(error);
    GifData out;
    out.version89a = data.mid(3, 3) == "89a";
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    out.colorResolution = gif->SColorResolution;
    out.background = gif->SBackGroundColor;
    out.aspect = gif->AspectByte;
    out.colors = tableOf(gif->SColorMap);
    std::vector<GifExtension> pending;
    qint64 pixelBudget = kMaxDecodedPixels;
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    do {
        check(gif.get(), DGifGetRecordType(gif.get(), &type));
        if (type == IMAGE_DESC_RECORD_TYPE) readFrame(gif.get(), src, out, pending, pixelBudget);
        else if (type == EXTENSION_RECORD_TYPE) pending.push_back(readExtension(gif.get()));
    } while (type != TERMINATE_RECORD_TYPE);
    out.trailing = std::move(pending);
    return out;
}

QByteArray encodeGif(const GifData& gif)
{
    Sink sink;
    int error = 0;
    GifFileType* raw = EGifOpen(&sink, writeToMemory, &error);
    if (!raw) raise(QStringLiteral("Invalid GIF data"));
    struct Closer {
        GifFileType* g;
        ~Closer() { if (g) { int e = 0; EGifCloseFile(g, &e); } }
    } closer{raw};
    EGifSetGifVersion(raw, gif.version89a);
    raw->AspectByte = GifByteType(gif.aspect);
    MapPtr global = mapOf(gif.colors);
    put(raw, EGifPutScreenDesc(raw, gif.width, gif.height, gif.colorResolution, gif.background, global.get()));
    for (const auto& frame : gif.frames) writeFrame(raw, frame);
    writeExtensions(raw, gif.trailing);
    int closeError = 0;
    closer.g = nullptr;
    if (EGifCloseFile(raw, &closeError) != GIF_OK) raise(QStringLiteral("Invalid GIF data"));
    return sink.out;
}

namespace {

int transparentIndex(const GifFrame& frame)
{
    for (const auto& ext : frame.extensions) {
        if (ext.function != kGraphicControl || ext.blocks.empty() || ext.blocks[0].size() < 4) continue;
        const QByteArray& b = ext.blocks[0];
        if (b[0] & 0x01) return quint8(b[3]);
    }
    return -1;
}

} // namespace

QImage renderGif(const GifData& gif)
{
    if (gif.width <= 0 || gif.height <= 0 || qint64(gif.width) * gif.height > kMaxDecodedPixels) return {};
    QImage canvas(gif.width, gif.height, QImage::Format_ARGB32);
    if (canvas.isNull()) return {};
    canvas.fill(Qt::transparent);
    if (gif.frames.empty()) return canvas;
    const GifFrame& frame = gif.frames.front();
    const GifColorTable* table = frame.colors ? &*frame.colors : (gif.colors ? &*gif.colors : nullptr);
    const int transparent = transparentIndex(frame);
    const int entries = table ? int(table->rgb.size() / 3) : 0;
    for (int y = 0; y < frame.height; ++y) {
        const int cy = frame.top + y;
        if (cy >= gif.height) break;
        auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(cy));
        const auto* src = reinterpret_cast<const quint8*>(frame.pixels.constData()) + qint64(y) * frame.width;
        for (int x = 0; x < frame.width; ++x) {
            const int cx = frame.left + x;
            if (cx >= gif.width) break;
            const int index = src[x];
            if (index == transparent) continue;
            if (index < entries) {
                const auto* c = reinterpret_cast<const quint8*>(table->rgb.constData()) + 3 * index;
                line[cx] = qRgb(c[0], c[1], c[2]);
            } else {
                line[cx] = qRgb(0, 0, 0);
            }
        }
    }
    return canvas;
}

} // namespace vistelle
