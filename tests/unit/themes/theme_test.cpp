#include "app/image_slots.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "test_support.h"
#include "themes/themes.h"
#include "zip_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

namespace {

// A PNG of one colour.
std::string SolidPng(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = r;
        pixels[i + 1] = g;
        pixels[i + 2] = b;
        pixels[i + 3] = 255;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_get_memory_size(image, size, 0, pixels.data(), 0, nullptr);
    std::string out(size, '\0');
    png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr);
    out.resize(size);
    return out;
}

using Entries = std::vector<std::pair<std::string, std::string>>;


// The colour of the first pixel of a slot, as 0xRRGGBB.
uint32_t SlotColour(SlotSet set, const char* name) {
    const RgbaImage& image = SlotImage(set, name);
    if (image.Empty()) return 0xFFFFFFFFu;
    return (image.pixels[0] << 16) | (image.pixels[1] << 8) | image.pixels[2];
}

RgbaImage Solid(int side, uint8_t r, uint8_t g, uint8_t b) {
    RgbaImage image;
    image.width = image.height = side;
    image.pixels.assign(static_cast<size_t>(side) * side * 4, 255);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        image.pixels[i] = r;
        image.pixels[i + 1] = g;
        image.pixels[i + 2] = b;
    }
    return image;
}

// Fills every slot of every set with a grey marker picture.
void MarkAllSlots() {
    for (SlotSet set : kAllSlotSets)
        for (const char* name : SlotNames(set))
            SetSlotImage(set, name, Solid(2, 9, 9, 9));
}

class Themes : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSettings(false);
        ResetJob();
        gJob.programFolder = program.path;
        std::filesystem::create_directory(program.path + "gfx");
        MarkAllSlots();
    }
    std::string Gfx(const std::string& name) const { return program.path + "gfx/" + name; }
    TempFolder program;
};

const std::string kCfg = "[Theme]\r\nName=Sample Theme\r\n"
                         "[Buttons]\r\nConvert = big.png \r\n"
                         "[Icons]\r\nNew=new\r\nAdd=BIG.PNG\r\nHelp=bad.png\r\nWeb=absent\r\n";

} // namespace

TEST(ThemeConfig, ValueLookup) {
    const std::string text = "[theme]\r\nname= Dark\t\r\n"
                             "[Icons]\r\nAddMore=more.png\r\nAdd=add.png\r\nNew=a=b=c\r\n"
                             "Exit = \texit.png\t \r\nLast=unterminated";
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"Theme", "Name", "Dark"},     // section and key without regard to case, trimmed
        {"ICONS", "add", "more.png"},  // the key matches as a prefix: the first line wins
        {"Icons", "New", "a"},         // the value ends at the second "="
        {"Icons", "Exit", "exit.png"}, // blanks and tabs around the value
        {"Icons", "Last", ""},         // a key line must end with CR LF
        {"Icons", "Name", ""},         // not in this section
        {"Theme", "AddMore", ""},      // the section ends at the next "["
        {"Buttons", "Convert", ""},    // no such section
    };
    for (const Case& c : cases)
        EXPECT_EQ(ThemeConfigValue(text, c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(ThemeConfig, IconPixelSizes) {
    const std::pair<int, int> cases[] = {{0, 16}, {1, 24}, {2, 32}, {3, 48},
                                         {4, 64}, {5, 16}, {7, 16}, {-1, 16}};
    for (auto [uiSize, pixels] : cases)
        EXPECT_EQ(IconPixelSize(uiSize), pixels) << uiSize;
}

TEST_F(Themes, SlotsReplacedAndMissingSlotsKept) {
    WriteZip(Gfx("sample.zip"), {{"theme.cfg", kCfg},
                                 {"big.png", SolidPng(20, 20, 0, 0, 255)},
                                 {"BIG.PNG", SolidPng(20, 20, 0, 255, 255)},
                                 {"new_16.png", SolidPng(16, 16, 255, 0, 0)},
                                 {"new_48.png", SolidPng(48, 48, 0, 255, 0)},
                                 {"new_32.png", SolidPng(32, 32, 255, 255, 0)},
                                 {"bad.png", "this is not a PNG picture"}});
    gSettings.uiTheme = "sample";
    gSettings.uiSize = 3;
    LoadTheme(true, true, true);

    EXPECT_EQ(SlotColour(SlotSet::Buttons, "Convert"), 0x0000FFu);
    // "new" is a base name: 16 pixels for the menu, UI Size 3 gives 48 for the toolbar.
    EXPECT_EQ(SlotColour(SlotSet::MenuIcons, "New"), 0xFF0000u);
    EXPECT_EQ(SlotImage(SlotSet::MenuIcons, "New").width, 16);
    EXPECT_EQ(SlotColour(SlotSet::ToolbarIcons, "New"), 0x00FF00u);
    EXPECT_EQ(SlotImage(SlotSet::ToolbarIcons, "New").width, 48);
    // A value naming a PNG file is used for both sizes, by its exact stored name.
    EXPECT_EQ(SlotColour(SlotSet::MenuIcons, "Add"), 0x00FFFFu);
    EXPECT_EQ(SlotColour(SlotSet::ToolbarIcons, "Add"), 0x00FFFFu);
    // Not decodable, missing from the archive, or not named: the slot keeps its picture.
    for (SlotSet set : {SlotSet::MenuIcons, SlotSet::ToolbarIcons})
        for (const char* name : {"Help", "Web", "Exit", "About"})
            EXPECT_EQ(SlotColour(set, name), 0x090909u) << name;
    EXPECT_EQ(SlotColour(SlotSet::Buttons, "InFiles"), 0x090909u);
    EXPECT_EQ(gSettings.uiTheme, "sample");
}

TEST_F(Themes, OnlyTheChosenSetsAreRefilled) {
    WriteZip(Gfx("sample.zip"), {{"theme.cfg", kCfg},
                                 {"big.png", SolidPng(20, 20, 0, 0, 255)},
                                 {"new_16.png", SolidPng(16, 16, 255, 0, 0)},
                                 {"new_32.png", SolidPng(32, 32, 255, 255, 0)}});
    gSettings.uiTheme = "sample";
    gSettings.uiSize = 2;
    LoadTheme(false, false, true);
    EXPECT_EQ(SlotColour(SlotSet::ToolbarIcons, "New"), 0xFFFF00u);
    EXPECT_EQ(SlotColour(SlotSet::MenuIcons, "New"), 0x090909u);
    EXPECT_EQ(SlotColour(SlotSet::Buttons, "Convert"), 0x090909u);
}

TEST_F(Themes, DeletedThemeFallsBackToTheLastListed) {
    WriteZip(Gfx("alpha.zip"), {{"theme.cfg", "[Theme]\r\nName=Alpha\r\n[Icons]\r\nNew=n.png\r\n"},
                                {"n.png", SolidPng(16, 16, 1, 2, 3)}});
    WriteZip(Gfx("dark.zip"), {{"theme.cfg", "[Theme]\r\nName=Dark\r\n[Icons]\r\nNew=n.png\r\n"},
                               {"n.png", SolidPng(16, 16, 4, 5, 6)}});
    ListThemes();
    ASSERT_EQ(ThemeCatalogue().size(), 2u);
    EXPECT_EQ(ThemeCatalogue().at("dark"), "Dark");
    gSettings.uiTheme = "deleted";
    LoadTheme(true, true, true);
    EXPECT_EQ(gSettings.uiTheme, "dark");
    EXPECT_EQ(SlotColour(SlotSet::MenuIcons, "New"), 0x040506u);
}

TEST_F(Themes, MissingThemeWithoutCatalogueKeepsEverything) {
    ListThemes();
    EXPECT_TRUE(ThemeCatalogue().empty());
    gSettings.uiTheme = "deleted";
    LoadTheme(true, true, true);
    EXPECT_EQ(gSettings.uiTheme, "deleted");
    EXPECT_EQ(SlotColour(SlotSet::MenuIcons, "New"), 0x090909u);
}

TEST_F(Themes, CatalogueAndDisplayNames) {
    const std::string padding(300, ' ');
    WriteZip(Gfx("plain.zip"), {{"theme.cfg", "[Theme]\r\nName=Plain and Simple\r\n"}});
    WriteZip(Gfx("late.zip"), {{"theme.cfg", padding + "\r\n[Theme]\r\nName=Late\r\n"}});
    WriteZip(Gfx("nocfg.zip"), {{"x.png", SolidPng(4, 4, 0, 0, 0)}});
    WriteFile(Gfx("broken.zip"), "PK\x03\x04 this is no archive");
    WriteFile(Gfx("empty.zip"), "");
    WriteFile(Gfx("notes.txt"), "not a theme");
    std::filesystem::create_directory(Gfx("folder.zip"));
    ListThemes();
    const auto& catalogue = ThemeCatalogue();
    EXPECT_EQ(catalogue.size(), 5u);
    EXPECT_EQ(catalogue.count("folder"), 0u);
    EXPECT_EQ(catalogue.at("plain"), "Plain and Simple");
    EXPECT_EQ(catalogue.at("late"), "");  // [Theme] starts after the first 255 bytes
    EXPECT_EQ(catalogue.at("nocfg"), ""); // an archive without theme.cfg
    EXPECT_EQ(catalogue.at("broken"), "broken");
    EXPECT_EQ(catalogue.at("empty"), "empty");
    EXPECT_EQ(LastListedTheme(), "plain");

    // The late theme still loads normally.
    WriteZip(Gfx("late.zip"), {{"theme.cfg", padding + "\r\n[Icons]\r\nNew=n.png\r\n"},
                               {"n.png", SolidPng(16, 16, 7, 7, 7)}});
    gSettings.uiTheme = "late";
    LoadTheme(false, true, false);
    EXPECT_EQ(SlotColour(SlotSet::MenuIcons, "New"), 0x070707u);
}

TEST_F(Themes, DamagedArchivesChangeNothing) {
    // A truncated archive, and an entry far larger than any picture.
    WriteZip(Gfx("whole.zip"), {{"theme.cfg", kCfg}, {"new_16.png", SolidPng(16, 16, 255, 0, 0)}});
    std::string bytes = ReadFile(Gfx("whole.zip"));
    WriteFile(Gfx("cut.zip"), bytes.substr(0, bytes.size() / 2));
    gSettings.uiTheme = "cut";
    LoadTheme(true, true, true);
    EXPECT_EQ(SlotColour(SlotSet::MenuIcons, "New"), 0x090909u);

    WriteZip(Gfx("huge.zip"), {{"theme.cfg", "[Icons]\r\nNew=huge.png\r\n"},
                               {"huge.png", std::string(kMaxThemeEntrySize + 1, '\0')}});
    gSettings.uiTheme = "huge";
    LoadTheme(true, true, true);
    EXPECT_EQ(SlotColour(SlotSet::MenuIcons, "New"), 0x090909u);
}

TEST(Pictures, DecodersRefuseDamagedData) {
    RgbaImage image;
    const std::string png = SolidPng(8, 8, 10, 20, 30);
    ASSERT_TRUE(DecodePng(png, image));
    EXPECT_EQ(image.width, 8);
    EXPECT_EQ(image.pixels.size(), 8u * 8 * 4);
    for (size_t cut : {size_t{0}, size_t{7}, size_t{30}, png.size() - 16}) {
        RgbaImage out = Solid(1, 1, 1, 1);
        EXPECT_FALSE(DecodePng(png.substr(0, cut), out)) << cut;
        EXPECT_EQ(out.width, 1);
    }
    EXPECT_FALSE(DecodePng(SolidPng(kMaxPictureSide + 1, 1, 0, 0, 0), image));

    // A 2 x 2 bottom-up BMP: the first row in the file is the bottom row.
    std::string bmp(54 + 16, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<char>((v >> (8 * i)) & 255);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    bmp[26] = 1;
    bmp[28] = 24;
    bmp[54] = 10;         // bottom-left pixel blue 10
    bmp[54 + 8 + 2] = 99; // top-left pixel red 99
    ASSERT_TRUE(DecodeBmp24(bmp, image));
    EXPECT_EQ(image.pixels[0], 99);
    EXPECT_EQ(image.pixels[2 * 4 * 1 + 2], 10);
    EXPECT_FALSE(DecodeBmp24(bmp.substr(0, bmp.size() - 1), image));
    put32(18, 0x7FFFFFFF);
    EXPECT_FALSE(DecodeBmp24(bmp, image));
}

TEST(Pictures, BuiltinImagesFillEverySlot) {
    MarkAllSlots();
    LoadBuiltinImages(32);
    for (SlotSet set : kAllSlotSets)
        for (const char* name : SlotNames(set)) {
            const RgbaImage& image = SlotImage(set, name);
            ASSERT_FALSE(image.Empty()) << name;
            EXPECT_NE(image.width, 2) << name;
            if (set == SlotSet::MenuIcons) {
                EXPECT_EQ(image.width, 16) << name;
            } else if (set == SlotSet::ToolbarIcons) {
                EXPECT_EQ(image.width, 32) << name;
            }
        }
    EXPECT_LE(SlotImage(SlotSet::Buttons, "Convert").width, 100);
    EXPECT_GE(SlotImage(SlotSet::Buttons, "Convert").width, 64);
    EXPECT_EQ(AboutBanner().width, 360);
    EXPECT_EQ(AboutBanner().height, 40);
    EXPECT_TRUE(SlotImage(SlotSet::MenuIcons, "NoSuchSlot").Empty());
    EXPECT_FALSE(SetSlotImage(SlotSet::Buttons, "New", Solid(2, 0, 0, 0)));
}

TEST(Pictures, DefaultThemeBesideTheProgramCoversEverySlot) {
    ResetSettings(false);
    ResetJob();
    gJob.programFolder = FolderPart(BrelvixPath());
    ASSERT_TRUE(IsFile(gJob.programFolder + "gfx/handdrawn.zip"));
    EXPECT_EQ(ThemeDisplayName("handdrawn"), "Hand-drawn");
    for (int uiSize : {0, 4}) {
        MarkAllSlots();
        gSettings.uiSize = uiSize;
        LoadTheme(true, true, true);
        EXPECT_EQ(gSettings.uiTheme, "handdrawn");
        for (SlotSet set : kAllSlotSets)
            for (const char* name : SlotNames(set)) {
                EXPECT_NE(SlotColour(set, name), 0x090909u) << name;
                if (set == SlotSet::ToolbarIcons) {
                    EXPECT_EQ(SlotImage(set, name).width, IconPixelSize(uiSize)) << name;
                }
            }
    }
}

TEST(ThemeFolders, InstalledLayoutIsFoundBesideTheProgram) {
    TempFolder prefix;
    std::filesystem::create_directories(prefix.File("bin"));
    ResetJob();
    gJob.programFolder = prefix.File("bin/");
    EXPECT_EQ(ThemeFolder(), prefix.File("bin/gfx/")); // neither exists: the folder beside
    std::filesystem::create_directories(prefix.File("share/brelvix/gfx"));
    EXPECT_EQ(ThemeFolder(), prefix.File("bin/../share/brelvix/gfx/"));
    std::filesystem::create_directories(prefix.File("bin/gfx"));
    EXPECT_EQ(ThemeFolder(), prefix.File("bin/gfx/"));
}

// UI Theme names a theme only as a bare file name of the theme folder: a path that
// leads out of it, a name with a NUL byte, or an empty name stands for the default
// theme, even when the file it would reach exists.
TEST_F(Themes, ThemeNameIsABareFileName) {
    WriteZip(Gfx("handdrawn.zip"), {{"theme.cfg", "[Icons]\r\nNew=n.png\r\n"},
                                    {"n.png", SolidPng(16, 16, 1, 1, 1)}});
    WriteZip(Gfx("zz.zip"), {{"theme.cfg", "[Icons]\r\nNew=n.png\r\n"},
                             {"n.png", SolidPng(16, 16, 2, 2, 2)}});
    std::filesystem::create_directory(Gfx("sub"));
    for (const std::string& reachable : {program.path + "outside.zip", Gfx("sub/inner.zip")})
        WriteZip(reachable, {{"theme.cfg", "[Icons]\r\nNew=n.png\r\n"},
                             {"n.png", SolidPng(16, 16, 3, 3, 3)}});
    ListThemes();
    const struct {
        std::string name;
        std::string theme;
        uint32_t colour;
    } cases[] = {
        {"zz", "zz", 0x020202u},
        {"../outside", "handdrawn", 0x010101u},
        {"sub/inner", "handdrawn", 0x010101u},
        {std::string("zz.zip\0tail", 11), "handdrawn", 0x010101u},
        {std::string("zz\0", 3), "handdrawn", 0x010101u},
        {"", "handdrawn", 0x010101u},
        {"..", "handdrawn", 0x010101u},
    };
    for (const auto& c : cases) {
        MarkAllSlots();
        gSettings.uiTheme = c.name;
        LoadTheme(true, true, true);
        EXPECT_EQ(gSettings.uiTheme, c.theme) << c.name;
        EXPECT_EQ(SlotColour(SlotSet::MenuIcons, "New"), c.colour) << c.name;
        EXPECT_FALSE(IsBareThemeName(c.name) && c.theme != c.name) << c.name;
    }
    EXPECT_EQ(ThemeDisplayName("../outside"), "../outside");
}
