// The Preferences dialog's layout with the toolkit's default theme and font: nothing
// clipped, overlapping or outside its page, on every page and sub-panel; the Tab key
// moves through the rows in order.
#include "preferences_helpers.h"

#include "settings/settings.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/preferences_pages.h"

#include <wx/bmpcbox.h>
#include <wx/scrolwin.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/uiaction.h>
#include <wx/wx.h>

#include <cstdlib>
#include <set>

namespace {

// The sub-panels of a page area.
std::vector<wxWindow*> SubPanels(wxWindow* area) {
    std::vector<wxWindow*> panels;
    for (wxWindow* child : area->GetChildren())
        if (child->GetName().StartsWith("panel.")) panels.push_back(child);
    return panels;
}

// Shows one sub-panel of its page (as its format or type list would) and hides the rest.
void ShowOnly(wxWindow* panel) {
    for (wxWindow* sibling : SubPanels(panel->GetParent()))
        sibling->Show(sibling == panel);
}

// Whether a control shows a text or picture whose whole extent must fit.
bool MustFit(wxWindow* w) {
    return dynamic_cast<wxStaticText*>(w) || dynamic_cast<wxChoice*>(w) ||
           dynamic_cast<wxButton*>(w) || dynamic_cast<wxCheckBox*>(w) ||
           dynamic_cast<wxSpinCtrlBase*>(w) || dynamic_cast<wxSlider*>(w) ||
           dynamic_cast<wxBitmapComboBox*>(w);
}

// Checks the shown children of one panel: inside the panel's (virtual) area, not
// overlapping one another, and as large as their content needs.
void CheckPanel(wxWindow* panel, const std::string& where) {
    wxSize room = panel->GetClientSize();
    if (auto* scrolled = dynamic_cast<wxScrolledWindow*>(panel)) {
        room = scrolled->GetVirtualSize();
        scrolled->Scroll(0, 0);
    }
    std::vector<wxWindow*> shown;
    for (wxWindow* child : panel->GetChildren())
        if (child->IsShown()) shown.push_back(child);
    for (wxWindow* w : shown) {
        const wxRect r = w->GetRect();
        const std::string name = where + " " + w->GetName().utf8_string();
        EXPECT_GE(r.x, 0) << name;
        EXPECT_GE(r.y, 0) << name;
        EXPECT_LE(r.GetRight(), room.x - 1) << name << " right edge outside its page";
        EXPECT_LE(r.GetBottom(), room.y - 1) << name << " bottom edge outside its page";
        if (MustFit(w)) {
            const wxSize best = w->GetBestSize();
            EXPECT_LE(best.x, r.width) << name << " is clipped: needs " << best.x;
            EXPECT_LE(best.y, r.height) << name << " is clipped: needs " << best.y;
        }
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(shown[i]->GetRect().Intersects(shown[j]->GetRect()))
                << where << ": " << shown[i]->GetName().utf8_string() << " overlaps "
                << shown[j]->GetName().utf8_string();
}

void CaptureDialog(const std::string& path) {
    RunUntil([] { return false; }, 150); // review pictures only: let the frame paint
    const wxRect r = Prefs()->GetScreenRect();
    const char* display = std::getenv("DISPLAY");
    RunCommand("import -display " + ShellQuote(display ? display : ":0") + " -window root -crop " +
               std::to_string(r.width) + "x" + std::to_string(r.height) + "+" +
               std::to_string(r.x) + "+" + std::to_string(r.y) + " +repage " + ShellQuote(path));
}

class PreferencesLayoutTest : public PreferencesSession {
  protected:
    void SetUp() override {
        Start();
        Open();
    }
    wxWindow* Area(int page) { return Prefs()->FindWindow(wxString::Format("page%d", page)); }
};

} // namespace

TEST_F(PreferencesLayoutTest, NothingClippedOverlappingOrOutsideItsPage) {
    CheckPanel(Prefs(), "dialog");
    for (int page = 0; page < kPageCount; ++page) {
        SelectPage(page);
        wxWindow* area = Area(page);
        ASSERT_TRUE(area->IsShown());
        CheckPanel(area, "page " + std::to_string(page));
        for (wxWindow* panel : SubPanels(area)) {
            ShowOnly(panel);
            CheckPanel(area,
                       "page " + std::to_string(page) + " with " + panel->GetName().utf8_string());
            CheckPanel(panel, panel->GetName().utf8_string());
        }
    }
    // The scrolling parts reach their last row.
    for (const char* name : {"page4", "panel.frame", "panel.text", "panel.image"}) {
        auto* scrolled = dynamic_cast<wxScrolledWindow*>(Prefs()->FindWindow(name));
        ASSERT_NE(scrolled, nullptr) << name;
        EXPECT_GT(scrolled->GetVirtualSize().y, scrolled->GetClientSize().y) << name;
    }
}

// The names of the windows the keyboard focus visits, Tab after Tab from start.
std::vector<std::string> TabWalk(wxWindow* start, size_t steps) {
    std::vector<std::string> names;
    if (!FocusAndWait(start)) return names;
    names.push_back(start->GetName().utf8_string());
    wxUIActionSimulator sim;
    for (size_t i = 0; i < steps; ++i) {
        wxWindow* before = FocusedWindow();
        sim.Char(WXK_TAB);
        if (!RunUntil([before] { return FocusedWindow() != before; }, 5000)) break;
        wxWindow* focus = FocusedWindow();
        names.push_back(focus ? focus->GetName().utf8_string() : "");
    }
    return names;
}

TEST_F(PreferencesLayoutTest, TabMovesThroughTheRowsInOrder) {
    struct Case {
        int page;
        std::vector<std::string> order; // from the first control of the page
    } cases[] = {
        {0, {"language", "updateRange", "saveWindowPosition", "defaultsButton"}},
        {5,
         {"imageBrightness", "imageBrightness.spin", "imageContrast", "imageContrast.spin",
          "imageGamma", "imageGamma.spin", "imageInvert", "doImageGreyscale", "doImageThreshold",
          "defaultsButton"}},
        {7,
         {"doWatermark", "text", "font", "font.more", "fontSize", "fontSize.unit", "fontLeading",
          "fontLeading.unit", "fontColor", "fontColor.more", "fontStyle", "fontEffect",
          "textAntialiasing", "textAlignment"}},
        {8,
         {"filenameMask", "fileTimestamp", "outFoldersHistory", "outFoldersNumber",
          "outFoldersNumber.spin", "defaultsButton"}},
    };
    for (const Case& c : cases) {
        SelectPage(c.page);
        if (c.page == 7) Choose("doWatermark", "Text");
        wxWindow* first = Prefs()->FindWindow(wxString::FromUTF8(c.order.front()));
        ASSERT_NE(first, nullptr) << c.order.front();
        EXPECT_EQ(TabWalk(first, c.order.size() - 1), c.order) << "page " << c.page;
    }
    // From the page list the focus goes to the page's first row.
    SelectPage(1);
    wxWindow* list = Prefs()->FindWindow("pageList");
    EXPECT_EQ(TabWalk(list, 1), (std::vector<std::string>{"pageList", "uiTheme"}));
}

// Pictures of every page and sub-panel for a person to look at (run with
// --gtest_also_run_disabled_tests; BRELVIX_REVIEW_DIR names the folder).
TEST_F(PreferencesLayoutTest, DISABLED_CaptureForReview) {
    const char* dir = std::getenv("BRELVIX_REVIEW_DIR");
    const std::string folder = dir ? std::string(dir) + "/" : "/tmp/";
    Prefs()->Move(20, 20);
    for (int page = 0; page < kPageCount; ++page) {
        SelectPage(page);
        wxWindow* area = Area(page);
        const std::string base = folder + "prefs-page" + std::to_string(page);
        CaptureDialog(base + ".png");
        if (auto* scrolled = dynamic_cast<wxScrolledWindow*>(area)) {
            scrolled->Scroll(0, 1000);
            CaptureDialog(base + "-bottom.png");
            scrolled->Scroll(0, 0);
        }
        for (wxWindow* panel : SubPanels(area)) {
            ShowOnly(panel);
            const std::string name = base + "-" + panel->GetName().utf8_string().substr(6);
            CaptureDialog(name + ".png");
            if (auto* scrolled = dynamic_cast<wxScrolledWindow*>(panel)) {
                scrolled->Scroll(0, 1000);
                CaptureDialog(name + "-bottom.png");
                scrolled->Scroll(0, 0);
            }
        }
    }
}
