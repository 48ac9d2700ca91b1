#include "formats/formats.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

TEST(Settings, ResetDefaultsFollowMode) {
    ResetSettings(false);
    EXPECT_EQ(gSettings.keepAspectRatio, 1);
    EXPECT_EQ(gSettings.backOpacity, 1);
    EXPECT_EQ(gSettings.jpgQuality, 95);
    EXPECT_EQ(gSettings.cfg, 17);
    EXPECT_EQ(gSettings.inputFormat, "bmp");
    EXPECT_EQ(gSettings.outputFormat, "pcx");
    EXPECT_FLOAT_EQ(gSettings.imageGamma, 1.0f);
    EXPECT_EQ(gSettings.filenameMask, "%filename%.%ext%");
    ResetSettings(true);
    EXPECT_EQ(gSettings.keepAspectRatio, 0);
}

TEST(Settings, CentredPosition) {
    int x, y;
    CentredWindowPosition(1920, 1080, x, y);
    EXPECT_EQ(x, 705);
    EXPECT_EQ(y, 410);
    CentredWindowPosition(500, 260, x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 100);
}

TEST(Settings, ResetJobDrawsIndependentRandomNumbers) {
    bool differed = false;
    ResetJob();
    int first = gJob.randomNumber;
    for (int i = 0; i < 20 && !differed; ++i) {
        ResetJob();
        EXPECT_GE(gJob.randomNumber, 1);
        EXPECT_LE(gJob.randomNumber, 99999);
        differed = gJob.randomNumber != first;
    }
    EXPECT_TRUE(differed);
    EXPECT_EQ(gJob.counter, 1);
    EXPECT_EQ(gJob.acceptedInputExtensions, (std::vector<std::string>{"bmp", "rle", "dib"}));
}

TEST(Settings, OutputBppSlot) {
    ASSERT_NE(OutputBppSlot("pcx"), nullptr);
    EXPECT_STREQ(OutputBppSlot("pcx")->key, "PCX BPP");
    EXPECT_STREQ(OutputBppSlot("tiff")->key, "TIFF BPP");
    EXPECT_EQ(OutputBppSlot("PCX"), nullptr);
    EXPECT_EQ(OutputBppSlot("foo"), nullptr);
}

TEST(Formats, BitDepthPermission) {
    BuildFormatTables();
    struct Case {
        const char* format;
        int bpp;
        bool permitted;
    } cases[] = {{"pcx", 24, true}, {"pcx", 0, true},  {"pcx", 8, false},
                 {"bmp", 16, true}, {"png", 16, false}, {"nope", 0, true},
                 {"nope", 24, false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsBppPermitted(c.format, c.bpp), c.permitted) << c.format << " " << c.bpp;
    EXPECT_EQ(LookupInputFormat("dib").format, "bmp");
    EXPECT_EQ(LookupInputFormat("DIB").format, "");
    EXPECT_EQ(LookupOutputFormat("pcx").libraryId, 1064);
    EXPECT_EQ(OutputFormatTable().size(), 23u);
}
