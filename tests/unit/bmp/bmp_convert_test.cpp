#include "bmp_cases.h"
#include "bmp_writer.h"
#include "engine/convert.h"
#include "formats/formats.h"
#include "settings/settings.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class BmpConversions : public ::testing::TestWithParam<Variant> {};

TEST_P(BmpConversions, GiveThePixelsOfTheFileInPcx) {
    const Variant& v = GetParam();
    TempFolder temp;
    const std::string input = temp.File(std::string(v.name) + ".bmp");
    const RgbImage source = MakeTestPicture(v.width, v.height, v.colours);
    ASSERT_TRUE(WriteBmpFile(input, source, v.layout));
    const std::string out = PrepareJob(temp, input);

    ASSERT_EQ(ConvertFile(), Reason::kNone);
    // The depth the file stores, also where it loads as another.
    EXPECT_EQ(gJob.sourceBitDepth, v.layout.bpp);
    const std::string output = out + v.name + ".pcx";
    EXPECT_EQ(FolderNames(out), std::vector<std::string>{std::string(v.name) + ".pcx"});
    const RgbImage want = Quantised(source, v.layout);
    for (const char* reader : {"netpbm", "magick"}) {
        const RgbImage got = DecodeWith(reader, output);
        ASSERT_GT(got.width, 0) << reader << " cannot read " << output;
        EXPECT_EQ(Compare(got, want), "") << reader;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, BmpConversions,
                         ::testing::ValuesIn(VariantTable().begin(), VariantTable().end()),
                         [](const auto& info) { return std::string(info.param.name); });

// A file the reader refuses fails its conversion with the reader's reason and leaves
// the output folder empty.
TEST(BmpConversion, RefusedFileWritesNothing) {
    TempFolder temp;
    std::string truncated = EncodeBmp(MakeTestPicture(101, 37), {.bpp = 24, .headerSize = 124});
    truncated.resize(truncated.size() - 1);
    std::string bomb = EncodeBmp(MakeTestPicture(1, 1, 2), {.bpp = 8, .compression = 1});
    bomb.replace(18, 8, std::string("\x30\x75\0\0\x30\x75\0\0", 8)); // 30000 x 30000
    const struct {
        const char* name;
        std::string bytes;
        Reason reason;
    } files[] = {
        {"truncated.bmp", truncated, Reason::kTruncated},
        {"bomb.bmp", bomb, Reason::kTooLarge},
        {"empty.bmp", std::string(), Reason::kNotBmp},
    };
    for (const auto& [name, bytes, reason] : files) {
        const std::string input = temp.File(name);
        ASSERT_TRUE(WriteFile(input, bytes));
        const std::string out = PrepareJob(temp, input);
        EXPECT_EQ(ConvertFile(), reason) << name;
        EXPECT_EQ(gJob.sourceBitDepth, 0) << name;
        EXPECT_TRUE(FolderNames(out).empty()) << name;
    }
}

} // namespace
