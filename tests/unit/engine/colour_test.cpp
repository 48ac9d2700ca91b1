#include "engine/colour.h"
#include "engine_fixture.h"
#include "settings/settings.h"

#include <set>

namespace {

class Colour : public ::testing::Test {
  protected:
    void SetUp() override { ResetEngineJob(); }
};

TEST_F(Colour, NeutralCorrectionLeavesPixelsUnchanged) {
    gSettings.doImageColorCorrection = 1;
    gSettings.imageBrightness = 0;
    gSettings.imageContrast = 0;
    gSettings.imageGamma = 1.0f;
    gSettings.imageInvert = 0;
    for (int bpp : {24, 32}) {
        Image source = bpp == 24 ? MakePatternImage(31, 17)
                                 : Image(FreeImage_ConvertTo32Bits(MakePatternImage(31, 17).get()));
        const RgbImage expected = ToRgb(source);
        Image out = ApplyColorAdjustment(std::move(source));
        ASSERT_TRUE(out);
        EXPECT_EQ(out.Bpp(), bpp);
        EXPECT_EQ(ToRgb(out).pixels, expected.pixels) << bpp;
    }
}

TEST_F(Colour, InvertAndBrightness) {
    gSettings.doImageColorCorrection = 1;
    gSettings.imageInvert = 1;
    Image out = ApplyColorAdjustment(MakeSolidImage(4, 4, 10, 20, 30));
    EXPECT_EQ(PixelAt(out, 1, 1), (Rgb{245, 235, 225}));
    gSettings.imageInvert = 0;
    gSettings.imageBrightness = 50;
    Rgb brighter = PixelAt(ApplyColorAdjustment(MakeSolidImage(4, 4, 100, 100, 100)), 0, 0);
    EXPECT_GT(brighter.r, 100);
    gSettings.doImageColorCorrection = 0;
    EXPECT_EQ(PixelAt(ApplyColorAdjustment(MakeSolidImage(4, 4, 100, 100, 100)), 0, 0),
              (Rgb{100, 100, 100}));
}

TEST_F(Colour, CorrectionWidensDepthsItCannotAdjust) {
    gSettings.doImageColorCorrection = 1;
    gSettings.imageInvert = 1;
    struct Case {
        int bpp, expectedBpp;
    };
    for (Case c : {Case{1, 24}, Case{4, 24}, Case{16, 24}, Case{8, 8}, Case{32, 32}}) {
        Image source = MakeSolidImage(8, 8, 0, 0, 0);
        if (c.bpp == 1) source = Image(FreeImage_Threshold(source.get(), 128));
        if (c.bpp == 4) source = Image(FreeImage_ConvertTo4Bits(source.get()));
        if (c.bpp == 8) source = Image(FreeImage_ConvertTo8Bits(source.get()));
        if (c.bpp == 16) source = Image(FreeImage_ConvertTo16Bits565(source.get()));
        if (c.bpp == 32) source = Image(FreeImage_ConvertTo32Bits(source.get()));
        ASSERT_EQ(source.Bpp(), c.bpp);
        Image out = ApplyColorAdjustment(std::move(source));
        ASSERT_TRUE(out);
        EXPECT_EQ(out.Bpp(), c.expectedBpp) << c.bpp;
        // Black turned to white: the adjustment really ran.
        EXPECT_EQ(PixelAt(out, 3, 3), (Rgb{255, 255, 255})) << c.bpp;
    }
}

TEST_F(Colour, GreyscaleThenThresholdGivesBlackAndWhite) {
    gSettings.doImageGreyscale = 1;
    Image grey = ApplyGreyscale(MakePatternImage(40, 30));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey.Bpp(), 8);
    EXPECT_EQ(FreeImage_GetColorType(grey.get()), FIC_MINISBLACK);
    gSettings.doImageThreshold = 1;
    gSettings.imageThreshold = 128 + 256; // only the low byte counts
    Image bw = ApplyThreshold(std::move(grey));
    ASSERT_TRUE(bw);
    EXPECT_EQ(bw.Bpp(), 1);
    std::set<std::tuple<int, int, int>> colours;
    RgbImage rgb = ToRgb(bw);
    for (size_t i = 0; i < rgb.pixels.size(); i += 3)
        colours.insert({rgb.pixels[i], rgb.pixels[i + 1], rgb.pixels[i + 2]});
    EXPECT_EQ(colours, (std::set<std::tuple<int, int, int>>{{0, 0, 0}, {255, 255, 255}}));
    // Below the level is black, the rest white.
    gSettings.doImageGreyscale = 0;
    EXPECT_EQ(PixelAt(ApplyThreshold(MakeSolidImage(2, 2, 127, 127, 127)), 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(ApplyThreshold(MakeSolidImage(2, 2, 200, 200, 200)), 0, 0),
              (Rgb{255, 255, 255}));
}

TEST_F(Colour, BitDepthForSource) {
    struct Case {
        const char* format;
        int32_t source, expected;
    };
    const Case cases[] = {
        {"bmp", 16, 16}, {"bmp", 48, 32}, {"bmp", 1, 1},  {"bmp", 2, 4},
        {"bmp", 24, 24}, {"pcx", 1, 24},  {"pcx", 8, 24}, {"pcx", 32, 24},
        {"pcx", 48, 24}, {"png", 16, 24}, {"exr", 8, 96}, {"nope", 24, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BitDepthForSource(c.format, c.source), c.expected) << c.format << " " << c.source;
}

TEST_F(Colour, KeepDepthOfA32BitSourceGives24ForPcx) {
    for (int32_t configured : {0, 24}) {
        ResetEngineJob();
        gSettings.pcxBpp = configured;
        gJob.outputBitDepth = configured;
        gJob.keepBitDepth = configured == 0 ? 1 : 0;
        gJob.sourceBitDepth = 32;
        Image out = ApplyBitDepth(MakeSolidImage(5, 5, 1, 2, 3, 32));
        ASSERT_TRUE(out);
        EXPECT_EQ(out.Bpp(), 24);
        EXPECT_EQ(gJob.outputBitDepth, 24);
        EXPECT_EQ(PixelAt(out, 2, 2), (Rgb{1, 2, 3}));
    }
}

TEST_F(Colour, BitDepthConversions) {
    struct Case {
        const char* format;
        int32_t target;
        int expectedBpp;
        unsigned greenMask; // for 16 bits
    };
    const Case cases[] = {
        {"bmp", 1, 1, 0},
        {"bmp", 4, 4, 0},
        {"bmp", 8, 8, 0},
        {"jpg", 8, 8, 0},
        {"bmp", 16, 16, FI16_565_GREEN_MASK},
        {"tga", 16, 16, FI16_555_GREEN_MASK},
        {"bmp", 24, 24, 0},
        {"bmp", 32, 32, 0},
        {"png", 48, 48, 0},
        {"exr", 96, 96, 0},
    };
    for (const Case& c : cases) {
        gJob.outputFormat = c.format;
        gJob.outputBitDepth = c.target;
        gJob.keepBitDepth = 0;
        Image out = ApplyBitDepth(MakePatternImage(12, 9));
        ASSERT_TRUE(out) << c.format << " " << c.target;
        EXPECT_EQ(out.Bpp(), c.expectedBpp) << c.format << " " << c.target;
        if (c.greenMask) {
            EXPECT_EQ(FreeImage_GetGreenMask(out.get()), c.greenMask) << c.format;
        }
    }
    gJob.outputFormat = "pcx";
    gJob.outputBitDepth = 7;
    EXPECT_FALSE(ApplyBitDepth(MakePatternImage(12, 9)));
    EXPECT_FALSE(ApplyBitDepth(Image()));
}

TEST_F(Colour, GreyPictureBecomesGrey24Bits) {
    gJob.outputBitDepth = 24;
    Image grey(FreeImage_ConvertToGreyscale(MakeSolidImage(3, 3, 90, 90, 90).get()));
    ASSERT_EQ(grey.Bpp(), 8);
    Image out = ApplyBitDepth(std::move(grey));
    EXPECT_EQ(out.Bpp(), 24);
    EXPECT_EQ(PixelAt(out, 1, 1), (Rgb{90, 90, 90}));
    // A picture already at the depth is passed on as it is.
    Image same = MakeSolidImage(3, 3, 1, 1, 1);
    FIBITMAP* before = same.get();
    EXPECT_EQ(ApplyBitDepth(std::move(same)).get(), before);
}

} // namespace
