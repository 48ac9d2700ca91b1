// The main window as a desktop user meets it: under a window manager, with drops from
// another program, restored sizes and places, and every toolbar icon size.
#include "platform/platform.h"
#include "settings/settings.h"
#include "themes/themes.h"
#include "ui/main_window.h"
#include "ui/window_mode.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/bmpcbox.h>
#include <wx/display.h>
#include <wx/wx.h>

#include <climits>
#include <filesystem>
#include <memory>

namespace {

// A window-mode session whose settings file holds the given text, optionally under a
// window manager.
class Desktop : public ::testing::Test {
  protected:
    void TearDown() override {
        if (Main().frame) FinishWindowMode();
        manager.reset();
    }
    void UseWindowManager(bool on) {
        if (Main().frame) FinishWindowMode();
        manager.reset();
        if (on) {
            manager = std::make_unique<WindowManager>();
            ASSERT_TRUE(manager->Running()) << "openbox did not start";
        }
    }
    void Start(const std::string& config) {
        MakeFolders(FolderPart(folders.ConfigPath()));
        WriteFile(folders.ConfigPath(), config);
        ResetSettings(false);
        StartWindowMode();
        ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
        // Under a window manager, the window is framed before the test goes on.
        if (manager) {
            ASSERT_TRUE(RunUntil([] { return FramedByWindowManager(Main().frame); }));
        }
    }
    void Close() {
        Main().frame->Close();
        ASSERT_TRUE(RunUntil([] { return QuitRequested(); }));
        FinishWindowMode();
    }
    std::string Stored(const char* key) { return StoredValue(folders.ConfigPath(), "Window", key); }
    SessionFolders folders;
    DialogRecorder dialogs;
    std::unique_ptr<WindowManager> manager;
};

wxRect InFrame(wxWindow* window) {
    wxRect r = window->GetScreenRect();
    r.SetPosition(Main().frame->ScreenToClient(r.GetPosition()));
    return r;
}

// True when the top strip of a window (its title bar) lies inside one work area.
bool TitleBarVisible(const wxRect& window) {
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
        const wxRect area = wxDisplay(i).GetClientArea();
        const int left = std::max(window.x, area.x);
        const int right = std::min(window.GetRight(), area.GetRight());
        if (window.y >= area.y && window.y + 24 <= area.GetBottom() + 1 &&
            right - left + 1 >= std::min(window.width, 100))
            return true;
    }
    return false;
}

std::string FileUri(const std::string& path) {
    std::string uri = "file://";
    for (char c : path)
        uri += c == ' ' ? std::string("%20") : std::string(1, c);
    return uri;
}

} // namespace

// Files dragged from another program onto the input field or anywhere else on the
// window: the first file is taken, also when the drag offers text beside the file
// list (as file managers do); a drag of text alone is refused everywhere.
TEST_F(Desktop, FilesDroppedOnTheFieldAndOnTheWindow) {
    UseWindowManager(true);
    Start("");
    const std::string picture = folders.files.File("a picture.bmp");
    const std::string other = folders.files.File("other.bmp");
    WriteSampleBmp(picture, 8, 6);
    WriteSampleBmp(other, 8, 6);
    const std::string uriList = FileUri(picture) + "\r\n" + FileUri(other) + "\r\n";
    enum class Where { Field, Form, Notice };
    const struct {
        const char* name;
        Where where;
        std::vector<std::pair<std::string, std::string>> offers;
        bool accepted;
    } cases[] = {
        {"field, files and text",
         Where::Field,
         {{"text/uri-list", uriList}, {"text/plain", FileUri(picture)}},
         true},
        {"field, text and files",
         Where::Field,
         {{"text/plain;charset=utf-8", FileUri(picture)}, {"text/uri-list", uriList}},
         true},
        {"field, files only", Where::Field, {{"text/uri-list", uriList}}, true},
        {"form, files and text",
         Where::Form,
         {{"text/uri-list", uriList}, {"text/plain", FileUri(picture)}},
         true},
        {"notice, files only", Where::Notice, {{"text/uri-list", uriList}}, true},
        {"field, text only", Where::Field, {{"text/plain", FileUri(picture)}}, false},
        {"form, text only", Where::Form, {{"text/plain", FileUri(picture)}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunCommand(kCmdNew);
        wxRect target;
        switch (c.where) {
        case Where::Field:
            target = Main().input->GetScreenRect();
            break;
        case Where::Form: // the empty part of the form right of the format list's label
            target = Main().outFormatLabel->GetScreenRect();
            target.x = target.GetRight() - 20;
            target.width = 10;
            break;
        case Where::Notice:
            target = Main().notice->GetScreenRect();
            break;
        }
        const DragResult drag =
            DragOnto(target.x + target.width / 2, target.y + target.height / 2, c.offers);
        ASSERT_TRUE(drag.targetFound) << drag.output;
        EXPECT_EQ(drag.accepted, c.accepted) << drag.output;
        if (c.accepted) {
            EXPECT_EQ(drag.requested, std::vector<std::string>{"text/uri-list"}) << drag.output;
            EXPECT_TRUE(drag.finished) << drag.output;
            ASSERT_TRUE(RunUntil([&] { return InputFieldText() == picture; }, 5000))
                << InputFieldText();
            ASSERT_EQ(gJob.fileMap.size(), 1u);
            EXPECT_EQ(gJob.fileMap.begin()->first, picture);
            EXPECT_EQ(OutFolderListText(), folders.files.path);
        } else {
            EXPECT_TRUE(drag.requested.empty()) << drag.output;
            RunFor(100);
            EXPECT_EQ(InputFieldText(), "");
            EXPECT_TRUE(gJob.fileMap.empty());
        }
    }
}

// The minimum inner width holds whatever width was restored, with and without a
// window manager: a request for a narrower window ends at 510.
TEST_F(Desktop, MinimumWidthHoldsWhateverSizeIsRestored) {
    for (bool wm : {false, true}) {
        UseWindowManager(wm);
        for (int restored : {620, 400}) {
            SCOPED_TRACE(std::string(wm ? "window manager" : "no window manager") +
                         ", Width = " + std::to_string(restored));
            Start("[Window]\nWidth=" + std::to_string(restored) + "\nX=50\nY=60\n");
            EXPECT_EQ(Main().frame->GetClientSize(), wxSize(std::max(510, restored), 260));
            const CommandResult shrink = RunWhileLooping(
                {"xdotool", "windowsize", std::to_string(XWindowOf(Main().frame)), "300", "200"});
            ASSERT_EQ(shrink.status, 0) << shrink.err;
            EXPECT_TRUE(RunUntil([] { return Main().frame->GetClientSize().x == 510; }, 5000))
                << Main().frame->GetClientSize().x;
            RunFor(200);
            EXPECT_EQ(Main().frame->GetClientSize(), wxSize(510, 260));
            Close();
            EXPECT_EQ(Stored("Width"), "510");
            EXPECT_EQ(Stored("Height"), "260");
        }
    }
}

// A restored window has its title bar on a visible part of the desktop: a place off
// the desktop is moved onto it (and saved so), a place partly on it is kept.
TEST_F(Desktop, RestoredPositionKeepsTheTitleBarOnTheDesktop) {
    const struct {
        int x, y;
        bool kept;
    } cases[] = {
        {-100000, -100000, false}, {31072, 31072, false}, {1270, 400, false},
        {400, -40, false},         {-200, 300, true},     {300, 200, true},
    };
    for (bool wm : {false, true}) {
        UseWindowManager(wm);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(wm ? "window manager" : "no window manager") + " at " +
                         std::to_string(c.x) + ", " + std::to_string(c.y));
            Start("[Window]\nWidth=620\nX=" + std::to_string(c.x) + "\nY=" + std::to_string(c.y) +
                  "\n");
            // A window manager places the window on its own time: wait for the place.
            auto placedNow = [] {
                return wxRect(Main().frame->GetPosition(), Main().frame->GetSize());
            };
            RunUntil([&] { return TitleBarVisible(placedNow()); }, 5000);
            const wxRect placed = placedNow();
            EXPECT_TRUE(TitleBarVisible(placed))
                << placed.x << ", " << placed.y << " " << placed.width << " x " << placed.height;
            // A window manager may pull a window that is partly off the desktop further
            // in by its own rules; without one the place is kept exactly.
            if (c.kept && !wm) {
                EXPECT_EQ(placed.GetPosition(), wxPoint(c.x, c.y));
            }
            Close();
            EXPECT_EQ(Stored("X"), std::to_string(placed.x));
            EXPECT_EQ(Stored("Y"), std::to_string(placed.y));
        }
    }
}

TEST(WindowPlacement, VisiblePositionCases) {
    // Two displays side by side: the second is lower and starts 200 pixels down.
    const std::vector<wxRect> areas = {wxRect(0, 0, 1280, 1024), wxRect(1280, 200, 1024, 768)};
    const wxSize window(622, 310);
    const struct {
        wxPoint wanted;
        wxSize size;
        wxPoint placed;
    } cases[] = {
        {{100, 100}, window, {100, 100}},
        {{2000, 300}, window, {2000, 300}}, // on the second display
        {{1250, 500}, window, {1250, 500}}, // across both
        {{-500, 500}, window, {-500, 500}}, // 122 pixels of the title bar show
        {{-540, 500}, window, {0, 500}},    // 82 pixels are too few
        {{2000, 100}, window, {1682, 200}}, // above the second display's top: moved in
        {{400, -40}, window, {400, 0}},     // the title bar above the desktop
        {{400, 1010}, window, {400, 714}},  // the title bar below it
        {{-100000, -100000}, window, {0, 0}},
        {{31072, 31072}, window, {1682, 658}}, // nearest to the second display
        {{INT_MAX, INT_MAX}, window, {1682, 658}},
        {{INT_MIN, 300}, window, {0, 300}},
        {{-20, 300}, wxSize(50, 40), {0, 300}}, // a narrow window shows all its width
        {{-10, 300}, wxSize(3000, 2000), {-10, 300}},
        {{-5000, 300}, wxSize(3000, 2000), {0, 0}}, // larger than any area: its corner
    };
    for (const auto& c : cases)
        EXPECT_EQ(VisibleWindowPosition(c.wanted, c.size, areas), c.placed)
            << c.wanted.x << ", " << c.wanted.y;
    EXPECT_EQ(VisibleWindowPosition(wxPoint(-7, -9), window, {}), wxPoint(-7, -9));
}

// At every toolbar icon size the window holds its whole toolbar (no overflow menu)
// and nothing overlaps; the inner height stays 260 while the toolbar leaves room.
TEST_F(Desktop, ToolbarFitsAtEveryIconSize) {
    UseWindowManager(true);
    const char* review = std::getenv("BRELVIX_REVIEW_DIR");
    for (int size = 0; size <= 4; ++size) {
        SCOPED_TRACE("UI Size " + std::to_string(size));
        Start("[Interface]\nUI Size=" + std::to_string(size) + "\n[Window]\nX=20\nY=20\n");
        RunFor(100);
        wxFrame* frame = Main().frame;
        const wxSize inner = frame->GetClientSize();
        wxToolBar* toolbar = Main().toolbar;
        EXPECT_EQ(toolbar->GetToolBitmapSize().x, IconPixelSize(size));
        EXPECT_GE(toolbar->GetSize().x, toolbar->GetBestSize().x);
        EXPECT_GE(inner.x, toolbar->GetBestSize().x);
        if (size <= 2) {
            EXPECT_EQ(inner, wxSize(510, 260));
        }
        EXPECT_GE(inner.y, 260);
        // Top to bottom: toolbar, the form, the notice line, the status bar.
        const wxRect bar = InFrame(toolbar);
        int formTop = INT_MAX, formBottom = 0;
        for (wxWindow* control : Main().panel->GetChildren()) {
            const wxRect r = InFrame(control);
            formTop = std::min(formTop, r.y);
            formBottom = std::max(formBottom, r.GetBottom());
            EXPECT_LE(r.GetRight(), inner.x - 1) << control->GetName();
        }
        const wxRect panel = InFrame(Main().panel);
        const wxRect notice = InFrame(Main().notice);
        const wxRect status = InFrame(Main().status);
        EXPECT_LE(bar.GetBottom(), formTop - 1);
        EXPECT_LE(bar.GetBottom(), panel.y - 1);
        EXPECT_LT(formBottom, notice.y);
        EXPECT_LT(panel.GetBottom(), notice.y);
        EXPECT_LT(notice.GetBottom(), status.y);
        EXPECT_EQ(status.GetBottom(), inner.y - 1);
        if (review) {
            RunFor(300);
            CaptureScreen(std::string(review) + "/ui-size-" + std::to_string(size) + ".png");
        }
        Close();
        EXPECT_EQ(Stored("Height"), std::to_string(inner.y));
    }

    // Changed in Preferences, the size takes effect at once: the window grows with it.
    Start("");
    gSettings.uiSize = 4;
    gJob.restartRequest = 2;
    ApplyPreferencesToMainWindow();
    EXPECT_TRUE(RunUntil([] {
        return Main().frame->GetClientSize().x >= Main().toolbar->GetBestSize().x &&
               Main().frame->GetClientSize().y > 260;
    }));
    EXPECT_LT(InFrame(Main().convertButton).GetBottom(), InFrame(Main().notice).y);
    gSettings.uiSize = 0;
    ApplyPreferencesToMainWindow();
    gJob.restartRequest = 2;
    ApplyPreferencesToMainWindow();
    EXPECT_TRUE(RunUntil([] { return Main().frame->GetClientSize().y == 260; }));
}
