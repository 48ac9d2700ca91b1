#include "platform/drawing.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

void SurfaceDeleter::operator()(cairo_surface_t* surface) const {
    cairo_surface_destroy(surface);
}
void ContextDeleter::operator()(cairo_t* context) const {
    cairo_destroy(context);
}
void LayoutDeleter::operator()(PangoLayout* layout) const {
    g_object_unref(layout);
}
void FontDescriptionDeleter::operator()(PangoFontDescription* description) const {
    pango_font_description_free(description);
}
void FontMapDeleter::operator()(PangoFontMap* map) const {
    g_object_unref(map);
}

namespace {

// Premultiplied storage of cairo against the straight values of the program,
// rounded as the renderer rounds.
inline uint32_t MulDiv255(uint32_t a, uint32_t b) {
    uint32_t t = a * b + 0x80;
    return ((t >> 8) + t) >> 8;
}

inline uint32_t ToPremultiplied(uint32_t rgba) {
    uint32_t a = static_cast<uint32_t>(AlphaOf(rgba));
    uint32_t r = MulDiv255(static_cast<uint32_t>(RedOf(rgba)), a);
    uint32_t g = MulDiv255(static_cast<uint32_t>(GreenOf(rgba)), a);
    uint32_t b = MulDiv255(static_cast<uint32_t>(BlueOf(rgba)), a);
    return a << 24 | r << 16 | g << 8 | b; // cairo's ARGB32 word
}

inline uint32_t Unpremultiply(uint32_t argb) {
    uint32_t a = argb >> 24;
    if (a == 0) return 0;
    if (a == 255) // opaque: the colour is stored as it is
        return (argb >> 16 & 0xFF) | (argb & 0xFF00) | (argb & 0xFF) << 16 | 0xFF000000u;
    auto channel = [a](uint32_t p) { return std::min<uint32_t>(255, (p * 255 + a / 2) / a); };
    return PackRgba(static_cast<int>(channel(argb >> 16 & 0xFF)),
                    static_cast<int>(channel(argb >> 8 & 0xFF)),
                    static_cast<int>(channel(argb & 0xFF)), static_cast<int>(a));
}

inline uint32_t* Row(cairo_surface_t* surface, int y) {
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    return reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
}

void SetSource(cairo_t* cr, uint32_t rgba) {
    cairo_set_source_rgba(cr, RedOf(rgba) / 255.0, GreenOf(rgba) / 255.0, BlueOf(rgba) / 255.0,
                          AlphaOf(rgba) / 255.0);
}

int ClampAlpha(int alpha) {
    return std::clamp(alpha, 0, 255);
}

// Walks the pixels of source that fall on target at (x, y): fn(targetPixel, sourcePixel).
template <class Fn>
bool ForEachOverlap(const Surface& target, const Surface& source, int x, int y, Fn fn) {
    if (!target || !source) return false;
    cairo_surface_flush(target.get());
    cairo_surface_flush(source.get());
    int tw = SurfaceWidth(target), th = SurfaceHeight(target);
    int sw = SurfaceWidth(source), sh = SurfaceHeight(source);
    int64_t x0 = std::max<int64_t>(0, x), y0 = std::max<int64_t>(0, y);
    int64_t x1 = std::min<int64_t>(tw, int64_t{x} + sw),
            y1 = std::min<int64_t>(th, int64_t{y} + sh);
    for (int64_t ty = y0; ty < y1; ++ty) {
        uint32_t* dst = Row(target.get(), static_cast<int>(ty));
        const uint32_t* src = Row(source.get(), static_cast<int>(ty - y));
        for (int64_t tx = x0; tx < x1; ++tx)
            fn(dst[tx], src[tx - x]);
    }
    cairo_surface_mark_dirty(target.get());
    return true;
}

} // namespace

Surface CreateSurface(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return {};
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return {};
    return surface;
}

Surface CreateFilledSurface(int width, int height, uint32_t rgba) {
    Surface surface = CreateSurface(width, height);
    if (!surface) return {};
    uint32_t word = ToPremultiplied(rgba);
    for (int y = 0; y < height; ++y)
        std::fill_n(Row(surface.get(), y), width, word);
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

int SurfaceWidth(const Surface& surface) {
    return surface ? cairo_image_surface_get_width(surface.get()) : 0;
}

int SurfaceHeight(const Surface& surface) {
    return surface ? cairo_image_surface_get_height(surface.get()) : 0;
}

uint32_t SurfacePixel(const Surface& surface, int x, int y) {
    if (!surface || x < 0 || y < 0 || x >= SurfaceWidth(surface) || y >= SurfaceHeight(surface))
        return 0;
    cairo_surface_flush(surface.get());
    return Unpremultiply(Row(surface.get(), y)[x]);
}

DrawContext OpenDrawing(const Surface& surface) {
    if (!surface) return {};
    DrawContext context(cairo_create(surface.get()));
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) return {};
    return context;
}

void Translate(const DrawContext& context, double dx, double dy) {
    if (context) cairo_translate(context.get(), dx, dy);
}

void BeginLayer(const DrawContext& context) {
    if (context) cairo_push_group(context.get());
}

void EndLayer(const DrawContext& context, int alpha) {
    if (!context) return;
    cairo_pop_group_to_source(context.get());
    cairo_paint_with_alpha(context.get(), ClampAlpha(alpha) / 255.0);
    cairo_set_source_rgba(context.get(), 0, 0, 0, 0);
}

void FillBox(const DrawContext& context, double x, double y, double width, double height,
             uint32_t rgba) {
    if (!context || width <= 0 || height <= 0) return;
    cairo_t* cr = context.get();
    SetSource(cr, rgba);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
}

namespace {

// One number of path data; any signs written before it combine ("--5" is 5).
bool ParsePathNumber(std::string_view token, double& value) {
    bool negative = false;
    size_t i = 0;
    while (i < token.size() && (token[i] == '-' || token[i] == '+')) {
        if (token[i] == '-') negative = !negative;
        ++i;
    }
    if (i == token.size() || i > 2) return false;
    const char* first = token.data() + i;
    const char* last = token.data() + token.size();
    auto [end, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (ec != std::errc() || end != last) return false;
    if (negative) value = -value;
    return true;
}

} // namespace

bool FillPath(const DrawContext& context, std::string_view pathData, uint32_t rgba) {
    if (!context) return false;
    cairo_t* cr = context.get();
    cairo_new_path(cr);
    std::vector<std::string_view> tokens;
    for (size_t pos = 0; pos < pathData.size();) {
        size_t end = pathData.find(' ', pos);
        if (end == std::string_view::npos) end = pathData.size();
        if (end > pos) tokens.push_back(pathData.substr(pos, end - pos));
        pos = end + 1;
    }
    char command = 0;
    bool drew = false;
    for (size_t i = 0; i < tokens.size();) {
        std::string_view t = tokens[i];
        if (t.size() == 1 && std::strchr("MmLlZz", t[0])) {
            command = t[0];
            ++i;
            if (command == 'Z' || command == 'z') {
                if (!cairo_has_current_point(cr)) break;
                cairo_close_path(cr);
                command = 0;
            }
            continue;
        }
        double a = 0, b = 0;
        if (command == 0 || i + 1 >= tokens.size() || !ParsePathNumber(t, a) ||
            !ParsePathNumber(tokens[i + 1], b)) {
            cairo_new_path(cr);
            return false;
        }
        i += 2;
        bool relative = command == 'm' || command == 'l';
        if (relative && !cairo_has_current_point(cr)) {
            if (command == 'l') {
                cairo_new_path(cr);
                return false;
            }
            relative = false; // a leading "m" is absolute, as in SVG
        }
        if (command == 'M' || command == 'm') {
            if (relative)
                cairo_rel_move_to(cr, a, b);
            else
                cairo_move_to(cr, a, b);
            command = command == 'M' ? 'L' : 'l'; // further pairs draw lines
        } else {
            if (!cairo_has_current_point(cr)) {
                cairo_new_path(cr);
                return false;
            }
            if (relative)
                cairo_rel_line_to(cr, a, b);
            else
                cairo_line_to(cr, a, b);
            drew = true;
        }
    }
    if (!drew || cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_new_path(cr);
        return drew;
    }
    SetSource(cr, rgba);
    cairo_fill(cr);
    return true;
}

bool DrawSurface(const Surface& target, const Surface& source, int x, int y, int alpha,
                 DrawMode mode) {
    if (!target || !source) return false;
    alpha = ClampAlpha(alpha);
    if (mode == DrawMode::Copy) {
        uint32_t factor = static_cast<uint32_t>(alpha);
        return ForEachOverlap(target, source, x, y, [factor](uint32_t& dst, uint32_t src) {
            // Scaling a premultiplied pixel scales its alpha and colour alike.
            dst = MulDiv255(src >> 24, factor) << 24 | MulDiv255(src >> 16 & 0xFF, factor) << 16 |
                  MulDiv255(src >> 8 & 0xFF, factor) << 8 | MulDiv255(src & 0xFF, factor);
        });
    }
    DrawContext context = OpenDrawing(target);
    if (!context) return false;
    cairo_set_source_surface(context.get(), source.get(), x, y);
    cairo_paint_with_alpha(context.get(), alpha / 255.0);
    cairo_surface_flush(target.get());
    return cairo_status(context.get()) == CAIRO_STATUS_SUCCESS;
}

bool DrawSurfaceFiltered(const Surface& target, const Surface& source, int x, int y, int alpha,
                         const PixelFilter& filter) {
    if (!filter) return DrawSurface(target, source, x, y, alpha, DrawMode::Copy);
    int factor = ClampAlpha(alpha);
    return ForEachOverlap(target, source, x, y, [&](uint32_t& dst, uint32_t src) {
        uint32_t out = filter(Unpremultiply(src));
        int a = static_cast<int>(
            MulDiv255(static_cast<uint32_t>(AlphaOf(out)), static_cast<uint32_t>(factor)));
        dst = ToPremultiplied(PackRgba(RedOf(out), GreenOf(out), BlueOf(out), a));
    });
}

Image SurfaceToImage(const Surface& surface) {
    if (!surface) return {};
    int width = SurfaceWidth(surface), height = SurfaceHeight(surface);
    Image image(FreeImage_Allocate(width, height, 32, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                   FI_RGBA_BLUE_MASK));
    if (!image) return {};
    cairo_surface_flush(surface.get());
    for (int y = 0; y < height; ++y) {
        const uint32_t* src = Row(surface.get(), y);
        BYTE* dst = FreeImage_GetScanLine(image.get(), height - 1 - y); // bottom-up rows
        for (int x = 0; x < width; ++x, dst += 4) {
            uint32_t rgba = Unpremultiply(src[x]);
            dst[FI_RGBA_RED] = static_cast<BYTE>(RedOf(rgba));
            dst[FI_RGBA_GREEN] = static_cast<BYTE>(GreenOf(rgba));
            dst[FI_RGBA_BLUE] = static_cast<BYTE>(BlueOf(rgba));
            dst[FI_RGBA_ALPHA] = static_cast<BYTE>(AlphaOf(rgba));
        }
    }
    return image;
}

Surface ImageToSurface(const Image& image) {
    if (!image) return {};
    Image converted;
    FIBITMAP* bitmap = image.get();
    if (FreeImage_GetImageType(bitmap) != FIT_BITMAP || FreeImage_GetBPP(bitmap) != 32) {
        converted.Reset(FreeImage_ConvertTo32Bits(bitmap));
        if (!converted) return {};
        bitmap = converted.get();
    }
    int width = static_cast<int>(FreeImage_GetWidth(bitmap));
    int height = static_cast<int>(FreeImage_GetHeight(bitmap));
    Surface surface = CreateSurface(width, height);
    if (!surface) return {};
    for (int y = 0; y < height; ++y) {
        const BYTE* src = FreeImage_GetScanLine(bitmap, height - 1 - y);
        uint32_t* dst = Row(surface.get(), y);
        for (int x = 0; x < width; ++x, src += 4)
            dst[x] = ToPremultiplied(PackRgba(src[FI_RGBA_RED], src[FI_RGBA_GREEN],
                                              src[FI_RGBA_BLUE], src[FI_RGBA_ALPHA]));
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

// Fonts.

namespace {

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

const char* const kGenericFamilies[] = {"sans-serif", "sans",    "serif",   "monospace",
                                        "mono",       "cursive", "fantasy", "system-ui"};

bool IsGenericFamily(const std::string& name) {
    for (const char* generic : kGenericFamilies)
        if (FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(name.c_str()),
                               reinterpret_cast<const FcChar8*>(generic)) == 0)
            return true;
    return false;
}

// The family list that the configuration's rules make of a requested family.
Pattern SubstitutedPattern(const std::string& family) {
    Pattern pattern(FcPatternCreate());
    if (!pattern) return {};
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    return pattern;
}

std::vector<std::string> Families(const FcPattern* pattern) {
    std::vector<std::string> families;
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i)
        families.emplace_back(reinterpret_cast<const char*>(value));
    return families;
}

// The installed family the pattern matches, or "" when the match is none of the
// accepted families (all of them when accepted is empty).
std::string MatchFamily(FcPattern* pattern, const std::vector<std::string>& accepted) {
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    Pattern match(FcFontMatch(nullptr, pattern, &result));
    if (!match) return "";
    for (const std::string& family : Families(match.get())) {
        if (accepted.empty()) return family;
        for (const std::string& name : accepted)
            if (FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(family.c_str()),
                                   reinterpret_cast<const FcChar8*>(name.c_str())) == 0)
                return family;
    }
    return "";
}

} // namespace

std::string ResolveFontFamily(const std::string& name) {
    if (name.empty() || name.find('\0') != std::string::npos) return "";
    if (!FcInit()) return "";
    Pattern pattern = SubstitutedPattern(name);
    if (!pattern) return "";
    if (IsGenericFamily(name)) return MatchFamily(pattern.get(), {});

    // The rules append the default families of a generic family to every name; the
    // families before the first of those are the name and its aliases.
    std::vector<std::string> heads;
    for (const char* generic : {"sans-serif", "serif", "monospace"}) {
        Pattern g = SubstitutedPattern(generic);
        std::vector<std::string> list = g ? Families(g.get()) : std::vector<std::string>{};
        if (!list.empty()) heads.push_back(list.front());
    }
    std::vector<std::string> families = Families(pattern.get());
    std::vector<std::string> accepted;
    for (size_t i = 0; i < families.size(); ++i) {
        if (i > 0 && std::find(heads.begin(), heads.end(), families[i]) != heads.end()) break;
        accepted.push_back(families[i]);
    }
    if (accepted.empty()) accepted.push_back(name);
    return MatchFamily(pattern.get(), accepted);
}

Font CreateFont(const FontRequest& request) {
    Font font;
    font.family = ResolveFontFamily(request.family);
    if (font.family.empty()) return {};
    font.map.reset(pango_cairo_font_map_new());
    font.description.reset(pango_font_description_new());
    if (!font.map || !font.description) return {};
    PangoFontDescription* d = font.description.get();
    pango_font_description_set_family(d, font.family.c_str());
    pango_font_description_set_weight(d, request.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(d, request.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    int points = std::clamp(request.sizePoints, kMinFontPoints, kMaxFontPoints);
    pango_font_description_set_size(d, points * PANGO_SCALE);
    font.underline = request.underline;
    font.strikeThrough = request.strikeThrough;
    return font;
}

namespace {

TextLayout MakeLayout(const Font& font, std::string_view text, TextRendering rendering) {
    if (!font) return {};
    PangoContext* context = pango_font_map_create_context(font.map.get());
    if (!context) return {};
    pango_cairo_context_set_resolution(context, 96.0);
    cairo_font_options_t* options = cairo_font_options_create();
    if (rendering == TextRendering::Plain) {
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    } else {
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        pango_context_set_round_glyph_positions(context, FALSE);
    }
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    TextLayout layout(pango_layout_new(context));
    g_object_unref(context);
    if (!layout) return {};
    pango_layout_set_font_description(layout.get(), font.description.get());
    if (font.underline || font.strikeThrough) {
        PangoAttrList* attributes = pango_attr_list_new();
        if (font.underline)
            pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (font.strikeThrough)
            pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(layout.get(), attributes);
        pango_attr_list_unref(attributes);
    }
    // Text that is not valid UTF-8 is shown with replacement characters.
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    pango_layout_set_text(layout.get(), valid, -1);
    g_free(valid);
    return layout;
}

} // namespace

TextExtent MeasureText(const Font& font, std::string_view text, TextRendering rendering) {
    TextLayout layout = MakeLayout(font, text, rendering);
    if (!layout) return {};
    PangoRectangle logical{};
    if (rendering == TextRendering::Plain) {
        pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
        return {static_cast<double>(logical.width), static_cast<double>(logical.height)};
    }
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    return {static_cast<double>(logical.width) / PANGO_SCALE,
            static_cast<double>(logical.height) / PANGO_SCALE};
}

bool DrawText(const Surface& target, const Font& font, std::string_view text, double x, double y,
              uint32_t rgba, TextRendering rendering, const uint32_t* background) {
    DrawContext context = OpenDrawing(target);
    TextLayout layout = MakeLayout(font, text, rendering);
    if (!context || !layout) return false;
    cairo_t* cr = context.get();
    if (rendering == TextRendering::Plain) {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        if (background) {
            PangoRectangle logical{};
            pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
            SetSource(cr, *background);
            cairo_rectangle(cr, x + logical.x, y + logical.y, logical.width, logical.height);
            cairo_fill(cr);
        }
    }
    SetSource(cr, rgba);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout.get());
    cairo_surface_flush(target.get());
    return cairo_status(cr) == CAIRO_STATUS_SUCCESS;
}
