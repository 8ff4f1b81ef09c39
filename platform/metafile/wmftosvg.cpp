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

// The SVG device writes every colour as the nearest SVG colour name, and text without
// escaping its markup characters. Each drawing call is wrapped: after the device has
// written the element, the names in its style attributes are replaced by the exact colours
// of the call (brush for fill, pen for stroke, text colour for text), and text is escaped.
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

// In one style attribute value, the colour name after `property` ("fill:" or "stroke:")
// becomes `exact`; "none" stays.
void setStyleColour(std::string& style, std::string_view property, const std::string& exact)
{
    for (std::size_t at = style.find(property); at != std::string::npos; at = style.find(property, at + 1)) {
        if (at > 0 && style[at - 1] != ' ' && style[at - 1] != ';') continue; // fill-rule: and the like
        const std::size_t start = at + property.size();
        std::size_t end = start;
        while (end < style.size() && isNameChar(style[end])) ++end;
        if (end == start || style.compare(start, end - start, "none") == 0) continue;
        style.replace(start, end - start, exact);
    }
}

// Sets the colour of `property` in every style attribute of `tags`, which holds markup only.
void setColour(std::string& tags, std::string_view property, const wmfRGB& colour)
{
    static constexpr std::string_view Style = "style=\"";
    const std::string exact = hexColour(colour);
    for (std::size_t at = tags.find(Style); at != std::string::npos; at = tags.find(Style, at + 1)) {
        const std::size_t begin = at + Style.size();
        const std::size_t end = tags.find('"', begin);
        if (end == std::string::npos) return;
        std::string style = tags.substr(begin, end - begin);
        setStyleColour(style, property, exact);
        tags.replace(begin, end - begin, style);
    }
}

// The device writes text as it comes; markup characters in it would end the SVG there.
std::string escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

// The end of the start tag that begins at `from`: its '>' outside quoted values.
std::size_t endOfStartTag(const std::string& svg, std::size_t from)
{
    bool quoted = false;
    for (std::size_t i = from; i < svg.size(); ++i) {
        if (svg[i] == '"') quoted = !quoted;
        else if (svg[i] == '>' && !quoted) return i;
    }
    return std::string::npos;
}

void setShapeColours(std::string& tags, const wmfDC* dc)
{
    if (!dc) return;
    if (dc->brush) setColour(tags, "fill:", dc->brush->lbColor);
    if (dc->pen) setColour(tags, "stroke:", dc->pen->lopnColor);
}

template <typename Slot> struct ArgsOf;
template <typename Args> struct ArgsOf<void (*wmfFunctionReference::*)(wmfAPI*, Args*)> {
    using type = Args;
};

// Lines and filled shapes: brush and pen. What the device wrote for the call is markup only.
template <auto Slot>
void drawShape(wmfAPI* api, typename ArgsOf<decltype(Slot)>::type* args)
{
    Session& s = sessionOf(api);
    const std::size_t from = s.svg.size();
    (s.device.*Slot)(api, args);
    std::string tags = s.svg.substr(from);
    setShapeColours(tags, args->dc);
    s.svg.replace(from, std::string::npos, tags);
}

// Text: the text colour in the start tag, and the text itself escaped.
void drawText(wmfAPI* api, wmfDrawText_t* args)
{
    Session& s = sessionOf(api);
    const std::size_t from = s.svg.size();
    s.device.draw_text(api, args);
    static constexpr std::string_view EndTag = "</text>";
    const std::size_t tagEnd = endOfStartTag(s.svg, s.svg.find("<text", from));
    const std::size_t contentEnd = s.svg.rfind(EndTag);
    if (tagEnd == std::string::npos || contentEnd == std::string::npos || contentEnd <= tagEnd) return;
    std::string tag = s.svg.substr(from, tagEnd + 1 - from);
    if (args->dc) setColour(tag, "fill:", args->dc->textcolor);
    const std::string text = escaped(std::string_view(s.svg).substr(tagEnd + 1, contentEnd - tagEnd - 1));
    s.svg.replace(from, contentEnd - from, tag + text);
}

// Pixels and floods carry their own colour.
template <auto Slot>
void drawColoured(wmfAPI* api, typename ArgsOf<decltype(Slot)>::type* args)
{
    Session& s = sessionOf(api);
    const std::size_t from = s.svg.size();
    (s.device.*Slot)(api, args);
    std::string tags = s.svg.substr(from);
    setColour(tags, "fill:", args->color);
    s.svg.replace(from, std::string::npos, tags);
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
