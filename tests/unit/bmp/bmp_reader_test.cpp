#include "bmp_cases.h"
#include "bmp_writer.h"
#include "engine/bmp_reader.h"
#include "test_support.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

// The picture as the program exports it: 24-bit pixels through the palette, alpha
// dropped. (The loader never gives 16-bit pictures, which this export would copy
// unconverted.)
RgbImage ToRgb(const Image& image) {
    RgbImage out;
    out.width = image.Width();
    out.height = image.Height();
    std::vector<uint8_t> bgr(static_cast<size_t>(out.width) * out.height * 3);
    FreeImage_ConvertToRawBits(bgr.data(), image.get(), out.width * 3, 24, FI_RGBA_RED_MASK,
                               FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, TRUE);
    out.pixels.resize(bgr.size());
    for (size_t i = 0; i < bgr.size(); i += 3) {
        out.pixels[i] = bgr[i + FI_RGBA_RED];
        out.pixels[i + 1] = bgr[i + FI_RGBA_GREEN];
        out.pixels[i + 2] = bgr[i + FI_RGBA_BLUE];
    }
    return out;
}

class BmpVariants : public ::testing::TestWithParam<Variant> {};

TEST_P(BmpVariants, LoadsTheColoursImageMagickReads) {
    const Variant& v = GetParam();
    TempFolder temp;
    const std::string path = temp.File(std::string(v.name) + ".bmp");
    const RgbImage source = MakeTestPicture(v.width, v.height, v.colours);
    ASSERT_TRUE(WriteBmpFile(path, source, v.layout));

    Reason why = Reason::kStopped;
    int fileBpp = 0;
    Image image = LoadBmp(path, &why, &fileBpp);
    ASSERT_TRUE(image) << v.name;
    EXPECT_EQ(why, Reason::kNone);
    EXPECT_EQ(image.Bpp(), v.bpp);
    EXPECT_EQ(fileBpp, v.layout.bpp);
    const RgbImage loaded = ToRgb(image);
    // Against the pixels the file holds.
    EXPECT_EQ(Compare(loaded, Quantised(source, v.layout)), "");
    if (v.magick) {
        const RgbImage magick = MagickReference(path, v.layout);
        ASSERT_GT(magick.width, 0) << "ImageMagick cannot read " << path;
        EXPECT_EQ(Compare(loaded, magick), "");
    }
    if (v.alpha >= 0) {
        ASSERT_EQ(image.Bpp(), 32);
        for (int y = 0; y < v.height; ++y) {
            const BYTE* p = FreeImage_GetScanLine(image.get(), y);
            for (int x = 0; x < v.width; ++x)
                ASSERT_EQ(p[4 * x + FI_RGBA_ALPHA], v.alpha) << "pixel " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, BmpVariants,
                         ::testing::ValuesIn(VariantTable().begin(), VariantTable().end()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Files that must be refused ----

void Set16(std::string& bytes, size_t at, uint32_t v) {
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Set32(std::string& bytes, size_t at, uint32_t v) {
    Set16(bytes, at, v & 0xFFFF);
    Set16(bytes, at + 2, v >> 16);
}

std::string Bmp(const BmpLayout& layout, int width = 13, int height = 7, int colours = 0) {
    return EncodeBmp(MakeTestPicture(width, height, colours), layout);
}

// A 40-byte-header file with a palette of `entries` and the given pixel bytes.
std::string Handmade(int width, int height, int bpp, int compression, int entries,
                     const std::string& data) {
    std::string b(54 + 4 * entries, '\0');
    b[0] = 'B';
    b[1] = 'M';
    Set32(b, 10, static_cast<uint32_t>(b.size()));
    Set32(b, 14, 40);
    Set32(b, 18, static_cast<uint32_t>(width));
    Set32(b, 22, static_cast<uint32_t>(height));
    Set16(b, 26, 1);
    Set16(b, 28, static_cast<uint32_t>(bpp));
    Set32(b, 30, static_cast<uint32_t>(compression));
    Set32(b, 46, static_cast<uint32_t>(entries));
    for (int i = 0; i < entries; ++i)
        b[54 + 4 * i] = static_cast<char>(i * 40 + 10);
    b += data;
    Set32(b, 2, static_cast<uint32_t>(b.size()));
    return b;
}

std::string Patched(std::string bytes, size_t at, uint32_t value, int size = 4) {
    if (size == 2)
        Set16(bytes, at, value);
    else
        Set32(bytes, at, value);
    return bytes;
}

struct BadFile {
    const char* name;
    Reason reason;                                            // what the loader says
    std::function<std::string(const std::string& path)> make; // writes the file, or not
};

std::string Write(const std::string& path, const std::string& bytes) {
    WriteFile(path, bytes);
    return path;
}

const BadFile kBadFiles[] = {
    {"missing", Reason::kMissing, [](const std::string& p) { return p; }},
    {"folder", Reason::kNotRegularFile,
     [](const std::string& p) {
         std::error_code ec;
         std::filesystem::create_directory(p, ec);
         return p;
     }},
    {"empty", Reason::kNotBmp, [](const std::string& p) { return Write(p, ""); }},
    {"png_named_bmp", Reason::kNotBmp,
     [](const std::string& p) {
         RunCommand("convert -size 8x8 xc:red png:" + ShellQuote(p));
         return p;
     }},
    {"text", Reason::kNotBmp,
     [](const std::string& p) { return Write(p, "BM is not a picture\n"); }},
    {"header_only", Reason::kTruncated,
     [](const std::string& p) { return Write(p, Bmp({.bpp = 24}).substr(0, 54)); }},
    {"truncated_header", Reason::kTruncated,
     [](const std::string& p) { return Write(p, Bmp({.bpp = 24}).substr(0, 30)); }},
    {"truncated_pixels", Reason::kTruncated,
     [](const std::string& p) {
         std::string b = Bmp({.bpp = 24}, 101, 37);
         return Write(p, b.substr(0, b.size() / 2));
     }},
    {"last_line_short", Reason::kTruncated,
     [](const std::string& p) {
         std::string b = Bmp({.bpp = 24}, 101, 37);
         return Write(p, b.substr(0, b.size() - 1));
     }},
    {"truncated_v5", Reason::kTruncated, // the pixel data after a long header is checked too
     [](const std::string& p) {
         std::string b = Bmp({.bpp = 24, .headerSize = 124}, 101, 37);
         return Write(p, b.substr(0, b.size() - 200));
     }},
    {"truncated_fields", Reason::kTruncated,
     [](const std::string& p) {
         std::string b = Bmp({.bpp = 16, .compression = 3, .masks = k444}, 101, 37);
         return Write(p, b.substr(0, b.size() - 7));
     }},
    {"offset_past_end", Reason::kTruncated,
     [](const std::string& p) {
         std::string b = Bmp({.bpp = 24});
         return Write(p, Patched(b, 10, static_cast<uint32_t>(b.size() + 10)));
     }},
    {"offset_at_end", Reason::kTruncated,
     [](const std::string& p) {
         std::string b = Bmp({.bpp = 8, .compression = 1}, 13, 7, 5);
         return Write(p, Patched(b, 10, static_cast<uint32_t>(b.size())));
     }},
    {"offset_inside_header", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 10, 20)); }},
    {"no_room_for_palette", Reason::kBadPalette,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 8}, 13, 7, 5), 10, 54)); }},
    {"zero_width", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 18, 0)); }},
    {"zero_height", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 22, 0)); }},
    {"negative_width", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 18, 0xFFFFFFF3u)); }},
    {"most_negative_height", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 22, 0x80000000u)); }},
    {"two_planes", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 26, 2, 2)); }},
    {"depth_7", Reason::kUnsupportedDepth,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 28, 7, 2)); }},
    {"jpeg_inside", Reason::kUnsupportedCompression,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 30, 4)); }},
    {"rle8_on_24_bits", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 30, 1)); }},
    {"os2_huffman", Reason::kUnsupportedCompression,
     [](const std::string& p) {
         return Write(p, Patched(Bmp({.bpp = 1, .headerSize = 64}, 13, 7, 2), 30, 3));
     }},
    {"header_size_200", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 14, 200)); }},
    {"header_size_100", Reason::kUnsupportedHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 14, 100)); }},
    {"overlapping_masks", Reason::kBadMasks,
     [](const std::string& p) {
         return Write(p, Bmp({.bpp = 16, .compression = 3, .masks = {0xF800, 0x0FE0, 0x1F, 0}}));
     }},
    {"gappy_mask", Reason::kBadMasks,
     [](const std::string& p) {
         return Write(p, Bmp({.bpp = 32, .compression = 3, .masks = {0xFF0000, 0xF0F0, 0xFF, 0}}));
     }},
    {"mask_past_16_bits", Reason::kBadMasks,
     [](const std::string& p) {
         return Write(p, Bmp({.bpp = 16, .compression = 3, .masks = {0x1F0000, 0x7E0, 0x1F, 0}}));
     }},
    {"rle_without_end", Reason::kTruncated,
     [](const std::string& p) {
         std::string b = Bmp({.bpp = 8, .compression = 1}, 101, 37, 30);
         return Write(p, b.substr(0, b.size() * 2 / 3));
     }},
    {"rle4_bomb_65536", Reason::kTooLarge, // 122 bytes declaring 65536 x 65536
     [](const std::string& p) {
         return Write(p, Handmade(65536, 65536, 4, 2, 16, std::string("\0\0\0\1", 4)));
     }},
    {"rle8_bomb_30000", Reason::kTooLarge, // 76 bytes declaring 30000 x 30000
     [](const std::string& p) {
         return Write(p, Handmade(30000, 30000, 8, 1, 4, std::string("\xFF\1\0\0\0\1", 6)));
     }},
    {"rle8_bomb_16000",
     Reason::kTruncated, // within the size bounds, but far too large for its 76 bytes
     [](const std::string& p) {
         return Write(p, Handmade(16000, 16000, 8, 1, 4, std::string("\xFF\1\0\0\0\1", 6)));
     }},
    {"rle8_over_max_pixels",
     Reason::kTooLarge, // enough data for the RLE allowance, more than the pixel bound
     [](const std::string& p) {
         std::string line;
         for (int i = 0; i < 39; ++i)
             line += "\xFF\1";
         line += std::string(2, '\0');
         std::string lines;
         for (int i = 0; i < 20000; ++i)
             lines += line;
         return Write(p, Handmade(20000, 20000, 8, 1, 4, lines + std::string("\0\1", 2)));
     }},
    {"width_65536", Reason::kTooLarge,
     [](const std::string& p) { return Write(p, Bmp({.bpp = 8}, 65536, 1, 2)); }},
    {"height_70000", Reason::kTooLarge,
     [](const std::string& p) { return Write(p, Bmp({.bpp = 1}, 1, 70000, 2)); }},
    {"top_down_height_70000", Reason::kTooLarge,
     [](const std::string& p) { return Write(p, Bmp({.bpp = 1, .topDown = true}, 1, 70000, 2)); }},
    {"header_size_8", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 14, 8)); }},
    {"header_size_13", Reason::kUnsupportedHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 14, 13)); }},
    {"png_inside", Reason::kUnsupportedCompression,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 30, 5)); }},
    {"cmyk_compression", Reason::kUnsupportedCompression,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 30, 11)); }},
    {"bit_fields_on_8_bits", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 8}, 13, 7, 5), 30, 3)); }},
    {"depth_0", Reason::kUnsupportedDepth,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 28, 0, 2)); }},
    {"depth_64", Reason::kUnsupportedDepth,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 24}), 28, 64, 2)); }},
    {"masks_past_end", Reason::kTruncated, // a 40-byte header with bit fields, cut in its masks
     [](const std::string& p) {
         return Write(p, Bmp({.bpp = 16, .compression = 3, .masks = k565}).substr(0, 60));
     }},
    {"palette_offset_inside_header", Reason::kBadHeader,
     [](const std::string& p) { return Write(p, Patched(Bmp({.bpp = 8}, 13, 7, 5), 10, 40)); }},
    {"pixels_over_max",
     Reason::kTooLarge, // both sides within 65535, 256 Mi pixels and one more row
     [](const std::string& p) {
         return Write(p, Handmade(16384, 16385, 8, 1, 2, std::string("\0\1", 2)));
     }},
};

void PrintTo(const BadFile& b, std::ostream* os) {
    *os << b.name;
}

class BmpBadFiles : public ::testing::TestWithParam<BadFile> {};

TEST_P(BmpBadFiles, GiveAnEmptyImageAndTheirReason) {
    TempFolder temp;
    const std::string path = GetParam().make(temp.File("input.bmp"));
    Reason why = Reason::kNone;
    int fileBpp = -1;
    Image image = LoadBmp(path, &why, &fileBpp);
    EXPECT_FALSE(image) << GetParam().name << ": " << image.Width() << "x" << image.Height();
    EXPECT_EQ(ReasonKey(why), ReasonKey(GetParam().reason));
    EXPECT_EQ(fileBpp, 0);
}

INSTANTIATE_TEST_SUITE_P(Inputs, BmpBadFiles, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// The largest sides PCX can store are accepted.
TEST(BmpReader, AcceptsSidesOf65535) {
    TempFolder temp;
    const std::string wide = temp.File("wide.dib"), tall = temp.File("tall.rle");
    ASSERT_TRUE(WriteBmpFile(wide, MakeTestPicture(65535, 2, 2), {.bpp = 1}));
    ASSERT_TRUE(WriteBmpFile(tall, MakeTestPicture(2, 65535, 2), {.bpp = 1, .topDown = true}));
    Image a = LoadBmp(wide), b = LoadBmp(tall);
    EXPECT_EQ(a.Width(), 65535);
    EXPECT_EQ(a.Height(), 2);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Height(), 65535);
}

// A blank RLE picture needs only its end mark, within the allowance.
TEST(BmpReader, ReadsBlankRlePictureOfEndMarkOnly) {
    TempFolder temp;
    const std::string path = temp.File("blank.bmp");
    WriteFile(path, Handmade(2000, 1000, 8, 1, 2, std::string("\0\1", 2)));
    Image image = LoadBmp(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image.Bpp(), 8);
    const RgbImage rgb = ToRgb(image);
    EXPECT_EQ(rgb.At(0, 0)[2], 10);
    EXPECT_EQ(rgb.At(1999, 999)[2], 10);
}

} // namespace

// Damaged copies of valid files (bytes changed in the headers, palette and first
// pixels, or the file cut short) load or are refused, never read outside the file
// or the bitmap (the sanitizer build checks that), and never exceed the bounds.
TEST(BmpReader, SurvivesDamagedFiles) {
    const BmpLayout layouts[] = {
        {.bpp = 8, .compression = 1, .rleDelta = true},
        {.bpp = 4, .compression = 2},
        {.bpp = 8, .paletteEntries = 20},
        {.bpp = 24, .headerSize = 124},
        {.bpp = 16, .compression = 3, .masks = k444},
        {.bpp = 32, .compression = 3, .headerSize = 56, .masks = kArgb},
        {.bpp = 8, .headerSize = 12},
        {.bpp = 1, .headerSize = 16},
    };
    const int rounds =
        std::getenv("BMP_DAMAGE_ROUNDS") ? std::atoi(std::getenv("BMP_DAMAGE_ROUNDS")) : 150;
    TempFolder temp;
    const std::string path = temp.File("damaged.bmp");
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (const BmpLayout& layout : layouts) {
        const int colours = layout.bpp <= 8 ? std::min(12, 1 << layout.bpp) : 0;
        const std::string original = EncodeBmp(MakeTestPicture(21, 9, colours), layout);
        ASSERT_FALSE(original.empty());
        for (int round = 0; round < rounds; ++round) {
            std::string bytes = original;
            const int changes = 1 + static_cast<int>(next() % 4);
            for (int i = 0; i < changes; ++i) {
                size_t at = next() % std::min<size_t>(bytes.size(), 200);
                bytes[at] = static_cast<char>(next() % 3 == 0 ? 0xFF : next());
            }
            if (next() % 4 == 0) bytes.resize(next() % bytes.size());
            ASSERT_TRUE(WriteFile(path, bytes));
            Image image = LoadBmp(path);
            if (image) {
                EXPECT_LE(image.Width(), kMaxSide);
                EXPECT_LE(image.Height(), kMaxSide);
                EXPECT_LE(int64_t{image.Width()} * image.Height(), kMaxPixels);
            }
        }
    }
}
