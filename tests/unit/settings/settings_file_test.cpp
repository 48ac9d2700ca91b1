#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fcntl.h>
#include <functional>
#include <future>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const std::string kBom = "\xEF\xBB\xBF";

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Lines joined with CR LF, each line ended by one.
std::string CrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out;
}

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        SetDesktopSize(1920, 1080);
        path = temp.File("config.ini");
        gSettings.settingsPath = path;
    }
    void TearDown() override {
        SetDesktopSize(0, 0);
        gSettings.settingsPath.clear();
        gSettings.keepSettingsFile = false;
    }
    void LoadFrom(const std::string& content) {
        ASSERT_TRUE(WriteFile(path, content));
        LoadSettings();
    }

    TempFolder temp;
    std::string path;
};

// Rows of formats outside the active lists ("bmp" in, "pcx" out) are read but never written.
bool IsWritten(const OptionDef& def) {
    return *def.format == '\0' || std::string(def.key) == "PCX BPP";
}

TEST_F(SettingsFile, RoundTripKeepsEveryWrittenRow) {
    ResetSettings(false);
    int i = 0;
    for (const OptionDef& def : OptionTable()) {
        ++i;
        int sign = i % 2 ? -1 : 1;
        switch (def.type) {
        case FieldType::Bool8:
            SetInt(def, gSettings, GetInt(def, gSettings) ? 0 : 1);
            break;
        case FieldType::Int8:
            SetInt(def, gSettings, sign * (i % 100 + 11));
            break;
        case FieldType::Int32:
            SetInt(def, gSettings, sign * (100000 + i * 37));
            break;
        case FieldType::Date:
            SetInt(def, gSettings, 1700000000 + i);
            break;
        case FieldType::Float32:
            SetFloat(def, gSettings, 2.375);
            break;
        case FieldType::String:
            SetString(def, gSettings,
                      "value  " + std::to_string(i) + " Gr\xC3\xBC\xC3\x9F\x65 \xE2\x9C\x93" +
                          ((def.flags & kKeepTrailingSpaces) ? "  " : ""));
            break;
        case FieldType::Colour:
            SetString(def, gSettings, "A1B2" + std::to_string(10 + i % 90));
            break;
        }
    }
    gSettings.saveWindowPosition = 1;
    ASSERT_NE(gSettings.cfg, 17);
    const ConversionSettings saved = gSettings;
    ASSERT_TRUE(SaveSettings());

    ResetSettings(true);
    LoadSettings();

    ConversionSettings loadDefaults;
    for (const OptionDef& def : OptionTable()) {
        const ConversionSettings& want = IsWritten(def) ? saved : loadDefaults;
        if (!IsWritten(def)) SetLoadDefault(def, loadDefaults);
        if (def.def.rule == DefaultRule::LayoutVersion)
            EXPECT_EQ(GetInt(def, gSettings), 17) << def.key;
        else if (IsStringType(def.type))
            EXPECT_EQ(GetString(def, gSettings), GetString(def, want))
                << def.group << "/" << def.key;
        else if (def.type == FieldType::Float32)
            EXPECT_EQ(GetFloat(def, gSettings), GetFloat(def, want)) << def.key;
        else
            EXPECT_EQ(GetInt(def, gSettings), GetInt(def, want)) << def.group << "/" << def.key;
    }
    EXPECT_EQ(gSettings.jpgQuality, 95); // not written, so back to its default
}

TEST_F(SettingsFile, WritesTheDefaultsExactly) {
    ResetSettings(false);
    gSettings.updateDate = 1234567890;
    gSettings.customTimestamp = -5;
    ASSERT_TRUE(SaveSettings());
    const std::string colours = "000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF";
    const std::vector<std::string> lines = {"",
                                            "[General]",
                                            "CFG = 17",
                                            "Language = en",
                                            "Update Range = 2",
                                            "Update Date = 1234567890",
                                            "Save Window Position = 1",
                                            "; ",
                                            "[Window]",
                                            "IsMaximized = 0",
                                            "Width = 510",
                                            "Height = 260",
                                            "X = 705",
                                            "Y = 410",
                                            "; ",
                                            "[Interface]",
                                            "UI Theme = handdrawn",
                                            "UI Size = 2",
                                            "; ",
                                            "[Input]",
                                            "Format = bmp",
                                            "; ",
                                            "[Output]",
                                            "Format = pcx",
                                            "PCX BPP = 0",
                                            "; ",
                                            "[Transform]",
                                            "Do Image Rotation = 0",
                                            "Image Rotation Type = 0",
                                            "Image Rotation = 0",
                                            "Image Rotation Back Color = 000000",
                                            "Do Image Resize = 0",
                                            "Image Width = 0",
                                            "Image Width Unit = 0",
                                            "Image Height = 0",
                                            "Image Height Unit = 0",
                                            "Keep Aspect Ratio = 1",
                                            "Image Resize Type = 0",
                                            "Image Resize Algorithm = 3",
                                            "Do Image Flip Horizontal = 0",
                                            "Do Image Flip Vertical = 0",
                                            "; ",
                                            "[Adjustment]",
                                            "Do Image Color Correction = 0",
                                            "Image Brightness = 0",
                                            "Image Contrast = 0",
                                            "Image Gamma = 1.000000",
                                            "Image Invert = 0",
                                            "Do Image Greyscale = 0",
                                            "Do Image Threshold = 0",
                                            "Image Threshold = 0",
                                            "; ",
                                            "[Frame]",
                                            "Do Frame = 0",
                                            "Solid Left = 0",
                                            "Solid Right = 0",
                                            "Solid Top = 0",
                                            "Solid Bottom = 0",
                                            "Solid Left Color = 000000",
                                            "Solid Right Color = 000000",
                                            "Solid Top Color = 000000",
                                            "Solid Bottom Color = 000000",
                                            "Solid Opacity = 255",
                                            "; ",
                                            "[Watermark]",
                                            "Do Watermark = 0",
                                            std::string("Text = ") + NoticeText(),
                                            "Fonts = Arial,Tahoma,Verdana",
                                            "Font = Arial",
                                            "Font Size = 14",
                                            "Font Leading = 0",
                                            "Font Colors = " + colours,
                                            "Font Color = FFFFFF",
                                            "Font Style = 0",
                                            "Font Effect = 0",
                                            "Text Antialiasing = 0",
                                            "Text Alignment = 0",
                                            "Text Padding = 0",
                                            "Text Opacity = 255",
                                            "Back Colors = " + colours,
                                            "Back Color = 000000",
                                            "Back Opacity = 1",
                                            "Text Boundary = 0",
                                            "Text Position = 8",
                                            "Text X Offset = 10",
                                            "Text Y Offset = 10",
                                            "Text Rotation = 0",
                                            "Text Size = 0",
                                            "Text Scale = 10",
                                            "Image = ",
                                            "Image Greyscale = 0",
                                            "Image Opacity = 255",
                                            "Image Boundary = 0",
                                            "Image Position = 8",
                                            "Image X Offset = 10",
                                            "Image Y Offset = 10",
                                            "Image Rotation = 0",
                                            "Image Size = 0",
                                            "Image Scale = 10",
                                            "; ",
                                            "[Advanced]",
                                            "Filename Mask = %filename%.%ext%",
                                            "File Timestamp = 0",
                                            "Custom Timestamp = -5",
                                            "Out Folders History = 1",
                                            "Out Folders Number = 5",
                                            "Keep Subfolders = 1",
                                            "; ",
                                            "[File]",
                                            "Recent Out Folders = ",
                                            "Recent Files = ",
                                            "; ",
                                            "[Privacy]",
                                            "Clean Recent Files = 0",
                                            "; "};
    EXPECT_EQ(ReadFile(path), kBom + CrLf(lines));
}

TEST_F(SettingsFile, HeadOfTheFileAndLineEnds) {
    ResetSettings(false);
    gSettings.cfg = 3;
    gSettings.imageGamma = 2.5f;
    ASSERT_TRUE(SaveSettings());
    std::string file = ReadFile(path);
    EXPECT_TRUE(file.starts_with("\xEF\xBB\xBF\r\n[General]\r\nCFG = 17\r\nLanguage = en\r\n"));
    EXPECT_NE(file.find("\r\nImage Gamma = 2.500000\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\n; \r\n[Window]\r\n"), std::string::npos);
    ASSERT_GE(file.size(), 4u);
    EXPECT_EQ(file.substr(file.size() - 4), "; \r\n");
    for (size_t at = file.find('\n'); at != std::string::npos; at = file.find('\n', at + 1))
        EXPECT_EQ(file[at - 1], '\r') << "line feed without carriage return at " << at;
}

TEST_F(SettingsFile, WindowGroupStaysEmptyWithoutSaveWindowPosition) {
    ResetSettings(false);
    gSettings.saveWindowPosition = 0;
    gSettings.isMaximized = 1;
    gSettings.width = 900;
    gSettings.height = 300;
    gSettings.x = 5;
    gSettings.y = 6;
    ASSERT_TRUE(SaveSettings());
    EXPECT_NE(ReadFile(path).find("\r\n[Window]\r\n; \r\n[Interface]\r\n"), std::string::npos);

    LoadSettings();
    EXPECT_EQ(gSettings.saveWindowPosition, 0);
    EXPECT_EQ(gSettings.isMaximized, 0);
    EXPECT_EQ(gSettings.width, 510);
    EXPECT_EQ(gSettings.height, 260);
    EXPECT_EQ(gSettings.x, 100);
    EXPECT_EQ(gSettings.y, 100);
}

TEST_F(SettingsFile, OptionsOfInactiveFormatsAreReadButNotWritten) {
    LoadFrom("[Output]\r\nFormat = pcx\r\nJPG Quality = 50\r\nPCX BPP = 24\r\n");
    EXPECT_EQ(gSettings.jpgQuality, 50);
    EXPECT_EQ(gSettings.pcxBpp, 24);
    ASSERT_TRUE(SaveSettings());
    std::string file = ReadFile(path);
    EXPECT_EQ(file.find("JPG Quality"), std::string::npos);
    EXPECT_NE(file.find("\r\n[Output]\r\nFormat = pcx\r\nPCX BPP = 24\r\n; \r\n"),
              std::string::npos);
    EXPECT_NE(file.find("\r\n[Input]\r\nFormat = bmp\r\n; \r\n"), std::string::npos);
}

struct LoadCase {
    const char* name;
    std::string content;
    std::function<void()> check;
};

TEST_F(SettingsFile, ReadingRules) {
    const LoadCase cases[] = {
        {"plain ASCII without the mark", "[Window]\r\nWidth = 800\r\n[General]\r\nCFG = 17\r\n",
         [] {
             EXPECT_EQ(gSettings.width, 800);
             EXPECT_EQ(gSettings.cfg, 17);
         }},
        {"the same with the mark",
         kBom + "\r\n[Window]\r\nWidth = 800\r\n[General]\r\nCFG = 17\r\n",
         [] {
             EXPECT_EQ(gSettings.width, 800);
             EXPECT_EQ(gSettings.cfg, 17);
         }},
        {"group and key in another case", "[general]\r\ncfg = 17\r\n[WINDOW]\r\nwIdTh = 640\r\n",
         [] {
             EXPECT_EQ(gSettings.cfg, 17);
             EXPECT_EQ(gSettings.width, 640);
         }},
        {"no spaces around the equals sign", "[Window]\r\nWidth=800\r\n",
         [] { EXPECT_EQ(gSettings.width, 800); }},
        {"blanks and tabs around", "[Window]\r\n \t Width \t=\t 800\r\n  [Interface]\r\n",
         [] { EXPECT_EQ(gSettings.width, 800); }},
        {"line feeds only", "[Window]\nWidth = 801\nHeight = 270\n[General]\nCFG = 17",
         [] {
             EXPECT_EQ(gSettings.width, 801);
             EXPECT_EQ(gSettings.height, 270);
             EXPECT_EQ(gSettings.cfg, 17);
         }},
        {"comments and lines outside a group",
         "Width = 1\r\n[Window]\r\n;Width = 2\r\n  ; Width = 3\r\nWidth\r\nHeight = 280\r\n",
         [] {
             EXPECT_EQ(gSettings.width, 510);
             EXPECT_EQ(gSettings.height, 280);
         }},
        {"the first line wins", "[Window]\r\nWidth = 700\r\nWIDTH = 600\r\n",
         [] { EXPECT_EQ(gSettings.width, 700); }},
        {"keys only in their own group", "[Frame]\r\nWidth = 700\r\n[Window]\r\nHeight = 300\r\n",
         [] {
             EXPECT_EQ(gSettings.width, 510);
             EXPECT_EQ(gSettings.height, 300);
         }},
        {"Image Rotation of two groups",
         "[Transform]\r\nImage Rotation = 90\r\n[Watermark]\r\nImage Rotation = 45\r\n",
         [] {
             EXPECT_EQ(gSettings.imageRotation, 90);
             EXPECT_EQ(gSettings.watermarkImageRotation, 45);
         }},
        {"integers: sign, digits, then anything",
         "[Watermark]\r\nFont Size = +12pt\r\nFont Leading = -7\r\nText Padding = abc\r\n"
         "Text X Offset = -\r\nText Y Offset = 3.9\r\nText Rotation = 99999999999999999999999\r\n",
         [] {
             EXPECT_EQ(gSettings.fontSize, 12);
             EXPECT_EQ(gSettings.fontLeading, -7);
             EXPECT_EQ(gSettings.textPadding, 0);
             EXPECT_EQ(gSettings.textXOffset, 0);
             EXPECT_EQ(gSettings.textYOffset, 3);
         }},
        {"8-bit fields keep the low byte",
         "[Advanced]\r\nOut Folders Number = 300\r\nFile Timestamp = -1\r\n",
         [] {
             EXPECT_EQ(gSettings.outFoldersNumber, 44);
             EXPECT_EQ(gSettings.fileTimestamp, -1);
         }},
        {"values are not range-checked", "[Interface]\r\nUI Size = 77\r\n",
         [] { EXPECT_EQ(gSettings.uiSize, 77); }},
        {"decimal gamma", "[Adjustment]\r\nImage Gamma = 2.25\r\n",
         [] { EXPECT_FLOAT_EQ(gSettings.imageGamma, 2.25f); }},
        {"gamma with a sign and blanks after", "[Adjustment]\r\nImage Gamma = +0.5  \r\n",
         [] { EXPECT_FLOAT_EQ(gSettings.imageGamma, 0.5f); }},
        {"gamma +Infinity", "[Adjustment]\r\nImage Gamma = +Infinity\r\n",
         [] { EXPECT_EQ(gSettings.imageGamma, std::numeric_limits<float>::infinity()); }},
        {"gamma -INFINITY", "[Adjustment]\r\nImage Gamma = -INFINITY\r\n",
         [] { EXPECT_EQ(gSettings.imageGamma, -std::numeric_limits<float>::infinity()); }},
        {"gamma nan", "[Adjustment]\r\nImage Gamma = nan\r\n",
         [] { EXPECT_TRUE(std::isnan(gSettings.imageGamma)); }},
        {"gamma that is no number", "[Adjustment]\r\nImage Gamma = fast\r\n",
         [] { EXPECT_FLOAT_EQ(gSettings.imageGamma, 1.0f); }},
        {"gamma beyond single precision", "[Adjustment]\r\nImage Gamma = 1e300\r\n",
         [] { EXPECT_EQ(gSettings.imageGamma, std::numeric_limits<float>::infinity()); }},
        {"trailing spaces kept for UI Theme, removed for Font",
         "[Interface]\r\nUI Theme = dark  \r\n[Watermark]\r\nFont = Liberation Sans  \r\n"
         "Text = a  b  \r\n[File]\r\nRecent Out Folders = /a\t/b \r\n",
         [] {
             EXPECT_EQ(gSettings.uiTheme, "dark  ");
             EXPECT_EQ(gSettings.font, "Liberation Sans");
             EXPECT_EQ(gSettings.text, "a  b");
             EXPECT_EQ(gSettings.recentOutFolders, "/a\t/b ");
         }},
        {"leading blanks of a value go", "[Watermark]\r\nText =  \t hello\r\n",
         [] { EXPECT_EQ(gSettings.text, "hello"); }},
        {"an empty value", "[Watermark]\r\nText =\r\nFont Size =\r\n",
         [] {
             EXPECT_EQ(gSettings.text, "");
             EXPECT_EQ(gSettings.fontSize, 0);
         }},
        {"Windows-1252 bytes without the mark", "[Watermark]\r\nFont = Caf\xE9 \xAB\x80\xBB\r\n",
         [] { EXPECT_EQ(gSettings.font, "Caf\xC3\xA9 \xC2\xAB\xE2\x82\xAC\xC2\xBB"); }},
        {"UTF-8 without the mark", "[Watermark]\r\nFont = Caf\xC3\xA9\r\n",
         [] { EXPECT_EQ(gSettings.font, "Caf\xC3\xA9"); }},
        {"UTF-8 with the mark", kBom + "\r\n[Watermark]\r\nFont = Caf\xC3\xA9\r\n",
         [] { EXPECT_EQ(gSettings.font, "Caf\xC3\xA9"); }},
        {"missing keys get the load defaults", "[General]\r\nLanguage = de\r\n",
         [] {
             EXPECT_EQ(gSettings.language, "de");
             EXPECT_EQ(gSettings.cfg, 0);
             EXPECT_EQ(gSettings.x, 100);
             EXPECT_EQ(gSettings.y, 100);
             EXPECT_EQ(gSettings.width, 510);
             EXPECT_EQ(gSettings.keepAspectRatio, 1);
             EXPECT_EQ(gSettings.inputFormat, "bmp");
             EXPECT_EQ(gSettings.outputFormat, "pcx");
             EXPECT_EQ(gSettings.jpgQuality, 95);
             EXPECT_EQ(gSettings.backOpacity, 1);
             EXPECT_EQ(gSettings.filenameMask, "%filename%.%ext%");
             EXPECT_EQ(gSettings.text, NoticeText());
         }},
        {"an empty file", "",
         [] {
             EXPECT_EQ(gSettings.cfg, 0);
             EXPECT_EQ(gSettings.x, 100);
             EXPECT_EQ(gSettings.height, 260);
         }},
        // Migrations of older layouts.
        {"version 10 mask gains the extension",
         "[General]\r\nCFG = 10\r\n[Advanced]\r\nFilename Mask = %filename%\r\n",
         [] { EXPECT_EQ(gSettings.filenameMask, "%filename%.%ext%"); }},
        {"version 11 mask stays",
         "[General]\r\nCFG = 11\r\n[Advanced]\r\nFilename Mask = %filename%\r\n",
         [] { EXPECT_EQ(gSettings.filenameMask, "%filename%"); }},
        {"version 10 mask with the extension stays",
         "[General]\r\nCFG = 10\r\n[Advanced]\r\nFilename Mask = %ext%-%filename%\r\n",
         [] { EXPECT_EQ(gSettings.filenameMask, "%ext%-%filename%"); }},
        {"version 13 RAW Load As moves by two",
         "[General]\r\nCFG = 13\r\n[Input]\r\nRAW Load As = 1\r\n",
         [] { EXPECT_EQ(gSettings.rawLoadAs, 3); }},
        {"version 13 RAW Load As 0 stays",
         "[General]\r\nCFG = 13\r\n[Input]\r\nRAW Load As = 0\r\n",
         [] { EXPECT_EQ(gSettings.rawLoadAs, 0); }},
        {"version 14 RAW Load As stays", "[General]\r\nCFG = 14\r\n[Input]\r\nRAW Load As = 1\r\n",
         [] { EXPECT_EQ(gSettings.rawLoadAs, 1); }},
        {"no version: both migrations",
         "[Advanced]\r\nFilename Mask = out_%n%\r\n[Input]\r\nRAW Load As = 2\r\n",
         [] {
             EXPECT_EQ(gSettings.filenameMask, "out_%n%.%ext%");
             EXPECT_EQ(gSettings.rawLoadAs, 4);
         }},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetSettings(true);
        gSettings.width = 1;
        gSettings.height = 1;
        LoadFrom(c.content);
        c.check();
    }
}

TEST_F(SettingsFile, MissingFileGivesWindowModeDefaults) {
    gSettings.settingsPath = temp.File("absent/config.ini");
    ResetSettings(true);
    gSettings.filenameMask = "%filename%";
    gSettings.rawLoadAs = 1;
    gSettings.width = 1;
    LoadSettings();

    const ConversionSettings loaded = gSettings;
    ResetSettings(false);
    const ConversionSettings defaults = gSettings;
    gSettings = loaded;
    for (const OptionDef& def : OptionTable()) {
        if (def.type == FieldType::Date) continue; // "now"
        if (IsStringType(def.type))
            EXPECT_EQ(GetString(def, gSettings), GetString(def, defaults)) << def.key;
        else
            EXPECT_EQ(GetFloat(def, gSettings), GetFloat(def, defaults)) << def.key;
    }
    EXPECT_EQ(gSettings.cfg, 17);
    EXPECT_EQ(gSettings.keepAspectRatio, 1);
    EXPECT_EQ(gSettings.width, 510);
    EXPECT_EQ(gSettings.height, 260);
    EXPECT_EQ(gSettings.x, 705); // centred on the 1920 x 1080 desktop
    EXPECT_EQ(gSettings.y, 410);
    EXPECT_EQ(gSettings.filenameMask, "%filename%.%ext%");
    EXPECT_EQ(gSettings.rawLoadAs, 0);
    EXPECT_FALSE(PathExists(temp.File("absent")));
}

TEST_F(SettingsFile, SavingReplacesTheWholeFile) {
    ASSERT_TRUE(WriteFile(path, "[Extra]\r\nFoo = 1\r\n[Window]\r\nWidth = 999\r\n"));
    ResetSettings(false);
    ASSERT_TRUE(SaveSettings());
    std::string file = ReadFile(path);
    EXPECT_EQ(file.find("Extra"), std::string::npos);
    EXPECT_EQ(file.find("999"), std::string::npos);
    EXPECT_EQ(FolderEntries(temp.path), std::vector<std::string>{"config.ini"});
}

TEST_F(SettingsFile, LineBreaksInAValueCannotAddLines) {
    ResetSettings(false);
    gSettings.text = "Hello\r\nFont = Evil\n[General]\rX";
    gSettings.recentOutFolders = "/out/a\n/out/b";
    ASSERT_TRUE(SaveSettings());
    LoadSettings();
    EXPECT_EQ(gSettings.font, "Arial");
    EXPECT_EQ(gSettings.text, "Hello  Font = Evil [General] X");
    EXPECT_EQ(gSettings.recentOutFolders, "/out/a /out/b");
}

TEST_F(SettingsFile, InfiniteAndNanGammaSurviveASave) {
    const float values[] = {std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN(), 0.01f, 9.99f};
    for (float value : values) {
        ResetSettings(false);
        gSettings.imageGamma = value;
        ASSERT_TRUE(SaveSettings());
        gSettings.imageGamma = 1.0f;
        LoadSettings();
        if (std::isnan(value))
            EXPECT_TRUE(std::isnan(gSettings.imageGamma));
        else
            EXPECT_FLOAT_EQ(gSettings.imageGamma, value);
    }
}

// A save that cannot be completed reports false and leaves the old file as it was.
TEST_F(SettingsFile, FailedSaveKeepsTheOldFile) {
    const std::string old = kBom + "\r\n[Window]\r\nWidth = 640\r\n";
    ResetSettings(false);
    gSettings.width = 1200;

    // A folder standing where the file should be.
    ASSERT_TRUE(MakeFolder(temp.File("folder.ini")));
    ASSERT_TRUE(WriteFile(temp.File("folder.ini/inside"), old));
    gSettings.settingsPath = temp.File("folder.ini");
    EXPECT_FALSE(SaveSettings());
    EXPECT_EQ(ReadFile(temp.File("folder.ini/inside")), old);

    // A file standing where the folder should be, and a folder that does not exist.
    ASSERT_TRUE(WriteFile(temp.File("plain"), old));
    gSettings.settingsPath = temp.File("plain/config.ini");
    EXPECT_FALSE(SaveSettings());
    EXPECT_EQ(ReadFile(temp.File("plain")), old);
    gSettings.settingsPath = temp.File("missing/config.ini");
    EXPECT_FALSE(SaveSettings());
    gSettings.settingsPath.clear();
    EXPECT_FALSE(SaveSettings());
    EXPECT_EQ(FolderEntries(temp.path), (std::vector<std::string>{"folder.ini", "plain"}));
    EXPECT_EQ(FolderEntries(temp.File("folder.ini")), std::vector<std::string>{"inside"});
}

TEST_F(SettingsFile, SaveIntoAReadOnlyFolderFails) {
    const std::string folder = temp.File("ro");
    ASSERT_TRUE(MakeFolder(folder));
    const std::string old = kBom + "\r\n[Window]\r\nWidth = 640\r\n";
    ASSERT_TRUE(WriteFile(folder + "/config.ini", old));
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    if (access(folder.c_str(), W_OK) == 0) {
        chmod(folder.c_str(), 0755);
        GTEST_SKIP() << "this user may write into read-only folders";
    }
    gSettings.settingsPath = folder + "/config.ini";
    ResetSettings(false);
    EXPECT_FALSE(SaveSettings());
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(ReadFile(folder + "/config.ini"), old);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"config.ini"});
    LoadSettings();
    EXPECT_EQ(gSettings.width, 640);
}

// Runs LoadSettings on another thread and waits for it at most ten seconds. A load
// that waits on a FIFO is released by opening the FIFO's writing end, so that the
// test ends either way.
bool LoadSettingsWithinBound(const std::string& fifoToRelease) {
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread loader([&] {
        LoadSettings();
        done.set_value();
    });
    const bool inTime = finished.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!inTime && !fifoToRelease.empty()) {
        int fd = open(fifoToRelease.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) close(fd);
    }
    loader.join();
    return inTime;
}

// A settings file that is no regular file, or larger than any real one, is refused
// without waiting or reading it: the run starts from the defaults and never saves over
// the file.
TEST_F(SettingsFile, BadFileIsRefusedAndKept) {
    const std::string fifo = temp.File("fifo.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string zeroLink = temp.File("zero.ini");
    ASSERT_EQ(symlink("/dev/zero", zeroLink.c_str()), 0);
    const std::string large = temp.File("large.ini");
    ASSERT_TRUE(WriteFile(large, "[Window]\r\nWidth = 640\r\n"));
    ASSERT_EQ(truncate(large.c_str(), static_cast<off_t>(kMaxIniFileBytes) + 1), 0);
    const std::string folder = temp.File("folder.ini");
    ASSERT_TRUE(MakeFolder(folder));
    const std::vector<std::string> before = FolderEntries(temp.path);

    for (const std::string& bad : {fifo, zeroLink, large, folder}) {
        SCOPED_TRACE(bad);
        gSettings.settingsPath = bad;
        ResetSettings(true);
        gSettings.width = 1;
        ASSERT_TRUE(LoadSettingsWithinBound(bad == fifo ? fifo : ""));
        EXPECT_EQ(gSettings.width, 510); // the window-mode defaults
        EXPECT_EQ(gSettings.cfg, 17);
        gSettings.width = 700;
        EXPECT_FALSE(SaveSettings());
        IniFile ini;
        FileRead read = FileRead::kRead;
        EXPECT_FALSE(ReadIniFile(bad, ini, &read));
        EXPECT_EQ(read, FileRead::kRefused);
    }
    struct stat st {};
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(lstat(zeroLink.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(large.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, static_cast<off_t>(kMaxIniFileBytes) + 1);
    EXPECT_TRUE(ReadFile(large).starts_with("[Window]\r\nWidth = 640\r\n"));
    EXPECT_EQ(FolderEntries(temp.path), before);

    // A file at the bound is read, and a missing one is written anew.
    ASSERT_EQ(truncate(large.c_str(), static_cast<off_t>(kMaxIniFileBytes)), 0);
    gSettings.settingsPath = large;
    LoadSettings();
    EXPECT_EQ(gSettings.width, 640);
    EXPECT_TRUE(SaveSettings());
    gSettings.settingsPath = temp.File("new.ini");
    LoadSettings();
    EXPECT_TRUE(SaveSettings());
    EXPECT_TRUE(IsFile(temp.File("new.ini")));
}

// Saving keeps the file's permissions; a new file gets the mode the umask leaves.
TEST_F(SettingsFile, SaveKeepsTheModeOfTheFile) {
    for (mode_t mode : {0600, 0640, 0400, 0664}) {
        SCOPED_TRACE(mode);
        RemoveFile(path);
        ASSERT_TRUE(WriteFile(path, "[Window]\r\nWidth = 640\r\n"));
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        LoadSettings();
        ASSERT_TRUE(SaveSettings());
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_NE(ReadFile(path).find("Width = 640\r\n"), std::string::npos);
    }
    for (mode_t mask : {022, 077, 002}) {
        SCOPED_TRACE(mask);
        RemoveFile(path);
        const mode_t saved = umask(mask);
        LoadSettings();
        const bool saveOk = SaveSettings();
        umask(saved);
        ASSERT_TRUE(saveOk);
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);
    }
    EXPECT_EQ(FolderEntries(temp.path), std::vector<std::string>{"config.ini"});
}

// A settings file that is a link is written through it: the file it names gets the new
// text (its temporary file beside it), and the link stays a link.
TEST_F(SettingsFile, SaveWritesThroughALink) {
    ASSERT_TRUE(MakeFolder(temp.File("real")));
    ASSERT_TRUE(MakeFolder(temp.File("links")));
    const std::string target = temp.File("real/settings.ini");
    struct Case {
        const char* name;
        std::string link;
        std::string pointsTo;
    } cases[] = {
        {"relative", temp.File("links/relative.ini"), "../real/settings.ini"},
        {"absolute", temp.File("links/absolute.ini"), target},
        {"link to a link", temp.File("links/chain.ini"), "relative.ini"},
    };
    for (const Case& c : cases)
        ASSERT_EQ(symlink(c.pointsTo.c_str(), c.link.c_str()), 0) << c.name;
    int width = 600;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFile(target, "[Window]\r\nWidth = 640\r\n"));
        ASSERT_EQ(chmod(target.c_str(), 0600), 0);
        gSettings.settingsPath = c.link;
        LoadSettings();
        EXPECT_EQ(gSettings.width, 640);
        gSettings.width = ++width;
        ASSERT_TRUE(SaveSettings());
        struct stat st {};
        ASSERT_EQ(lstat(c.link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        ASSERT_EQ(lstat(target.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        EXPECT_NE(ReadFile(target).find("Width = " + std::to_string(width) + "\r\n"),
                  std::string::npos);
    }
    EXPECT_EQ(FolderEntries(temp.File("real")), std::vector<std::string>{"settings.ini"});
    EXPECT_EQ(FolderEntries(temp.File("links")),
              (std::vector<std::string>{"absolute.ini", "chain.ini", "relative.ini"}));

    // A link to nothing yet: the file it names is made. A loop, or a link to something
    // that is no regular file, is never replaced.
    const std::string dangling = temp.File("links/dangling.ini");
    ASSERT_EQ(symlink("../real/later.ini", dangling.c_str()), 0);
    gSettings.settingsPath = dangling;
    LoadSettings();
    EXPECT_TRUE(SaveSettings());
    EXPECT_TRUE(IsFile(temp.File("real/later.ini")));
    const std::string loop = temp.File("links/loop.ini");
    ASSERT_EQ(symlink("loop.ini", loop.c_str()), 0);
    gSettings.settingsPath = loop;
    LoadSettings();
    EXPECT_FALSE(SaveSettings());
    gSettings.keepSettingsFile = false; // the save itself refuses to follow a loop
    EXPECT_FALSE(SaveSettings());
    const std::string fifo = temp.File("real/fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string toFifo = temp.File("links/fifo.ini");
    ASSERT_EQ(symlink(fifo.c_str(), toFifo.c_str()), 0);
    gSettings.settingsPath = toFifo;
    gSettings.keepSettingsFile = false; // as if the file had been a plain one at load
    EXPECT_FALSE(SaveSettings());
    struct stat st {};
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(lstat(loop.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(FolderEntries(temp.File("real")),
              (std::vector<std::string>{"fifo", "later.ini", "settings.ini"}));
}

TEST(IniReader, ParsesGroupsAndEntries) {
    IniFile ini = ParseIni("  ; comment\r\n"
                           "stray = before any group\r\n"
                           "\t[First]\r\n"
                           "  Key One \t=\t value with  inner  spaces \t\r\n"
                           "NoEquals\r\n"
                           "=empty key\n"
                           "\n"
                           "[Second\n"
                           "a=b=c\n"
                           "[Third]trailing\r\n"
                           "last=line without end");
    ASSERT_EQ(ini.groups.size(), 3u);
    EXPECT_EQ(ini.groups[0].name, "First");
    ASSERT_EQ(ini.groups[0].entries.size(), 2u);
    EXPECT_EQ(ini.groups[0].entries[0].key, "Key One");
    EXPECT_EQ(ini.groups[0].entries[0].value, "value with  inner  spaces \t");
    EXPECT_EQ(ini.groups[0].entries[1].key, "");
    EXPECT_EQ(ini.groups[0].entries[1].value, "empty key");
    EXPECT_EQ(ini.groups[1].name, "Second");
    ASSERT_EQ(ini.groups[1].entries.size(), 1u);
    EXPECT_EQ(ini.groups[1].entries[0].key, "a");
    EXPECT_EQ(ini.groups[1].entries[0].value, "b=c");
    EXPECT_EQ(ini.groups[2].name, "Third");
    ASSERT_EQ(ini.groups[2].entries.size(), 1u);
    EXPECT_EQ(ini.groups[2].entries[0].value, "line without end");
}

TEST(IniReader, FindsFirstMatchWithoutRegardToCase) {
    IniFile ini = ParseIni("[CLI]\nk = 1\nK = 2\n[cli]\nk = 3\nother = 4\n");
    const IniGroup* group = FindGroup(ini, "Cli");
    ASSERT_NE(group, nullptr);
    ASSERT_NE(FindValue(group, "K"), nullptr);
    EXPECT_EQ(*FindValue(group, "K"), "1");
    EXPECT_EQ(FindValue(group, "other"), nullptr);
    EXPECT_EQ(FindGroup(ini, "CL"), nullptr);
    EXPECT_EQ(FindValue(nullptr, "k"), nullptr);
}

TEST_F(SettingsFile, ReadIniFileReportsUnopenableFiles) {
    IniFile ini = ParseIni("[A]\nb=c\n");
    EXPECT_FALSE(ReadIniFile(temp.File("none.ini"), ini));
    EXPECT_TRUE(ini.groups.empty());
    EXPECT_FALSE(ReadIniFile(temp.path, ini));
    EXPECT_FALSE(ReadIniFile("", ini));
    ASSERT_TRUE(WriteFile(path, kBom + "[A]\r\nb = \xC3\xA9\r\n"));
    ASSERT_TRUE(ReadIniFile(path, ini));
    ASSERT_NE(FindValue(FindGroup(ini, "a"), "B"), nullptr);
    EXPECT_EQ(*FindValue(FindGroup(ini, "a"), "B"), "\xC3\xA9");
}

} // namespace
