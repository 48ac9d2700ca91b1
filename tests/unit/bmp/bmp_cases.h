// The BMP layouts the reader and conversion tests walk, with what loading them gives.
#pragma once

#include "bmp_writer.h"
#include "test_support.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>

inline constexpr std::array<uint32_t, 4> k565 = {0xF800, 0x07E0, 0x001F, 0};
inline constexpr std::array<uint32_t, 4> k444 = {0x0F00, 0x00F0, 0x000F, 0};
inline constexpr std::array<uint32_t, 4> k1555 = {0x7C00, 0x03E0, 0x001F, 0x8000};
inline constexpr std::array<uint32_t, 4> kBgrx = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
inline constexpr std::array<uint32_t, 4> kBgra = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
inline constexpr std::array<uint32_t, 4> kRgba = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
inline constexpr std::array<uint32_t, 4> kArgb = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};
inline constexpr std::array<uint32_t, 4> k101010 = {0x3FF00000, 0x000FFC00, 0x000003FF, 0};

struct Variant {
    const char* name;
    int width;
    int height;
    int colours;   // 0: a colour gradient
    int bpp;       // of the loaded image
    int tolerance; // against ImageMagick; -1: ImageMagick misreads this layout
    int alpha;     // fourth byte of every loaded 32-bit pixel; -1: not checked
    BmpLayout layout;
};

std::span<const Variant> VariantTable();
void PrintTo(const Variant& v, std::ostream* os);

// The pixels the file holds: the source picture, its channels cut to the bits of
// 16-bit masks and scaled back with rounding.
RgbImage Quantised(const RgbImage& source, const BmpLayout& layout);
// How far a loaded pixel may be from those: FreeImage scales 5- and 6-bit values
// down instead of rounding them.
int SourceTolerance(const Variant& v);
// Empty when the pictures agree within the tolerance, else the first difference.
std::string Compare(const RgbImage& got, const RgbImage& want, int tolerance);
