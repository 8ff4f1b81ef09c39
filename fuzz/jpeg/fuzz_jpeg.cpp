// JPEG header parsing and the DCT-scaled decode for display.
#include "core/error.h"
#include "pictures/jpegcodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vistelle;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const JpegHeader h = parseJpegHeader(bytes);
        // Keep each run short: decode only what a small view would.
        if (qint64(h.width) * h.height <= qint64(4096) * 4096) decodeJpeg(bytes, QSize(64, 48));
    } catch (const Error&) {
    }
    return 0;
}
