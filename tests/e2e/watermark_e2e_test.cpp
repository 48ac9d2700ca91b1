// Frames and watermarks end to end: the real executable, checked in the PCX it writes.
#include "cli_harness.h"

#include "platform/platform.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace {

struct Colour {
    int r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

RgbImage Solid(int width, int height, Colour c) {
    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < image.pixels.size(); i += 3) {
        image.pixels[i] = static_cast<uint8_t>(c.r);
        image.pixels[i + 1] = static_cast<uint8_t>(c.g);
        image.pixels[i + 2] = static_cast<uint8_t>(c.b);
    }
    return image;
}

Colour At(const RgbImage& image, int x, int y) {
    const uint8_t* p = image.At(x, y);
    return {p[0], p[1], p[2]};
}

// A PNG of one colour with the given alpha, written through FreeImage.
bool WritePng(const std::string& path, int width, int height, Colour c, int alpha) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 32, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                          FI_RGBA_BLUE_MASK);
    if (!bitmap) return false;
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < width; ++x, row += 4) {
            row[FI_RGBA_RED] = static_cast<BYTE>(c.r);
            row[FI_RGBA_GREEN] = static_cast<BYTE>(c.g);
            row[FI_RGBA_BLUE] = static_cast<BYTE>(c.b);
            row[FI_RGBA_ALPHA] = static_cast<BYTE>(alpha);
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0);
    FreeImage_Unload(bitmap);
    return saved;
}

const Colour kGrey{100, 110, 120};
const Colour kRed{255, 0, 0};
const Colour kGreen{0, 255, 0};

class WatermarkRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(WriteBmp24(sandbox.Path("pic.bmp"), Solid(100, 50, kGrey)));
        MakeFolders(sandbox.Path("out"));
    }
    CommandResult Convert(std::vector<std::string> options) {
        std::vector<std::string> args = {"-i", "pic.bmp", "-o", sandbox.Path("out")};
        args.insert(args.end(), options.begin(), options.end());
        return sandbox.Run(args);
    }
    // The written PCX in both reference decoders; fails the test when they differ.
    RgbImage Output() {
        const std::string pcx = sandbox.Path("out/pic.pcx");
        RgbImage netpbm = DecodeWith("netpbm", pcx);
        RgbImage magick = DecodeWith("magick", pcx);
        EXPECT_EQ(netpbm.width, magick.width);
        EXPECT_TRUE(netpbm.pixels == magick.pixels) << "the decoders disagree";
        return netpbm;
    }
    static void ExpectNoSanitizerReport(const CommandResult& r) {
        EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
    }
    CliSandbox sandbox;
};

} // namespace

TEST_F(WatermarkRun, UnknownFontStopsTheRun) {
    CommandResult r = Convert({"--wm-text=Hello", "--wm-font=Brelvix Made Up Face"});
    EXPECT_EQ(r.status, 1); // a failed check, as every other
    EXPECT_EQ(r.err, "Error: Invalid watermark font\n");
    EXPECT_EQ(r.out.find("Converting"), std::string::npos) << r.out;
    EXPECT_FALSE(PathExists(sandbox.Path("out/pic.pcx")));

    // In the debug listing the text lines come first, then the check.
    r = Convert({"-d", "--wm-text=Hello", "--wm-font=Brelvix Made Up Face"});
    EXPECT_NE(r.out.find("Watermark font: Brelvix Made Up Face\nWatermark font size: 14\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Watermark size/mode: fixed\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "Error: Invalid watermark font\n");
}

TEST_F(WatermarkRun, AliasedFontDrawsThePlainTextBox) {
    // Arial is found through its alias (Liberation Sans). The default place is the
    // bottom-right corner, 10 pixels in.
    CommandResult r =
        Convert({"--wm-text=Hi", "--wm-font=Arial", "--wm-back-opacity=255",
                 "--wm-back-color=00FF00", "--wm-font-color=FF0000", "--wm-text-padding=4"});
    ASSERT_EQ(r.err, "");
    ExpectNoSanitizerReport(r);
    RgbImage out = Output();
    ASSERT_EQ(out.width, 100);
    EXPECT_EQ(At(out, 89, 39), kGreen); // the padding at the box's bottom-right corner
    EXPECT_EQ(At(out, 90, 40), kGrey);
    EXPECT_EQ(At(out, 5, 5), kGrey);
    std::set<std::tuple<int, int, int>> inside;
    int red = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            Colour c = At(out, x, y);
            red += c == kRed;
            EXPECT_TRUE(c == kGrey || c == kGreen || c == kRed) << x << "," << y << c;
        }
    EXPECT_GT(red, 10); // plain text: only the font colour over the box
}

TEST_F(WatermarkRun, FrameColoursTheEdges) {
    CommandResult r = Convert({"--fr-solid-left=10", "--fr-solid-left-color=FF0000",
                               "--fr-solid-bottom=5", "--fr-solid-bottom-color=00FF00"});
    ASSERT_EQ(r.err, "");
    RgbImage out = Output();
    ASSERT_EQ(out.width, 100);
    ASSERT_EQ(out.height, 50);
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(At(out, x, y), x < 10 ? kRed : kGrey) << x << "," << y;
    for (int x = 16; x < 100; ++x)
        ASSERT_EQ(At(out, x, 47), kGreen) << x;
}

TEST_F(WatermarkRun, PictureWatermarkWithItsOpacity) {
    ASSERT_TRUE(WritePng(sandbox.Path("logo.png"), 20, 10, kRed, 255));
    CommandResult r =
        Convert({"--wm-image=logo.png", "--wm-image-position=topleft", "--wm-image-x-offset=3",
                 "--wm-image-y-offset=4", "--wm-image-opacity=128"});
    ASSERT_EQ(r.err, "");
    RgbImage out = Output();
    // Half-way between the logo's red and the picture's grey.
    const Colour half = At(out, 10, 8);
    EXPECT_NEAR(half.r, 177, 2);
    EXPECT_NEAR(half.g, 55, 2);
    EXPECT_NEAR(half.b, 60, 2);
    EXPECT_EQ(At(out, 2, 8), kGrey);
    EXPECT_EQ(At(out, 23, 8), kGrey);
    EXPECT_EQ(At(out, 3, 4), half);
    EXPECT_EQ(At(out, 22, 13), half);
}

TEST_F(WatermarkRun, MissingPictureStopsTheRun) {
    CommandResult r = Convert({"--wm-image=missing.png"});
    EXPECT_EQ(r.err, "Error: Invalid watermark image\n");
    EXPECT_FALSE(PathExists(sandbox.Path("out/pic.pcx")));
}

TEST_F(WatermarkRun, NoRoomForTheWatermarkStillConverts) {
    CommandResult r =
        Convert({"--wm-text=Hello", "--wm-font=DejaVu Sans", "--wm-text-x-offset=500"});
    ASSERT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Files converted: 1 of 1"), std::string::npos) << r.out;
    RgbImage out = Output();
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(At(out, x, y), kGrey);
}

TEST_F(WatermarkRun, SizeTokensShowThisFile) {
    // A 100 x 50 picture resized to 60 x 30: the text reads the new size.
    CommandResult tokens =
        Convert({"--width=60", "--height=30", "--wm-font=DejaVu Sans",
                 "--wm-text=%width%x%height% %bpp%", "--wm-text-position=topleft",
                 "--wm-text-x-offset=0", "--wm-text-y-offset=0", "--wm-back-opacity=255"});
    ASSERT_EQ(tokens.err, "");
    RgbImage withTokens = Output();
    RemoveFile(sandbox.Path("out/pic.pcx"));
    CommandResult literal =
        Convert({"--width=60", "--height=30", "--wm-font=DejaVu Sans", "--wm-text=60x30 24",
                 "--wm-text-position=topleft", "--wm-text-x-offset=0", "--wm-text-y-offset=0",
                 "--wm-back-opacity=255"});
    ASSERT_EQ(literal.err, "");
    RgbImage withLiteral = Output();
    ASSERT_EQ(withTokens.width, 60);
    EXPECT_TRUE(withTokens.pixels == withLiteral.pixels);
}

TEST_F(WatermarkRun, EveryStepAtOnce) {
    ASSERT_TRUE(WritePng(sandbox.Path("logo.png"), 30, 12, kRed, 160));
    const std::vector<std::string> common = {"--rotation=90",
                                             "--width=80",
                                             "--height=120",
                                             "--keep-aspect-ratio",
                                             "--flip-horizontal",
                                             "--flip-vertical",
                                             "--brightness=10",
                                             "--contrast=-5",
                                             "--gamma=1.2",
                                             "--invert",
                                             "--fr-solid-left=6",
                                             "--fr-solid-right=7",
                                             "--fr-solid-top=8",
                                             "--fr-solid-bottom=9",
                                             "--fr-solid-left-color=FF0000",
                                             "--fr-solid-opacity=180"};
    std::vector<std::string> text = common;
    for (const char* o :
         {"--wm-text=Line one%EOL%%width% x %height%", "--wm-font=Arial",
          "--wm-font-style=bolditalic", "--wm-font-effect=underline", "--wm-text-antialiasing",
          "--wm-text-alignment=center", "--wm-text-rotation=30", "--wm-text-boundary=frame",
          "--wm-back-opacity=90", "-d"})
        text.push_back(o);
    CommandResult r = Convert(text);
    ASSERT_EQ(r.err, "");
    ExpectNoSanitizerReport(r);
    EXPECT_NE(r.out.find("Files converted: 1 of 1"), std::string::npos) << r.out;
    RgbImage out = Output();
    EXPECT_GT(out.width, 0);

    std::vector<std::string> picture = common;
    for (const char* o : {"--wm-image=logo.png", "--wm-image-greyscale", "--wm-image-rotation=45",
                          "--wm-image-position=middlecenter", "--greyscale"})
        picture.push_back(o);
    RemoveFile(sandbox.Path("out/pic.pcx"));
    r = Convert(picture);
    ASSERT_EQ(r.err, "");
    ExpectNoSanitizerReport(r);
    EXPECT_GT(Output().width, 0);
}
