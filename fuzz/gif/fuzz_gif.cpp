// GIF decoding; whatever decodes must encode and decode again to the same frames.
#include "core/error.h"
#include "pictures/gifcodec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vistelle;
    GifData gif;
    try {
        gif = decodeGif(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const Error&) {
        return 0;
    }
    renderGif(gif);
    const GifData back = decodeGif(encodeGif(gif));
    if (back.frames.size() != gif.frames.size()) std::abort();
    for (size_t i = 0; i < gif.frames.size(); ++i)
        if (back.frames[i].pixels != gif.frames[i].pixels) std::abort();
    return 0;
}
