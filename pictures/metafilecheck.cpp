#include "pictures/metafilecheck.h"

namespace vistelle::metafile {

namespace {

constexpr std::uint32_t kEmrHeader = 1;
constexpr std::uint32_t kEmrEof = 14;
constexpr std::size_t kEmfMinHeader = 88;
constexpr std::size_t kWmfHeaderSize = 18;
constexpr std::uint16_t kMetaEof = 0;

std::uint16_t u16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::int16_t i16(const unsigned char* p) { return std::int16_t(u16(p)); }
std::uint32_t u32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::int32_t i32(const unsigned char* p) { return std::int32_t(u32(p)); }

int clampPixels(long long v)
{
    if (v < 0) v = -v;
    return v > 1000000 ? 1000000 : int(v);
}

// Records of a Windows metafile: 32-bit size in 16-bit words, 16-bit function.
bool wmfRecordsOk(const unsigned char* data, std::size_t size)
{
    if (size < kWmfHeaderSize) return false;
    const std::uint16_t type = u16(data);
    const std::uint16_t headerWords = u16(data + 2);
    const std::uint16_t version = u16(data + 4);
    const std::uint32_t maxRecord = u32(data + 12);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x100 && version != 0x300)) return false;
    if (std::uint64_t(maxRecord) * 2 > size) return false;
    std::size_t pos = kWmfHeaderSize;
    while (pos + 6 <= size) {
        const std::uint64_t bytes = std::uint64_t(u32(data + pos)) * 2;
        const std::uint16_t function = u16(data + pos + 4);
        if (bytes < 6 || bytes > size - pos || bytes > std::uint64_t(maxRecord) * 2) return false;
        if (function == kMetaEof) return true;
        pos += std::size_t(bytes);
    }
    return false;
}

Info checkPlaceable(const unsigned char* data, std::size_t size)
{
    if (size < kPlaceableHeaderSize || u32(data) != kPlaceableKey) return {};
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 10; ++i) sum ^= u16(data + 2 * i);
    if (sum != u16(data + 20)) return {};
    if (!wmfRecordsOk(data + kPlaceableHeaderSize, size - kPlaceableHeaderSize)) return {};
    const long long w = (long long)i16(data + 10) - i16(data + 6);
    const long long h = (long long)i16(data + 12) - i16(data + 8);
    const long long inch = u16(data + 14);
    Info info{Kind::Wmf, 0, 0};
    info.width = clampPixels(inch ? w * 96 / inch : w);
    info.height = clampPixels(inch ? h * 96 / inch : h);
    return info;
}

// The description text and the pixel format descriptor must lie inside the header
// record; converters read them unchecked.
bool headerPartsInside(const unsigned char* data, std::uint32_t headerSize)
{
    const std::uint64_t chars = u32(data + 60), textAt = u32(data + 64);
    if ((chars != 0 || textAt != 0) && (textAt < kEmfMinHeader || textAt + chars * 2 > headerSize)) return false;
    if (headerSize < 100) return true;
    const std::uint64_t formatSize = u32(data + 88), formatAt = u32(data + 92);
    return formatSize == 0 || (formatAt >= kEmfMinHeader && formatAt + formatSize <= headerSize);
}

Info checkEnhanced(const unsigned char* data, std::size_t size)
{
    const std::uint32_t headerSize = u32(data + 4);
    const std::uint32_t total = u32(data + 48);
    if (headerSize < kEmfMinHeader || headerSize % 4 != 0 || headerSize > size) return {};
    if (total > size || total < headerSize) return {};
    if (!headerPartsInside(data, headerSize)) return {};
    std::size_t pos = 0;
    bool ended = false;
    while (pos + 8 <= total) {
        const std::uint32_t type = u32(data + pos);
        const std::uint32_t bytes = u32(data + pos + 4);
        if (bytes < 8 || bytes % 4 != 0 || bytes > total - pos) return {};
        if (pos == 0 && type != kEmrHeader) return {};
        pos += bytes;
        if (type == kEmrEof) { ended = true; break; }
    }
    if (!ended) return {};
    // rclFrame, in hundredths of a millimetre, gives the picture's size.
    const long long w = (long long)i32(data + 32) - i32(data + 24);
    const long long h = (long long)i32(data + 36) - i32(data + 28);
    return {Kind::Emf, clampPixels(w * 96 / 2540), clampPixels(h * 96 / 2540)};
}

} // namespace

bool looksEnhanced(const unsigned char* data, std::size_t size)
{
    return size > 100 && u32(data) == kEmrHeader && u32(data + 40) == kEmfSignature;
}

Info check(const unsigned char* data, std::size_t size)
{
    if (looksEnhanced(data, size)) return checkEnhanced(data, size);
    return checkPlaceable(data, size);
}

} // namespace vistelle::metafile
