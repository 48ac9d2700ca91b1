#include "app/image_slots.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "themes/themes.h"
#include "zip_writer.h"
#include "ui/main_window.h"
#include "ui/window_mode.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/bmpcbox.h>
#include <wx/wx.h>

#include <filesystem>

namespace {

// A PNG of one colour, made with the toolkit's encoder.
std::string SolidPng(int side, unsigned char r, unsigned char g, unsigned char b) {
    wxImage image(side, side);
    image.SetRGB(wxRect(0, 0, side, side), r, g, b);
    const std::string path = std::filesystem::temp_directory_path() / "brelvix-solid.png";
    image.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
    std::string bytes = ReadFile(path);
    RemoveFile(path);
    return bytes;
}


// The colour in the middle of a bitmap, as 0xRRGGBB.
uint32_t Centre(const wxBitmap& bitmap) {
    const wxImage image = bitmap.ConvertToImage();
    const int x = image.GetWidth() / 2, y = image.GetHeight() / 2;
    return (image.GetRed(x, y) << 16) | (image.GetGreen(x, y) << 8) | image.GetBlue(x, y);
}

wxBitmap ToolBitmap(int command) {
    wxToolBarToolBase* tool = Main().toolbar->FindById(CommandWindowId(command));
    return tool ? tool->GetNormalBitmap() : wxBitmap();
}

wxBitmap MenuBitmap(int command) {
    wxMenuItem* item = Main().frame->GetMenuBar()->FindItem(CommandWindowId(command));
    return item ? item->GetBitmap() : wxBitmap();
}

const std::string kCfg = "[Theme]\r\nName=Test\r\n[Buttons]\r\nConvert=convert.png\r\n"
                         "[Icons]\r\nNew=new\r\nFavFolder=fav.png\r\n";

// A program folder of its own, whose gfx folder holds the test's themes.
class ThemeWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory(program.File("gfx"));
        gJob.programFolder = program.path;
    }
    void TearDown() override {
        if (Main().frame) FinishWindowMode();
    }
    void Start() {
        StartWindowMode();
        ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
    }
    SessionFolders folders;
    TempFolder program;
};

} // namespace

TEST_F(ThemeWindowTest, ThemeIconsInMenuToolbarAndButtons) {
    WriteZip(program.File("gfx/sample.zip"), {{"theme.cfg", kCfg},
                                              {"convert.png", SolidPng(80, 255, 0, 0)},
                                              {"new_16.png", SolidPng(16, 0, 0, 255)},
                                              {"new_48.png", SolidPng(48, 0, 255, 0)},
                                              {"fav.png", SolidPng(20, 255, 255, 0)}});
    std::filesystem::create_directories(folders.config.File("Vextara/brelvix"));
    WriteFile(folders.ConfigPath(), "[Interface]\nUI Theme=sample\nUI Size=3\n");
    Start();
    EXPECT_EQ(gSettings.uiTheme, "sample");
    EXPECT_EQ(Centre(MenuBitmap(kCmdNew)), 0x0000FFu);
    EXPECT_EQ(ToolBitmap(kCmdNew).GetWidth(), 48);
    EXPECT_EQ(Centre(ToolBitmap(kCmdNew)), 0x00FF00u);
    EXPECT_EQ(Centre(Main().convertButton->GetBitmap()), 0xFF0000u);
    // Slots the theme leaves out keep the built-in pictures, loaded at the toolbar's size.
    const wxBitmap help = ToolBitmap(kCmdManual);
    EXPECT_EQ(help.GetWidth(), 48);
    EXPECT_EQ(SlotImage(SlotSet::ToolbarIcons, "Help").width, 48);
    for (uint32_t themed : {0x0000FFu, 0x00FF00u, 0xFF0000u, 0xFFFF00u})
        EXPECT_NE(Centre(help), themed);
}

TEST_F(ThemeWindowTest, DeletedThemeFallsBackAndIsStored) {
    WriteZip(program.File("gfx/alpha.zip"),
             {{"theme.cfg", kCfg}, {"convert.png", SolidPng(80, 1, 1, 1)}});
    WriteZip(program.File("gfx/dark.zip"),
             {{"theme.cfg", kCfg}, {"convert.png", SolidPng(80, 0, 0, 99)}});
    std::filesystem::create_directories(folders.config.File("Vextara/brelvix"));
    WriteFile(folders.ConfigPath(), "[Interface]\nUI Theme=deleted\n");
    Start();
    EXPECT_EQ(gSettings.uiTheme, "dark");
    EXPECT_EQ(Centre(Main().convertButton->GetBitmap()), 0x000063u);
    Main().frame->Close();
    ASSERT_TRUE(RunUntil([] { return QuitRequested(); }));
    FinishWindowMode();
    EXPECT_EQ(StoredValue(folders.ConfigPath(), "Interface", "UI Theme"), "dark");
}

TEST_F(ThemeWindowTest, PreferencesChangesRebuildTheWindow) {
    Start(); // no theme yet: the built-in pictures
    const uint32_t builtinConvert = Centre(Main().convertButton->GetBitmap());
    gJob.programFolder = program.path; // New set it to the test program's own folder
    WriteZip(program.File("gfx/sample.zip"), {{"theme.cfg", kCfg},
                                              {"convert.png", SolidPng(80, 255, 0, 0)},
                                              {"new_16.png", SolidPng(16, 0, 0, 255)},
                                              {"new_24.png", SolidPng(24, 0, 255, 0)},
                                              {"fav.png", SolidPng(16, 255, 255, 0)}});
    ListThemes();
    ASSERT_NE(builtinConvert, 0xFF0000u);

    // Restart request 2: only the toolbar icons at their new size.
    gSettings.uiTheme = "sample";
    gSettings.uiSize = 1;
    gJob.restartRequest = 2;
    ApplyPreferencesToMainWindow();
    EXPECT_EQ(gJob.restartRequest, 0);
    EXPECT_EQ(Main().toolbar->GetToolBitmapSize(), wxSize(24, 24));
    EXPECT_EQ(Centre(ToolBitmap(kCmdNew)), 0x00FF00u);
    EXPECT_NE(Centre(MenuBitmap(kCmdNew)), 0x0000FFu);
    EXPECT_EQ(Centre(Main().convertButton->GetBitmap()), builtinConvert);

    // Restart request 1: every set, the menu, the buttons and the list icons.
    gJob.restartRequest = 1;
    gSettings.recentOutFolders = "/a/\t/b/";
    ApplyPreferencesToMainWindow(0);
    EXPECT_EQ(gJob.restartRequest, 0);
    EXPECT_EQ(Centre(MenuBitmap(kCmdNew)), 0x0000FFu);
    EXPECT_EQ(Centre(Main().convertButton->GetBitmap()), 0xFF0000u);
    ASSERT_GT(Main().outFolders->GetCount(), 0u);
    EXPECT_EQ(Centre(Main().outFolders->GetItemBitmap(0)), 0xFFFF00u);
    EXPECT_EQ(Centre(Main().outFormats->GetItemBitmap(0)), 0x0000FFu);
    EXPECT_EQ(Main().outFormats->GetSelection(), 0);
    // The folder list was refilled because its count differed from Out Folders Number.
    EXPECT_EQ(Main().outFolders->GetCount(), 2u);
    for (wxBitmapButton* button : Main().fieldButtons)
        EXPECT_TRUE(button->GetBitmap().IsOk());
}
