#include "bmp_cases.h"

#include <bit>
#include <cstdlib>

std::string Compare(const RgbImage& got, const RgbImage& want, int tolerance) {
    if (got.width != want.width || got.height != want.height)
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) +
               ", expected " + std::to_string(want.width) + "x" + std::to_string(want.height);
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int g = got.At(x, y)[c], w = want.At(x, y)[c];
                if (std::abs(g - w) > tolerance)
                    return "pixel " + std::to_string(x) + "," + std::to_string(y) + " channel " +
                           std::to_string(c) + ": " + std::to_string(g) + ", expected " +
                           std::to_string(w);
            }
    return {};
}

RgbImage Quantised(const RgbImage& source, const BmpLayout& layout) {
    if (layout.bpp != 16) return source;
    std::array<uint32_t, 4> masks = layout.masks;
    if (masks[0] == 0) masks = {0x7C00, 0x03E0, 0x001F, 0};
    RgbImage out = source;
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        int bits = std::popcount(masks[i % 3]);
        int top = (1 << bits) - 1;
        int q = out.pixels[i] >> (8 - bits);
        out.pixels[i] = static_cast<uint8_t>((q * 255 + top / 2) / top);
    }
    return out;
}

int SourceTolerance(const Variant& v) {
    return v.layout.bpp == 16 && v.bpp == 16 ? 1 : 0;
}

namespace {

// ImageMagick and the loaded picture agree exactly, except where the file keeps
// fewer than 8 bits a channel: FreeImage scales 5- and 6-bit values down where
// ImageMagick rounds (1 apart), and ImageMagick scales 4-bit values by 16 (white
// comes out 240) where this program scales them by 17.
// clang-format off
const Variant kVariants[] = {
    {"pal1", 101, 7, 2, 1, 0, -1, {.bpp = 1}},
    {"pal1_w1", 1, 3, 2, 1, 0, -1, {.bpp = 1, .paletteEntries = 2}},
    {"pal4_w3", 3, 5, 12, 4, 0, -1, {.bpp = 4}},
    {"pal4_short", 101, 9, 12, 4, 0, -1, {.bpp = 4, .paletteEntries = 12}},
    {"pal8", 101, 37, 200, 8, 0, -1, {.bpp = 8}},
    {"pal8_count0", 37, 11, 40, 8, 0, -1, {.bpp = 8, .colourCountZero = true}},
    {"pal8_short", 101, 13, 40, 8, 0, -1, {.bpp = 8, .paletteEntries = 40}},
    {"pal8_gap", 13, 7, 20, 8, 0, -1, {.bpp = 8, .paletteEntries = 20, .extraGap = 6}},
    {"rle4_eob", 101, 37, 16, 4, 0, -1, {.bpp = 4, .compression = 2}},
    {"rle4_eol_eob", 3, 9, 7, 4, 0, -1,
     {.bpp = 4, .compression = 2, .rleEndOfLineBeforeEnd = true}},
    {"rle4_w1", 1, 4, 3, 4, 0, -1, {.bpp = 4, .compression = 2, .paletteEntries = 3}},
    {"rle8_eob", 101, 37, 200, 8, 0, -1, {.bpp = 8, .compression = 1}},
    {"rle8_eol_eob", 101, 37, 30, 8, 0, -1,
     {.bpp = 8, .compression = 1, .rleEndOfLineBeforeEnd = true}},
    {"rle8_delta", 101, 21, 9, 8, 0, -1, {.bpp = 8, .compression = 1, .rleDelta = true}},
    {"rle8_w1", 1, 5, 4, 8, 0, -1, {.bpp = 8, .compression = 1, .rleEndOfLineBeforeEnd = true}},
    {"rgb555", 101, 9, 0, 16, 1, -1, {.bpp = 16}},
    {"rgb565_w3", 3, 7, 0, 16, 1, -1, {.bpp = 16, .compression = 3, .masks = k565}},
    {"rgb1555", 37, 5, 0, 16, 1, -1,
     {.bpp = 16, .compression = 3, .headerSize = 108, .masks = k1555}},
    // ImageMagick does not read bit fields with alpha (compression 6) after a 40-byte header.
    {"rgb1555_alpha_fields", 3, 5, 0, 16, -1, -1, {.bpp = 16, .compression = 6, .masks = k1555}},
    {"rgb444", 101, 9, 0, 24, 16, -1, {.bpp = 16, .compression = 3, .masks = k444}},
    {"rgb24_w1", 1, 5, 0, 24, 0, -1, {.bpp = 24}},
    {"rgb24_w3", 3, 5, 0, 24, 0, -1, {.bpp = 24}},
    {"rgb24", 101, 37, 0, 24, 0, -1, {.bpp = 24}},
    {"rgb32", 101, 9, 0, 32, 0, 255, {.bpp = 32}},
    {"rgb32_alpha0", 101, 9, 0, 32, 0, 255, {.bpp = 32, .alpha = 0}},
    {"rgb32_fields", 13, 9, 0, 32, 0, 255,
     {.bpp = 32, .compression = 3, .masks = kBgrx, .alpha = 0}},
    {"rgb32_xbgr", 101, 9, 0, 32, 0, 255, {.bpp = 32, .compression = 3, .masks = kRgba}},
    {"rgb32_argb", 3, 9, 0, 32, 0, 90,
     {.bpp = 32, .compression = 3, .headerSize = 56, .masks = kArgb, .alpha = 90}},
    {"rgb32_rgba_alpha_fields", 101, 9, 0, 32, -1, 255,
     {.bpp = 32, .compression = 6, .masks = kRgba, .alpha = 0}},
    // ImageMagick keeps 10-bit channels to 1 below their value.
    {"rgb32_101010", 101, 9, 0, 32, 1, 255, {.bpp = 32, .compression = 3, .masks = k101010}},
    {"top_down_pal8", 101, 9, 30, 8, 0, -1, {.bpp = 8, .topDown = true}},
    {"top_down_rgb565", 101, 9, 0, 16, 1, -1,
     {.bpp = 16, .compression = 3, .topDown = true, .masks = k565}},
    {"top_down_rgb444", 3, 9, 0, 24, 16, -1,
     {.bpp = 16, .compression = 3, .topDown = true, .masks = k444}},
    {"top_down_rgb24", 101, 9, 0, 24, 0, -1, {.bpp = 24, .topDown = true}},
    {"top_down_rgba", 3, 9, 0, 32, 0, 255,
     {.bpp = 32, .compression = 3, .topDown = true, .masks = kRgba}},
    {"os2v1_pal1", 101, 5, 2, 1, 0, -1, {.bpp = 1, .headerSize = 12}},
    {"os2v1_pal4", 3, 5, 9, 4, 0, -1, {.bpp = 4, .headerSize = 12}},
    {"os2v1_pal8", 101, 9, 100, 8, 0, -1, {.bpp = 8, .headerSize = 12}},
    {"os2v1_rgb24", 101, 9, 0, 24, 0, -1, {.bpp = 24, .headerSize = 12}},
    // ImageMagick reads OS/2 2.x palettes as 3-byte entries and refuses headers
    // shorter than 40 bytes; the source picture is the reference there.
    {"os2v2_pal8", 101, 9, 100, 8, -1, -1, {.bpp = 8, .headerSize = 64, .paletteEntries = 100}},
    {"os2v2_pal4_16", 3, 5, 9, 4, -1, -1, {.bpp = 4, .headerSize = 16}},
    {"os2v2_pal1_24", 101, 5, 2, 1, -1, -1, {.bpp = 1, .headerSize = 24}},
    {"os2v2_rle8", 101, 9, 20, 8, -1, -1, {.bpp = 8, .compression = 1, .headerSize = 64}},
    {"os2v2_rgb24", 101, 9, 0, 24, 0, -1, {.bpp = 24, .headerSize = 64}},
    {"os2v2_rgb24_16", 3, 5, 0, 24, -1, -1, {.bpp = 24, .headerSize = 16}},
    {"v2_rgb565", 101, 9, 0, 16, 1, -1,
     {.bpp = 16, .compression = 3, .headerSize = 52, .masks = k565}},
    {"v3_rgba", 101, 9, 0, 32, 0, 255,
     {.bpp = 32, .compression = 3, .headerSize = 56, .masks = kRgba}},
    {"v4_pal8", 101, 9, 50, 8, 0, -1, {.bpp = 8, .headerSize = 108, .paletteEntries = 50}},
    {"v4_rgb24", 101, 37, 0, 24, 0, -1, {.bpp = 24, .headerSize = 108}},
    {"v4_rgb555", 101, 9, 0, 16, 1, -1, {.bpp = 16, .headerSize = 108}},
    {"v4_rgb565_alpha_mask_past_16_bits", 3, 9, 0, 16, 1, -1,
     {.bpp = 16, .compression = 3, .headerSize = 108, .masks = {0xF800, 0x7E0, 0x1F, 0xFF0000}}},
    {"v4_rgb444", 101, 9, 0, 24, 16, -1,
     {.bpp = 16, .compression = 3, .headerSize = 108, .masks = k444}},
    {"v4_rle4", 101, 9, 16, 4, 0, -1, {.bpp = 4, .compression = 2, .headerSize = 108}},
    {"v5_pal1", 101, 9, 2, 1, 0, -1, {.bpp = 1, .headerSize = 124}},
    {"v5_rgb24", 101, 37, 0, 24, 0, -1, {.bpp = 24, .headerSize = 124}},
    {"v5_rgb24_top_down", 3, 5, 0, 24, 0, -1, {.bpp = 24, .headerSize = 124, .topDown = true}},
    {"v5_rle8_eol_eob", 101, 37, 60, 8, 0, -1,
     {.bpp = 8, .compression = 1, .headerSize = 124, .rleEndOfLineBeforeEnd = true}},
    {"v5_bgra", 101, 9, 0, 32, 0, 128,
     {.bpp = 32, .compression = 3, .headerSize = 124, .masks = kBgra, .alpha = 128}},
    {"v5_bgra_alpha0", 101, 9, 0, 32, 0, 255,
     {.bpp = 32, .compression = 3, .headerSize = 124, .masks = kBgra, .alpha = 0}},
    {"v5_rgb32", 3, 9, 0, 32, 0, 255, {.bpp = 32, .headerSize = 124, .alpha = 0}},
};
// clang-format on

} // namespace

std::span<const Variant> VariantTable() {
    return kVariants;
}

void PrintTo(const Variant& v, std::ostream* os) {
    *os << v.name;
}
