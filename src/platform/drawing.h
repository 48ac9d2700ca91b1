// 2D and vector drawing on 32-bit images, and fonts: cairo image surfaces, pango
// text through pangocairo, font families resolved by fontconfig.
//
// Colours are the program's RGBA values: red in bits 0-7, green in 8-15, blue in
// 16-23 and alpha (0 transparent, 255 opaque) in 24-31, not premultiplied.
#pragma once

#include "engine/image.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

struct _cairo_surface;
struct _cairo;
struct _PangoLayout;
struct _PangoFontDescription;
struct _PangoFontMap;

struct SurfaceDeleter {
    void operator()(_cairo_surface* surface) const;
};
struct ContextDeleter {
    void operator()(_cairo* context) const;
};
struct LayoutDeleter {
    void operator()(_PangoLayout* layout) const;
};
struct FontDescriptionDeleter {
    void operator()(_PangoFontDescription* description) const;
};
struct FontMapDeleter {
    void operator()(_PangoFontMap* map) const;
};

// A 32-bit image with an alpha channel (a cairo image surface).
using Surface = std::unique_ptr<_cairo_surface, SurfaceDeleter>;
// A drawing context on a surface.
using DrawContext = std::unique_ptr<_cairo, ContextDeleter>;
using TextLayout = std::unique_ptr<_PangoLayout, LayoutDeleter>;
using FontDescription = std::unique_ptr<_PangoFontDescription, FontDescriptionDeleter>;
using FontMap = std::unique_ptr<_PangoFontMap, FontMapDeleter>;

// The largest side a surface may have (the renderer's own limit).
inline constexpr int kMaxSurfaceSide = 32767;

inline constexpr uint32_t PackRgba(int r, int g, int b, int a) {
    return static_cast<uint32_t>(r & 0xFF) | static_cast<uint32_t>(g & 0xFF) << 8 |
           static_cast<uint32_t>(b & 0xFF) << 16 | static_cast<uint32_t>(a & 0xFF) << 24;
}
inline constexpr int RedOf(uint32_t rgba) {
    return static_cast<int>(rgba & 0xFF);
}
inline constexpr int GreenOf(uint32_t rgba) {
    return static_cast<int>(rgba >> 8 & 0xFF);
}
inline constexpr int BlueOf(uint32_t rgba) {
    return static_cast<int>(rgba >> 16 & 0xFF);
}
inline constexpr int AlphaOf(uint32_t rgba) {
    return static_cast<int>(rgba >> 24 & 0xFF);
}

// Surfaces. Both give an empty handle when a side is not from 1 to kMaxSurfaceSide
// or the memory is not there.
Surface CreateSurface(int width, int height); // fully transparent
Surface CreateFilledSurface(int width, int height, uint32_t rgba);
int SurfaceWidth(const Surface& surface);
int SurfaceHeight(const Surface& surface);
// The pixel at (x, y) from the top-left corner, straight alpha; 0 outside.
uint32_t SurfacePixel(const Surface& surface, int x, int y);

// Vector drawing. Every fill is antialiased by the renderer.
DrawContext OpenDrawing(const Surface& surface);
// Moves what is drawn next by (dx, dy).
void Translate(const DrawContext& context, double dx, double dy);
// A drawing layer: what is drawn until EndLayer is gathered, then laid over the
// surface with the global alpha (0 to 255).
void BeginLayer(const DrawContext& context);
void EndLayer(const DrawContext& context, int alpha);
void FillBox(const DrawContext& context, double x, double y, double width, double height,
             uint32_t rgba);
// Fills a figure given as path data: "M x y" moves to a point, "m dx dy" moves by an
// offset, "L x y" and "l dx dy" draw lines to a point or by an offset, "Z" closes the
// figure; numbers are decimals separated by spaces. A sign written before a negative
// number negates it ("--5" is 5). False, drawing nothing, for malformed data.
bool FillPath(const DrawContext& context, std::string_view pathData, uint32_t rgba);

// How one surface is drawn onto another: Over blends it over what is there; Copy
// writes all four channels, replacing the destination where the source lies.
enum class DrawMode { Over, Copy };
// Draws source onto target with its top-left corner at (x, y) and the global alpha
// (0 to 255) applied to every source pixel.
bool DrawSurface(const Surface& target, const Surface& source, int x, int y, int alpha,
                 DrawMode mode);
// A per-pixel filter: takes a source pixel and gives the pixel to draw (straight alpha).
using PixelFilter = std::function<uint32_t(uint32_t rgba)>;
// Draws source onto target in Copy mode, each pixel passed through the filter and then
// given the global alpha.
bool DrawSurfaceFiltered(const Surface& target, const Surface& source, int x, int y, int alpha,
                         const PixelFilter& filter);

// Hand-over to and from FreeImage: a 32-bit bitmap with straight alpha. Bitmaps of
// other depths are converted to 32 bits first (opaque unless they carry transparency).
Image SurfaceToImage(const Surface& surface);
Surface ImageToSurface(const Image& image);

// Fonts.
struct FontRequest {
    std::string family;
    int sizePoints = 12; // points at 96 pixels per inch
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeThrough = false;
};

struct Font {
    FontMap map;
    FontDescription description;
    std::string family; // the installed family the name resolved to
    bool underline = false;
    bool strikeThrough = false;
    explicit operator bool() const { return description != nullptr && map != nullptr; }
};

// The font sizes a font is made with; sizes outside are brought to the nearest bound.
inline constexpr int kMinFontPoints = 1;
inline constexpr int kMaxFontPoints = 1000;

// The installed family that fontconfig resolves a name to, when the name is an
// installed family or one of the families its alias rules name for it (Arial gives
// Liberation Sans when that is installed); "" when the name only falls back to the
// default font. Generic names (sans-serif, serif, monospace) resolve to their default.
std::string ResolveFontFamily(const std::string& name);
// An empty Font when the family does not resolve.
Font CreateFont(const FontRequest& request);

// Text drawing: Plain draws every pixel either fully covered or not at all;
// Antialiased is vector text with the renderer's antialiasing.
enum class TextRendering { Plain, Antialiased };

struct TextExtent {
    double width = 0;
    double height = 0;
};
// The logical size of one text in the font (0 x 0 for an empty font). Plain text is
// measured on the pixel grid, in whole pixels.
TextExtent MeasureText(const Font& font, std::string_view text, TextRendering rendering);
// Draws the text with the top-left corner of its logical box at (x, y). Plain text is
// drawn in Copy mode (the font colour's alpha is written as it is); with a background,
// the text's logical box is first filled with it in Copy mode. Antialiased text is
// drawn over what is there.
bool DrawText(const Surface& target, const Font& font, std::string_view text, double x, double y,
              uint32_t rgba, TextRendering rendering, const uint32_t* background = nullptr);
