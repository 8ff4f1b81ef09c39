#include "platform/metafile/wmftosvg.h"

#include <libwmf/api.h>
#include <libwmf/ipa.h>
#include <libwmf/svg.h>

#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

namespace vistelle::metafile {

namespace {

struct Api {
    wmfAPI* api = nullptr;
    ~Api() { if (api) wmf_api_destroy(api); }
};

// The SVG device writes every colour as the nearest SVG colour name. Each drawing call is
// wrapped: after the device has written the element, the names it used are replaced by
// the exact colours of the call (brush for fill, pen for stroke, text colour for text).
struct Session {
    wmfFunctionReference device{};
    std::string svg;
};

Session& sessionOf(wmfAPI* api) { return *static_cast<Session*>(api->user_data); }

int putText(char* text, void* context)
{
    static_cast<Session*>(context)->svg += text;
    return 0;
}

int resetText(void* context)
{
    static_cast<Session*>(context)->svg.clear();
    return 0;
}

std::string hexColour(const wmfRGB& c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

bool isNameChar(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Replaces the colour name after every `property` (such as "fill:") written since `from`;
// "none" stays.
void setColour(std::string& svg, std::size_t from, std::string_view property, const wmfRGB& colour)
{
    const std::string exact = hexColour(colour);
    for (std::size_t at = svg.find(property, from); at != std::string::npos; at = svg.find(property, at + 1)) {
        if (at > 0 && (isNameChar(svg[at - 1]) || svg[at - 1] == '-')) continue;
        const std::size_t start = at + property.size();
        std::size_t end = start;
        while (end < svg.size() && isNameChar(svg[end])) ++end;
        if (end == start || svg.compare(start, end - start, "none") == 0) continue;
        svg.replace(start, end - start, exact);
    }
}

void setShapeColours(Session& s, std::size_t from, const wmfDC* dc)
{
    if (!dc) return;
    if (dc->brush) setColour(s.svg, from, "fill:", dc->brush->lbColor);
    if (dc->pen) setColour(s.svg, from, "stroke:", dc->pen->lopnColor);
}

template <typename Slot> struct ArgsOf;
template <typename Args> struct ArgsOf<void (*wmfFunctionReference::*)(wmfAPI*, Args*)> {
    using type = Args;
};

// Lines and filled shapes: brush and pen.
template <auto Slot>
void drawShape(wmfAPI* api, typename ArgsOf<decltype(Slot)>::type* args)
{
    Session& s = sessionOf(api);
    const std::size_t from = s.svg.size();
    (s.device.*Slot)(api, args);
    setShapeColours(s, from, args->dc);
}

void drawText(wmfAPI* api, wmfDrawText_t* args)
{
    Session& s = sessionOf(api);
    const std::size_t from = s.svg.size();
    s.device.draw_text(api, args);
    if (args->dc) setColour(s.svg, from, "fill:", args->dc->textcolor);
}

// Pixels and floods carry their own colour.
template <auto Slot>
void drawColoured(wmfAPI* api, typename ArgsOf<decltype(Slot)>::type* args)
{
    Session& s = sessionOf(api);
    const std::size_t from = s.svg.size();
    (s.device.*Slot)(api, args);
    setColour(s.svg, from, "fill:", args->color);
}

template <auto Slot, typename Wrapper>
void wrap(wmfFunctionReference& table, Wrapper wrapper)
{
    if (table.*Slot) table.*Slot = wrapper;
}

void drawExactColours(wmfAPI* api, Session& session)
{
    auto& table = *static_cast<wmfFunctionReference*>(api->function_reference);
    session.device = table;
    api->user_data = &session;
    using F = wmfFunctionReference;
    wrap<&F::draw_pie>(table, drawShape<&F::draw_pie>);
    wrap<&F::draw_chord>(table, drawShape<&F::draw_chord>);
    wrap<&F::draw_arc>(table, drawShape<&F::draw_arc>);
    wrap<&F::draw_ellipse>(table, drawShape<&F::draw_ellipse>);
    wrap<&F::draw_line>(table, drawShape<&F::draw_line>);
    wrap<&F::poly_line>(table, drawShape<&F::poly_line>);
    wrap<&F::draw_polygon>(table, drawShape<&F::draw_polygon>);
    wrap<&F::draw_polypolygon>(table, drawShape<&F::draw_polypolygon>);
    wrap<&F::draw_rectangle>(table, drawShape<&F::draw_rectangle>);
    wrap<&F::region_frame>(table, drawShape<&F::region_frame>);
    wrap<&F::region_paint>(table, drawShape<&F::region_paint>);
    wrap<&F::draw_text>(table, drawText);
    wrap<&F::draw_pixel>(table, drawColoured<&F::draw_pixel>);
    wrap<&F::flood_interior>(table, drawColoured<&F::flood_interior>);
    wrap<&F::flood_exterior>(table, drawColoured<&F::flood_exterior>);
}

} // namespace

std::string wmfToSvg(const unsigned char* data, std::size_t size)
{
    // The output outlives the library's state, which goes first.
    Session session;
    wmfStream out{&session, putText, resetText};
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
    drawExactColours(a.api, session);
    wmf_svg_t* dd = WMF_SVG_GetData(a.api);
    dd->out = &out;
    dd->bbox = bbox;
    dd->width = width;
    dd->height = height;
    if (wmf_play(a.api, 0, &bbox) != wmf_E_None) return {};
    return std::move(session.svg);
}

} // namespace vistelle::metafile
