#include "pictures/jpegcodec.h"

#include "core/error.h"
#include "pictures/graphic.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace vistelle {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: jump back
// to the setjmp in the function that drives the decompressor. Those functions hold no
// C++ object with a destructor, so the jump skips nothing.
struct JumpError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

extern "C" void jumpOnError(j_common_ptr c)
{
    std::longjmp(reinterpret_cast<JumpError*>(c->err)->jump, 1);
}

extern "C" void stayQuiet(j_common_ptr) {}

// Bigger images than this are refused by the library's memory manager before allocation.
constexpr long kLibraryMemoryLimit = 512L * 1024 * 1024;

void setUp(jpeg_decompress_struct& ci, JumpError& je)
{
    ci.err = jpeg_std_error(&je.pub);
    je.pub.error_exit = jumpOnError;
    je.pub.output_message = stayQuiet;
}

int readHeader(const QByteArray& data, JpegHeader* out)
{
    jpeg_decompress_struct ci;
    JumpError je;
    setUp(ci, je);
    if (setjmp(je.jump)) {
        const int code = je.pub.msg_code;
        jpeg_destroy_decompress(&ci);
        return code;
    }
    jpeg_create_decompress(&ci);
    ci.mem->max_memory_to_use = kLibraryMemoryLimit;
    jpeg_mem_src(&ci, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&ci, TRUE);
    out->width = int(ci.image_width);
    out->height = int(ci.image_height);
    out->components = ci.num_components;
    out->progressive = ci.progressive_mode != 0;
    jpeg_destroy_decompress(&ci);
    return 0;
}

int scaleFor(jpeg_decompress_struct& ci, QSize cover)
{
    if (cover.isEmpty()) return 8;
    for (int n = 1; n < 8; ++n) {
        ci.scale_num = unsigned(n);
        ci.scale_denom = 8;
        jpeg_calc_output_dimensions(&ci);
        if (int(ci.output_width) >= cover.width() && int(ci.output_height) >= cover.height()) return n;
    }
    return 8;
}

// Allocation happens in its own frame, away from the setjmp.
bool allocate(QImage* image, unsigned width, unsigned height)
{
    if (qint64(width) * height > kMaxDecodedPixels || width == 0 || height == 0) return false;
    *image = QImage(int(width), int(height), QImage::Format_RGB32);
    return !image->isNull();
}

unsigned char* rowOf(QImage* image, unsigned row) { return image->scanLine(int(row)); }

struct DecodeResult {
    int code = 0;
    bool cmyk = false;
    bool adobeInverted = false;
};

int decodeInto(const QByteArray& data, QSize cover, QImage* image, DecodeResult* result)
{
    jpeg_decompress_struct ci;
    JumpError je;
    setUp(ci, je);
    if (setjmp(je.jump)) {
        const int code = je.pub.msg_code;
        jpeg_destroy_decompress(&ci);
        return code;
    }
    jpeg_create_decompress(&ci);
    ci.mem->max_memory_to_use = kLibraryMemoryLimit;
    jpeg_mem_src(&ci, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&ci, TRUE);
    result->cmyk = ci.jpeg_color_space == JCS_CMYK || ci.jpeg_color_space == JCS_YCCK;
    result->adobeInverted = ci.saw_Adobe_marker != 0;
    ci.out_color_space = result->cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    const int n = scaleFor(ci, cover);
    ci.scale_num = unsigned(n);
    ci.scale_denom = 8;
    jpeg_start_decompress(&ci);
    if (!allocate(image, ci.output_width, ci.output_height)) {
        jpeg_destroy_decompress(&ci);
        return -1;
    }
    while (ci.output_scanline < ci.output_height) {
        JSAMPROW row = rowOf(image, ci.output_scanline);
        jpeg_read_scanlines(&ci, &row, 1);
    }
    jpeg_finish_decompress(&ci);
    jpeg_destroy_decompress(&ci);
    return 0;
}

// Rows were filled with C, M, Y, K bytes; turn them into RGB in place.
void cmykToRgb(QImage& image, bool inverted)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* px = reinterpret_cast<unsigned char*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x, px += 4) {
            int c = px[0], m = px[1], ye = px[2], k = px[3];
            if (!inverted) { c = 255 - c; m = 255 - m; ye = 255 - ye; k = 255 - k; }
            const QRgb rgb = qRgb(c * k / 255, m * k / 255, ye * k / 255);
            *reinterpret_cast<QRgb*>(px) = rgb;
        }
    }
}

} // namespace

JpegHeader parseJpegHeader(const QByteArray& data)
{
    JpegHeader header;
    const int code = readHeader(data, &header);
    if (code != 0) throw InvalidGraphicError(fmt(QStringLiteral("JPEG error #%d"), code));
    return header;
}

QImage decodeJpeg(const QByteArray& data, QSize cover, int* errorCode)
{
    QImage image;
    DecodeResult result;
    const int code = decodeInto(data, cover, &image, &result);
    if (errorCode) *errorCode = code;
    if (code != 0) return {};
    if (result.cmyk) cmykToRgb(image, result.adobeInverted);
    return image;
}

} // namespace vistelle
