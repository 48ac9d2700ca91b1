#include "bmp_cases.h"

#include "engine/convert.h"
#include "formats/formats.h"
#include "settings/settings.h"

#include <bit>
#include <filesystem>
#include <sstream>

uint8_t ScaleChannel(uint64_t v, int bits) {
    const uint64_t top = (uint64_t{1} << bits) - 1;
    // v × 255 / top + 1/2, rounded down.
    return static_cast<uint8_t>((2 * v * 255 + top) / (2 * top));
}

namespace {

// The red, green and blue masks a layout's pixels use; none for palettes and 24 bits.
std::array<uint32_t, 4> Masks(const BmpLayout& layout) {
    const bool none = layout.masks[0] == 0 && layout.masks[1] == 0 && layout.masks[2] == 0;
    if (layout.bpp == 16 && none) return k555;
    if (layout.bpp == 32 && none) return kBgra;
    return layout.bpp == 16 || layout.bpp == 32 ? layout.masks : std::array<uint32_t, 4>{};
}

// A 16-bit binary PPM (P6 with maxval 65535) as its samples.
bool ParsePpm16(const std::string& data, int& width, int& height, std::vector<uint16_t>& out) {
    std::istringstream in(data);
    std::string magic;
    int maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();
    if (!in || magic != "P6" || maxval != 65535 || width <= 0 || height <= 0) return false;
    std::string bytes(static_cast<size_t>(width) * height * 6, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return false;
    out.resize(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<uint16_t>(static_cast<uint8_t>(bytes[2 * i]) << 8 |
                                       static_cast<uint8_t>(bytes[2 * i + 1]));
    return true;
}

} // namespace

std::array<int, 3> ChannelBits(const BmpLayout& layout) {
    const std::array<uint32_t, 4> masks = Masks(layout);
    if (masks[0] == 0) return {8, 8, 8};
    return {std::popcount(masks[0]), std::popcount(masks[1]), std::popcount(masks[2])};
}

RgbImage Quantised(const RgbImage& source, const BmpLayout& layout) {
    const std::array<int, 3> bits = ChannelBits(layout);
    RgbImage out = source;
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const int n = bits[i % 3];
        const uint64_t b = out.pixels[i];
        // As the writer packs a channel: its top bits, or shifted up with zero below.
        const uint64_t v = n <= 8 ? b >> (8 - n) : b << (n - 8);
        out.pixels[i] = ScaleChannel(v, n);
    }
    return out;
}

RgbImage MagickReference(const std::string& path, const BmpLayout& layout) {
    const CommandResult r =
        RunCommand("convert " + ShellQuote(path) + " -depth 16 -alpha off ppm:-");
    RgbImage out;
    std::vector<uint16_t> samples;
    if (r.status != 0 || !ParsePpm16(r.out, out.width, out.height, samples)) return {};
    const std::array<int, 3> bits = ChannelBits(layout);
    out.pixels.resize(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        const int n = bits[i % 3];
        const uint64_t s = samples[i];
        const uint64_t v = n <= 16 ? s >> (16 - n) : (s << (n - 16)) | (s >> (32 - n));
        out.pixels[i] = ScaleChannel(v, n);
    }
    return out;
}

std::string Compare(const RgbImage& got, const RgbImage& want) {
    if (got.width != want.width || got.height != want.height)
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) +
               ", expected " + std::to_string(want.width) + "x" + std::to_string(want.height);
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int g = got.At(x, y)[c], w = want.At(x, y)[c];
                if (g != w)
                    return "pixel " + std::to_string(x) + "," + std::to_string(y) + " channel " +
                           std::to_string(c) + ": " + std::to_string(g) + ", expected " +
                           std::to_string(w);
            }
    return {};
}

std::string PrepareJob(const TempFolder& temp, const std::string& input) {
    const std::string out = temp.File("out/");
    std::error_code ec;
    std::filesystem::create_directory(out, ec);
    ResetJob();
    ResetSettings(true);
    BuildFormatTables();
    gJob.currentInput = input;
    gJob.outputFolder = out;
    gJob.outputFormat = "pcx";
    gJob.keepBitDepth = 1;
    return out;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    return names;
}

namespace {

// Every layout loads to the pixels the file holds, and where ImageMagick reads the
// layout, to its channel values (MagickReference), with no difference. 16-bit
// pictures load as 24 bits.
// clang-format off
const Variant kVariants[] = {
    {"pal1", 101, 7, 2, 1, true, -1, {.bpp = 1}},
    {"pal1_w1", 1, 3, 2, 1, true, -1, {.bpp = 1, .paletteEntries = 2}},
    {"pal4_w3", 3, 5, 12, 4, true, -1, {.bpp = 4}},
    {"pal4_short", 101, 9, 12, 4, true, -1, {.bpp = 4, .paletteEntries = 12}},
    {"pal8", 101, 37, 200, 8, true, -1, {.bpp = 8}},
    {"pal8_count0", 37, 11, 40, 8, true, -1, {.bpp = 8, .colourCountZero = true}},
    {"pal8_short", 101, 13, 40, 8, true, -1, {.bpp = 8, .paletteEntries = 40}},
    {"pal8_gap", 13, 7, 20, 8, true, -1, {.bpp = 8, .paletteEntries = 20, .extraGap = 6}},
    {"rle4_eob", 101, 37, 16, 4, true, -1, {.bpp = 4, .compression = 2}},
    {"rle4_eol_eob", 3, 9, 7, 4, true, -1,
     {.bpp = 4, .compression = 2, .rleEndOfLineBeforeEnd = true}},
    {"rle4_w1", 1, 4, 3, 4, true, -1, {.bpp = 4, .compression = 2, .paletteEntries = 3}},
    {"rle8_eob", 101, 37, 200, 8, true, -1, {.bpp = 8, .compression = 1}},
    {"rle8_eol_eob", 101, 37, 30, 8, true, -1,
     {.bpp = 8, .compression = 1, .rleEndOfLineBeforeEnd = true}},
    {"rle8_delta", 101, 21, 9, 8, true, -1, {.bpp = 8, .compression = 1, .rleDelta = true}},
    {"rle8_w1", 1, 5, 4, 8, true, -1, {.bpp = 8, .compression = 1, .rleEndOfLineBeforeEnd = true}},
    {"rgb555", 101, 9, 0, 24, true, -1, {.bpp = 16}},
    {"rgb565_w3", 3, 7, 0, 24, true, -1, {.bpp = 16, .compression = 3, .masks = k565}},
    {"rgb1555", 37, 5, 0, 24, true, -1,
     {.bpp = 16, .compression = 3, .headerSize = 108, .masks = k1555}},
    // ImageMagick does not read bit fields with alpha (compression 6) after a 40-byte header.
    {"rgb1555_alpha_fields", 3, 5, 0, 24, false, -1, {.bpp = 16, .compression = 6, .masks = k1555}},
    {"rgb444", 101, 9, 0, 24, true, -1, {.bpp = 16, .compression = 3, .masks = k444}},
    {"rgb24_w1", 1, 5, 0, 24, true, -1, {.bpp = 24}},
    {"rgb24_w3", 3, 5, 0, 24, true, -1, {.bpp = 24}},
    {"rgb24", 101, 37, 0, 24, true, -1, {.bpp = 24}},
    {"rgb32", 101, 9, 0, 32, true, 255, {.bpp = 32}},
    {"rgb32_alpha0", 101, 9, 0, 32, true, 255, {.bpp = 32, .alpha = 0}},
    {"rgb32_fields", 13, 9, 0, 32, true, 255,
     {.bpp = 32, .compression = 3, .masks = kBgrx, .alpha = 0}},
    {"rgb32_xbgr", 101, 9, 0, 32, true, 255, {.bpp = 32, .compression = 3, .masks = kRgba}},
    {"rgb32_argb", 3, 9, 0, 32, true, 90,
     {.bpp = 32, .compression = 3, .headerSize = 56, .masks = kArgb, .alpha = 90}},
    {"rgb32_rgba_alpha_fields", 101, 9, 0, 32, false, 255,
     {.bpp = 32, .compression = 6, .masks = kRgba, .alpha = 0}},
    {"rgb32_101010", 101, 9, 0, 32, true, 255, {.bpp = 32, .compression = 3, .masks = k101010}},
    {"top_down_pal8", 101, 9, 30, 8, true, -1, {.bpp = 8, .topDown = true}},
    {"top_down_rgb565", 101, 9, 0, 24, true, -1,
     {.bpp = 16, .compression = 3, .topDown = true, .masks = k565}},
    {"top_down_rgb444", 3, 9, 0, 24, true, -1,
     {.bpp = 16, .compression = 3, .topDown = true, .masks = k444}},
    {"top_down_rgb24", 101, 9, 0, 24, true, -1, {.bpp = 24, .topDown = true}},
    {"top_down_rgba", 3, 9, 0, 32, true, 255,
     {.bpp = 32, .compression = 3, .topDown = true, .masks = kRgba}},
    {"os2v1_pal1", 101, 5, 2, 1, true, -1, {.bpp = 1, .headerSize = 12}},
    {"os2v1_pal4", 3, 5, 9, 4, true, -1, {.bpp = 4, .headerSize = 12}},
    {"os2v1_pal8", 101, 9, 100, 8, true, -1, {.bpp = 8, .headerSize = 12}},
    {"os2v1_rgb24", 101, 9, 0, 24, true, -1, {.bpp = 24, .headerSize = 12}},
    // ImageMagick reads the palette after a 64-byte OS/2 2.x header as 3-byte entries
    // (they have 4) and refuses headers shorter than 40 bytes; the source picture is
    // the reference there (and the OS/2 palette tests compare with a Windows twin).
    {"os2v2_pal8", 101, 9, 100, 8, false, -1, {.bpp = 8, .headerSize = 64, .paletteEntries = 100}},
    {"os2v2_pal4_16", 3, 5, 9, 4, false, -1, {.bpp = 4, .headerSize = 16}},
    {"os2v2_pal1_24", 101, 5, 2, 1, false, -1, {.bpp = 1, .headerSize = 24}},
    {"os2v2_rle8", 101, 9, 20, 8, false, -1, {.bpp = 8, .compression = 1, .headerSize = 64}},
    {"os2v2_rgb24", 101, 9, 0, 24, true, -1, {.bpp = 24, .headerSize = 64}},
    {"os2v2_rgb24_16", 3, 5, 0, 24, false, -1, {.bpp = 24, .headerSize = 16}},
    {"v2_rgb565", 101, 9, 0, 24, true, -1,
     {.bpp = 16, .compression = 3, .headerSize = 52, .masks = k565}},
    {"v3_rgba", 101, 9, 0, 32, true, 255,
     {.bpp = 32, .compression = 3, .headerSize = 56, .masks = kRgba}},
    {"v4_pal8", 101, 9, 50, 8, true, -1, {.bpp = 8, .headerSize = 108, .paletteEntries = 50}},
    {"v4_rgb24", 101, 37, 0, 24, true, -1, {.bpp = 24, .headerSize = 108}},
    {"v4_rgb555", 101, 9, 0, 24, true, -1, {.bpp = 16, .headerSize = 108}},
    {"v4_rgb565_alpha_mask_past_16_bits", 3, 9, 0, 24, true, -1,
     {.bpp = 16, .compression = 3, .headerSize = 108, .masks = {0xF800, 0x7E0, 0x1F, 0xFF0000}}},
    {"v4_rgb444", 101, 9, 0, 24, true, -1,
     {.bpp = 16, .compression = 3, .headerSize = 108, .masks = k444}},
    {"v4_rle4", 101, 9, 16, 4, true, -1, {.bpp = 4, .compression = 2, .headerSize = 108}},
    {"v5_pal1", 101, 9, 2, 1, true, -1, {.bpp = 1, .headerSize = 124}},
    {"v5_rgb24", 101, 37, 0, 24, true, -1, {.bpp = 24, .headerSize = 124}},
    {"v5_rgb24_top_down", 3, 5, 0, 24, true, -1, {.bpp = 24, .headerSize = 124, .topDown = true}},
    {"v5_rle8_eol_eob", 101, 37, 60, 8, true, -1,
     {.bpp = 8, .compression = 1, .headerSize = 124, .rleEndOfLineBeforeEnd = true}},
    {"v5_bgra", 101, 9, 0, 32, true, 128,
     {.bpp = 32, .compression = 3, .headerSize = 124, .masks = kBgra, .alpha = 128}},
    {"v5_bgra_alpha0", 101, 9, 0, 32, true, 255,
     {.bpp = 32, .compression = 3, .headerSize = 124, .masks = kBgra, .alpha = 0}},
    {"v5_rgb32", 3, 9, 0, 32, true, 255, {.bpp = 32, .headerSize = 124, .alpha = 0}},
};
// clang-format on

} // namespace

std::span<const Variant> VariantTable() {
    return kVariants;
}

void PrintTo(const Variant& v, std::ostream* os) {
    *os << v.name;
}
