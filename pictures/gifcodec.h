#pragma once
// GIF data streams through giflib: decoded in full into the structure below, and written
// out again from it (the set files store the re-encoded stream, not the file's bytes).

#include <QByteArray>
#include <QImage>

#include <optional>
#include <vector>

namespace vistelle {

struct GifColorTable {
    int bitsPerPixel = 1;
    bool sorted = false;
    QByteArray rgb; // 3 bytes per entry, 2^bitsPerPixel entries
};

// An extension: its function code and its data sub-blocks (possibly none).
struct GifExtension {
    int function = 0;
    std::vector<QByteArray> blocks;
};

struct GifFrame {
    std::vector<GifExtension> extensions; // those standing before the image
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::optional<GifColorTable> colors;
    QByteArray pixels; // width × height colour indices, rows top to bottom
};

struct GifData {
    bool version89a = true;
    int width = 0;
    int height = 0;
    int colorResolution = 8;
    int background = 0;
    int aspect = 0;
    std::optional<GifColorTable> colors;
    std::vector<GifFrame> frames;
    std::vector<GifExtension> trailing; // after the last image
};

// Decodes from the start of `data` up to the trailer; what follows it is ignored.
// Fails with "Invalid GIF signature", "Unsupported GIF version", "Invalid GIF data", or
// "Stream read error" when the data ends before the stream does.
GifData decodeGif(const QByteArray& data);

// A complete GIF data stream that decodes back to the same structure.
QByteArray encodeGif(const GifData& gif);

// The first frame drawn on a transparent canvas of the logical screen's size.
QImage renderGif(const GifData& gif);

} // namespace vistelle
