#include "platform/drawing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

constexpr uint32_t kRed = PackRgba(255, 0, 0, 255);
constexpr uint32_t kBlue = PackRgba(0, 0, 255, 255);

void ExpectNear(uint32_t actual, uint32_t expected, int tolerance, const char* where) {
    SCOPED_TRACE(where);
    EXPECT_NEAR(RedOf(actual), RedOf(expected), tolerance);
    EXPECT_NEAR(GreenOf(actual), GreenOf(expected), tolerance);
    EXPECT_NEAR(BlueOf(actual), BlueOf(expected), tolerance);
    EXPECT_NEAR(AlphaOf(actual), AlphaOf(expected), tolerance);
}

} // namespace

TEST(Drawing, SurfacesRefuseImpossibleSizes) {
    EXPECT_FALSE(CreateSurface(0, 10));
    EXPECT_FALSE(CreateSurface(10, -1));
    EXPECT_FALSE(CreateSurface(kMaxSurfaceSide + 1, 1));
    Surface s = CreateSurface(3, 2);
    ASSERT_TRUE(s);
    EXPECT_EQ(SurfacePixel(s, 2, 1), 0u);
    EXPECT_EQ(SurfacePixel(s, 5, 5), 0u); // outside reads as transparent
}

TEST(Drawing, HandOverToFreeImageKeepsStraightAlpha) {
    Surface s = CreateFilledSurface(4, 3, PackRgba(200, 100, 50, 128));
    ASSERT_TRUE(s);
    DrawContext cr = OpenDrawing(s);
    FillBox(cr, 0, 0, 1, 1, kBlue); // the top-left pixel
    cr.reset();
    Image image = SurfaceToImage(s);
    ASSERT_TRUE(image);
    ASSERT_EQ(image.Bpp(), 32);
    // FreeImage rows are bottom-up: the top row is the last scan line.
    BYTE* top = FreeImage_GetScanLine(image.get(), 2);
    EXPECT_EQ(top[FI_RGBA_BLUE], 255);
    EXPECT_EQ(top[FI_RGBA_RED], 0);
    EXPECT_EQ(top[FI_RGBA_ALPHA], 255);
    BYTE* other = FreeImage_GetScanLine(image.get(), 0) + 4 * 3;
    EXPECT_NEAR(other[FI_RGBA_RED], 200, 1);
    EXPECT_NEAR(other[FI_RGBA_GREEN], 100, 1);
    EXPECT_NEAR(other[FI_RGBA_BLUE], 50, 1);
    EXPECT_EQ(other[FI_RGBA_ALPHA], 128);

    Surface back = ImageToSurface(image);
    ASSERT_TRUE(back);
    EXPECT_EQ(SurfacePixel(back, 0, 0), kBlue);
    ExpectNear(SurfacePixel(back, 3, 2), PackRgba(200, 100, 50, 128), 1, "round trip");

    // A 24-bit bitmap becomes opaque.
    Image rgb(FreeImage_Allocate(2, 2, 24));
    ASSERT_TRUE(rgb);
    Surface opaque = ImageToSurface(rgb);
    ASSERT_TRUE(opaque);
    EXPECT_EQ(SurfacePixel(opaque, 1, 1), PackRgba(0, 0, 0, 255));
}

TEST(Drawing, PathDataFillsTheFigure) {
    Surface s = CreateSurface(10, 10);
    DrawContext cr = OpenDrawing(s);
    ASSERT_TRUE(FillPath(cr, "M 2 2 l 4 0 l 0 4 l -4 0 Z", kRed));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
            EXPECT_EQ(SurfacePixel(s, x, y), inside ? kRed : 0u) << x << "," << y;
        }
    // A doubled sign negates a negative number: "l --4 0" moves right by 4.
    Surface t = CreateSurface(10, 10);
    DrawContext ct = OpenDrawing(t);
    ASSERT_TRUE(FillPath(ct, "M 0 0 l --4 0 l 0 4 L 0 4 Z", kBlue));
    EXPECT_EQ(SurfacePixel(t, 3, 3), kBlue);
    EXPECT_EQ(SurfacePixel(t, 4, 3), 0u);
}

TEST(Drawing, MalformedPathDataDrawsNothing) {
    for (const char* bad : {"l 1 1 l 2 2 Z", "M 0 0 l 5", "M 0 0 l x 5 l 2 2 Z", "Q 1 2",
                            "M 0 0 l ---4 0 l 0 4 Z", "5 5"}) {
        Surface s = CreateSurface(8, 8);
        DrawContext cr = OpenDrawing(s);
        EXPECT_FALSE(FillPath(cr, bad, kRed)) << bad;
        FillBox(cr, 7, 7, 1, 1, kBlue); // the context is still usable
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(SurfacePixel(s, x, y), 0u) << bad;
        EXPECT_EQ(SurfacePixel(s, 7, 7), kBlue) << bad;
    }
}

TEST(Drawing, LayerIsLaidOverWithItsAlpha) {
    Surface s = CreateSurface(4, 4);
    DrawContext cr = OpenDrawing(s);
    BeginLayer(cr);
    FillBox(cr, 0, 0, 4, 4, kRed);
    FillBox(cr, 0, 0, 2, 4, kBlue); // overlaps inside the layer: no mixing with red
    EndLayer(cr, 128);
    ExpectNear(SurfacePixel(s, 0, 0), PackRgba(0, 0, 255, 128), 1, "left");
    ExpectNear(SurfacePixel(s, 3, 0), PackRgba(255, 0, 0, 128), 1, "right");
}

TEST(Drawing, CopyReplacesAndOverBlends) {
    Surface source = CreateFilledSurface(2, 2, PackRgba(255, 0, 0, 255));
    Surface copy = CreateFilledSurface(4, 4, PackRgba(0, 0, 0, 255));
    ASSERT_TRUE(DrawSurface(copy, source, 1, 1, 128, DrawMode::Copy));
    ExpectNear(SurfacePixel(copy, 1, 1), PackRgba(255, 0, 0, 128), 1, "copied");
    EXPECT_EQ(SurfacePixel(copy, 0, 0), PackRgba(0, 0, 0, 255));
    EXPECT_EQ(SurfacePixel(copy, 3, 3), PackRgba(0, 0, 0, 255));

    Surface over = CreateFilledSurface(4, 4, PackRgba(0, 0, 255, 255));
    ASSERT_TRUE(DrawSurface(over, source, -1, -1, 128, DrawMode::Over)); // partly outside
    ExpectNear(SurfacePixel(over, 0, 0), PackRgba(128, 0, 127, 255), 1, "blended");
    EXPECT_EQ(SurfacePixel(over, 1, 1), PackRgba(0, 0, 255, 255));
}

TEST(Drawing, FilterSeesStraightPixelsAndAlphaApplies) {
    Surface source = CreateFilledSurface(2, 1, PackRgba(255, 0, 0, 255));
    Surface target = CreateSurface(2, 1);
    std::set<uint32_t> seen;
    ASSERT_TRUE(DrawSurfaceFiltered(target, source, 0, 0, 255, [&](uint32_t p) {
        seen.insert(p);
        int g = (77 * RedOf(p) + 150 * GreenOf(p) + 29 * BlueOf(p)) >> 8;
        return PackRgba(g, g, g, AlphaOf(p));
    }));
    EXPECT_EQ(seen, std::set<uint32_t>{kRed});
    EXPECT_EQ(SurfacePixel(target, 0, 0), PackRgba(76, 76, 76, 255));
    ASSERT_TRUE(DrawSurfaceFiltered(target, source, 1, 0, 51, [](uint32_t p) { return p; }));
    ExpectNear(SurfacePixel(target, 1, 0), PackRgba(255, 0, 0, 51), 2, "filtered with alpha");
}

TEST(Drawing, FontNamesResolveThroughFontconfig) {
    struct Case {
        const char* name;
        const char* family; // "" when the name does not resolve
    };
    const Case cases[] = {
        {"Arial", "Liberation Sans"},           // metric alias
        {"arial", "Liberation Sans"},           // names compare without case
        {"Liberation Sans", "Liberation Sans"}, // installed family
        {"DejaVu Sans", "DejaVu Sans"},
        {"Times New Roman", "Liberation Serif"},
        {"Brelvix Made Up Face", ""}, // falls back only
        {"Tahoma", ""},               // not installed, no alias installed
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveFontFamily(c.name), c.family) << c.name;
    EXPECT_FALSE(ResolveFontFamily("sans-serif").empty());
    EXPECT_FALSE(CreateFont({"Brelvix Made Up Face", 14}));
    Font arial = CreateFont({"Arial", 14});
    ASSERT_TRUE(arial);
    EXPECT_EQ(arial.family, "Liberation Sans");
}

TEST(Drawing, FontSizeIsPointsAtNinetySixDpi) {
    Font small = CreateFont({"DejaVu Sans", 12});
    Font twice = CreateFont({"DejaVu Sans", 24});
    ASSERT_TRUE(small && twice);
    TextExtent a = MeasureText(small, "Hello", TextRendering::Antialiased);
    TextExtent b = MeasureText(twice, "Hello", TextRendering::Antialiased);
    // 12 pt at 96 dpi is 16 px; DejaVu Sans has a line height of about 1.164 em.
    EXPECT_NEAR(a.height, 16 * 1.164, 1.0);
    EXPECT_NEAR(b.width, 2 * a.width, 1.0);
    // Sizes outside the range are clamped, never refused or unbounded.
    Font tiny = CreateFont({"DejaVu Sans", -5});
    Font huge = CreateFont({"DejaVu Sans", 2000000000});
    ASSERT_TRUE(tiny && huge);
    TextExtent t = MeasureText(tiny, "Hi", TextRendering::Plain);
    TextExtent h = MeasureText(huge, "Hi", TextRendering::Plain);
    EXPECT_GT(t.height, 0);
    EXPECT_LT(t.height, 5);
    EXPECT_NEAR(h.height, kMaxFontPoints * 96.0 / 72.0 * 1.164, 30);
}

TEST(Drawing, PlainTextHasOnlyTwoColoursAntialiasedHasCoverage) {
    Font font = CreateFont({"DejaVu Sans", 20});
    ASSERT_TRUE(font);
    const uint32_t back = PackRgba(0, 0, 255, 200);
    const uint32_t front = PackRgba(255, 255, 0, 100);
    TextExtent e = MeasureText(font, "Wag", TextRendering::Plain);
    EXPECT_EQ(e.width, static_cast<int>(e.width));
    Surface plain = CreateFilledSurface(100, 40, back);
    ASSERT_TRUE(DrawText(plain, font, "Wag", 2, 2, front, TextRendering::Plain, &back));
    std::set<uint32_t> colours;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x)
            colours.insert(SurfacePixel(plain, x, y));
    ASSERT_EQ(colours.size(), 2u);
    EXPECT_TRUE(colours.count(back));
    // The font colour is written with its own alpha, not blended over the box.
    ExpectNear(*colours.begin() == back ? *colours.rbegin() : *colours.begin(), front, 2,
               "plain text pixel");

    Surface smooth = CreateSurface(100, 40);
    ASSERT_TRUE(DrawText(smooth, font, "Wag", 2, 2, kRed, TextRendering::Antialiased));
    int partial = 0, full = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            int a = AlphaOf(SurfacePixel(smooth, x, y));
            partial += a > 0 && a < 255;
            full += a == 255;
        }
    EXPECT_GT(partial, 10);
    EXPECT_GT(full, 10);
}

TEST(Drawing, UnderlineAndStrikeThroughAddInk) {
    auto ink = [](const FontRequest& request) {
        Font font = CreateFont(request);
        Surface s = CreateSurface(120, 40);
        DrawText(s, font, "ace", 0, 0, kRed, TextRendering::Plain);
        int n = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                n += SurfacePixel(s, x, y) == kRed;
        return n;
    };
    int plain = ink({"DejaVu Sans", 20});
    EXPECT_GT(ink({"DejaVu Sans", 20, false, false, true, false}), plain + 20);
    EXPECT_GT(ink({"DejaVu Sans", 20, false, false, false, true}), plain + 20);
    EXPECT_GT(ink({"DejaVu Sans", 20, true}), plain + 20); // bold
}

TEST(Drawing, InvalidUtf8TextIsDrawnNotRefused) {
    Font font = CreateFont({"DejaVu Sans", 12});
    TextExtent e = MeasureText(font,
                               std::string_view("a\xff\xfe"
                                                "b",
                                                4),
                               TextRendering::Plain);
    EXPECT_GT(e.width, 0);
}
