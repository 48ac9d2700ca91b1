#include "bmp_writer.h"
#include "devil_oracle.h"
#include "engine/bmp_reader.h"
#include "engine/convert.h"
#include "engine/pcx_output.h"
#include "engine/transform.h"
#include "engine_fixture.h"
#include "platform/platform.h"
#include "settings/settings.h"

#include <filesystem>
#include <functional>
#include <grp.h>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// What DevIL writes when handed the raw buffer plainly: bottom row first, blue, green,
// red, saved by ilSave through DevIL's own file functions.
bool WritePlainPcx(FIBITMAP* dib, const std::string& path) {
    const int w = static_cast<int>(FreeImage_GetWidth(dib));
    const int h = static_cast<int>(FreeImage_GetHeight(dib));
    std::vector<uint8_t> raw(static_cast<size_t>(w) * h * 3, 0);
    FreeImage_ConvertToRawBits(raw.data(), dib, w * 3, 24, 0xFF0000, 0xFF00, 0xFF, FALSE);
    return !DevilPcxFromRawBits(raw.data(), w, h, path).empty();
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
        PcxPicture pcx = HandOverToPcx(std::move(copy));
        ASSERT_TRUE(pcx) << c.name;
        ASSERT_EQ(SavePcx(pcx, fast), Reason::kNone) << c.name;
        pcx.Reset();
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

TEST_F(Convert, SixteenBitOutputDepthWritesThePicturesColours) {
    // Only a hand-edited settings file asks for 16 bits for PCX: the picture goes to
    // 5-6-5 bits and then to the 24-bit file with the colours it has left.
    Image source = MakePatternImage(13, 7);
    UseInput(source);
    gJob.outputBitDepth = 16;
    gJob.keepBitDepth = 0;
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    const RgbImage expected = ToRgb(Image(FreeImage_ConvertTo16Bits565(source.get())));
    ASSERT_NE(expected.pixels, ToRgb(source).pixels);
    EXPECT_TRUE(DecodeWith("netpbm", out + "pic.pcx").pixels == expected.pixels);
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
            EXPECT_EQ(ConvertFile(), Reason::kDiskFull) << limit << " of " << size;
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

TEST_F(Convert, VisibleTemporaryFileGoesWhateverTheOutcome) {
    // As on a file system without O_TMPFILE.
    setenv("BRELVIX_TEST_NO_TMPFILE", "1", 1);
    UseInput(MakePatternImage(64, 40));
    SetPcxWriteLimit(200);
    EXPECT_EQ(ConvertFile(), Reason::kDiskFull);
    EXPECT_TRUE(std::regex_match(FilePart(gJob.temporaryPath),
                                 std::regex(R"(brelvix[a-j]{10}[a-z]{5}\.pcx)")))
        << gJob.temporaryPath;
    EXPECT_TRUE(FolderNames(out).empty());
    SetPcxWriteLimit(-1);
    EXPECT_EQ(ConvertFile(), Reason::kNone);
    EXPECT_EQ(FolderNames(out), std::vector<std::string>{"pic.pcx"});
    unsetenv("BRELVIX_TEST_NO_TMPFILE");
}

TEST_F(Convert, SaveNeverWritesOverAnExistingFile) {
    PcxPicture pcx = HandOverToPcx(MakePatternImage(4, 4));
    ASSERT_TRUE(pcx);
    const std::string path = out + "taken.pcx";
    ASSERT_TRUE(WriteFile(path, "someone else's"));
    EXPECT_NE(SavePcx(pcx, path), Reason::kNone);
    EXPECT_EQ(ReadFile(path), "someone else's");
    EXPECT_NE(SavePcx(pcx, out + "missing/folder.pcx"), Reason::kNone);
    EXPECT_EQ(SavePcx(pcx, out + "free.pcx"), Reason::kNone);
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
    EXPECT_EQ(ConvertFile(), Reason::kRenameFailed);
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
    EXPECT_EQ(ConvertFile(), Reason::kResultTooLarge);
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

// Runs ConvertFile as a user without privileges, whom permissions stop (root passes
// every permission check): in a child process when the tests run as root.
Reason ConvertWithoutPrivileges() {
    if (geteuid() != 0) return ConvertFile();
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
        _exit(static_cast<int>(ConvertFile()));
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 255) {
        ADD_FAILURE() << "the unprivileged conversion did not run";
        return Reason::kNone;
    }
    return static_cast<Reason>(WEXITSTATUS(status));
}

TEST_F(Convert, EveryFailureSaysWhy) {
    struct Case {
        const char* name;
        std::function<void()> prepare;
        Reason expected;
        bool unprivileged = false;
    };
    // The folders are open to the unprivileged user, the output folder writable.
    ASSERT_EQ(chmod(temp.path.c_str(), 0755), 0);
    ASSERT_EQ(chmod(in.c_str(), 0755), 0);
    const Case cases[] = {
        {"missing", [&] { gJob.currentInput = in + "missing.bmp"; }, Reason::kMissing},
        {"not a BMP",
         [&] {
             Image png = MakePatternImage(5, 5);
             ASSERT_TRUE(FreeImage_Save(FIF_PNG, png.get(), gJob.currentInput.c_str(), 0));
         },
         Reason::kNotBmp},
        {"unreadable", [&] { ASSERT_EQ(chmod(gJob.currentInput.c_str(), 0), 0); },
         Reason::kReadDenied, true},
        {"output folder not writable", [&] { ASSERT_EQ(chmod(out.c_str(), 0555), 0); },
         Reason::kWriteDenied, true},
        {"disk full", [] { SetPcxWriteLimit(100); }, Reason::kDiskFull},
        {"replaces the input",
         [&] {
             gJob.outputFolder = in;
             gSettings.filenameMask = "%filename%.bmp";
         },
         Reason::kReplacesInput},
        {"mask folder taken by a file",
         [&] {
             ASSERT_TRUE(WriteFile(out + "taken", "a file"));
             gSettings.filenameMask = "taken/%filename%.%ext%";
         },
         Reason::kOutputFolderFailed},
        {"resized beyond the bounds",
         [] {
             gSettings.doImageResize = 1;
             gSettings.imageWidth = 30000;
             gSettings.imageHeight = 30000;
         },
         Reason::kResultTooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetEngineJob();
        SetPcxWriteLimit(-1);
        fs::remove_all(out);
        fs::create_directories(out);
        ASSERT_EQ(chmod(out.c_str(), 0777), 0);
        gJob.outputFolder = out;
        UseInput(MakePatternImage(200, 100));
        ASSERT_EQ(chmod(gJob.currentInput.c_str(), 0644), 0);
        c.prepare();
        const std::string before = ReadFile(gJob.currentInput);
        const std::vector<std::string> names = FolderNames(out);
        EXPECT_EQ(c.unprivileged ? ConvertWithoutPrivileges() : ConvertFile(), c.expected);
        // Nothing was written, and the input is as it was.
        EXPECT_EQ(FolderNames(out), names);
        ASSERT_EQ(chmod(out.c_str(), 0777), 0);
        if (PathExists(gJob.currentInput)) {
            ASSERT_EQ(chmod(gJob.currentInput.c_str(), 0644), 0);
            EXPECT_TRUE(ReadFile(gJob.currentInput) == before);
        }
        std::error_code ec;
        fs::remove(gJob.currentInput, ec);
    }
    SetPcxWriteLimit(-1);
}

TEST_F(Convert, OutputNeverReplacesItsInput) {
    struct Case {
        const char* name;
        std::function<void(const std::string& input, const std::string& output)> link;
    };
    const Case cases[] = {
        {"same path", {}},
        {"hard link", [](const std::string& input,
                         const std::string& output) { fs::create_hard_link(input, output); }},
        {"symbolic link", [](const std::string& input,
                             const std::string& output) { fs::create_symlink(input, output); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetEngineJob();
        fs::remove_all(in);
        fs::create_directories(in);
        UseInput(MakePatternImage(20, 10));
        const std::string before = ReadFile(gJob.currentInput);
        if (c.link) {
            gJob.outputFolder = out;
            fs::remove(out + "pic.pcx");
            c.link(gJob.currentInput, out + "pic.pcx");
        } else {
            gJob.outputFolder = in;
            gSettings.filenameMask = "%filename%.bmp";
        }
        const std::vector<std::string> inNames = FolderNames(in);
        const std::vector<std::string> outNames = FolderNames(out);
        EXPECT_EQ(ConvertFile(), Reason::kReplacesInput);
        EXPECT_TRUE(ReadFile(gJob.currentInput) == before);
        EXPECT_EQ(FolderNames(in), inNames);
        EXPECT_EQ(FolderNames(out), outNames);
    }
}

// Device of a path's file system.
dev_t DeviceOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_dev : 0;
}

TEST_F(Convert, TemporaryFileLiesInTheFinalFilesFolder) {
    UseInput(MakePatternImage(9, 7));
    gSettings.filenameMask = "sub/%filename%.%ext%";
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    EXPECT_EQ(FolderPart(gJob.temporaryPath), out + "sub/");
    EXPECT_EQ(FolderNames(out + "sub/"), std::vector<std::string>{"pic.pcx"});

    // A mask whose folder lies on another file system.
    const std::string elsewhere =
        "/dev/shm/brelvix-test-" + FilePart(temp.path.substr(0, temp.path.size() - 1));
    fs::create_directories(elsewhere);
    struct Cleanup {
        std::string path;
        ~Cleanup() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    } cleanup{elsewhere};
    if (DeviceOf(elsewhere) == DeviceOf(out)) GTEST_SKIP() << "/dev/shm is on the same file system";
    fs::create_directory_symlink(elsewhere, out + "memory");
    gSettings.filenameMask = "memory/%filename%.%ext%";
    ASSERT_EQ(ConvertFile(), Reason::kNone);
    EXPECT_EQ(FolderNames(elsewhere), std::vector<std::string>{"pic.pcx"});
    EXPECT_TRUE(DecodeWith("netpbm", elsewhere + "/pic.pcx").pixels ==
                ToRgb(MakePatternImage(9, 7)).pixels);
    EXPECT_EQ(FolderNames(out), (std::vector<std::string>{"memory", "sub"}));
}

TEST_F(Convert, ResultsBeyondTheBoundsFailAtOnce) {
    // A picture of 65530 x 3 in a few kilobytes of RLE8 data, whose turn by
    // 33 degrees would need a canvas of about two gigapixels.
    RgbImage line;
    line.width = 65530;
    line.height = 3;
    line.pixels.assign(static_cast<size_t>(line.width) * line.height * 3, 0x80);
    BmpLayout rle;
    rle.bpp = 8;
    rle.compression = 1;
    const std::string bytes = EncodeBmp(line, rle);
    ASSERT_FALSE(bytes.empty());
    ASSERT_LT(bytes.size(), 4000u);
    gJob.currentInput = in + "line.bmp";
    ASSERT_TRUE(WriteFile(gJob.currentInput, bytes));

    struct Case {
        const char* name;
        std::function<void()> settings;
        Reason expected;
    };
    const Case cases[] = {
        {"turned by 33 degrees",
         [] {
             gSettings.doImageRotation = 1;
             gSettings.imageRotation = 33;
         },
         Reason::kResultTooLarge},
        {"resized to 65530 x 90000 by percentages",
         [] {
             gSettings.doImageResize = 1;
             gSettings.imageWidth = 100;
             gSettings.imageWidthUnit = 1;
             gSettings.imageHeight = 3000000;
             gSettings.imageHeightUnit = 1;
         },
         Reason::kResultTooLarge},
        // A quarter turn stays within the bounds.
        {"a quarter turn",
         [] {
             gSettings.doImageRotation = 1;
             gSettings.imageRotation = 90;
         },
         Reason::kNone},
        // The turn about the centre keeps the size.
        {"turned on its own canvas",
         [] {
             gSettings.doImageRotation = 1;
             gSettings.imageRotation = 33;
             gSettings.imageRotationType = 1;
         },
         Reason::kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetEngineJob();
        gJob.outputFolder = out;
        gJob.currentInput = in + "line.bmp";
        c.settings();
        EXPECT_EQ(ConvertFile(), c.expected);
        EXPECT_EQ(FolderNames(out), c.expected == Reason::kNone
                                        ? std::vector<std::string>{"line.pcx"}
                                        : std::vector<std::string>{});
        std::error_code ec;
        fs::remove(out + "line.pcx", ec);
    }
}

TEST(ResultBounds, AreThoseOfALoadedPictureAndOfPcx) {
    EXPECT_TRUE(WithinResultBounds(kMaxPcxWidth, 1));
    EXPECT_FALSE(WithinResultBounds(kMaxPcxWidth + 1, 1));
    EXPECT_TRUE(WithinResultBounds(1, kMaxPcxHeight));
    EXPECT_FALSE(WithinResultBounds(1, kMaxPcxHeight + 1));
    EXPECT_TRUE(WithinResultBounds(16384, 16384)); // kMaxPixels exactly
    EXPECT_FALSE(WithinResultBounds(16384, 16385));
    EXPECT_FALSE(WithinResultBounds(0, 5));
    EXPECT_FALSE(WithinResultBounds(int64_t{1} << 40, int64_t{1} << 40));
}

TEST(ResultBounds, RotatedSizeIsTheSizeFreeImageGives) {
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 1}, {37, 23}, {3, 40}, {90, 7}, {16, 16}};
    for (const auto& [width, height] : sizes) {
        Image picture(FreeImage_Allocate(width, height, 24));
        for (int angle = 1; angle < 360; ++angle) {
            RGBQUAD background{};
            Image turned(FreeImage_Rotate(picture.get(), angle, &background));
            ASSERT_TRUE(turned);
            const PictureSize size = RotatedSize(width, height, angle);
            EXPECT_EQ(size.width, turned.Width()) << width << "x" << height << " by " << angle;
            EXPECT_EQ(size.height, turned.Height()) << width << "x" << height << " by " << angle;
        }
    }
}

} // namespace
