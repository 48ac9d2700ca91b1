#include "engine/convert.h"
#include "engine/watermark.h"
#include "formats/formats.h"
#include "platform/drawing.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "test_support.h"

#include "picture_helpers.h"

#include <gtest/gtest.h>

using namespace drawtest;

#include <climits>
#include <set>
#include <sys/stat.h>
#include <thread>

namespace {

const Rgb kGrey{90, 90, 90};
const Rgb kRed{255, 0, 0};

class Watermark : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSettings(true);
        ResetJob();
        BuildFormatTables();
        gJob.outputFormat = "pcx";
    }
    void TearDown() override { FreeWatermarkFont(); }

    // Text watermark settings with a known font and plain, opaque drawing.
    void UseText(const std::string& text) {
        gSettings.doWatermark = 1;
        gSettings.text = text;
        gSettings.font = "DejaVu Sans";
        gSettings.fontSize = 14;
        gSettings.fontColor = "FFFFFF";
        gSettings.backColor = "000000";
        gSettings.backOpacity = 255;
        gSettings.textOpacity = 255;
        ASSERT_TRUE(CreateWatermarkFont());
    }
    Font SameFont() { return CreateFont({gSettings.font, gSettings.fontSize}); }

    // The ink of an overlay: pixels that differ from its top-left corner.
    struct Box {
        int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1; // inclusive
    };
    static Box InkBox(const Image& overlay, int fromY = 0, int toY = INT_MAX) {
        Box box;
        const Rgb back = PixelAt(overlay, 0, 0);
        for (int y = std::max(fromY, 0); y < std::min(toY, overlay.Height()); ++y)
            for (int x = 0; x < overlay.Width(); ++x)
                if (!(PixelAt(overlay, x, y) == back)) {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.top = std::min(box.top, y);
                    box.bottom = std::max(box.bottom, y);
                }
        return box;
    }

    std::string SavePicture(const Image& picture, FREE_IMAGE_FORMAT format, const char* name) {
        const std::string path = temp_.File(name);
        EXPECT_TRUE(FreeImage_Save(format, picture.get(), path.c_str(), 0));
        return path;
    }
    void UsePicture(const std::string& path) {
        gSettings.doWatermark = 2;
        gSettings.image = path;
    }

    TempFolder temp_;
};

} // namespace

TEST_F(Watermark, PlacementTable) {
    struct Case {
        int kind; // 1 text, 2 image
        int position;
        int xOffset, yOffset;
        int x, y;
    };
    // A 200 x 30 overlay on 640 x 480.
    const Case cases[] = {
        {1, 0, 10, 20, 10, 20},
        {1, 1, 10, 20, 220, 20},
        {1, 2, 10, 20, 430, 20},
        {1, 3, 10, 20, 10, 225},
        {1, 4, 10, 20, 220, 225},
        {1, 5, 10, 20, 430, 225},
        {1, 6, 10, 20, 10, 430},
        {1, 7, 10, 20, 220, 430},
        {1, 8, 10, 20, 430, 430},
        {1, 9, 10, 20, 0, 0},
        {1, 8, 10, 10, 430, 440}, // the defaults
        {2, 2, 15, 5, 425, 5},
        {2, 6, 0, 0, 0, 450},
        {1, 0, -5, -7, -5, -7},
        {1, 8, INT_MAX, INT_MIN, 440 - INT_MAX, INT_MAX}, // far offsets stay in range
    };
    for (const Case& c : cases) {
        ResetSettings(true);
        gSettings.doWatermark = static_cast<int8_t>(c.kind);
        if (c.kind == 1) {
            gSettings.textPosition = static_cast<int8_t>(c.position);
            gSettings.textXOffset = c.xOffset;
            gSettings.textYOffset = c.yOffset;
            gSettings.imagePosition = 0; // the other variant's settings play no part
        } else {
            gSettings.imagePosition = static_cast<int8_t>(c.position);
            gSettings.imageXOffset = c.xOffset;
            gSettings.imageYOffset = c.yOffset;
        }
        WatermarkPlace at = PlaceWatermark(640, 480, 200, 30);
        EXPECT_EQ(at.x, c.x) << c.kind << "/" << c.position;
        EXPECT_EQ(at.y, c.y) << c.kind << "/" << c.position;
    }
    // Centring truncates toward zero, also when the overlay is the larger.
    gSettings.doWatermark = 1;
    gSettings.textPosition = 4;
    EXPECT_EQ(PlaceWatermark(105, 11, 100, 20).x, 2);
    EXPECT_EQ(PlaceWatermark(105, 11, 100, 20).y, -4);
}

TEST_F(Watermark, FrameBoundaryConfinesTheArea) {
    gSettings.doWatermark = 1;
    gSettings.doFrame = 1;
    gSettings.solidLeft = 20;
    gSettings.solidTop = 30;
    gSettings.solidRight = 7;
    gSettings.solidBottom = 9;
    gSettings.textBoundary = 1;
    gSettings.textPosition = 0;
    WatermarkPlace at = PlaceWatermark(640, 480, 200, 30);
    EXPECT_EQ(at.x, 30);
    EXPECT_EQ(at.y, 40);
    gSettings.textPosition = 8;
    at = PlaceWatermark(640, 480, 200, 30);
    EXPECT_EQ(at.x, 640 - 7 - 10 - 200);
    EXPECT_EQ(at.y, 480 - 9 - 10 - 30);
    WatermarkArea area = AllowedArea(640, 480);
    EXPECT_EQ(area.width, 613);
    EXPECT_EQ(area.height, 441);
    // Without the frame, or with the boundary IMAGE, the whole picture counts.
    gSettings.textBoundary = 0;
    EXPECT_EQ(AllowedArea(640, 480).width, 640);
    gSettings.textBoundary = 1;
    gSettings.doFrame = 0;
    EXPECT_EQ(AllowedArea(640, 480).x, 0);
}

TEST_F(Watermark, ClippingKeepsTheTopLeftPart) {
    struct Case {
        int overlayWidth, overlayHeight, xOffset, yOffset;
        int width, height; // 0 x 0: no overlay left
    };
    const Case cases[] = {
        {200, 30, 10, 10, 200, 30},                             // fits
        {700, 30, 10, 10, 630, 30},                             // cut at the right
        {200, 500, 10, 10, 200, 470},                           // cut at the bottom
        {700, 500, 10, 10, 630, 470}, {200, 30, 640, 10, 0, 0}, // no room left of the offset
        {200, 30, 10, 480, 0, 0},     {200, 30, INT_MAX, 10, 0, 0},
    };
    for (const Case& c : cases) {
        gSettings.doWatermark = 1;
        gSettings.textXOffset = c.xOffset;
        gSettings.textYOffset = c.yOffset;
        Image overlay = MakePicture(c.overlayWidth, c.overlayHeight, 32, [](int x, int y) {
            return Rgb{x % 256, y % 256, 7, 200};
        });
        Image clipped = ClipWatermark(std::move(overlay), 640, 480);
        EXPECT_EQ(clipped.Width(), c.width) << c.overlayWidth << "x" << c.overlayHeight;
        EXPECT_EQ(clipped.Height(), c.height) << c.overlayWidth << "x" << c.overlayHeight;
        if (clipped) {
            EXPECT_EQ(PixelAt(clipped, 5, 3), (Rgb{5, 3, 7, 200}));
            EXPECT_EQ(clipped.Bpp(), 32);
        }
    }
}

TEST_F(Watermark, OverlayIsCompositedAtItsPlace) {
    const std::string logo = SavePicture(SolidPicture(10, 10, kRed), FIF_PNG, "logo.png");
    UsePicture(logo);
    gSettings.imagePosition = 0;
    gSettings.imageXOffset = 5;
    gSettings.imageYOffset = 7;
    Image out = ApplyWatermark(SolidPicture(100, 50, kGrey, 32), 100, 50);
    ASSERT_TRUE(out);
    EXPECT_EQ(out.Bpp(), 24);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 5 && x < 15 && y >= 7 && y < 17;
            ASSERT_EQ(PixelAt(out, x, y), inside ? kRed : kGrey) << x << "," << y;
        }
}

TEST_F(Watermark, NoRoomOrNegativeOffsetsLeaveThePicture) {
    const std::string logo = SavePicture(SolidPicture(10, 10, kRed), FIF_PNG, "logo.png");
    UsePicture(logo);
    const struct {
        int position, xOffset, yOffset;
    } cases[] = {{0, 100, 0}, {0, 0, 50}, {8, 100, 0}, {8, 0, 50}, {0, -3, 0}, {8, 10, -50}};
    for (const auto& c : cases) {
        gSettings.imagePosition = static_cast<int8_t>(c.position);
        gSettings.imageXOffset = c.xOffset;
        gSettings.imageYOffset = c.yOffset;
        Image out = ApplyWatermark(SolidPicture(100, 50, kGrey), 100, 50);
        ASSERT_TRUE(out) << c.xOffset;
        for (int y = 0; y < 50; y += 7)
            for (int x = 0; x < 100; x += 3)
                ASSERT_EQ(PixelAt(out, x, y), kGrey) << c.xOffset;
    }
}

TEST_F(Watermark, SingleLineIsDrawnAtThePadding) {
    UseText("Hello");
    gSettings.textPadding = 6;
    Image overlay = RenderTextWatermark();
    ASSERT_TRUE(overlay);
    const TextExtent e = MeasureText(SameFont(), "Hello", TextRendering::Plain);
    EXPECT_EQ(overlay.Width(), static_cast<int>(e.width) + 12);
    EXPECT_EQ(overlay.Height(), static_cast<int>(e.height) + 12);
    EXPECT_EQ(overlay.Bpp(), 32);
    Box ink = InkBox(overlay);
    EXPECT_GE(ink.left, 6);
    EXPECT_LE(ink.left, 8); // the H starts at the pen, give or take its side bearing
    EXPECT_GE(ink.top, 6);
    EXPECT_LT(ink.bottom, 6 + static_cast<int>(e.height));
    EXPECT_LT(ink.right, 6 + static_cast<int>(e.width));
}

TEST_F(Watermark, LinesSplitAtEolAndAlignRight) {
    UseText("Line one%EOL%line two, longer");
    gSettings.textPadding = 5;
    gSettings.textAlignment = 2;
    gSettings.fontLeading = 3;
    Image overlay = RenderTextWatermark();
    ASSERT_TRUE(overlay);
    Font font = SameFont();
    const TextExtent one = MeasureText(font, "Line one", TextRendering::Plain);
    const TextExtent two = MeasureText(font, "line two, longer", TextRendering::Plain);
    const int lineHeight = static_cast<int>(std::max(one.height, two.height));
    const int step = lineHeight + 3;
    const int boxWidth = static_cast<int>(std::max(one.width, two.width)) + 10;
    EXPECT_EQ(overlay.Width(), boxWidth);
    EXPECT_EQ(overlay.Height(), lineHeight + step + 10);
    for (int line = 0; line < 2; ++line) {
        const int top = 5 + line * step;
        Box ink = InkBox(overlay, top, top + lineHeight);
        SCOPED_TRACE(line);
        // Each line ends 5 pixels before the box's right edge (its last glyph's ink
        // stops a pixel or two short of its advance).
        EXPECT_LE(ink.right, boxWidth - 5 - 1);
        EXPECT_GE(ink.right, boxWidth - 5 - 3);
        EXPECT_GE(ink.top, top);
    }
    // The short line starts further right than the long one.
    EXPECT_GT(InkBox(overlay, 5, 5 + lineHeight).left,
              InkBox(overlay, 5 + step, 5 + step + lineHeight).left + 20);
}

TEST_F(Watermark, EolMarkersInAnyCaseAndCentring) {
    UseText("ab%eol%abcdef%EoL%ab");
    gSettings.textAlignment = 1;
    Image overlay = RenderTextWatermark();
    ASSERT_TRUE(overlay);
    Font font = SameFont();
    const int lineHeight =
        static_cast<int>(std::max(10.0, MeasureText(font, "abcdef", TextRendering::Plain).height));
    EXPECT_EQ(overlay.Height(), 3 * lineHeight);
    Box first = InkBox(overlay, 0, lineHeight);
    Box middle = InkBox(overlay, lineHeight, 2 * lineHeight);
    EXPECT_NEAR(first.left + first.right, middle.left + middle.right, 3); // same centre
}

TEST_F(Watermark, PlainTextHasTwoColoursAntialiasedHasCoverage) {
    UseText("Wavy text");
    gSettings.fontColor = "FFFF00";
    gSettings.backColor = "0000FF";
    gSettings.textOpacity = 200;
    gSettings.backOpacity = 100;
    Image plain = RenderTextWatermark();
    ASSERT_TRUE(plain);
    std::set<std::tuple<int, int, int, int>> colours;
    for (int y = 0; y < plain.Height(); ++y)
        for (int x = 0; x < plain.Width(); ++x) {
            Rgb c = PixelAt(plain, x, y);
            colours.insert({c.r, c.g, c.b, c.a});
        }
    EXPECT_EQ(colours,
              (std::set<std::tuple<int, int, int, int>>{{255, 255, 0, 200}, {0, 0, 255, 100}}));

    gSettings.textAntialiasing = 1;
    Image smooth = RenderTextWatermark();
    ASSERT_TRUE(smooth);
    EXPECT_EQ(smooth.Width(), plain.Width()); // measured the same way
    EXPECT_EQ(PixelAt(smooth, 0, 0), (Rgb{0, 0, 255, 100}));
    int between = 0;
    for (int y = 0; y < smooth.Height(); ++y)
        for (int x = 0; x < smooth.Width(); ++x) {
            Rgb c = PixelAt(smooth, x, y);
            between += c.r > 20 && c.r < 235;
        }
    EXPECT_GT(between, 20);
}

TEST_F(Watermark, BackOpacityOneIsAlmostInvisible) {
    UseText("Box");
    gSettings.textPosition = 0;
    gSettings.textXOffset = 0;
    gSettings.textYOffset = 0;
    gSettings.textPadding = 4;
    gSettings.backColor = "FF0000";
    for (int opacity : {1, 255}) {
        gSettings.backOpacity = opacity;
        Image out = ApplyWatermark(SolidPicture(200, 60, kGrey), 200, 60);
        ASSERT_TRUE(out);
        const Rgb corner = PixelAt(out, 1, 1); // inside the padding: box only
        if (opacity == 1)
            EXPECT_TRUE(Near(corner, kGrey, 1)) << corner;
        else
            EXPECT_EQ(corner, kRed);
        EXPECT_EQ(PixelAt(out, 199, 59), kGrey); // outside the box
    }
}

TEST_F(Watermark, MissingFontGivesNoWatermark) {
    gSettings.doWatermark = 1;
    gSettings.font = "Brelvix Made Up Face";
    EXPECT_FALSE(CreateWatermarkFont());
    EXPECT_FALSE(WatermarkFontExists());
    EXPECT_FALSE(RenderTextWatermark());
    Image out = ApplyWatermark(SolidPicture(30, 20, kGrey, 32), 30, 20);
    ASSERT_TRUE(out);
    EXPECT_EQ(out.Bpp(), 24);
    EXPECT_EQ(PixelAt(out, 29, 19), kGrey);
    gSettings.font = "Arial";
    EXPECT_TRUE(CreateWatermarkFont());
    FreeWatermarkFont();
    EXPECT_FALSE(WatermarkFontExists());
}

TEST_F(Watermark, SizeTokensShowTheFileBeingConverted) {
    // The previous file's values are still in the job.
    gJob.outputWidth = 7;
    gJob.outputHeight = 7;
    gJob.outputBitDepth = 0;
    gJob.keepBitDepth = 1;
    gJob.sourceBitDepth = 8;
    auto render = [&](const std::string& text) {
        UseText(text);
        gSettings.textPosition = 0;
        return ApplyWatermark(SolidPicture(320, 40, kGrey), 320, 40);
    };
    Image tokens = render("%width% x %HEIGHT% at %bpp%");
    Image literal = render("320 x 40 at 24");
    ASSERT_TRUE(tokens && literal);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(PixelAt(tokens, x, y), PixelAt(literal, x, y)) << x << "," << y;
    EXPECT_EQ(gJob.outputWidth, 7); // the job's fields are left as they were
    EXPECT_EQ(gJob.outputBitDepth, 0);
}

TEST_F(Watermark, ExtremeTextSettingsStayBounded) {
    struct Case {
        int fontSize, padding, leading;
        const char* text;
    };
    const Case cases[] = {
        {INT_MAX, 10, 0, "Huge"},          {-3, -20, 0, "Tiny"},        {14, INT_MAX, 0, "Padded"},
        {14, 0, INT_MIN, "a%eol%b%eol%c"}, {14, 0, INT_MAX, "a%eol%b"}, {14, 0, 0, ""},
    };
    for (const Case& c : cases) {
        UseText(c.text);
        gSettings.fontSize = c.fontSize;
        gSettings.textPadding = c.padding;
        gSettings.fontLeading = c.leading;
        ASSERT_TRUE(CreateWatermarkFont());
        Image overlay = RenderTextWatermark();
        EXPECT_LE(overlay.Width(), kMaxOverlaySide) << c.text;
        EXPECT_LE(overlay.Height(), kMaxOverlaySide) << c.text;
        Image out = ApplyWatermark(SolidPicture(50, 40, kGrey), 50, 40);
        EXPECT_TRUE(out) << c.text;
    }
}

TEST_F(Watermark, OpaquePictureTakesImageOpacity) {
    struct Case {
        FREE_IMAGE_FORMAT format;
        const char* name;
        int tolerance;
    };
    const Case cases[] = {
        {FIF_PNG, "logo.png", 1}, {FIF_BMP, "logo.bmp", 1}, {FIF_JPEG, "logo.jpg", 6}};
    const Rgb colour{30, 160, 220};
    for (const Case& c : cases) {
        UsePicture(SavePicture(SolidPicture(12, 8, colour), c.format, c.name));
        gSettings.imageOpacity = 128;
        Image overlay = RenderImageWatermark();
        ASSERT_TRUE(overlay) << c.name;
        EXPECT_EQ(overlay.Width(), 12);
        EXPECT_EQ(overlay.Height(), 8);
        EXPECT_TRUE(Near(PixelAt(overlay, 3, 3), (Rgb{30, 160, 220, 128}), c.tolerance))
            << c.name << PixelAt(overlay, 3, 3);
    }
}

TEST_F(Watermark, TransparentPngKeepsItsAlpha) {
    auto pattern = [](int x, int) {
        return x < 4 ? Rgb{0, 0, 0, 0} : Rgb{255, 0, 0, x < 8 ? 100 : 255};
    };
    UsePicture(SavePicture(MakePicture(12, 4, 32, pattern), FIF_PNG, "alpha.png"));
    Image overlay = RenderImageWatermark();
    ASSERT_TRUE(overlay);
    EXPECT_EQ(PixelAt(overlay, 1, 1).a, 0);
    EXPECT_TRUE(Near(PixelAt(overlay, 5, 1), (Rgb{255, 0, 0, 100}), 2)) << PixelAt(overlay, 5, 1);
    EXPECT_EQ(PixelAt(overlay, 10, 1), kRed);

    // Composited: clear pixels show the picture, opaque ones the logo.
    gSettings.imagePosition = 0;
    gSettings.imageXOffset = 0;
    gSettings.imageYOffset = 0;
    Image out = ApplyWatermark(SolidPicture(20, 10, kGrey), 20, 10);
    ASSERT_TRUE(out);
    EXPECT_EQ(PixelAt(out, 1, 1), kGrey);
    EXPECT_EQ(PixelAt(out, 10, 1), kRed);
    EXPECT_TRUE(Near(PixelAt(out, 5, 1), (Rgb{154, 54, 54}), 2)) << PixelAt(out, 5, 1);
}

TEST_F(Watermark, ThirtyTwoBitBmpWithUnusedAlphaIsOpaque) {
    UsePicture(SavePicture(SolidPicture(6, 6, Rgb{0, 200, 0, 0}, 32), FIF_BMP, "padded.bmp"));
    Image overlay = RenderImageWatermark();
    ASSERT_TRUE(overlay);
    EXPECT_EQ(PixelAt(overlay, 2, 2), (Rgb{0, 200, 0, 255}));
}

TEST_F(Watermark, GreyscaleOfRedIsGrey76) {
    UsePicture(SavePicture(SolidPicture(8, 8, kRed), FIF_PNG, "red.png"));
    gSettings.imageGreyscale = 1;
    Image overlay = RenderImageWatermark();
    ASSERT_TRUE(overlay);
    EXPECT_EQ(PixelAt(overlay, 4, 4), (Rgb{76, 76, 76, 255}));
}

TEST_F(Watermark, RotationTurnsTheLogoBeforePlacing) {
    UsePicture(SavePicture(SolidPicture(100, 50, kRed), FIF_PNG, "wide.png"));
    gSettings.watermarkImageRotation = 90;
    gSettings.imagePosition = 8;
    Image turned = RotateWatermark(RenderImageWatermark());
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned.Width(), 50);
    EXPECT_EQ(turned.Height(), 100);
    Image out = ApplyWatermark(SolidPicture(200, 150, kGrey), 200, 150);
    ASSERT_TRUE(out);
    // Bottom-right with offsets 10: the turned logo covers x 140..189, y 40..139.
    EXPECT_EQ(PixelAt(out, 140, 40), kRed);
    EXPECT_EQ(PixelAt(out, 189, 139), kRed);
    EXPECT_EQ(PixelAt(out, 139, 40), kGrey);
    EXPECT_EQ(PixelAt(out, 140, 39), kGrey);
    EXPECT_EQ(PixelAt(out, 190, 139), kGrey);

    // Other angles grow the canvas and leave its corners clear.
    gSettings.watermarkImageRotation = 45;
    Image diagonal = RotateWatermark(RenderImageWatermark());
    ASSERT_TRUE(diagonal);
    EXPECT_GT(diagonal.Width(), 100);
    EXPECT_EQ(PixelAt(diagonal, 0, 0).a, 0);
    for (int angle : {0, 360, -90}) {
        gSettings.watermarkImageRotation = angle;
        EXPECT_EQ(RotateWatermark(RenderImageWatermark()).Width(), 100) << angle;
    }
}

TEST_F(Watermark, UnreadablePicturesGiveNoWatermark) {
    ASSERT_TRUE(WriteFile(temp_.File("notes.png"), "not a picture at all"));
    const std::string png = SavePicture(SolidPicture(40, 40, kRed), FIF_PNG, "full.png");
    const std::string data = ReadFile(png);
    ASSERT_TRUE(WriteFile(temp_.File("cut.png"), data.substr(0, data.size() / 2)));
    ASSERT_TRUE(WriteFile(temp_.File("empty.png"), ""));
    for (const std::string& path : {temp_.File("missing.png"), temp_.File("notes.png"),
                                    temp_.File("empty.png"), temp_.path, std::string()}) {
        UsePicture(path);
        EXPECT_FALSE(RenderImageWatermark()) << path;
        Image out = ApplyWatermark(SolidPicture(20, 20, kGrey), 20, 20);
        ASSERT_TRUE(out) << path;
        EXPECT_EQ(PixelAt(out, 19, 19), kGrey) << path;
    }
    UsePicture(temp_.File("cut.png")); // whatever survives, nothing breaks
    Image out = ApplyWatermark(SolidPicture(60, 60, kGrey), 60, 60);
    EXPECT_TRUE(out);
}

TEST_F(Watermark, OnlyPicturesThatFitPassTheCheck) {
    const Image red = SolidPicture(6, 4, kRed);
    ASSERT_EQ(mkfifo(temp_.File("fifo.png").c_str(), 0600), 0);
    ASSERT_TRUE(WriteFile(temp_.File("notes.png"), "not a picture at all"));
    ASSERT_TRUE(WriteFile(temp_.File("broken.bmp"), "BM this is no picture at all"));
    ASSERT_TRUE(WriteFile(temp_.File("empty.jpg"), ""));
    const std::pair<std::string, FREE_IMAGE_FORMAT> cases[] = {
        {SavePicture(red, FIF_BMP, "logo.bmp"), FIF_BMP},
        {SavePicture(red, FIF_PNG, "logo.png"), FIF_PNG},
        {SavePicture(red, FIF_JPEG, "logo.jpg"), FIF_JPEG},
        // The format is the content's, whatever the name.
        {SavePicture(red, FIF_PNG, "logo.bmp.txt"), FIF_PNG},
        {SavePicture(red, FIF_TARGA, "logo.tga"), FIF_UNKNOWN},
        {SavePicture(SolidPicture(kMaxSurfaceSide + 1, 1, kRed), FIF_PNG, "wide.png"), FIF_UNKNOWN},
        {SavePicture(SolidPicture(kMaxSurfaceSide + 1, 1, kRed), FIF_BMP, "wide.bmp"), FIF_UNKNOWN},
        {temp_.File("notes.png"), FIF_UNKNOWN},
        {temp_.File("broken.bmp"), FIF_UNKNOWN},
        {temp_.File("empty.jpg"), FIF_UNKNOWN},
        {temp_.File("missing.png"), FIF_UNKNOWN},
        {temp_.File("fifo.png"), FIF_UNKNOWN}, // never waits for a writer
        {"/dev/zero", FIF_UNKNOWN},
        {temp_.path, FIF_UNKNOWN},
        {"", FIF_UNKNOWN},
    };
    for (const auto& [path, format] : cases)
        EXPECT_EQ(WatermarkPictureFormat(path), format) << path;
}

TEST_F(Watermark, OffLeavesThePictureUntouched) {
    Image picture = SolidPicture(10, 10, kGrey, 32);
    FIBITMAP* raw = picture.get();
    Image out = ApplyWatermark(std::move(picture), 10, 10);
    EXPECT_EQ(out.get(), raw);
    EXPECT_EQ(out.Bpp(), 32);
}

TEST_F(Watermark, PipelineDrawsFrameThenWatermarkIntoThePcx) {
    // ConvertFile draws the frame, then the watermark over it, and the PCX it writes
    // decodes to those pixels in independent readers.
    MakeFolders(temp_.File("out"));
    gJob.currentInput = SavePicture(SolidPicture(100, 50, kGrey), FIF_BMP, "pic.bmp");
    gJob.outputFolder = temp_.File("out/");
    gJob.outputBitDepth = gSettings.pcxBpp;
    gJob.keepBitDepth = gJob.outputBitDepth == 0;
    gSettings.doFrame = 1;
    gSettings.solidLeft = 10;
    gSettings.solidLeftColor = "FF0000";
    UsePicture(SavePicture(SolidPicture(10, 10, Rgb{0, 0, 255}), FIF_PNG, "logo.png"));
    gSettings.imagePosition = 0;
    gSettings.imageXOffset = 5; // over the frame's edge: the watermark lies on top
    gSettings.imageYOffset = 20;
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    for (const char* reader : {"netpbm", "magick"}) {
        RgbImage decoded = DecodeWith(reader, temp_.File("out/pic.pcx"));
        ASSERT_EQ(decoded.width, 100) << reader;
        ASSERT_EQ(decoded.height, 50) << reader;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 100; ++x) {
                const bool logo = x >= 5 && x < 15 && y >= 20 && y < 30;
                const Rgb expected = logo ? Rgb{0, 0, 255} : x < 10 ? kRed : kGrey;
                const uint8_t* p = decoded.At(x, y);
                ASSERT_EQ((Rgb{p[0], p[1], p[2]}), expected) << reader << " " << x << "," << y;
            }
    }
}

TEST_F(Watermark, WorkerThreadDrawsWithTheFontOfTheMainThread) {
    // The main thread makes the font before a job and frees it after; the worker only
    // draws with it.
    UseText("Worker%eol%text");
    gSettings.textAntialiasing = 1;
    Image mainResult = ApplyWatermark(SolidPicture(120, 60, kGrey), 120, 60);
    Image workerResult;
    std::thread worker(
        [&] { workerResult = ApplyWatermark(SolidPicture(120, 60, kGrey), 120, 60); });
    worker.join();
    FreeWatermarkFont();
    ASSERT_TRUE(mainResult && workerResult);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(PixelAt(workerResult, x, y), PixelAt(mainResult, x, y)) << x << "," << y;
}
