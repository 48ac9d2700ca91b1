#include "engine/convert.h"
#include "engine/naming.h"
#include "engine_fixture.h"
#include "platform/platform.h"
#include "settings/settings.h"

#include <ctime>
#include <regex>

namespace {

class Naming : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineJob();
        gJob.outputFolder = "/out/";
        gJob.currentSubFolder = "";
        gJob.currentInput = "/pictures/Holiday.BMP";
    }
};

struct MaskCase {
    const char* input;
    const char* mask;
    const char* expected;
};

TEST_F(Naming, MaskTokensAndTheirCaseRules) {
    const MaskCase cases[] = {
        {"/p/Holiday.BMP", "%FILENAME%_%ext[U]%", "Holiday_PCX"},
        {"/p/mY pHoTo.bmp", "%filename[t]%", "My photo"},
        {"/p/mY pHoTo.bmp", "%filename[u]%", "MY PHOTO"},
        {"/p/mY pHoTo.bmp", "%filename[l]%", "my photo"},
        {"/p/Holiday.BMP", "%ext[t]%", "Pcx"},
        {"/p/Holiday.BMP", "%ext%", "pcx"},
        {"/p/a%ext%b.bmp", "%filename%", "apcxb"},
        {"/p/Holiday.BMP", "x%foo%.%ext%", "x%foo%.pcx"},
        {"/p/Holiday.BMP", "", "Holiday.pcx"},
        {"/p/Holiday.BMP", "Photo_%FileName%.%EXT%", "photo_Holiday.pcx"},
        {"/p/Holiday.BMP", "%filename%", "Holiday"},
        {"/p/photo.final.bmp", "%filename%.%ext%", "photo.final.pcx"},
        {"/p/dir.x/Holiday.BMP", "%filename%.%ext%", "Holiday.pcx"},
        {"/p/%filename%.bmp", "%filename%-%filename%", "%filename%-%filename%"},
        {"/p/émile.bmp", "%filename[u]%", "ÉMILE"},
        {"/p/éCOLE.bmp", "%filename[t]%", "École"},
        {"/p/ÉCOLE.bmp", "%filename[l]%", "école"},
        {"/p/Holiday.BMP", "Sub\\%filename%.%ext%", "sub/Holiday.pcx"},
        {"/p/Holiday.BMP", "a/b/%filename%", "a/b/Holiday"},
    };
    for (const MaskCase& c : cases) {
        gJob.currentInput = c.input;
        gSettings.filenameMask = c.mask;
        EXPECT_EQ(ExpandFilenameMask(), c.expected) << c.input << " with " << c.mask;
    }
}

TEST_F(Naming, NumbersAreFilledToFiveCharacters) {
    struct Case {
        const char* mask;
        int32_t counter, random;
        const char* expected;
    };
    const Case cases[] = {
        {"%n%", 1, 7, "00001"},
        {"%n%", 42, 7, "00042"},
        {"%rnd%", 1, 12345, "12345"},
        {"%rnd%", 1, 123456, "12345"},
        {"%rnd%_%n%", 2, 99999, "99999_00002"},
    };
    for (const Case& c : cases) {
        gJob.counter = c.counter;
        gJob.randomNumber = c.random;
        gSettings.filenameMask = c.mask;
        EXPECT_EQ(ExpandFilenameMask(), c.expected) << c.mask;
    }
}

TEST_F(Naming, SizeAndDepthFields) {
    gJob.outputWidth = 640;
    gJob.outputHeight = 480;
    gJob.outputBitDepth = 24;
    gSettings.filenameMask = "%filename%_%WIDTH%x%height%_%bpp%.%ext%";
    EXPECT_EQ(ExpandFilenameMask(), "Holiday_640x480_24.pcx");
    gJob.outputWidth = -3;
    gSettings.filenameMask = "%width%";
    EXPECT_EQ(ExpandFilenameMask(), "-3");
}

std::string LocalStamp(const char* format) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

TEST_F(Naming, DateTokensHaveTwoDigits) {
    gSettings.filenameMask = "%yyyy%-%mm%-%dd% %hh%.%ii%.%ss%";
    const std::string before = LocalStamp("%Y-%m-%d %H.%M.%S");
    const std::string name = ExpandFilenameMask();
    const std::string after = LocalStamp("%Y-%m-%d %H.%M.%S");
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}\.\d{2}\.\d{2})")))
        << name;
    EXPECT_TRUE(name == before || name == after) << name << " not " << before;
}

TEST_F(Naming, WatermarkTextKeepsItsLiteralCase) {
    gJob.outputWidth = 640;
    gJob.outputHeight = 480;
    gJob.outputBitDepth = 24;
    const std::string day = LocalStamp("%d.%m");
    struct Case {
        std::string text, expected;
    };
    const Case cases[] = {
        {"50% off", "50% off"},
        {"100%", "100%"},
        {"%filename", "%filename"},
        {"Shot on %DD%.%MM%", "Shot on " + day},
        {"Hello %Filename% World", "Hello Holiday World"},
        {"Size %WIDTH%x%height% at %bpp%", "Size 640x480 at 24"},
        {"%foo% and %ext[u]%", "%foo% and PCX"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandWatermarkText(c.text), c.expected) << c.text;
}

TEST_F(Naming, ReplaceMaskTokenIgnoresCaseAndUnknownTokens) {
    EXPECT_EQ(ReplaceMaskToken("%FILENAME% and %Filename%", "%filename%"), "Holiday and Holiday");
    EXPECT_EQ(ReplaceMaskToken("a %foo% b", "%foo%"), "a %foo% b");
    EXPECT_EQ(ReplaceMaskToken("no tokens", "%ext%"), "no tokens");
    EXPECT_EQ(ReplaceMaskToken("%EXT[U]%", "%ext[u]%"), "PCX");
}

TEST_F(Naming, StripExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"photo.final.bmp", "photo.final"},
        {".bmp", ""},
        {"name.", "name"},
        {"", ""},
        {"noext", "noext"},
        {"a.b", "a"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(StripExtension(name), expected) << name;
}

TEST_F(Naming, FinalOutputPathKeepsSubFoldersOnlyWhenAsked) {
    gJob.currentSubFolder = "trip/";
    gSettings.keepSubfolders = 1;
    EXPECT_EQ(FinalOutputPath(), "/out/trip/Holiday.pcx");
    gSettings.keepSubfolders = 0;
    EXPECT_EQ(FinalOutputPath(), "/out/Holiday.pcx");
}

// The ten letters of the date value decoded back into the number.
int64_t DecodeStemDate(const std::string& letters) {
    int64_t value = 0;
    for (char c : letters)
        value = value * 10 + (c - 'a');
    return value;
}

TEST_F(Naming, UniqueStemWritesTheDateAsLettersAndFiveRandomOnes) {
    const int32_t before = LocalDateNow();
    const std::string stem = UniqueStem("pre", ".suf");
    const int32_t after = LocalDateNow();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(stem, m, std::regex(R"(pre([a-j]{10})[a-z]{5}\.suf)"))) << stem;
    const int64_t date = DecodeStemDate(m[1].str());
    EXPECT_GE(date, before);
    EXPECT_LE(date, after);

    bool differed = false;
    for (int i = 0; i < 10 && !differed; ++i)
        differed = UniqueStem("", "") != UniqueStem("", "");
    EXPECT_TRUE(differed);
}

TEST_F(Naming, TemporaryPathIsInTheFinalFilesFolder) {
    struct Case {
        int keepSubfolders;
        const char* mask;
        const char* expected;
    };
    const Case cases[] = {
        {1, "%filename%.%ext%", R"(/out/trip/brelvix[a-j]{10}[a-z]{5}\.pcx)"},
        {0, "%filename%.%ext%", R"(/out/brelvix[a-j]{10}[a-z]{5}\.pcx)"},
        // A mask with a folder part: the folder of the final file.
        {1, "sub/%filename%.%ext%", R"(/out/trip/sub/brelvix[a-j]{10}[a-z]{5}\.pcx)"},
        {0, "../%filename%.%ext%", R"(/out/\.\./brelvix[a-j]{10}[a-z]{5}\.pcx)"},
    };
    gJob.currentSubFolder = "trip/";
    for (const Case& c : cases) {
        gSettings.keepSubfolders = c.keepSubfolders;
        gSettings.filenameMask = c.mask;
        gJob.outputPath = FinalOutputPath();
        const std::string path = TemporaryOutputPath();
        EXPECT_TRUE(std::regex_match(path, std::regex(c.expected))) << path;
    }
}

} // namespace
