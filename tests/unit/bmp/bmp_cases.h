// The BMP layouts the reader and conversion tests walk, with what loading them gives.
#pragma once

#include "bmp_writer.h"
#include "test_support.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

inline constexpr std::array<uint32_t, 4> k555 = {0x7C00, 0x03E0, 0x001F, 0};
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
    int colours; // 0: a colour gradient
    int bpp;     // of the loaded image
    bool magick; // ImageMagick reads this layout right (its reference is checked)
    int alpha;   // fourth byte of every loaded 32-bit pixel; -1: not checked
    BmpLayout layout;
};

std::span<const Variant> VariantTable();
void PrintTo(const Variant& v, std::ostream* os);

// An n-bit channel value v in 8 bits: round(v × 255 / (2^n − 1)).
uint8_t ScaleChannel(uint64_t v, int bits);
// The bits of the red, green and blue channels of a layout: its masks' widths for
// 16 and 32 bits, 8 for palettes and 24 bits.
std::array<int, 3> ChannelBits(const BmpLayout& layout);

// The pixels the file holds, in 8 bits: the source picture with each channel put
// into the bits of its mask as the writer does, scaled back with ScaleChannel.
RgbImage Quantised(const RgbImage& source, const BmpLayout& layout);

// The reference pixels of a BMP file: the channel values ImageMagick reads, scaled
// to 8 bits with ScaleChannel. ImageMagick's own 8-bit output truncates channels of
// other widths (a full 1-bit channel comes out 128 or 127, a full 4-bit one 240 or
// 239, depending on the pixel size), so the values are taken from its 16-bit output:
// a channel of up to 16 bits is the top bits of its sample; a wider one (whose
// low bits the test pictures fill by repeating the top ones) is the sample with its
// bits repeated. An empty picture when ImageMagick cannot read the file.
RgbImage MagickReference(const std::string& path, const BmpLayout& layout);

// Empty when the pictures are the same, else the first difference.
std::string Compare(const RgbImage& got, const RgbImage& want);

// A command-line job to PCX with every option off, converting the one input; the
// output folder it writes to.
std::string PrepareJob(const TempFolder& temp, const std::string& input);
std::vector<std::string> FolderNames(const std::string& folder);
