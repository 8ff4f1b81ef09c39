#include "platform/metafile/emftosvg.h"

#include <cstdlib>
#include <vector>

extern "C" {
#include <emf2svg.h>
}

namespace vistelle::metafile {

std::string emfToSvg(const unsigned char* data, std::size_t size)
{
    generatorOptions options{};
    options.nameSpace = nullptr; // a namespace prefix leaks on every call
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    options.imgWidth = 0;
    options.imgHeight = 0;
    std::vector<char> copy(data, data + size);
    char* out = nullptr;
    size_t length = 0;
    const int ok = emf2svg(copy.data(), copy.size(), &out, &length, &options);
    std::string svg;
    if (ok && out) svg.assign(out, length);
    std::free(out);
    return svg;
}

} // namespace vistelle::metafile
