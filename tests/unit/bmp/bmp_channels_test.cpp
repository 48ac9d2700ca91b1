// Bit-field channels of every width, and OS/2 2.x palettes, against ImageMagick's
// decode of the same files, loaded and converted end to end.
#include "bmp_cases.h"
#include "bmp_writer.h"
#include "engine/bmp_reader.h"
#include "engine/convert.h"
#include "settings/settings.h"
#include "test_support.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <bit>

namespace {

constexpr int kWidth = 64, kHeight = 18; // more pixels than an 8-bit channel has values

struct ChannelLayout {
    const char* name;
    BmpLayout layout; // masks all zero: 5-5-5
};

// clang-format off
const ChannelLayout kChannelLayouts[] = {
    {"rgb555_plain", {.bpp = 16}},
    {"rgb555_fields", {.bpp = 16, .compression = 3, .masks = k555}},
    {"rgb565", {.bpp = 16, .compression = 3, .masks = k565}},
    {"rgb565_v5_top_down", {.bpp = 16, .compression = 3, .headerSize = 124, .topDown = true,
                            .masks = k565}},
    {"argb1555", {.bpp = 16, .compression = 3, .headerSize = 108, .masks = k1555}},
    {"rgb231", {.bpp = 16, .compression = 3, .headerSize = 108, .masks = {0x30, 0x0E, 0x01, 0}}},
    {"rgb3_10_3", {.bpp = 16, .compression = 3, .headerSize = 108,
                   .masks = {0xE000, 0x1FF8, 0x0007, 0}}},
    {"argb4444", {.bpp = 16, .compression = 3, .headerSize = 108,
                  .masks = {0x0F00, 0x00F0, 0x000F, 0xF000}}},
    {"rgb111_one_bit", {.bpp = 16, .compression = 3, .headerSize = 52, .masks = {4, 2, 1, 0}}},
    {"rgb1_14_1", {.bpp = 16, .compression = 3, .headerSize = 108,
                   .masks = {0x8000, 0x7FFE, 0x0001, 0}}},
    {"rgb6_17_5_alpha4", {.bpp = 32, .compression = 3, .headerSize = 108,
                          .masks = {0xFC000000, 0x03FFFE00, 0x000001F0, 0x0000000F}}},
    {"rgb10_10_10", {.bpp = 32, .compression = 3, .masks = k101010}},
    {"rgb10_10_10_alpha2", {.bpp = 32, .compression = 3, .headerSize = 56,
                            .masks = {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}}},
    {"rgb11_11_10", {.bpp = 32, .compression = 3, .headerSize = 108,
                     .masks = {0xFFE00000, 0x001FFC00, 0x000003FF, 0}}},
    {"rgb30_1_1", {.bpp = 32, .compression = 3, .headerSize = 108,
                   .masks = {0xFFFFFFFC, 0x00000002, 0x00000001, 0}}},
    {"rgb1_30_1", {.bpp = 32, .compression = 3, .headerSize = 108,
                   .masks = {0x80000000, 0x7FFFFFFE, 0x00000001, 0}}},
    {"rgb1_1_30", {.bpp = 32, .compression = 3, .headerSize = 124,
                   .masks = {0x80000000, 0x40000000, 0x3FFFFFFF, 0}}},
    {"rgb3_3_2_alpha24", {.bpp = 32, .compression = 3, .headerSize = 108,
                          .masks = {0xE0, 0x1C, 0x03, 0xFFFFFF00}}},
    {"rgba8888_high", {.bpp = 32, .compression = 3, .headerSize = 108,
                       .masks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF}}},
    {"bgrx8888", {.bpp = 32, .compression = 3, .headerSize = 124, .masks = kBgrx}},
};
// clang-format on

void PrintTo(const ChannelLayout& c, std::ostream* os) {
    *os << c.name;
}

std::array<uint32_t, 4> MasksOf(const BmpLayout& layout) {
    return layout.masks[0] == 0 ? k555 : layout.masks;
}

// Channel c of pixel k: up to 8 bits every value in turn; wider channels 0, the
// full value and scattered values, their bits below the top 16 repeating the top
// ones (ImageMagick's 16-bit samples keep no more).
uint32_t ChannelValue(int bits, int k, int c) {
    const uint64_t top = (uint64_t{1} << bits) - 1;
    if (bits <= 8) return static_cast<uint32_t>((k * (2 * c + 1) + 3 * c) & top);
    const uint32_t s = k == 0 ? 0 : k == 1 ? 0xFFFF : (k * 40503u + c * 12345u + 777u) & 0xFFFF;
    if (bits <= 16) return s >> (16 - bits);
    return static_cast<uint32_t>(((uint64_t{s} << (bits - 16)) | (s >> (32 - bits))) & top);
}

// The picture's pixel words and, scaled with ScaleChannel, its colours and alpha.
struct ChannelPicture {
    std::vector<uint32_t> words;
    RgbImage rgb;
    std::vector<uint8_t> alpha; // 255 without an alpha mask
};

ChannelPicture MakeChannelPicture(const BmpLayout& layout) {
    const std::array<uint32_t, 4> masks = MasksOf(layout);
    ChannelPicture p;
    p.rgb.width = kWidth;
    p.rgb.height = kHeight;
    p.rgb.pixels.resize(size_t{kWidth} * kHeight * 3);
    for (int k = 0; k < kWidth * kHeight; ++k) {
        uint32_t word = 0;
        uint8_t alpha = 255;
        for (int c = 0; c < 4; ++c) {
            if (masks[c] == 0) continue;
            const int bits = std::popcount(masks[c]);
            const uint32_t v = ChannelValue(bits, k, c);
            word |= v << std::countr_zero(masks[c]);
            const uint8_t scaled = ScaleChannel(v, bits);
            if (c < 3)
                p.rgb.pixels[3 * static_cast<size_t>(k) + c] = scaled;
            else
                alpha = scaled;
        }
        p.words.push_back(word);
        p.alpha.push_back(alpha);
    }
    return p;
}

RgbImage LoadedRgb(const Image& image) {
    RgbImage out;
    out.width = image.Width();
    out.height = image.Height();
    const int bytes = image.Bpp() / 8;
    for (int y = 0; y < out.height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(image.get(), out.height - 1 - y);
        for (int x = 0; x < out.width; ++x) {
            out.pixels.push_back(line[bytes * x + FI_RGBA_RED]);
            out.pixels.push_back(line[bytes * x + FI_RGBA_GREEN]);
            out.pixels.push_back(line[bytes * x + FI_RGBA_BLUE]);
        }
    }
    return out;
}

class BmpChannels : public ::testing::TestWithParam<ChannelLayout> {
  protected:
    void SetUp() override {
        const BmpLayout& layout = GetParam().layout;
        picture = MakeChannelPicture(layout);
        path = temp.File(std::string(GetParam().name) + ".bmp");
        const std::string bytes = EncodeBmpWords(kWidth, kHeight, picture.words, layout);
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(WriteFile(path, bytes));
        magick = MagickReference(path, layout);
        ASSERT_GT(magick.width, 0) << "ImageMagick cannot read " << path;
        // ImageMagick reads the channel values the picture holds.
        ASSERT_EQ(Compare(magick, picture.rgb), "");
    }

    TempFolder temp;
    std::string path;
    ChannelPicture picture;
    RgbImage magick;
};

TEST_P(BmpChannels, LoadToImageMagicksColours) {
    const BmpLayout& layout = GetParam().layout;
    Reason why = Reason::kStopped;
    int fileBpp = 0;
    Image image = LoadBmp(path, &why, &fileBpp);
    ASSERT_TRUE(image);
    EXPECT_EQ(why, Reason::kNone);
    EXPECT_EQ(fileBpp, layout.bpp);
    // 16-bit pictures load as 24 bits; 32-bit ones keep their alpha, in 8 bits.
    ASSERT_EQ(image.Bpp(), layout.bpp == 16 ? 24 : 32);
    EXPECT_EQ(Compare(LoadedRgb(image), magick), "");
    if (image.Bpp() == 32) {
        for (int y = 0; y < kHeight; ++y) {
            const BYTE* line = FreeImage_GetScanLine(image.get(), kHeight - 1 - y);
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ(line[4 * x + FI_RGBA_ALPHA], picture.alpha[y * kWidth + x])
                    << "alpha of pixel " << x << "," << y;
        }
    }
}

// Through the whole conversion the colours stay exact and the alpha is dropped.
TEST_P(BmpChannels, ConvertToImageMagicksColours) {
    const std::string out = PrepareJob(temp, path);
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    EXPECT_EQ(gJob.sourceBitDepth, GetParam().layout.bpp);
    EXPECT_EQ(gJob.outputBitDepth, 24);
    const std::string output = out + GetParam().name + ".pcx";
    for (const char* reader : {"netpbm", "magick"}) {
        const RgbImage got = DecodeWith(reader, output);
        ASSERT_GT(got.width, 0) << reader << " cannot read " << output;
        EXPECT_EQ(Compare(got, magick), "") << reader;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, BmpChannels, ::testing::ValuesIn(kChannelLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- OS/2 2.x palettes ----

struct Os2Palette {
    const char* name;
    int headerSize;
    int bpp;
    int entries;    // written, the pixel data right after them
    bool countZero; // the header says 0 colours (all of them) instead of the count
};

const Os2Palette kOs2Palettes[] = {
    {"h64_pal8_252", 64, 8, 252, false},       {"h64_pal8_252_count0", 64, 8, 252, true},
    {"h64_pal8_256", 64, 8, 256, false},       {"h64_pal8_256_count0", 64, 8, 256, true},
    {"h64_pal8_17_count0", 64, 8, 17, true},   {"h64_pal8_1", 64, 8, 1, false},
    {"h64_pal4_16", 64, 4, 16, false},         {"h64_pal4_5_count0", 64, 4, 5, true},
    {"h64_pal1_2", 64, 1, 2, false},           {"h64_pal1_1_count0", 64, 1, 1, true},
    {"h48_pal8_252_count0", 48, 8, 252, true}, {"h36_pal8_200", 36, 8, 200, false},
    {"h16_pal8_256", 16, 8, 256, false},       {"h24_pal4_16", 24, 4, 16, false},
};

void PrintTo(const Os2Palette& p, std::ostream* os) {
    *os << p.name;
}

class BmpOs2Palettes : public ::testing::TestWithParam<Os2Palette> {};

// ImageMagick misreads the 64-byte header's palette and refuses shorter headers, so
// the reference is its decode of the same picture and palette after a Windows header.
TEST_P(BmpOs2Palettes, LoadLikeTheirWindowsTwin) {
    const Os2Palette& p = GetParam();
    TempFolder temp;
    const RgbImage source = MakeTestPicture(37, 11, p.entries);
    const std::string os2 = temp.File("os2.bmp"), windows = temp.File("windows.bmp");
    const BmpLayout layout{.bpp = p.bpp,
                           .headerSize = p.headerSize,
                           .paletteEntries = p.entries,
                           .colourCountZero = p.countZero};
    ASSERT_TRUE(WriteBmpFile(os2, source, layout));
    ASSERT_TRUE(WriteBmpFile(windows, source, {.bpp = p.bpp, .paletteEntries = p.entries}));
    // The pixel data follows the palette.
    const std::string bytes = ReadFile(os2);
    const size_t entries = p.headerSize < 36 ? size_t{1} << p.bpp : size_t(p.entries);
    ASSERT_GT(bytes.size(), 14u);
    const size_t dataOffset = static_cast<uint8_t>(bytes[10]) | static_cast<uint8_t>(bytes[11])
                                                                    << 8;
    ASSERT_EQ(dataOffset, 14 + static_cast<size_t>(p.headerSize) + 4 * entries);

    const RgbImage magick = MagickReference(windows, layout);
    ASSERT_GT(magick.width, 0);
    ASSERT_EQ(Compare(magick, source), "");
    Reason why = Reason::kStopped;
    Image image = LoadBmp(os2, &why);
    ASSERT_TRUE(image);
    EXPECT_EQ(why, Reason::kNone);
    EXPECT_EQ(image.Bpp(), p.bpp);
    RgbImage loaded;
    loaded.width = image.Width();
    loaded.height = image.Height();
    const RGBQUAD* palette = FreeImage_GetPalette(image.get());
    for (int y = 0; y < loaded.height; ++y)
        for (int x = 0; x < loaded.width; ++x) {
            BYTE index = 0;
            ASSERT_TRUE(FreeImage_GetPixelIndex(image.get(), x, loaded.height - 1 - y, &index));
            loaded.pixels.push_back(palette[index].rgbRed);
            loaded.pixels.push_back(palette[index].rgbGreen);
            loaded.pixels.push_back(palette[index].rgbBlue);
        }
    EXPECT_EQ(Compare(loaded, magick), "");
}

INSTANTIATE_TEST_SUITE_P(Counts, BmpOs2Palettes, ::testing::ValuesIn(kOs2Palettes),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
