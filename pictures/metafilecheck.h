#pragma once
// Checks of the two metafile forms, made before any metafile library sees the data:
// a placeable Windows metafile (key, header checksum, header fields, every record inside
// the data, the chain ending in its end record) or an enhanced metafile (header record,
// signature, every record inside the data, the chain ending in its end record).
// Plain C++ so that the conversion helper program can make the same checks.

#include <cstddef>
#include <cstdint>

namespace vistelle::metafile {

enum class Kind { Invalid, Wmf, Emf };

inline constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
inline constexpr std::size_t kPlaceableHeaderSize = 22;
inline constexpr std::uint32_t kEmfSignature = 0x464D4520u; // " EMF"

struct Info {
    Kind kind = Kind::Invalid;
    int width = 0;  // pixels at 96 dots per inch
    int height = 0;
};

// True when the data starts like an enhanced metafile: more than 100 bytes, a first
// record of type 1 and the signature at byte 40.
bool looksEnhanced(const unsigned char* data, std::size_t size);

// The kind and size of valid data; Kind::Invalid for anything else.
Info check(const unsigned char* data, std::size_t size);

} // namespace vistelle::metafile
