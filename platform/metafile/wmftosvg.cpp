#include "platform/metafile/wmftosvg.h"

#include <libwmf/api.h>
#include <libwmf/svg.h>

#include <cmath>
#include <vector>

namespace vistelle::metafile {

namespace {

struct Api {
    wmfAPI* api = nullptr;
    ~Api() { if (api) wmf_api_destroy(api); }
};

} // namespace

std::string wmfToSvg(const unsigned char* data, std::size_t size)
{
    Api a;
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR;
    if (wmf_api_create(&a.api, flags, &options) != wmf_E_None) return {};
    std::vector<unsigned char> copy(data, data + size); // the library wants a writable buffer
    if (wmf_mem_open(a.api, copy.data(), long(copy.size())) != wmf_E_None) return {};
    wmfD_Rect bbox{};
    if (wmf_scan(a.api, 0, &bbox) != wmf_E_None) return {};
    unsigned int width = 0, height = 0;
    if (wmf_display_size(a.api, &width, &height, 96, 96) != wmf_E_None) return {};
    // The drawing fills width × height, so give them the scanned extent's aspect.
    const double bw = double(bbox.BR.x) - bbox.TL.x;
    const double bh = double(bbox.BR.y) - bbox.TL.y;
    if (bw > 0 && bh > 0 && width > 0)
        height = unsigned(std::lround(double(width) * bh / bw));
    if (width == 0 || height == 0) return {};
    wmf_svg_t* dd = WMF_SVG_GetData(a.api);
    dd->out = wmf_stream_create(a.api, nullptr);
    dd->bbox = bbox;
    dd->width = width;
    dd->height = height;
    const wmf_error_t played = wmf_play(a.api, 0, &bbox);
    char* buffer = nullptr;
    unsigned long length = 0;
    wmf_stream_destroy(a.api, dd->out, &buffer, &length);
    if (played != wmf_E_None || !buffer) return {};
    // The buffer belongs to the library and goes with the API object: copy it first.
    return std::string(buffer, length);
}

} // namespace vistelle::metafile
