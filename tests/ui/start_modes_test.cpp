#include "app/identity.h"
#include "formats/formats.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/main_window.h"
#include "ui/start_modes.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>
#include <wx/uiaction.h>
#include <wx/wx.h>

#include <filesystem>

namespace {

// The preparation the command line makes before it hands a start mode over.
void PrepareAsTheCommandLine() {
    BuildFormatTables();
    ResetJob();
    ResetSettings(true);
    BuildTextTable();
    gJob.programFolder = FolderPart(BrelvixPath());
}

void Click(wxWindow* window) {
    wxUIActionSimulator sim;
    sim.MouseMove(window->GetScreenPosition() + wxPoint(8, window->GetSize().y / 2));
    sim.MouseClick();
}

// Pixels darker than a caption would be, in a box of the picture.
int DarkPixels(const RgbImage& image, int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x) {
            const uint8_t* p = image.At(x, y);
            if (p[0] + p[1] + p[2] < 150) ++count;
        }
    return count;
}

} // namespace

TEST(ScreenshotMode, WritesThePictureAndItsThumbnail) {
    SessionFolders folders;
    DialogRecorder dialogs;
    PrepareAsTheCommandLine();
    PrepareScreenshotMode();
    EXPECT_EQ(gJob.mode, "T");
    // What the window shows while it waits for its timer.
    std::string input, outFolder;
    wxPoint position;
    Agent watcher([&] {
        if (!Main().frame || !Main().frame->IsShownOnScreen()) return false;
        input = InputFieldText();
        outFolder = OutFolderListText();
        position = Main().frame->GetPosition();
        return true;
    });
    RunScreenshotMode(folders.files.path.substr(0, folders.files.path.size() - 1));
    EXPECT_EQ(input, "c:\\images\\vextara.bmp");
    EXPECT_EQ(outFolder, "d:\\converted\\");
    EXPECT_EQ(position, wxPoint(400, 400));
    EXPECT_EQ(Main().frame, nullptr);

    if (const char* review = std::getenv("BRELVIX_REVIEW_DIR"))
        for (const char* name : {"brelvix1.jpg", "brelvix1x.jpg"})
            WriteFile(std::string(review) + "/" + name, ReadFile(folders.files.File(name)));
    const RgbImage full = DecodeWith("magick", folders.files.File("brelvix1.jpg"));
    const RgbImage thumb = DecodeWith("magick", folders.files.File("brelvix1x.jpg"));
    ASSERT_GE(full.width, 510);
    ASSERT_GT(full.height, 260);
    EXPECT_EQ(thumb.width, 180);
    EXPECT_EQ(thumb.height, ThumbnailHeight(full.width, full.height));
    // The web site's address in black near the bottom right corner, over the status bar.
    EXPECT_GT(DarkPixels(full, full.width - 35 - 150, full.height - 26, full.width - 35,
                         full.height - 12),
              10);
    EXPECT_EQ(DarkPixels(full, full.width - 34, full.height - 26, full.width, full.height - 12), 0);
    EXPECT_FALSE(IsFile(folders.ConfigPath()));
    EXPECT_TRUE(dialogs.opened.empty());
    EXPECT_FALSE(IsFile(folders.files.File("brelvix1.jpg.part")));
}

TEST(ScreenshotMode, MissingFolderWritesNothing) {
    SessionFolders folders;
    PrepareAsTheCommandLine();
    PrepareScreenshotMode();
    RunScreenshotMode(folders.files.File("missing"));
    EXPECT_FALSE(PathExists(folders.files.File("missing")));
    EXPECT_EQ(Main().frame, nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(folders.files.path));
}

TEST(ScreenshotMode, ClosingBeforeTheTimerStillMakesThePictures) {
    SessionFolders folders;
    PrepareAsTheCommandLine();
    PrepareScreenshotMode();
    Agent closer([] {
        if (!Main().frame || !Main().frame->IsShownOnScreen()) return false;
        Main().frame->Close();
        return true;
    });
    const auto start = std::chrono::steady_clock::now();
    RunScreenshotMode(folders.files.path);
    EXPECT_TRUE(closer.Done());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(IsFile(folders.files.File("brelvix1.jpg")));
    EXPECT_TRUE(IsFile(folders.files.File("brelvix1x.jpg")));
}

TEST(ScreenshotMode, ThumbnailHeightRoundsHalvesUp) {
    const struct {
        int w, h, expected;
    } cases[] = {{526, 298, 102}, {510, 286, 101}, {180, 90, 90}, {360, 1, 1}, {100, 300, 540}};
    for (const auto& c : cases)
        EXPECT_EQ(ThumbnailHeight(c.w, c.h), c.expected) << c.w << "x" << c.h;
}

TEST(ScreenshotMode, FolderArgument) {
    const struct {
        std::vector<const char*> args;
        const char* folder;
    } cases[] = {
        {{"brelvix", "-T"}, ""},
        {{"brelvix", "-T", " /tmp/shots "}, "/tmp/shots"},
        {{"brelvix", "-T", "--folder=/tmp/x"}, "/tmp/x"},
        {{"brelvix", "-T", "-o=/tmp/x"}, "-o=/tmp/x"},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv;
        for (const char* a : c.args)
            argv.push_back(const_cast<char*>(a));
        EXPECT_EQ(StartModeFolder(static_cast<int>(argv.size()), argv.data()), c.folder);
    }
}

TEST(UninstallPage, NextOpensThePageOnlyWhenChecked) {
    SessionFolders folders;
    PrepareAsTheCommandLine();
    enum class Way { NextChecked, NextCleared, CloseBox };
    for (Way way : {Way::NextChecked, Way::NextCleared, Way::CloseBox}) {
        DialogRecorder dialogs;
        int stage = 0;
        std::string title;
        bool checkedAtStart = false;
        Agent agent([&] {
            wxWindow* page = FindNamed("uninstallPage");
            if (!page || !page->IsShownOnScreen()) return false;
            auto* check = dynamic_cast<wxCheckBox*>(page->FindWindow("uninstallCheck"));
            wxWindow* next = page->FindWindow("uninstallNext");
            if (stage == 0) {
                title = dynamic_cast<wxTopLevelWindow*>(page)->GetTitle().utf8_string();
                checkedAtStart = check->GetValue();
                EXPECT_GE(page->GetClientSize().x, 300);
                EXPECT_EQ(page->GetClientSize().y, 100);
                EXPECT_GE(check->GetSize().x, check->GetBestSize().x); // the caption is whole
                EXPECT_EQ(check->GetPosition(), wxPoint(30, 20));
                EXPECT_EQ(next->GetRect().GetRight() + 1, page->GetClientSize().x - 20);
                EXPECT_EQ(check->GetLabel().utf8_string(),
                          "Full Uninstall - Visit Uninstall Center");
                EXPECT_EQ(next->GetLabel(), "Next");
                if (const char* review = std::getenv("BRELVIX_REVIEW_DIR");
                    review && way == Way::NextChecked) {
                    RunFor(200);
                    CaptureScreen(std::string(review) + "/uninstall.png");
                }
                if (way == Way::NextCleared) Click(check);
                stage = 1;
                return false;
            }
            if (way == Way::NextCleared && check->GetValue()) return false; // the click arrives
            if (way == Way::CloseBox) {
                page->Close();
            } else {
                Click(next);
            }
            return true;
        });
        ShowUninstallPage();
        EXPECT_TRUE(agent.Done());
        EXPECT_EQ(title, "Uninstall");
        EXPECT_TRUE(checkedAtStart);
        if (way == Way::NextChecked) {
            EXPECT_EQ(dialogs.opened,
                      std::vector<std::string>{WebSiteAddress() + "brelvix/uninstall.html"});
        } else {
            EXPECT_TRUE(dialogs.opened.empty());
        }
        // The page is deleted when the loop is next idle.
        EXPECT_TRUE(RunUntil([] { return FindNamed("uninstallPage") == nullptr; }, 5000));
    }
}

// The page starts with the focus on Next, its default button: Return presses it (and
// leaves the box as it was), where it used to clear the box.
TEST(UninstallPage, ReturnPressesNext) {
    SessionFolders folders;
    PrepareAsTheCommandLine();
    DialogRecorder dialogs;
    bool sent = false, checkedWhenSent = false;
    std::chrono::steady_clock::time_point sentAt;
    wxWindow* focusWhenSent = nullptr;
    wxWindow* nextButton = nullptr;
    wxWindow* defaultItem = nullptr;
    Agent agent([&] {
        auto* page = dynamic_cast<wxTopLevelWindow*>(FindNamed("uninstallPage"));
        if (!page || !page->IsShownOnScreen() || !page->IsActive()) return false;
        nextButton = page->FindWindow("uninstallNext");
        defaultItem = page->GetDefaultItem();
        focusWhenSent = wxWindow::FindFocus();
        checkedWhenSent = dynamic_cast<wxCheckBox*>(page->FindWindow("uninstallCheck"))->GetValue();
        if (const char* review = std::getenv("BRELVIX_REVIEW_DIR")) {
            RunFor(200);
            CaptureScreen(std::string(review) + "/uninstall-focus.png");
        }
        wxUIActionSimulator sim;
        sim.MouseMove(page->GetScreenPosition() + wxPoint(150, 50));
        sim.Char(WXK_RETURN);
        sent = true;
        sentAt = std::chrono::steady_clock::now();
        return true;
    });
    // Without the fix the page would wait for ever: the close request ends it then.
    Agent closer([&] {
        if (!sent) return false;
        if (std::chrono::steady_clock::now() < sentAt + std::chrono::seconds(5) &&
            dialogs.opened.empty())
            return false;
        if (wxWindow* page = FindNamed("uninstallPage")) page->Close();
        return true;
    });
    ShowUninstallPage();
    ASSERT_TRUE(sent);
    EXPECT_TRUE(checkedWhenSent);
    EXPECT_EQ(focusWhenSent, nextButton);
    EXPECT_EQ(defaultItem, nextButton);
    EXPECT_EQ(dialogs.opened,
              std::vector<std::string>{WebSiteAddress() + "brelvix/uninstall.html"});
    EXPECT_TRUE(RunUntil([] { return FindNamed("uninstallPage") == nullptr; }, 5000));
}
