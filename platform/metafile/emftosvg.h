#pragma once
#include <string>

namespace vistelle::metafile {

// SVG for a checked enhanced metafile; empty on failure.
std::string emfToSvg(const unsigned char* data, std::size_t size);

} // namespace vistelle::metafile
