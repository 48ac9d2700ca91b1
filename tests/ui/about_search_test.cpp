// The About box and the converter search, driven as a user would: the links, the keys,
// the buttons and the close box, with the main window disabled while either is open.
#include "app/identity.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/about.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/window_mode.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>
#include <wx/hyperlink.h>
#include <wx/statbmp.h>
#include <wx/uiaction.h>
#include <wx/wx.h>

#include <cstdlib>

namespace {

// A window of the open About box or converter search (a closed one may linger until
// the toolkit deletes it).
wxWindow* OpenBox() {
    return AboutBox() ? static_cast<wxWindow*>(AboutBox()) : ConverterSearchBox();
}

template <typename T> T* Named(const char* name) {
    return dynamic_cast<T*>(wxWindow::FindWindowByName(name, OpenBox()));
}

void ClickAt(wxWindow* window, wxPoint inside) {
    wxUIActionSimulator sim;
    sim.MouseMove(window->GetScreenPosition() + inside);
    RunFor(50);
    sim.MouseClick();
}

// Presses a key in a window once it has the keyboard focus.
void PressKey(wxWindow* focus, int key) {
    wxTopLevelWindow* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(focus));
    ASSERT_NE(top, nullptr);
    top->Raise();
    focus->SetFocus();
    ASSERT_TRUE(RunUntil([focus] { return wxWindow::FindFocus() == focus; }, 3000))
        << "no focus in " << focus->GetName();
    wxUIActionSimulator sim;
    sim.Char(key);
}

// Saves a picture of the screen for looking at the window, when asked to.
void Review(const char* name) {
    if (const char* folder = std::getenv("BRELVIX_REVIEW_DIR"))
        CaptureScreen(std::string(folder) + "/" + name);
}

// No child reaches outside its parent, and each text fits its control.
void ExpectNothingClipped(wxWindow* window) {
    const wxSize room = window->GetClientSize();
    for (wxWindow* child : window->GetChildren()) {
        if (child->IsTopLevel() || !child->IsShown()) continue;
        const wxRect r = child->GetRect();
        EXPECT_GE(r.x, 0) << child->GetName();
        EXPECT_GE(r.y, 0) << child->GetName();
        EXPECT_LE(r.GetRight(), room.x - 1) << child->GetName();
        EXPECT_LE(r.GetBottom(), room.y - 1) << child->GetName();
        if (dynamic_cast<wxStaticText*>(child) || dynamic_cast<wxGenericHyperlinkCtrl*>(child)) {
            EXPECT_LE(child->GetBestSize().x, r.width) << child->GetName();
            EXPECT_LE(child->GetBestSize().y, r.height + 2) << child->GetName();
        }
        // A button's best size holds the toolkit's standard width; its label must fit.
        if (auto* button = dynamic_cast<wxButton*>(child)) {
            const wxSize label = button->GetTextExtent(button->GetLabel());
            EXPECT_LE(label.x + 8, r.width) << child->GetName();
            EXPECT_LE(label.y + 2, r.height) << child->GetName();
        }
        ExpectNothingClipped(child);
    }
}

class AuxWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartWindowMode();
        ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
        RunFor(100);
    }
    void TearDown() override {
        if (AboutBox()) AboutEvent(AboutAction::Close);
        if (ConverterSearchBox()) ConverterSearchEvent(SearchAction::Close);
        if (Main().frame) FinishWindowMode();
    }
    // Waits until the window is gone and the main window is usable again.
    void ExpectBackInTheMainWindow(wxDialog* (*box)()) {
        EXPECT_EQ(box(), nullptr);
        EXPECT_TRUE(Main().frame->IsEnabled());
        EXPECT_TRUE(RunUntil(
            [] {
                wxWindow* focus = wxWindow::FindFocus();
                return focus && wxGetTopLevelParent(focus) == Main().frame;
            },
            3000));
    }
    SessionFolders folders;
    DialogRecorder dialogs;
};

wxDialog* OpenAbout() {
    RunCommand(kCmdAbout);
    wxDialog* box = AboutBox();
    if (box) RunUntil([box] { return box->IsShownOnScreen(); });
    return box;
}

wxDialog* OpenSearch() {
    RunCommand(kCmdCustomConverter);
    wxDialog* box = ConverterSearchBox();
    if (box) RunUntil([box] { return box->IsShownOnScreen(); });
    return box;
}

} // namespace

TEST_F(AuxWindowTest, AboutBoxShowsTheProductAndDisablesTheMainWindow) {
    wxDialog* box = OpenAbout();
    ASSERT_NE(box, nullptr);
    RunFor(200);
    Review("about.png");
    EXPECT_EQ(box->GetTitle(), "About...");
    EXPECT_EQ(box->GetClientSize().y, 240);
    EXPECT_GE(box->GetClientSize().x, 360);
    EXPECT_FALSE(Main().frame->IsEnabled());
    EXPECT_TRUE(box->IsEnabled());
    EXPECT_EQ(Named<wxStaticText>("aboutTitle")->GetLabel().utf8_string(), ProductTitle());
    EXPECT_EQ(Named<wxStaticText>("aboutNotice")->GetLabel().utf8_string(), NoticeText());
    EXPECT_EQ(Named<wxStaticText>("aboutWebLabel")->GetLabel(), "Web:");
    EXPECT_EQ(Named<wxStaticText>("aboutMailLabel")->GetLabel(), "E-mail:");
    EXPECT_EQ(Named<wxGenericHyperlinkCtrl>("aboutWebLink")->GetLabel().utf8_string(),
              "http://" + WebServer());
    EXPECT_EQ(Named<wxGenericHyperlinkCtrl>("aboutMailLink")->GetLabel().utf8_string(),
              SupportEmail());
    EXPECT_EQ(Named<wxGenericHyperlinkCtrl>("aboutWebLink")->GetNormalColour(), *wxBLUE);
    EXPECT_EQ(Named<wxButton>("aboutOk")->GetLabel(), "OK");
    const wxStaticBitmap* banner = Named<wxStaticBitmap>("aboutBanner");
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->GetBitmap().GetHeight(), 40);
    EXPECT_EQ(banner->GetBitmap().GetWidth(), box->GetClientSize().x);
    EXPECT_EQ(banner->GetPosition(), wxPoint(0, 0));
    ExpectNothingClipped(box);
    // The command again raises the open box rather than a second one.
    RunCommand(kCmdAbout);
    EXPECT_EQ(AboutBox(), box);
}

TEST_F(AuxWindowTest, AboutLinksOpenTheWebSiteAndTheMail) {
    wxDialog* box = OpenAbout();
    ASSERT_NE(box, nullptr);
    ClickAt(Named<wxWindow>("aboutWebLink"), wxPoint(10, 10));
    ASSERT_TRUE(RunUntil([&] { return dialogs.opened.size() == 1; }, 5000));
    ClickAt(Named<wxWindow>("aboutMailLink"), wxPoint(10, 10));
    ASSERT_TRUE(RunUntil([&] { return dialogs.opened.size() == 2; }, 5000));
    EXPECT_EQ(dialogs.opened,
              (std::vector<std::string>{"http://" + WebServer(), "mailto:" + SupportEmail()}));
    EXPECT_EQ(AboutBox(), box); // the box stays open
}

TEST_F(AuxWindowTest, AboutClosesByOkReturnEscapeAndTheCloseBox) {
    enum class Way { Ok, Return, Escape, CloseBox };
    for (Way way : {Way::Ok, Way::Return, Way::Escape, Way::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(way));
        wxDialog* box = OpenAbout();
        ASSERT_NE(box, nullptr);
        switch (way) {
        case Way::Ok:
            ClickAt(Named<wxWindow>("aboutOk"), wxPoint(40, 12));
            break;
        case Way::Return:
            PressKey(Named<wxWindow>("aboutWebLink"), WXK_RETURN);
            break;
        case Way::Escape:
            PressKey(Named<wxWindow>("aboutOk"), WXK_ESCAPE);
            break;
        case Way::CloseBox:
            box->Close();
            break;
        }
        ASSERT_TRUE(RunUntil([] { return AboutBox() == nullptr; }, 5000));
        ExpectBackInTheMainWindow(AboutBox);
        EXPECT_TRUE(dialogs.opened.empty());
    }
}

TEST_F(AuxWindowTest, ConverterSearchShowsTwoEmptyFields) {
    wxDialog* box = OpenSearch();
    ASSERT_NE(box, nullptr);
    auto* from = Named<wxTextCtrl>("searchFrom");
    auto* to = Named<wxTextCtrl>("searchTo");
    from->ChangeValue("bmp");
    to->ChangeValue("pcx");
    RunFor(200);
    Review("converter_search.png");
    from->ChangeValue("");
    to->ChangeValue("");
    EXPECT_EQ(box->GetTitle(), "Find a File Converter");
    EXPECT_EQ(box->GetClientSize(), wxSize(370, 60));
    EXPECT_FALSE(Main().frame->IsEnabled());
    EXPECT_EQ(Named<wxStaticText>("searchFromLabel")->GetLabel(), "From:");
    EXPECT_EQ(Named<wxStaticText>("searchToLabel")->GetLabel(), "To:");
    EXPECT_EQ(Named<wxButton>("searchButton")->GetLabel(), "Search");
    EXPECT_EQ(box->GetDefaultItem(), Named<wxWindow>("searchButton"));
    EXPECT_TRUE(RunUntil([from] { return wxWindow::FindFocus() == from; }, 3000));
    ExpectNothingClipped(box);
}

TEST_F(AuxWindowTest, ConverterSearchOpensThePageForBothExtensions) {
    enum class Way { Button, Return };
    struct Case {
        const char* from;
        const char* to;
        Way way;
        const char* page;
    } cases[] = {
        {"Windows Bitmap", "PCX", Way::Button, "find/windowsbitm-pcx/"},
        {".BMP", "png", Way::Return, "find/bmp-png/"},
        {"JP-G", "Tiff Image File", Way::Return, "find/jpg-tiffimagef/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        dialogs.opened.clear();
        wxDialog* box = OpenSearch();
        ASSERT_NE(box, nullptr);
        Named<wxTextCtrl>("searchFrom")->ChangeValue(wxString::FromUTF8(c.from));
        Named<wxTextCtrl>("searchTo")->ChangeValue(wxString::FromUTF8(c.to));
        if (c.way == Way::Button)
            ClickAt(Named<wxWindow>("searchButton"), wxPoint(40, 12));
        else
            PressKey(Named<wxWindow>("searchTo"), WXK_RETURN);
        ASSERT_TRUE(RunUntil([] { return ConverterSearchBox() == nullptr; }, 5000));
        EXPECT_EQ(dialogs.opened, std::vector<std::string>{WebSiteAddress() + c.page});
        EXPECT_TRUE(dialogs.messages.empty());
        ExpectBackInTheMainWindow(ConverterSearchBox);
    }
}

TEST_F(AuxWindowTest, ConverterSearchWarnsAboutAnEmptyField) {
    wxDialog* box = OpenSearch();
    ASSERT_NE(box, nullptr);
    struct Case {
        const char* from;
        const char* to;
    } cases[] = {{"bmp", ""}, {"", "png"}, {"--", "png"}, {"bmp", "  .  "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + "|" + c.to);
        dialogs.messages.clear();
        Named<wxTextCtrl>("searchFrom")->ChangeValue(c.from);
        Named<wxTextCtrl>("searchTo")->ChangeValue(c.to);
        ClickAt(Named<wxWindow>("searchButton"), wxPoint(40, 12));
        ASSERT_TRUE(RunUntil([&] { return !dialogs.messages.empty(); }, 5000));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].kind, static_cast<int>(MessageKind::Warning));
        EXPECT_EQ(dialogs.messages[0].title, "Warning");
        EXPECT_EQ(dialogs.messages[0].text, "Please, fill all required fields and try again!");
        EXPECT_EQ(ConverterSearchBox(), box);
        EXPECT_EQ(Named<wxTextCtrl>("searchFrom")->GetValue(), c.from);
        EXPECT_EQ(Named<wxTextCtrl>("searchTo")->GetValue(), c.to);
        EXPECT_FALSE(Main().frame->IsEnabled());
    }
    EXPECT_TRUE(dialogs.opened.empty());
}

TEST_F(AuxWindowTest, ConverterSearchClosesByEscapeAndTheCloseBox) {
    for (bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "close box");
        wxDialog* box = OpenSearch();
        ASSERT_NE(box, nullptr);
        Named<wxTextCtrl>("searchFrom")->ChangeValue("bmp");
        Named<wxTextCtrl>("searchTo")->ChangeValue("png");
        if (escape)
            PressKey(Named<wxWindow>("searchFrom"), WXK_ESCAPE);
        else
            box->Close();
        ASSERT_TRUE(RunUntil([] { return ConverterSearchBox() == nullptr; }, 5000));
        ExpectBackInTheMainWindow(ConverterSearchBox);
    }
    EXPECT_TRUE(dialogs.opened.empty());
}

TEST(ConverterSearch, ExtensionsAreCutThenFiltered) {
    struct Case {
        const char* typed;
        const char* sent;
    } cases[] = {
        {"JP-G", "jpg"},
        {"Windows Bitmap", "windowsbitm"},
        {".BMP", "bmp"},
        {"abcdefghijklmnop", "abcdefghijkl"},
        {"\xc3\x84\xc3\x96\xc3\x9c"
         "abcdefghijkl",
         "abcdefghi"}, // three letters of two bytes
        {"  ", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SearchExtension(c.typed), c.sent) << c.typed;
    EXPECT_EQ(ConverterSearchUrl("bmp", "png"), WebSiteAddress() + "find/bmp-png/");
}
