#include "engine/bmp_reader.h"
#include "engine/convert.h"
#include "engine/pcx_output.h"
#include "engine_fixture.h"
#include "settings/settings.h"

#include <IL/il.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// What DevIL writes when handed the raw buffer plainly: bottom row first, blue, green,
// red, saved by ilSave through DevIL's own file functions.
bool WritePlainPcx(FIBITMAP* dib, const std::string& path) {
    const int w = static_cast<int>(FreeImage_GetWidth(dib));
    const int h = static_cast<int>(FreeImage_GetHeight(dib));
    std::vector<uint8_t> raw(static_cast<size_t>(w) * h * 3, 0);
    FreeImage_ConvertToRawBits(raw.data(), dib, w * 3, 24, 0xFF0000, 0xFF00, 0xFF, FALSE);
    ilEnable(IL_FILE_OVERWRITE);
    DevilImage image = DevilImage::Generate();
    const ILint depth = ilGetInteger(IL_IMAGE_DEPTH);
    ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), static_cast<ILuint>(depth), 3,
               IL_BGR, IL_UNSIGNED_BYTE, raw.data());
    return ilSave(IL_PCX, path.c_str()) == IL_TRUE;
}

// A 5-6-5 picture's colours as the loader reads them: each channel of n bits scaled
// to round(v × 255 / (2^n − 1)). (FreeImage's own 16-to-24-bit conversion rounds down.)
RgbImage Rounded565(const Image& image) {
    RgbImage out;
    out.width = image.Width();
    out.height = image.Height();
    for (int y = 0; y < out.height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(image.get(), out.height - 1 - y);
        for (int x = 0; x < out.width; ++x) {
            const int v = line[2 * x] | line[2 * x + 1] << 8;
            out.pixels.push_back(static_cast<uint8_t>(((v >> 11) * 255 + 15) / 31));
            out.pixels.push_back(static_cast<uint8_t>(((v >> 5 & 63) * 255 + 31) / 63));
            out.pixels.push_back(static_cast<uint8_t>(((v & 31) * 255 + 15) / 31));
        }
    }
    return out;
}

bool HasTemporaryFile(const std::string& folder) {
    for (const std::string& name : FolderNames(folder))
        if (name.rfind("brelvix", 0) == 0) return true;
    return false;
}

class Convert : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineJob();
        SetPcxWriteLimit(-1);
        in = temp.path + "in/";
        out = temp.path + "out/";
        fs::create_directories(in);
        fs::create_directories(out);
        gJob.outputFolder = out;
        gJob.currentSubFolder = "";
    }
    void TearDown() override { SetPcxWriteLimit(-1); }

    // Writes the picture as a BMP in the input folder and makes it the current input.
    void UseInput(const Image& image, const std::string& name = "pic.bmp") {
        gJob.currentInput = in + name;
        ASSERT_TRUE(SaveBmp(image, gJob.currentInput));
    }

    TempFolder temp;
    std::string in, out;
};

TEST_F(Convert, PictureDecodesToItsExactPixels) {
    Image source = MakePatternImage(37, 23);
    UseInput(source);
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    const std::string pcx = out + "pic.pcx";
    EXPECT_EQ(gJob.outputPath, pcx);
    EXPECT_EQ(gJob.sourceBitDepth, 24);
    EXPECT_EQ(gJob.outputWidth, 37);
    EXPECT_EQ(gJob.outputHeight, 23);
    ASSERT_EQ(gJob.temporaryPath.rfind(out, 0), 0u) << gJob.temporaryPath;
    EXPECT_TRUE(std::regex_match(gJob.temporaryPath.substr(out.size()),
                                 std::regex(R"(brelvix[a-j]{10}[a-z]{5}\.pcx)")))
        << gJob.temporaryPath;
    EXPECT_EQ(FolderNames(out), std::vector<std::string>{"pic.pcx"});

    const RgbImage expected = ToRgb(source);
    for (const char* reader : {"netpbm", "magick"}) {
        RgbImage decoded = DecodeWith(reader, pcx);
        EXPECT_EQ(decoded.width, 37) << reader;
        EXPECT_EQ(decoded.height, 23) << reader;
        EXPECT_TRUE(decoded.pixels == expected.pixels) << reader;
    }
}

TEST_F(Convert, OutputIsByteForByteWhatPlainDevilSaveWrites) {
    Image source = MakePatternImage(101, 47);
    UseInput(source);
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    ASSERT_TRUE(WritePlainPcx(source.get(), temp.File("plain.pcx")));
    const std::string written = ReadFile(out + "pic.pcx");
    EXPECT_GT(written.size(), 128u);
    EXPECT_TRUE(written == ReadFile(temp.File("plain.pcx")));
}

TEST_F(Convert, HandOverAndSaveMatchPlainDevilSave) {
    struct Case {
        const char* name;
        Image image;
    };
    Case cases[] = {
        {"1x1", MakePatternImage(1, 1)},
        {"2x1", MakePatternImage(2, 1)},
        {"odd 5x3", MakePatternImage(5, 3)},
        {"255x4", MakePatternImage(255, 4)},
        {"long runs", MakeSolidImage(200, 3, 0xC8, 0xC8, 0x10)},
        {"8-bit palette", MakePaletteImage(33, 7)},
        {"32-bit", Image(FreeImage_ConvertTo32Bits(MakePatternImage(17, 9).get()))},
        {"4-bit", Image(FreeImage_ConvertTo4Bits(MakePatternImage(17, 9).get()))},
        {"1-bit", Image(FreeImage_Threshold(MakePatternImage(19, 5).get(), 100))},
    };
    int index = 0;
    for (Case& c : cases) {
        ASSERT_TRUE(c.image) << c.name;
        const std::string fast = temp.File("fast" + std::to_string(index) + ".pcx");
        const std::string plain = temp.File("plain" + std::to_string(index) + ".pcx");
        ++index;
        Image copy(FreeImage_Clone(c.image.get()));
        DevilImage pcx = HandOverToDevil(std::move(copy));
        ASSERT_TRUE(pcx) << c.name;
        ASSERT_TRUE(SavePcx(pcx, fast)) << c.name;
        pcx.Reset();
        // The plain save after the fast one also shows DevIL's own file functions are back.
        ASSERT_TRUE(WritePlainPcx(c.image.get(), plain)) << c.name;
        EXPECT_TRUE(ReadFile(fast) == ReadFile(plain)) << c.name;
        EXPECT_TRUE(DecodeWith("netpbm", fast).pixels == ToRgb(c.image).pixels) << c.name;
    }
}

TEST_F(Convert, EveryBmpDepthGivesA24BitPcxOfTheSameColours) {
    struct Case {
        const char* name;
        Image image;
    };
    Case cases[] = {
        {"1-bit", Image(FreeImage_Threshold(MakePatternImage(21, 11).get(), 100))},
        {"4-bit", Image(FreeImage_ConvertTo4Bits(MakePatternImage(21, 11).get()))},
        {"8-bit", MakePaletteImage(21, 11)},
        {"16-bit", Image(FreeImage_ConvertTo16Bits565(MakePatternImage(21, 11).get()))},
        {"32-bit", Image(FreeImage_ConvertTo32Bits(MakePatternImage(21, 11).get()))},
    };
    for (Case& c : cases) {
        ASSERT_TRUE(c.image) << c.name;
        UseInput(c.image);
        ASSERT_EQ(ConvertFile(), Reason::kNone) << c.name;
        EXPECT_EQ(gJob.sourceBitDepth, c.image.Bpp()) << c.name;
        EXPECT_EQ(gJob.outputBitDepth, 24) << c.name;
        RgbImage decoded = DecodeWith("netpbm", out + "pic.pcx");
        EXPECT_EQ(decoded.width, 21) << c.name;
        const RgbImage want = c.image.Bpp() == 16 ? Rounded565(c.image) : ToRgb(c.image);
        EXPECT_TRUE(decoded.pixels == want.pixels) << c.name;
    }
}

TEST_F(Convert, DeepOutputDepthStillWritesThePicturesOwnPixels) {
    // Only a hand-edited settings file asks for these depths for PCX.
    Image source = MakePatternImage(13, 7);
    UseInput(source);
    for (int32_t depth : {48, 96}) {
        gJob.outputBitDepth = depth;
        gJob.keepBitDepth = 0;
        const bool converted = ConvertFile() == Reason::kNone;
        if (depth == 48) {
            EXPECT_TRUE(converted);
        }
        if (converted) {
            EXPECT_TRUE(DecodeWith("netpbm", out + "pic.pcx").pixels == ToRgb(source).pixels)
                << depth;
        }
        std::error_code ec;
        fs::remove(out + "pic.pcx", ec);
    }
}

TEST_F(Convert, ReadOnlyOutputIsReplaced) {
    UseInput(MakeSolidImage(8, 8, 10, 20, 30));
    const std::string pcx = out + "pic.pcx";
    ASSERT_TRUE(WriteFile(pcx, "old picture"));
    ASSERT_EQ(chmod(pcx.c_str(), 0444), 0);
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    RgbImage decoded = DecodeWith("netpbm", pcx);
    ASSERT_EQ(decoded.width, 8);
    EXPECT_EQ(decoded.At(4, 4)[0], 10);
    EXPECT_EQ(FolderNames(out), std::vector<std::string>{"pic.pcx"});
}

TEST_F(Convert, FailedSaveLeavesTheExistingOutputAndNoTemporaryFile) {
    constexpr int64_t kMiB = int64_t{1} << 20; // the writer's buffer holds one
    struct Case {
        int width, height;
    };
    // A small picture, and one whose file is larger than the write buffer.
    for (Case c : {Case{64, 40}, Case{900, 500}}) {
        ResetEngineJob();
        gJob.outputFolder = out;
        UseInput(MakePatternImage(c.width, c.height));
        const std::string pcx = out + "pic.pcx";
        std::error_code ec;
        fs::remove(pcx, ec);
        ASSERT_EQ(ConvertFile(), Reason::kNone);
        const int64_t size = static_cast<int64_t>(ReadFile(pcx).size());
        ASSERT_GT(size, c.width > 100 ? kMiB + 1 : 200);

        std::vector<int64_t> limits = {0, 1, 127, 128, size / 2, size - 1};
        if (size > kMiB + 1) limits.insert(limits.end(), {kMiB - 1, kMiB, kMiB + 1});
        for (int64_t limit : limits) {
            ASSERT_TRUE(WriteFile(pcx, "the older picture"));
            SetPcxWriteLimit(limit);
            EXPECT_NE(ConvertFile(), Reason::kNone) << limit << " of " << size;
            EXPECT_EQ(ReadFile(pcx), "the older picture") << limit;
            EXPECT_EQ(FolderNames(out), std::vector<std::string>{"pic.pcx"}) << limit;
        }
        SetPcxWriteLimit(size); // exactly enough room
        EXPECT_EQ(ConvertFile(), Reason::kNone);
        EXPECT_EQ(static_cast<int64_t>(ReadFile(pcx).size()), size);
        EXPECT_TRUE(DecodeWith("netpbm", pcx).pixels ==
                    ToRgb(MakePatternImage(c.width, c.height)).pixels);
        SetPcxWriteLimit(-1);
    }
}

TEST_F(Convert, SaveNeverWritesOverAnExistingFile) {
    DevilImage pcx = HandOverToDevil(MakePatternImage(4, 4));
    ASSERT_TRUE(pcx);
    const std::string path = out + "taken.pcx";
    ASSERT_TRUE(WriteFile(path, "someone else's"));
    EXPECT_FALSE(SavePcx(pcx, path));
    EXPECT_EQ(ReadFile(path), "someone else's");
    EXPECT_FALSE(SavePcx(pcx, out + "missing/folder.pcx"));
    EXPECT_TRUE(SavePcx(pcx, out + "free.pcx"));
}

TEST_F(Convert, MaskWithSubFoldersCreatesThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"sub/deeper/%filename%.%ext%", "sub/deeper/pic.pcx"},
        {"Other\\%filename%.%ext%", "other/pic.pcx"},
    };
    UseInput(MakePatternImage(9, 9));
    for (const auto& [mask, expected] : cases) {
        gSettings.filenameMask = mask;
        ASSERT_EQ(ConvertFile(), Reason::kNone) << mask;
        EXPECT_EQ(gJob.outputPath, out + expected);
        EXPECT_EQ(DecodeWith("netpbm", out + expected).width, 9) << mask;
        EXPECT_FALSE(HasTemporaryFile(out)) << mask;
    }
}

TEST_F(Convert, FolderAtTheOutputPathFailsAndLeavesNoTemporaryFile) {
    UseInput(MakePatternImage(9, 9));
    fs::create_directories(out + "pic.pcx");
    EXPECT_NE(ConvertFile(), Reason::kNone);
    EXPECT_TRUE(fs::is_directory(out + "pic.pcx"));
    EXPECT_EQ(FolderNames(out), std::vector<std::string>{"pic.pcx"});
}

TEST_F(Convert, UnreadableInputFailsAndWritesNothing) {
    ASSERT_TRUE(WriteFile(in + "empty.bmp", ""));
    FIBITMAP* png = MakePatternImage(5, 5).release();
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, png, (in + "png.bmp").c_str(), 0));
    FreeImage_Unload(png);
    for (const char* name : {"missing.bmp", "empty.bmp", "png.bmp"}) {
        ResetEngineJob();
        gJob.outputFolder = out;
        gJob.currentInput = in + name;
        gJob.sourceBitDepth = 99;
        EXPECT_NE(ConvertFile(), Reason::kNone) << name;
        EXPECT_EQ(gJob.sourceBitDepth, 0) << name;
        EXPECT_EQ(gJob.outputPath, "") << name;
        EXPECT_TRUE(FolderNames(out).empty()) << name;
    }
}

TEST_F(Convert, RleAndDibFilesLoadLikeBmp) {
    Image source = MakePatternImage(12, 6);
    for (const char* name : {"pic.rle", "pic.dib", "pic.BMP"}) {
        UseInput(source, name);
        ASSERT_EQ(ConvertFile(), Reason::kNone) << name;
        EXPECT_TRUE(DecodeWith("netpbm", out + "pic.pcx").pixels == ToRgb(source).pixels) << name;
    }
}

TEST_F(Convert, SizeAndDepthReachTheFileName) {
    UseInput(MakePaletteImage(40, 20));
    gSettings.filenameMask = "%filename%_%width%x%height%_%bpp%.%ext%";
    gSettings.doImageResize = 1;
    gSettings.imageWidth = 50;
    gSettings.imageWidthUnit = 1;
    gSettings.imageHeight = 50;
    gSettings.imageHeightUnit = 1;
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    EXPECT_EQ(gJob.sourceBitDepth, 8);
    EXPECT_EQ(gJob.outputWidth, 20);
    EXPECT_EQ(gJob.outputHeight, 10);
    EXPECT_EQ(gJob.outputPath, out + "pic_20x10_24.pcx");
    EXPECT_EQ(DecodeWith("netpbm", gJob.outputPath).width, 20);
}

TEST_F(Convert, GreyscaleAndThresholdGiveABlackAndWhitePcx) {
    UseInput(MakePatternImage(30, 20));
    gSettings.doImageGreyscale = 1;
    gSettings.doImageThreshold = 1;
    gSettings.imageThreshold = 128;
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    RgbImage decoded = DecodeWith("netpbm", out + "pic.pcx");
    ASSERT_EQ(decoded.width, 30);
    std::set<std::tuple<int, int, int>> colours;
    for (size_t i = 0; i < decoded.pixels.size(); i += 3)
        colours.insert({decoded.pixels[i], decoded.pixels[i + 1], decoded.pixels[i + 2]});
    EXPECT_EQ(colours, (std::set<std::tuple<int, int, int>>{{0, 0, 0}, {255, 255, 255}}));
}

TEST_F(Convert, PictureTooWideForPcxFails) {
    UseInput(MakePatternImage(10, 1));
    gSettings.doImageResize = 1;
    gSettings.imageWidth = kMaxPcxWidth + 1;
    gSettings.imageHeight = 1;
    EXPECT_NE(ConvertFile(), Reason::kNone);
    EXPECT_TRUE(FolderNames(out).empty());
    // The widest picture: right edge and bytes per line still fit their 16 bits.
    gSettings.imageWidth = kMaxPcxWidth;
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    const std::string header = ReadFile(out + "pic.pcx").substr(0, 128);
    ASSERT_EQ(header.size(), 128u);
    auto word = [&](size_t at) {
        return static_cast<uint8_t>(header[at]) | static_cast<uint8_t>(header[at + 1]) << 8;
    };
    EXPECT_EQ(word(8), kMaxPcxWidth - 1);
    EXPECT_EQ(word(66), kMaxPcxWidth);
    // netpbm reads the edges as signed numbers, up to 32768 pixels.
    gSettings.imageWidth = 32768;
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    EXPECT_EQ(DecodeWith("netpbm", out + "pic.pcx").width, 32768);
}

TEST_F(Convert, PathsReachTheWriterUnchanged) {
    const std::string folder = out + "Ausgabe ü 日本 'x'/";
    fs::create_directories(folder);
    gJob.outputFolder = folder;
    UseInput(MakePatternImage(6, 6), "Straße.bmp");
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"Straße.pcx"});
}

TEST_F(Convert, KeptSubFolderHoldsTheTemporaryAndTheFinalFile) {
    fs::create_directories(out + "trip/");
    gJob.currentSubFolder = "trip/";
    gSettings.keepSubfolders = 1;
    UseInput(MakePatternImage(6, 6));
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    EXPECT_EQ(gJob.temporaryPath.rfind(out + "trip/brelvix", 0), 0u);
    EXPECT_EQ(gJob.outputPath, out + "trip/pic.pcx");
    EXPECT_EQ(FolderNames(out + "trip/"), std::vector<std::string>{"pic.pcx"});
}

} // namespace
