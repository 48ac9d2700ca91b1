// The Preferences dialog's frame: opening on the start page, the page list, closing
// without saving, Reset to Defaults, and the restart request of OK.
#include "preferences_helpers.h"

#include "settings/settings.h"
#include "settings/settings_file.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/window_mode.h"

#include <wx/bmpcbox.h>
#include <wx/listbox.h>
#include <wx/uiaction.h>
#include <wx/wx.h>

namespace {

int ShownPage() {
    int shown = -1;
    for (int i = 0; i < 9; ++i)
        if (Prefs()->FindWindow(wxString::Format("page%d", i))->IsShown()) {
            EXPECT_EQ(shown, -1) << "two pages shown";
            shown = i;
        }
    return shown;
}

std::string HeaderText() {
    return Prefs()->FindWindow("headerText")->GetLabel().utf8_string();
}

int ListSelection() {
    return dynamic_cast<wxListBox*>(Prefs()->FindWindow("pageList"))->GetSelection();
}

// The colour in the middle of a bitmap, as 0xRRGGBB.
uint32_t Centre(const wxBitmap& bitmap) {
    const wxImage image = bitmap.ConvertToImage();
    const int x = image.GetWidth() / 2, y = image.GetHeight() / 2;
    return (image.GetRed(x, y) << 16) | (image.GetGreen(x, y) << 8) | image.GetBlue(x, y);
}

wxBitmap MenuBitmap(int command) {
    wxMenuItem* item = Main().frame->GetMenuBar()->FindItem(CommandWindowId(command));
    return item ? item->GetBitmap() : wxBitmap();
}

const char* kSettings = "[General]\r\nUpdate Range = 4\r\n[Transform]\r\nImage Width = 77\r\n";

class PreferencesTest : public PreferencesSession {
  protected:
    void SetUp() override {
        WriteConfig(kSettings);
        Start();
    }
};

} // namespace

TEST_F(PreferencesTest, OpensOnTheStartPageThenOnTheFirst) {
    struct Case {
        int command;
        int page;
        const char* header;
    } cases[] = {
        {kCmdOutputFormatOptions, 3, "Output"},
        {kCmdPreferences, 0, "General"},
        {kCmdOutputFormatOptions, 3, "Output"},
    };
    for (const Case& c : cases) {
        Open(c.command);
        EXPECT_EQ(ShownPage(), c.page) << c.command;
        EXPECT_EQ(ListSelection(), c.page) << c.command;
        EXPECT_EQ(HeaderText(), c.header) << c.command;
        EXPECT_EQ(gJob.preferencesStartPage, 0) << c.command;
        PressCancel();
    }
}

TEST_F(PreferencesTest, FrameWhileOpen) {
    Open();
    wxDialog* dialog = Prefs();
    EXPECT_EQ(dialog->GetTitle().utf8_string(), "Preferences...");
    EXPECT_EQ(dialog->GetClientSize(), wxSize(600, 350));
    EXPECT_FALSE(Main().frame->IsEnabled());
    EXPECT_TRUE(WaitForFocus(dialog->FindWindow("pageList")));
    const wxFont font = dialog->FindWindow("headerText")->GetFont();
    EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_BOLD);
    EXPECT_EQ(font.GetPointSize(), 10);
    auto* list = dynamic_cast<wxListBox*>(dialog->FindWindow("pageList"));
    ASSERT_EQ(list->GetCount(), 9u);
    const char* titles[] = {"General",    "Interface", "Input",     "Output",  "Transform",
                            "Adjustment", "Frame",     "Watermark", "Advanced"};
    for (unsigned i = 0; i < 9; ++i)
        EXPECT_EQ(list->GetString(i).utf8_string(), titles[i]);

    // A click on a page list entry shows its page and title.
    SelectPage(6);
    EXPECT_EQ(ShownPage(), 6);
    EXPECT_EQ(HeaderText(), "Frame");
    // Indices outside the pages change nothing.
    for (int page : {-1, 9, 100}) {
        ShowPreferencesPage(page);
        EXPECT_EQ(ShownPage(), 6) << page;
        EXPECT_EQ(HeaderText(), "Frame") << page;
    }
    // The Preferences command while it is open does not open a second one.
    RunCommand(kCmdPreferences);
    EXPECT_EQ(Prefs(), dialog);
    PressCancel();
    EXPECT_TRUE(Main().frame->IsEnabled());
}

TEST_F(PreferencesTest, CancelEscapeAndCloseBoxLeaveTheFileAsItWas) {
    ASSERT_TRUE(SaveSettings());
    const std::string file = Config();
    struct Case {
        const char* how;
        std::function<void()> close;
    } cases[] = {
        {"Cancel", [] { Press("cancelButton"); }},
        {"Escape",
         [] {
             // A real key press, with the focus on a control of a page.
             PressKeyIn(Prefs()->FindWindow("doImageResize"), WXK_ESCAPE);
         }},
        {"close box", [] { Prefs()->Close(); }},
    };
    for (const Case& c : cases) {
        Open();
        PutIn("updateRange", "Never");
        PutIn("saveWindowPosition", "off");
        SelectPage(4);
        PutIn("imageWidth", "5");
        c.close();
        ASSERT_TRUE(RunUntil([] { return Prefs() == nullptr; }, 5000)) << c.how;
        EXPECT_TRUE(Main().frame->IsEnabled()) << c.how;
        EXPECT_EQ(Config(), file) << c.how;
        EXPECT_EQ(gSettings.updateRange, 4) << c.how;
        EXPECT_EQ(gSettings.imageWidth, 77) << c.how;
        EXPECT_EQ(gSettings.saveWindowPosition, 1) << c.how;
    }
}

TEST_F(PreferencesTest, DefaultsAsksFirst) {
    ASSERT_TRUE(SaveSettings());
    const std::string file = Config();
    ResetSettings(false);
    ASSERT_TRUE(SaveSettings());
    const std::string defaults = Config();
    ASSERT_TRUE(WriteFile(folders.ConfigPath(), file));
    LoadSettings();

    // No: nothing happens and the dialog stays open.
    Open();
    PutIn("updateRange", "Never");
    dialogs.answerYes = false;
    Press("defaultsButton");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Reset to Defaults");
    EXPECT_EQ(dialogs.messages[0].text,
              "Are you sure you want to reset all your settings to the default values?");
    EXPECT_EQ(dialogs.messages[0].kind, static_cast<int>(MessageKind::Question));
    ASSERT_NE(Prefs(), nullptr);
    EXPECT_EQ(Config(), file);
    EXPECT_EQ(gSettings.updateRange, 4);

    // Yes: the defaults are saved and the dialog closes; the edited controls are not
    // written back.
    dialogs.answerYes = true;
    Press("defaultsButton");
    EXPECT_EQ(Prefs(), nullptr);
    EXPECT_TRUE(Main().frame->IsEnabled());
    EXPECT_EQ(gSettings.updateRange, 2);
    EXPECT_EQ(gSettings.imageWidth, 0);
    // The update date and the custom time stamp are "now" in both files.
    auto withoutDates = [](std::string text) {
        for (const char* key : {"Update Date = ", "Custom Timestamp = "}) {
            const size_t at = text.find(key);
            if (at != std::string::npos) text.erase(at, text.find("\r\n", at) - at);
        }
        return text;
    };
    EXPECT_EQ(withoutDates(Config()), withoutDates(defaults));
}

TEST(PreferencesRestart, ThemeAndIconSizeChanges) {
    struct Case {
        const char* name;
        const char* theme; // the theme chosen in the dialog
        const char* size;  // the icon size chosen
        int toolbarSide;
        bool menuFromNewTheme; // only a theme change reloads every picture set
    } cases[] = {
        {"both", "Other", "Medium", 24, true},
        {"icon size only", "Hand-drawn", "Medium", 24, false},
        {"theme only", "Other", "Large", 32, true},
    };
    for (const Case& c : cases) {
        SessionFolders folders;
        PrefsDialogs dialogs;
        ThemeProgramFolder themes;
        gJob.programFolder = themes.program.path;
        StartWindowMode();
        ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
        gJob.programFolder = themes.program.path; // New set it to the test program's folder
        ASSERT_EQ(gSettings.uiTheme, "handdrawn");
        ASSERT_NE(Centre(MenuBitmap(kCmdNew)), 0x0000FFu);
        RunCommand(kCmdPreferences);
        ASSERT_NE(Prefs(), nullptr);
        PutIn("uiTheme", c.theme);
        PutIn("uiSize", c.size);
        PreferencesEvent(PreferencesEventKind::Ok);
        EXPECT_EQ(gJob.restartRequest, 0) << c.name << ": the main window took the request";
        EXPECT_EQ(Main().toolbar->GetToolBitmapSize(), wxSize(c.toolbarSide, c.toolbarSide))
            << c.name;
        EXPECT_EQ(Centre(MenuBitmap(kCmdNew)) == 0x0000FFu, c.menuFromNewTheme) << c.name;
        EXPECT_EQ(Centre(Main().convertButton->GetBitmap()) == 0xFF0000u, c.menuFromNewTheme)
            << c.name;
        FinishWindowMode();
    }
}
