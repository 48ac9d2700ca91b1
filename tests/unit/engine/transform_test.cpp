#include "engine/transform.h"
#include "engine_fixture.h"
#include "settings/settings.h"

namespace {

class Transform : public ::testing::Test {
  protected:
    void SetUp() override { ResetEngineJob(); }
};

TEST_F(Transform, ColourTexts) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"FF0000", 0x0000FF}, {"00FF00", 0x00FF00}, {"0000FF", 0xFF0000},
        {"abcdef", 0xEFCDAB}, {"F00", 0},           {"", 0},
        {"FF00000", 0},       {"1Z0000", 0x01},     {"ZZ0000", 0},
        {"00001z", 0x010000},
    };
    for (const auto& [text, colour] : cases)
        EXPECT_EQ(ColorFromHex(text), colour) << text;
    EXPECT_EQ(RgbaFromHex("FF0000", 128), 0x800000FFu);
    EXPECT_EQ(RgbaFromHex("F00", 255), 0xFF000000u);
    EXPECT_EQ(RgbaFromHex("00FF00", 0), 0x0000FF00u);
    EXPECT_EQ(RgbaFromHex("000000", 0x1FF), 0xFF000000u);
}

TEST_F(Transform, ResizeAxisRoundsHalvesToEven) {
    struct Case {
        int32_t value;
        int unit;
        int32_t size, expected;
    };
    const Case cases[] = {
        {640, 0, 1, 640}, {50, 1, 201, 100}, {50, 1, 101, 50}, {50, 1, 203, 102},
        {150, 1, 10, 15}, {33, 1, 10, 3},    {10, 2, 100, 0},  {-5, 0, 100, -5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResizeAxis(c.value, c.unit, c.size), c.expected)
            << c.value << " unit " << c.unit << " of " << c.size;
}

TEST_F(Transform, ResizeFilterTable) {
    const std::pair<int, FREE_IMAGE_FILTER> cases[] = {
        {0, FILTER_BOX},        {1, FILTER_BILINEAR}, {2, FILTER_BSPLINE}, {3, FILTER_BICUBIC},
        {4, FILTER_CATMULLROM}, {5, FILTER_LANCZOS3}, {6, FILTER_BICUBIC}, {-1, FILTER_BICUBIC},
    };
    for (const auto& [algorithm, filter] : cases) {
        gSettings.imageResizeAlgorithm = static_cast<int8_t>(algorithm);
        EXPECT_EQ(ResizeFilter(), filter) << algorithm;
    }
}

struct ResizeCase {
    const char* name;
    int width, height;
    int32_t targetWidth, targetHeight;
    int8_t widthUnit, heightUnit, keepAspect, resizeType;
    int expectedWidth, expectedHeight;
};

TEST_F(Transform, ResizeTargets) {
    const ResizeCase cases[] = {
        {"percent halves to even", 201, 101, 50, 50, 1, 1, 0, 0, 100, 50},
        {"aspect, landscape: width counts", 1600, 1200, 800, 100, 0, 0, 1, 0, 800, 600},
        {"aspect, portrait: height counts", 1200, 1600, 800, 100, 0, 0, 1, 0, 75, 100},
        {"no aspect", 100, 100, 30, 70, 0, 0, 0, 0, 30, 70},
        {"large images: smaller picture stays", 640, 480, 800, 600, 0, 0, 0, 1, 640, 480},
        {"large images: wider picture shrinks", 1024, 400, 800, 600, 0, 0, 0, 1, 800, 600},
        {"all images: smaller picture grows", 64, 48, 80, 60, 0, 0, 0, 0, 80, 60},
        {"zero target", 64, 48, 0, 60, 0, 0, 0, 0, 64, 48},
        {"unknown unit", 64, 48, 10, 60, 2, 0, 0, 0, 64, 48},
        {"thin picture keeps one row", 1000, 2, 10, 10, 0, 0, 1, 0, 10, 1},
    };
    for (const ResizeCase& c : cases) {
        gSettings.doImageResize = 1;
        gSettings.imageWidth = c.targetWidth;
        gSettings.imageHeight = c.targetHeight;
        gSettings.imageWidthUnit = c.widthUnit;
        gSettings.imageHeightUnit = c.heightUnit;
        gSettings.keepAspectRatio = c.keepAspect;
        gSettings.imageResizeType = c.resizeType;
        Image out = ApplyResize(MakeSolidImage(c.width, c.height, 10, 20, 30), c.width, c.height);
        ASSERT_TRUE(out) << c.name;
        EXPECT_EQ(out.Width(), c.expectedWidth) << c.name;
        EXPECT_EQ(out.Height(), c.expectedHeight) << c.name;
    }
}

TEST_F(Transform, ResizeOffOrSameSizeKeepsThePicture) {
    Image image = MakeSolidImage(40, 30, 1, 2, 3);
    FIBITMAP* before = image.get();
    gSettings.imageWidth = 20;
    gSettings.imageHeight = 10;
    image = ApplyResize(std::move(image), 40, 30);
    EXPECT_EQ(image.get(), before);
    gSettings.doImageResize = 1;
    gSettings.imageWidth = 40;
    gSettings.imageHeight = 30;
    image = ApplyResize(std::move(image), 40, 30);
    EXPECT_EQ(image.get(), before);
    EXPECT_FALSE(ApplyResize(Image(), 40, 30));
}

void SetRotation(int angle, int type, const char* back = "000000") {
    gSettings.doImageRotation = 1;
    gSettings.imageRotation = angle;
    gSettings.imageRotationType = static_cast<int8_t>(type);
    gSettings.imageRotationBackColor = back;
}

TEST_F(Transform, OnlyAnglesFrom1To359Rotate) {
    for (int angle : {0, 360, -90, 450, -1, 720}) {
        SetRotation(angle, 0);
        Image image = MakePatternImage(200, 100);
        FIBITMAP* before = image.get();
        image = ApplyRotation(std::move(image));
        EXPECT_EQ(image.get(), before) << angle;
        EXPECT_EQ(image.Width(), 200) << angle;
    }
    SetRotation(90, 0);
    gSettings.doImageRotation = 0;
    Image image = MakePatternImage(200, 100);
    FIBITMAP* before = image.get();
    EXPECT_EQ(ApplyRotation(std::move(image)).get(), before);
}

TEST_F(Transform, QuarterTurnIsCounterClockwise) {
    SetRotation(90, 0);
    Image image = MakeSolidImage(200, 100, 0, 0, 0);
    RGBQUAD red{};
    red.rgbRed = 255;
    FreeImage_SetPixelColor(image.get(), 199, 99, &red); // top-right corner
    image = ApplyRotation(std::move(image));
    ASSERT_TRUE(image);
    EXPECT_EQ(image.Width(), 100);
    EXPECT_EQ(image.Height(), 200);
    EXPECT_EQ(PixelAt(image, 0, 0), (Rgb{255, 0, 0})); // now top-left
    EXPECT_EQ(PixelAt(image, 99, 199), (Rgb{0, 0, 0}));
}

TEST_F(Transform, SimpleRotationFillsCornersWithTheBackColour) {
    SetRotation(45, 0, "FF0000");
    Image image = ApplyRotation(MakeSolidImage(100, 100, 0, 200, 0));
    ASSERT_TRUE(image);
    EXPECT_GT(image.Width(), 140);
    EXPECT_GT(image.Height(), 140);
    const int w = image.Width(), h = image.Height();
    for (auto [x, y] : {std::pair{1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}})
        EXPECT_EQ(PixelAt(image, x, y), (Rgb{255, 0, 0})) << x << "," << y;
    EXPECT_EQ(PixelAt(image, w / 2, h / 2), (Rgb{0, 200, 0}));
}

TEST_F(Transform, AdvancedRotationKeepsTheSizeAndIgnoresTheBackColour) {
    SetRotation(45, 1, "FF0000");
    Image image = ApplyRotation(MakeSolidImage(100, 80, 0, 200, 0));
    ASSERT_TRUE(image);
    EXPECT_EQ(image.Width(), 100);
    EXPECT_EQ(image.Height(), 80);
    EXPECT_NE(PixelAt(image, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelAt(image, 50, 40), (Rgb{0, 200, 0}));
}

TEST_F(Transform, RotationWidensLowDepthPictures) {
    SetRotation(90, 0);
    Image palette = ApplyRotation(MakePaletteImage(30, 20));
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette.Bpp(), 24);
    EXPECT_EQ(palette.Width(), 20);
    Image deep = ApplyRotation(MakeSolidImage(30, 20, 1, 2, 3, 32));
    EXPECT_EQ(deep.Bpp(), 32);
    gSettings.doImageRotation = 0;
    EXPECT_EQ(ApplyRotation(MakePaletteImage(30, 20)).Bpp(), 8);
    SetRotation(90, 2);
    EXPECT_EQ(ApplyRotation(MakePaletteImage(30, 20)).Bpp(), 8); // unknown type: untouched
}

TEST_F(Transform, Flips) {
    struct Case {
        int8_t horizontal, vertical;
        Rgb topLeft;
    };
    // Corners: top-left red, top-right green, bottom-left blue, bottom-right white.
    const Case cases[] = {
        {0, 0, {255, 0, 0}},
        {1, 0, {0, 255, 0}},
        {0, 1, {0, 0, 255}},
        {1, 1, {255, 255, 255}},
    };
    for (const Case& c : cases) {
        Image image = MakeSolidImage(2, 2, 0, 0, 0);
        RGBQUAD q[4] = {};
        q[0].rgbRed = 255;                                // top-left
        q[1].rgbGreen = 255;                              // top-right
        q[2].rgbBlue = 255;                               // bottom-left
        q[3].rgbRed = q[3].rgbGreen = q[3].rgbBlue = 255; // bottom-right
        FreeImage_SetPixelColor(image.get(), 0, 1, &q[0]);
        FreeImage_SetPixelColor(image.get(), 1, 1, &q[1]);
        FreeImage_SetPixelColor(image.get(), 0, 0, &q[2]);
        FreeImage_SetPixelColor(image.get(), 1, 0, &q[3]);
        gSettings.doImageFlipHorizontal = c.horizontal;
        gSettings.doImageFlipVertical = c.vertical;
        FIBITMAP* before = image.get();
        image = ApplyFlip(std::move(image));
        EXPECT_EQ(image.get(), before);
        EXPECT_EQ(PixelAt(image, 0, 0), c.topLeft) << int(c.horizontal) << int(c.vertical);
        EXPECT_EQ(image.Bpp(), 24);
    }
}

} // namespace
