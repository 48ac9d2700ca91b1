#include "engine/frame.h"
#include "settings/settings.h"

#include "picture_helpers.h"

#include <gtest/gtest.h>

using namespace drawtest;

#include <climits>

namespace {

const Rgb kPicture{40, 120, 200};
const Rgb kRed{255, 0, 0};
const Rgb kBlue{0, 0, 255};

class Frame : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSettings(true);
        gSettings.doFrame = 1;
        gSettings.solidLeftColor = "FF0000";
        gSettings.solidTopColor = "0000FF";
        gSettings.solidRightColor = "00FF00";
        gSettings.solidBottomColor = "FFFF00";
    }
    Image Framed(Image picture) {
        const int w = picture.Width(), h = picture.Height();
        return ApplyFrame(std::move(picture), w, h);
    }
};

} // namespace

TEST_F(Frame, LeftWidthPaintsTheLeftColumns) {
    gSettings.solidLeft = 10;
    Image out = Framed(SolidPicture(100, 50, kPicture));
    ASSERT_TRUE(out);
    ASSERT_EQ(out.Bpp(), 24);
    ASSERT_EQ(out.Width(), 100);
    ASSERT_EQ(out.Height(), 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(PixelAt(out, x, y), x < 10 ? kRed : kPicture) << x << "," << y;
}

TEST_F(Frame, CornerSplitsAlongItsDiagonal) {
    gSettings.solidLeft = 10;
    gSettings.solidTop = 10;
    Image out = Framed(SolidPicture(100, 50, kPicture));
    ASSERT_TRUE(out);
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y) {
            // Above the diagonal lies the top side, below it the left side.
            if (x > y + 1) {
                EXPECT_EQ(PixelAt(out, x, y), kBlue) << x << "," << y;
            } else if (y > x + 1) {
                EXPECT_EQ(PixelAt(out, x, y), kRed) << x << "," << y;
            }
        }
    for (int i = 0; i < 10; ++i) {
        Rgb seam = PixelAt(out, i, i); // both colours share the seam
        EXPECT_GT(seam.r, 60) << i;
        EXPECT_GT(seam.b, 60) << i;
        EXPECT_EQ(seam.g, 0) << i;
    }
    EXPECT_EQ(PixelAt(out, 60, 5), kBlue);
    EXPECT_EQ(PixelAt(out, 5, 40), kRed);
    EXPECT_EQ(PixelAt(out, 60, 30), kPicture);
}

TEST_F(Frame, OpacityBlendsTheBorder) {
    struct Case {
        int opacity;
        Rgb expected;
        int tolerance;
    };
    // Red over (40, 120, 200): half-way is (147.5, 60, 100).
    const Case cases[] = {{128, {148, 60, 100}, 1}, {255, kRed, 0}, {0, kPicture, 0}};
    for (const Case& c : cases) {
        gSettings.solidLeft = 4;
        gSettings.solidOpacity = c.opacity;
        Image out = Framed(SolidPicture(20, 10, kPicture));
        ASSERT_TRUE(out);
        for (int y = 0; y < 10; ++y) {
            EXPECT_TRUE(Near(PixelAt(out, 2, y), c.expected, c.tolerance))
                << c.opacity << ": " << PixelAt(out, 2, y);
            EXPECT_EQ(PixelAt(out, 10, y), kPicture);
        }
    }
}

TEST_F(Frame, ZeroWidthsLeaveThePixels) {
    auto pattern = [](int x, int y) { return Rgb{x * 10, y * 20, (x + y) * 5}; };
    Image out = Framed(MakePicture(20, 10, 32, pattern)); // 32 bits in, 24 out
    ASSERT_TRUE(out);
    EXPECT_EQ(out.Bpp(), 24);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(PixelAt(out, x, y), pattern(x, y));
}

TEST_F(Frame, OffLeavesThePictureAndOtherTypesOnlyConvert) {
    gSettings.solidLeft = 5;
    gSettings.doFrame = 0;
    Image picture = SolidPicture(8, 8, kPicture, 32);
    FIBITMAP* raw = picture.get();
    Image same = Framed(std::move(picture));
    EXPECT_EQ(same.get(), raw);
    EXPECT_EQ(same.Bpp(), 32);

    gSettings.doFrame = 2;
    Image converted = Framed(SolidPicture(8, 8, kPicture, 32));
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted.Bpp(), 24);
    EXPECT_EQ(PixelAt(converted, 0, 0), kPicture);
}

TEST_F(Frame, OutOfRangeWidthsAreClamped) {
    struct Case {
        int left, right, top, bottom;
        bool knownCentre;
        Rgb centre; // the pixel in the middle of a 40 x 20 picture
    };
    const Case cases[] = {
        {INT_MAX, 0, 0, 0, true, kRed},                    // the left side covers all
        {-5, -5, -5, -5, true, kPicture},                  // negative widths draw nothing
        {INT_MIN, INT_MAX, INT_MIN, 0, true, {0, 255, 0}}, // only the right side
        {30, 30, 0, 0, false, {}},                         // L + R > W: crossing figures
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, false, {}},
    };
    for (const Case& c : cases) {
        gSettings.solidLeft = c.left;
        gSettings.solidRight = c.right;
        gSettings.solidTop = c.top;
        gSettings.solidBottom = c.bottom;
        FrameWidths w = FrameWidthsFor(40, 20);
        EXPECT_TRUE(w.left >= 0 && w.left <= 40 && w.right >= 0 && w.right <= 40);
        EXPECT_TRUE(w.top >= 0 && w.top <= 20 && w.bottom >= 0 && w.bottom <= 20);
        Image out = Framed(SolidPicture(40, 20, kPicture));
        ASSERT_TRUE(out) << c.left;
        EXPECT_EQ(out.Width(), 40);
        EXPECT_EQ(out.Height(), 20);
        if (c.knownCentre) {
            EXPECT_EQ(PixelAt(out, 20, 10), c.centre) << c.left;
        }
    }
}

TEST_F(Frame, SideFiguresFollowTheWidths) {
    const FrameWidths w{10, 20, 5, 15};
    EXPECT_EQ(FramePath(FrameSide::Top, 100, 50, w), "M 0 0 l 100 0 l -20 5 l -70 0 Z");
    EXPECT_EQ(FramePath(FrameSide::Right, 100, 50, w), "M 100 0 l 0 50 l -20 -15 l 0 -30 Z");
    EXPECT_EQ(FramePath(FrameSide::Bottom, 100, 50, w), "M 100 50 l -100 0 l 10 -15 l 70 0 Z");
    EXPECT_EQ(FramePath(FrameSide::Left, 100, 50, w), "M 0 50 l 0 -50 l 10 5 l 0 30 Z");
}

TEST_F(Frame, TallPicturesGetTheSameFrameInEveryBand) {
    // The frame is drawn in bands of rows; nothing may show where they meet.
    gSettings.solidLeft = 8;
    gSettings.solidTop = 8;
    gSettings.solidBottom = 8;
    gSettings.solidBottomColor = gSettings.solidTopColor;
    Image out = Framed(SolidPicture(30, 600, kPicture));
    ASSERT_TRUE(out);
    for (int y = 0; y < 600; ++y) {
        if (y >= 8 && y < 592) {
            ASSERT_EQ(PixelAt(out, 0, y), kRed) << y;
        }
        ASSERT_EQ(PixelAt(out, 7, y).g, 0) << y;
        ASSERT_EQ(PixelAt(out, 8, y), y < 8 || y >= 592 ? kBlue : kPicture) << y;
    }
    // The bottom corners, drawn in the last band, match those of a short picture that
    // fits in one band.
    Image shortOne = Framed(SolidPicture(30, 100, kPicture));
    ASSERT_TRUE(shortOne);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(PixelAt(out, x, 599 - y), PixelAt(shortOne, x, 99 - y)) << x << "," << y;

    gSettings.solidLeft = 0; // top and bottom only: the middle rows stay as they were
    Image flat = Framed(SolidPicture(30, 600, kPicture));
    ASSERT_TRUE(flat);
    for (int y = 0; y < 600; ++y)
        ASSERT_EQ(PixelAt(flat, 15, y), y < 8 || y >= 592 ? kBlue : kPicture) << y;
}

TEST_F(Frame, SidesBlendOnceInTheMiddleBands) {
    gSettings.solidOpacity = 128;
    for (int side : {10, 14, 15, 29}) { // sides apart, touching, meeting, crossing
        gSettings.solidLeft = side;
        gSettings.solidRight = side;
        gSettings.solidTop = 3;
        gSettings.solidBottom = 3;
        Image out = Framed(SolidPicture(30, 700, kPicture));
        ASSERT_TRUE(out);
        // Row 100 lies in the first band, drawn whole; rows 300 and 600 in later ones.
        for (int x = 0; x < 30; ++x) {
            ASSERT_EQ(PixelAt(out, x, 300), PixelAt(out, x, 100)) << side << ": " << x;
            ASSERT_EQ(PixelAt(out, x, 400), PixelAt(out, x, 100)) << side << ": " << x;
        }
        EXPECT_TRUE(Near(PixelAt(out, 0, 300), Rgb{147, 60, 100}, 1)) << PixelAt(out, 0, 300);
    }
}
