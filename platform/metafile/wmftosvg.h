#pragma once
#include <string>

namespace vistelle::metafile {

// SVG for a checked placeable Windows metafile; empty on failure.
std::string wmfToSvg(const unsigned char* data, std::size_t size);

} // namespace vistelle::metafile
