#include "app/identity.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "text/text_table.h"
#include "themes/themes.h"
#include "ui/convert_window.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/selection.h"
#include "ui/uri_text.h"
#include "ui/window_mode.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/bmpcbox.h>
#include <wx/uiaction.h>
#include <wx/wx.h>

#include <filesystem>

namespace {

std::string Status() {
    return Main().status->GetStatusText().utf8_string();
}

// Presses a key on the main window as a user would, then lets the window work until
// the expected effect shows (or for a while when none is given).
void PressKey(int key, int modifiers = wxMOD_NONE, const std::function<bool()>& effect = {}) {
    wxFrame* frame = Main().frame;
    frame->Raise();
    Main().input->SetFocus();
    wxUIActionSimulator sim;
    sim.MouseMove(frame->GetScreenPosition() + wxPoint(250, 120));
    RunFor(50);
    sim.Char(key, modifiers);
    if (effect) {
        RunUntil(effect, 5000);
    } else {
        RunFor(300);
    }
}

void SendMenuCommand(int command) {
    wxCommandEvent e(wxEVT_MENU, CommandWindowId(command));
    e.SetEventObject(Main().frame);
    Main().frame->GetEventHandler()->ProcessEvent(e);
}

void DropFiles(const std::vector<std::string>& paths) {
    // The event owns the array of names.
    auto* names = new wxString[paths.size()];
    for (size_t i = 0; i < paths.size(); ++i)
        names[i] = wxString::FromUTF8(paths[i]);
    wxDropFilesEvent e(wxEVT_DROP_FILES, static_cast<int>(paths.size()), names);
    e.SetEventObject(Main().frame);
    Main().frame->GetEventHandler()->ProcessEvent(e);
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartWindowMode();
        ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
        RunFor(100);
    }
    void TearDown() override {
        if (Main().frame) FinishWindowMode();
    }
    // Ends the session as the event loop does after a quit request.
    void Finish() {
        ASSERT_TRUE(QuitRequested());
        FinishWindowMode();
    }
    std::string Sample(const std::string& name) {
        const std::string path = folders.files.File(name);
        WriteSampleBmp(path, 8, 6);
        return path;
    }
    SessionFolders folders;
    DialogRecorder dialogs;
};

} // namespace

TEST_F(MainWindowTest, FirstStartWithoutSettingsFile) {
    wxFrame* frame = Main().frame;
    EXPECT_EQ(frame->GetTitle().utf8_string(), ProductTitle());
    EXPECT_EQ(frame->GetClientSize(), wxSize(510, 260));
    const wxSize desktop = wxGetDisplaySize();
    EXPECT_EQ(frame->GetPosition(), wxPoint((desktop.x - 510) / 2, (desktop.y - 260) / 2));
    EXPECT_EQ(Status(), "Ready");
    ASSERT_EQ(Main().outFolders->GetCount(), 1u);
    EXPECT_EQ(Main().outFolders->GetString(0), "");
    EXPECT_EQ(OutFolderListText(), "");
    ASSERT_EQ(Main().outFormats->GetCount(), 1u);
    EXPECT_EQ(Main().outFormats->GetString(0), "PCX (ZSoft Paintbrush)");
    EXPECT_EQ(Main().outFormats->GetSelection(), 0);
    EXPECT_EQ(InputFieldText(), "");
    EXPECT_EQ(Main().notice->GetLabel().utf8_string(), NoticeText());
    EXPECT_EQ(Main().notice->GetPosition(), wxPoint(10, 190));
    EXPECT_FALSE(IsFile(folders.ConfigPath()));
}

TEST_F(MainWindowTest, MenuToolbarAndFieldButtons) {
    wxMenuBar* bar = Main().frame->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 3u);
    EXPECT_EQ(bar->GetMenuLabel(0), "&File");
    EXPECT_EQ(bar->GetMenuLabel(1), "&Converter");
    EXPECT_EQ(bar->GetMenuLabel(2), "&Help");
    struct Item {
        int command;
        const char* label;
    } items[] = {{kCmdNew, "&New\tCtrl+N"},
                 {kCmdSelectInputFile, "&Add Input File..."},
                 {kCmdSelectOutputFolder, "Select &Output Folder..."},
                 {kCmdExit, "E&xit\tAlt+X"},
                 {kCmdConvert, "&Convert\tF5"},
                 {kCmdCustomConverter, "&Find a File Converter..."},
                 {kCmdPreferences, "&Preferences..."},
                 {kCmdManual, "User &Manual...\tF1"},
                 {kCmdSendFeedback, "&Send Feedback"},
                 {kCmdVisitHomepage, "&Visit the Program's Homepage"},
                 {kCmdCheckForNewVersion, "&Check For a New Version"},
                 {kCmdAbout, "&About..."}};
    for (const Item& item : items) {
        wxMenuItem* found = bar->FindItem(CommandWindowId(item.command));
        ASSERT_NE(found, nullptr) << item.label;
        EXPECT_EQ(found->GetItemLabel().utf8_string(), item.label);
        EXPECT_TRUE(found->GetBitmap().IsOk()) << item.label;
        EXPECT_EQ(found->GetBitmap().GetWidth(), 16) << item.label;
    }
    EXPECT_EQ(bar->GetMenu(0)->GetMenuItemCount(), 6u);
    EXPECT_EQ(bar->GetMenu(1)->GetMenuItemCount(), 5u);
    EXPECT_EQ(bar->GetMenu(2)->GetMenuItemCount(), 7u);

    wxToolBar* toolbar = Main().toolbar;
    EXPECT_EQ(toolbar->GetToolsCount(), 12u); // nine buttons and three separators
    const int side = IconPixelSize(gSettings.uiSize);
    EXPECT_EQ(toolbar->GetToolBitmapSize(), wxSize(side, side));
    EXPECT_EQ(toolbar->GetToolShortHelp(CommandWindowId(kCmdPreferences)), "Preferences...");
    EXPECT_EQ(toolbar->GetToolShortHelp(CommandWindowId(kCmdCheckForNewVersion)),
              "Check For a New Version");
    EXPECT_EQ(toolbar->GetToolPos(CommandWindowId(kCmdExit)), wxNOT_FOUND);

    const char* tips[] = {"Add Input File...", "Select Output Folder...", "Options..."};
    const int ys[] = {19, 59, 99};
    for (int i = 0; i < 3; ++i) {
        wxBitmapButton* button = Main().fieldButtons[i];
        EXPECT_EQ(button->GetRect(), wxRect(364, ys[i], 24, 24)) << i;
        EXPECT_EQ(button->GetToolTipText(), tips[i]);
    }
    EXPECT_EQ(Main().convertButton->GetRect(), wxRect(400, 20, 100, 100));
    EXPECT_EQ(Main().input->GetRect().width, 350);
}

TEST_F(MainWindowTest, WideningMovesButtonsAndKeepsHeight) {
    Main().frame->SetClientSize(700, 400);
    RunUntil([] { return Main().frame->GetClientSize().x == 700; });
    RunFor(100);
    EXPECT_EQ(Main().frame->GetClientSize(), wxSize(700, 260));
    for (wxWindow* field :
         {static_cast<wxWindow*>(Main().input), static_cast<wxWindow*>(Main().outFolders),
          static_cast<wxWindow*>(Main().outFormats)})
        EXPECT_EQ(field->GetSize().x, 540);
    for (wxBitmapButton* button : Main().fieldButtons)
        EXPECT_EQ(button->GetPosition().x, 554);
    EXPECT_EQ(Main().convertButton->GetPosition().x, 590);
    Main().frame->SetClientSize(300, 260);
    RunUntil([] { return Main().frame->GetClientSize().x != 700; });
    EXPECT_EQ(Main().frame->GetClientSize().x, 510);
}

TEST_F(MainWindowTest, DroppedFilesAddOnlyTheFirst) {
    std::filesystem::create_directory(folders.files.File("in"));
    const std::string a = Sample("in/a.bmp"), b = Sample("b.bmp"), c = Sample("c.bmp");
    DropFiles({a, b, c});
    EXPECT_EQ(InputFieldText(), a);
    ASSERT_EQ(gJob.fileMap.size(), 1u);
    EXPECT_EQ(gJob.fileMap.begin()->first, a);
    EXPECT_EQ(OutFolderListText(), folders.files.File("in/"));
    EXPECT_EQ(gJob.outputFolder, folders.files.File("in/"));
    EXPECT_EQ(gSettings.recentOutFolders, folders.files.File("in/"));

    // A file of another kind changes nothing; a later file keeps the chosen folder.
    WriteFile(folders.files.File("notes.txt"), "text");
    DropFiles({folders.files.File("notes.txt")});
    EXPECT_EQ(InputFieldText(), a);
    DropFiles({b});
    EXPECT_EQ(InputFieldText(), b);
    EXPECT_EQ(gJob.fileMap.size(), 1u);
    EXPECT_EQ(OutFolderListText(), folders.files.File("in/"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, ConvertWarningsInOrder) {
    const std::string input = Sample("a.bmp");
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::string warning;
    } cases[] = {
        {"empty input", [] { Main().input->ChangeValue(""); }, GetText("Msg", "Empty input files")},
        {"empty output folder",
         [&] {
             Main().input->ChangeValue("  " + input + " ");
             Main().outFolders->SetSelection(wxNOT_FOUND);
         },
         GetText("Msg", "Empty output folder")},
        {"missing output folder",
         [&] {
             gSettings.recentOutFolders = folders.files.File("missing");
             FillOutFolderList();
         },
         FillTemplate(GetText("Msg", "Invalid output folder"), folders.files.File("missing/"))},
    };
    for (const Case& c : cases) {
        dialogs.messages.clear();
        c.prepare();
        PressKey(WXK_F5, wxMOD_NONE, [&] { return !dialogs.messages.empty(); });
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.name;
        EXPECT_EQ(dialogs.messages[0].title, "Warning") << c.name;
        EXPECT_EQ(dialogs.messages[0].text, c.warning) << c.name;
        EXPECT_EQ(Status(), "Conversion stopped") << c.name;
    }
    EXPECT_EQ(gJob.outputFolder, folders.files.File("missing/"));
}

TEST_F(MainWindowTest, ResizeChecksComeAfterTheFolders) {
    Main().input->ChangeValue(Sample("a.bmp"));
    gSettings.recentOutFolders = folders.files.path;
    FillOutFolderList();
    gSettings.doImageResize = 1;
    gSettings.imageWidth = 0;
    gSettings.imageHeight = 0;
    RunCommand(kCmdConvert);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Invalid resize width value!");
    gSettings.imageWidth = 10;
    RunCommand(kCmdConvert);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, "Invalid resize height value!");
}

TEST_F(MainWindowTest, WatermarkImageChecksKeepPreparing) {
    Main().input->ChangeValue(Sample("a.bmp"));
    gSettings.recentOutFolders = folders.files.path;
    FillOutFolderList();
    gSettings.doWatermark = 2;
    gSettings.image = "";
    RunCommand(kCmdConvert);
    gSettings.image = folders.files.File("nothing.png");
    RunCommand(kCmdConvert);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "Selected watermark image is invalid/empty!");
    EXPECT_EQ(dialogs.messages[1].text,
              "Unable to load selected file as a watermark image: " + gSettings.image);
    // A file that is there but is no picture.
    gSettings.image = folders.files.File("notes.png");
    ASSERT_TRUE(WriteFile(gSettings.image, "no picture at all"));
    RunCommand(kCmdConvert);
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[2].text,
              "Unable to load selected file as a watermark image: " + gSettings.image);
    EXPECT_EQ(Status(), "Preparing...");
}

TEST_F(MainWindowTest, ShortcutsReachTheirCommands) {
    PressKey(WXK_F1, wxMOD_NONE, [&] { return !dialogs.opened.empty(); });
    ASSERT_EQ(dialogs.opened, std::vector<std::string>{"brelvix.chm"});

    Main().input->ChangeValue("typed");
    SetStatusText("something");
    PressKey('N', wxMOD_CONTROL, [] { return InputFieldText().empty(); });
    EXPECT_EQ(InputFieldText(), "");
    EXPECT_EQ(Status(), "Ready");

    // F10 is bound to a command that does nothing.
    Main().input->ChangeValue("typed");
    PressKey(WXK_F10);
    EXPECT_EQ(InputFieldText(), "typed");
    EXPECT_EQ(Status(), "Ready");
    EXPECT_EQ(dialogs.opened.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(QuitRequested());
}

TEST_F(MainWindowTest, HelpCommandsOpenTheirTargets) {
    for (int command : {kCmdManual, kCmdSendFeedback, kCmdVisitHomepage})
        SendMenuCommand(command);
    const std::vector<std::string> expected = {
        "brelvix.chm",
        "mailto:" + SupportEmail() + "?subject=Vextara%20BMP%20to%20PCX%202.5%20Feedback",
        WebSiteAddress() + "brelvix/"};
    EXPECT_EQ(dialogs.opened, expected);
    EXPECT_EQ(WebSiteAddress().rfind("http://", 0), 0u);
}

TEST_F(MainWindowTest, OutputFormatOptionsButtonAsksForPageThree) {
    EXPECT_EQ(gJob.preferencesStartPage, 0);
    wxCommandEvent click(wxEVT_BUTTON, Main().fieldButtons[2]->GetId());
    click.SetEventObject(Main().fieldButtons[2]);
    Main().fieldButtons[2]->GetEventHandler()->ProcessEvent(click);
    // The Preferences dialog opens on the Output page and sets the start page back to 0.
    ASSERT_NE(PreferencesDialog(), nullptr);
    EXPECT_TRUE(PreferencesDialog()->FindWindow("page3")->IsShown());
    EXPECT_EQ(gJob.preferencesStartPage, 0);
    PreferencesEvent(PreferencesEventKind::Cancel);
    gJob.preferencesStartPage = 3;
    SendMenuCommand(kCmdNew);
    EXPECT_EQ(gJob.preferencesStartPage, 0);
}

TEST_F(MainWindowTest, SelectInputFileUsesTheDialogAnswer) {
    const std::string path = Sample("chosen.bmp");
    dialogs.fileAnswer = path;
    gJob.currentInput = "/somewhere/start.bmp";
    SendMenuCommand(kCmdSelectInputFile);
    ASSERT_EQ(dialogs.fileFilters.size(), 1u);
    EXPECT_EQ(dialogs.fileFilters[0],
              "All Supported Files|*.[bB][mM][pP];*.[rR][lL][eE];*.[dD][iI][bB]|"
              "Windows or OS/2 Bitmap|*.[dD][iI][bB];*.[rR][lL][eE];*.[bB][mM][pP]|"
              "All Files (*.*)|*.*");
    EXPECT_EQ(InputFieldText(), path);
    EXPECT_EQ(gJob.currentInput, "");
    EXPECT_EQ(OutFolderListText(), folders.files.path);

    dialogs.fileAnswer = "";
    Main().input->ChangeValue("kept");
    EXPECT_FALSE(SelectInputFile());
    EXPECT_EQ(InputFieldText(), "kept");
}

TEST_F(MainWindowTest, SelectOutputFolderTakesOnlyExistingFolders) {
    std::filesystem::create_directory(folders.files.File("out"));
    dialogs.folderAnswer = folders.files.File("nowhere");
    SendMenuCommand(kCmdSelectOutputFolder);
    EXPECT_EQ(OutFolderListText(), "");
    EXPECT_EQ(gSettings.recentOutFolders, "");
    // The folder dialog gives the folder without its trailing "/": it is kept with it.
    dialogs.folderAnswer = folders.files.File("out");
    SendMenuCommand(kCmdSelectOutputFolder);
    EXPECT_EQ(OutFolderListText(), folders.files.File("out/"));
    EXPECT_EQ(gJob.outputFolder, folders.files.File("out/"));
    EXPECT_EQ(gSettings.recentOutFolders, folders.files.File("out/"));
}

TEST_F(MainWindowTest, CloseBoxAndAltXSaveGeometryAndFolders) {
    for (bool altX : {false, true}) {
        if (!Main().frame) {
            StartWindowMode();
            ASSERT_TRUE(RunUntil([] { return Main().frame->IsShownOnScreen(); }));
            RunFor(100);
        }
        const std::string a = Sample(altX ? "a.bmp" : "b.bmp");
        std::filesystem::create_directory(folders.files.File(altX ? "x" : "y"));
        gSettings.recentOutFolders = folders.files.File(altX ? "x" : "y");
        FillOutFolderList();
        Main().frame->Move(altX ? 40 : 70, altX ? 50 : 80);
        Main().frame->SetClientSize(altX ? 640 : 600, 260);
        RunUntil([&] { return Main().frame->GetClientSize().x == (altX ? 640 : 600); });
        if (altX) {
            PressKey('X', wxMOD_ALT, [] { return QuitRequested(); });
        } else {
            Main().frame->Close();
            RunFor(50);
        }
        Finish();
        const std::string config = folders.ConfigPath();
        EXPECT_EQ(StoredValue(config, "Window", "X"), altX ? "40" : "70");
        EXPECT_EQ(StoredValue(config, "Window", "Y"), altX ? "50" : "80");
        EXPECT_EQ(StoredValue(config, "Window", "Width"), altX ? "640" : "600");
        EXPECT_EQ(StoredValue(config, "Window", "Height"), "260");
        EXPECT_EQ(StoredValue(config, "Window", "IsMaximized"), "0");
        EXPECT_EQ(StoredValue(config, "File", "Recent Out Folders"),
                  folders.files.File(altX ? "x/" : "y/"));
    }
}

TEST_F(MainWindowTest, NoFolderHistorySavesAnEmptyList) {
    gSettings.outFoldersHistory = 0;
    DropFiles({Sample("a.bmp")});
    EXPECT_EQ(gSettings.recentOutFolders, folders.files.path);
    Main().frame->Close();
    Finish();
    IniFile ini;
    ASSERT_TRUE(ReadIniFile(folders.ConfigPath(), ini));
    const std::string* stored = FindValue(FindGroup(ini, "File"), "Recent Out Folders");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(*stored, "");
}

TEST_F(MainWindowTest, SecondStartRestoresTheSavedWindow) {
    Main().frame->Move(33, 44);
    Main().frame->SetClientSize(620, 260);
    RunUntil([] { return Main().frame->GetClientSize().x == 620; });
    Main().frame->Close();
    Finish();
    ResetSettings(false);
    StartWindowMode();
    ASSERT_TRUE(RunUntil([] { return Main().frame->IsShownOnScreen(); }));
    EXPECT_EQ(Main().frame->GetPosition(), wxPoint(33, 44));
    EXPECT_EQ(Main().frame->GetClientSize(), wxSize(620, 260));
}

TEST(RecentFolders, PushKeepsNewestFirstWithoutCaseDuplicates) {
    ResetSettings(false);
    struct Case {
        int number;
        const char* before;
        const char* folder;
        const char* after;
    } cases[] = {
        {5, "", "/a/", "/a/"},
        {5, "/b/\t/c/", "/a/", "/a/\t/b/\t/c/"},
        {5, "/b/\t/A/\t/c/", "/a/", "/a/\t/b/\t/c/"}, // same folder in another case
        {5, " /b/ \t\t/c/", "/a/", "/a/\t/b/\t/c/"},  // trimmed, empty entries skipped
        {2, "/b/\t/c/\t/d/", "/a/", "/a/\t/b/"},
        {1, "/b/", "/a/", "/a/"},
        {0, "/b/", "/a/", "/a/"},
        {3, "/Ä/\t/b/", "/ä/", "/ä/\t/b/"},
        // One form, with the trailing "/", whatever form the folder and the entries have.
        {5, "/b\t/c/", "/a", "/a/\t/b/\t/c/"},
        {5, "/a\t/b", "/a/", "/a/\t/b/"},
        {5, "/a/\t/b", "/a", "/a/\t/b/"},
        {5, "/\t/b", "/", "/\t/b/"},
    };
    for (const Case& c : cases) {
        gSettings.outFoldersNumber = static_cast<int8_t>(c.number);
        gSettings.recentOutFolders = c.before;
        EXPECT_TRUE(PushRecentOutFolder(c.folder));
        EXPECT_EQ(gSettings.recentOutFolders, c.after) << c.before << " + " << c.folder;
    }
    gSettings.recentOutFolders = "/b/";
    EXPECT_FALSE(PushRecentOutFolder(""));
    EXPECT_EQ(gSettings.recentOutFolders, "/b/");

    // A list read from an older settings file is kept in the one form.
    gSettings.outFoldersNumber = 5;
    gSettings.recentOutFolders = " /x \t/x/\t\t/Y\t/y/\t/z/";
    KeepRecentOutFoldersInOneForm();
    EXPECT_EQ(gSettings.recentOutFolders, "/x/\t/Y/\t/z/");
}

TEST(ShortenPathCases, CutsTheMiddle) {
    const std::string sixty(60, 'x');
    struct Case {
        std::string text;
        int budget;
        std::string expected;
    } cases[] = {
        {"", 5, ""},
        {"short", 5, "short"},
        {"short", 40, "short"},
        {"abcdefghij", 9, "abc...hij"},
        {"abcdefghij", 8, "ab...ij"},
        {"abcdefghij", 4, "..."},
        {"abcdefghij", -3, "..."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShortenPath(c.text, c.budget), c.expected) << c.text << " " << c.budget;
    const std::string cut =
        ShortenPath(std::string(20, 'a') + std::string(20, 'b') + std::string(20, 'c'), 40);
    EXPECT_EQ(cut, std::string(18, 'a') + "..." + std::string(18, 'c'));
}

// Pictures of the window for a person to look at (run with
// --gtest_also_run_disabled_tests; BRELVIX_REVIEW_DIR names the folder).
TEST_F(MainWindowTest, DISABLED_CaptureForReview) {
    const char* dir = std::getenv("BRELVIX_REVIEW_DIR");
    const std::string folder = dir ? std::string(dir) + "/" : "/tmp/";
    Main().frame->Move(20, 20);
    RunFor(300);
    EXPECT_TRUE(CaptureScreen(folder + "main-empty.png"));
    DropFiles({Sample("a-picture-with-a-long-name.bmp")});
    RunFor(300);
    EXPECT_TRUE(CaptureScreen(folder + "main-filled.png"));
    // The Help menu opened with the mouse.
    wxUIActionSimulator sim;
    sim.MouseMove(Main().frame->GetScreenPosition() + wxPoint(160, 10));
    sim.MouseClick();
    RunFor(500);
    EXPECT_TRUE(CaptureScreen(folder + "main-menu.png"));
    sim.Char(WXK_ESCAPE);
    RunFor(200);
    // F10 does nothing: no menu opens.
    PressKey(WXK_F10);
    EXPECT_TRUE(CaptureScreen(folder + "main-f10.png"));
    sim.Char(WXK_ESCAPE);
    RunFor(200);
}

TEST_F(MainWindowTest, WatermarkFontIsCheckedBeforeTheJob) {
    Main().input->ChangeValue(Sample("a.bmp"));
    gSettings.recentOutFolders = folders.files.path;
    FillOutFolderList();
    gSettings.doWatermark = 1;
    gSettings.font = "No Such Font Family At All";
    RunCommand(kCmdConvert);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Unable to load selected font for a watermark: No Such Font Family At All");
    EXPECT_EQ(Status(), "Preparing...");
    EXPECT_EQ(FindNamed("progressDialog"), nullptr);
}

// Every menu opens from the keyboard by its mnemonic, and its entries are chosen by
// theirs: Alt+H and S send feedback, Alt+F and X end the program; the listed shortcuts
// stay as they were.
TEST_F(MainWindowTest, MenusOpenFromTheKeyboard) {
    int opened = 0;
    Main().frame->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& e) {
        ++opened;
        e.Skip();
    });
    PressKey('H', wxMOD_ALT, [&] { return opened == 1; });
    ASSERT_EQ(opened, 1) << "Alt+H opened no menu";
    wxUIActionSimulator sim;
    sim.Char('s');
    ASSERT_TRUE(RunUntil([&] { return !dialogs.opened.empty(); }, 5000));
    EXPECT_EQ(dialogs.opened,
              std::vector<std::string>{"mailto:" + SupportEmail() +
                                       "?subject=Vextara%20BMP%20to%20PCX%202.5%20Feedback"});

    PressKey('F', wxMOD_ALT, [&] { return opened == 2; });
    ASSERT_EQ(opened, 2) << "Alt+F opened no menu";
    sim.Char('x');
    ASSERT_TRUE(RunUntil([] { return QuitRequested(); }, 5000));
    Finish();
}

TEST(MenuCaptions, MnemonicGoesBeforeTheLetter) {
    const struct {
        const char* text;
        char letter;
        const char* caption;
    } cases[] = {
        {"Exit", 'x', "E&xit"},
        {"File", 'F', "&File"},
        {"Select Output Folder...", 'O', "Select &Output Folder..."},
        {"Save & Quit", 'Q', "Save && &Quit"},
        {"Datei", 'F', "Datei"}, // the translated text lacks the letter
        {"New", 0, "New"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MnemonicCaption(c.text, c.letter), c.caption) << c.text;
}

TEST(LinkTexts, PercentEncodingAndFileUris) {
    EXPECT_EQ(PercentEncode("Vextara BMP to PCX 2.5 Feedback"),
              "Vextara%20BMP%20to%20PCX%202.5%20Feedback");
    EXPECT_EQ(PercentEncode("a&b=c?d#e%f+g/ü~_-."), "a%26b%3Dc%3Fd%23e%25f%2Bg%2F%C3%BC~_-.");
    const struct {
        std::string text;
        std::string path;
    } cases[] = {
        {"file:///tmp/a%20b.bmp", "/tmp/a b.bmp"},
        {"FILE:///tmp/x.bmp", "/tmp/x.bmp"},
        {"file://localhost/tmp/%C3%BC.bmp", "/tmp/ü.bmp"},
        {"file:///tmp/100%.bmp", "/tmp/100%.bmp"}, // a lone % stays
        {"file:///tmp/%4x.bmp", "/tmp/%4x.bmp"},
        {"file://otherhost/tmp/x.bmp", "file://otherhost/tmp/x.bmp"},
        {"file:///tmp/a%00b.bmp", "file:///tmp/a%00b.bmp"}, // no NUL in a path
        {"/tmp/plain.bmp", "/tmp/plain.bmp"},
        {"file:", "file:"},
        {"file://", "file://"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathFromFileUri(c.text), c.path) << c.text;
}

TEST(WrapTextCases, BreaksAtBlanksAndInsideLongWords) {
    // One unit a byte.
    const auto width = [](const std::string& s) { return static_cast<int>(s.size()); };
    const struct {
        std::string text;
        int width;
        std::vector<std::string> lines;
    } cases[] = {
        {"", 10, {""}},
        {"short", 10, {"short"}},
        {"one two three", 7, {"one two", "three"}},
        {"Cannot convert /a/very/long/path.bmp: bad",
         12,
         {"Cannot", "convert", "/a/very/long", "/path.bmp:", "bad"}},
        {"first\nsecond line", 6, {"first", "second", "line"}},
        {"a  b", 3, {"a b"}},
        {"äöü", 4, {"äö", "ü"}}, // never inside a character
    };
    for (const auto& c : cases)
        EXPECT_EQ(WrapText(c.text, c.width, width), c.lines) << c.text;
}
