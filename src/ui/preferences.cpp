#include "ui/preferences.h"

#include "settings/settings.h"
#include "settings/settings_file.h"
#include "text/text_table.h"
#include "ui/compact_style.h"
#include "ui/dialogs.h"
#include "ui/later_parts.h"
#include "ui/main_window.h"
#include "ui/preferences_pages.h"

#include <wx/listbox.h>
#include <wx/scrolwin.h>
#include <wx/wx.h>

#include <algorithm>

namespace {

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

// The pages in list order: title key (group "Preferences") and whether the page area
// itself scrolls.
struct PageDef {
    const char* title;
    bool scrolls;
};
constexpr PageDef kPages[kPageCount] = {
    {"General", false}, {"Interface", false}, {"Input", false},
    {"Output", false},  {"Transform", true},  {"Adjustment", false},
    {"Frame", false},   {"Watermark", false}, {"Advanced", false},
};

// The frame, in dialog pixels.
constexpr int kInnerWidth = 600, kInnerHeight = 350;
constexpr int kListX = 10, kListY = 10, kListWidth = 120, kListHeight = 295;
constexpr int kHeaderX = 140, kHeaderY = 10, kHeaderWidth = 450, kHeaderHeight = 30;
constexpr int kAreaX = 140, kAreaY = 50;
constexpr int kButtonY = 315, kButtonWidth = 80, kButtonHeight = 25;

struct PreferencesWindow {
    wxDialog* dialog = nullptr;
    wxListBox* pageList = nullptr;
    wxWindow* header = nullptr;
    wxStaticText* headerText = nullptr;
    wxFont headerFont;
    PagesState pages;
};

PreferencesWindow* gPrefs = nullptr;

wxButton* MakeButton(wxWindow* parent, wxWindowID id, const char* key, const char* name) {
    auto* button = new wxButton(parent, id, Wx(GetText("Dialog", key)));
    button->SetName(name);
    const wxSize best = button->GetBestSize();
    button->SetSize(std::max(kButtonWidth, best.x), std::max(kButtonHeight, best.y));
    return button;
}

void Build(PreferencesWindow& p) {
    wxFrame* owner = Main().frame;
    p.dialog = new wxDialog(owner, wxID_ANY, Wx(GetText("Preferences", "Title")), wxDefaultPosition,
                            wxDefaultSize, wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU);
    wxDialog* dialog = p.dialog;
    dialog->SetName("preferencesDialog");
    UseCompactControls(dialog);
    dialog->SetClientSize(kInnerWidth, kInnerHeight);

    p.pageList = new wxListBox(dialog, wxID_ANY, wxPoint(kListX, kListY),
                               wxSize(kListWidth, kListHeight), 0, nullptr, wxLB_SINGLE);
    p.pageList->SetName("pageList");

    p.header = new wxWindow(dialog, wxID_ANY, wxPoint(kHeaderX, kHeaderY),
                            wxSize(kHeaderWidth, kHeaderHeight), wxBORDER_SUNKEN);
    p.header->SetName("header");
    p.header->DisableFocusFromKeyboard();
    p.header->SetBackgroundColour(*wxWHITE);
    const int border = (kHeaderHeight - p.header->GetClientSize().y) / 2;
    p.headerText = new wxStaticText(p.header, wxID_ANY, "", wxPoint(10 - border, 7 - border),
                                    wxSize(kHeaderWidth - 20, 20), wxST_NO_AUTORESIZE);
    p.headerText->SetName("headerText");
    p.headerText->SetBackgroundColour(*wxWHITE);

    for (int i = 0; i < kPageCount; ++i) {
        const wxPoint at(kAreaX, kAreaY);
        const wxSize size(kPageWidth, kPageHeight);
        wxWindow* area = nullptr;
        if (kPages[i].scrolls) {
            auto* scrolled =
                new wxScrolledWindow(dialog, wxID_ANY, at, size, wxVSCROLL | wxTAB_TRAVERSAL);
            scrolled->SetScrollRate(0, 10);
            area = scrolled;
        } else {
            area = new wxPanel(dialog, wxID_ANY, at, size, wxTAB_TRAVERSAL);
        }
        area->SetName(wxString::Format("page%d", i));
        area->Hide();
        p.pages.areas[i] = area;
    }
    p.pages.dialog = dialog;
    BuildPages(p.pages);

    wxButton* defaults = MakeButton(dialog, wxID_ANY, "Defaults", "defaultsButton");
    wxButton* ok = MakeButton(dialog, wxID_OK, "OK", "okButton");
    wxButton* cancel = MakeButton(dialog, wxID_CANCEL, "Cancel", "cancelButton");
    // The buttons keep their places; wider ones grow towards the dialog's left.
    cancel->Move(kInnerWidth - 10 - cancel->GetSize().x, kButtonY);
    ok->Move(std::min(420, cancel->GetPosition().x - 10 - ok->GetSize().x), kButtonY);
    defaults->Move(10, kButtonY);
    dialog->CentreOnParent();

    p.pageList->Bind(wxEVT_LISTBOX,
                     [](wxCommandEvent&) { PreferencesEvent(PreferencesEventKind::PageList); });
    defaults->Bind(wxEVT_BUTTON,
                   [](wxCommandEvent&) { PreferencesEvent(PreferencesEventKind::Defaults); });
    ok->Bind(wxEVT_BUTTON, [](wxCommandEvent&) { PreferencesEvent(PreferencesEventKind::Ok); });
    cancel->Bind(wxEVT_BUTTON,
                 [](wxCommandEvent&) { PreferencesEvent(PreferencesEventKind::Cancel); });
    dialog->Bind(wxEVT_CLOSE_WINDOW,
                 [](wxCloseEvent&) { PreferencesEvent(PreferencesEventKind::CloseBox); });
    // Escape is the shortcut of Cancel, wherever the focus is.
    dialog->Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& e) {
        if (e.GetKeyCode() == WXK_ESCAPE && e.GetModifiers() == wxMOD_NONE) {
            PreferencesEvent(PreferencesEventKind::Cancel);
            return;
        }
        e.Skip();
    });
    // The controls' handlers use the window's record until the dialog is gone: it is
    // freed when the dialog is destroyed (after Close, or with its owner when the
    // program ends with the dialog open).
    PreferencesWindow* own = &p;
    dialog->Bind(wxEVT_DESTROY, [own, dialog](wxWindowDestroyEvent& e) {
        e.Skip();
        if (e.GetEventObject() != dialog) return;
        if (gPrefs == own) gPrefs = nullptr;
        delete own;
    });
}

void Fill(PreferencesWindow& p) {
    for (const PageDef& page : kPages)
        p.pageList->Append(Wx(GetText("Preferences", page.title)));
    const int start = gJob.preferencesStartPage;
    if (start >= 0 && start < kPageCount) p.pageList->SetSelection(start);
    // The header font: fontconfig's nearest match for the font named here, bold.
    p.headerFont = wxFont(wxFontInfo(10).FaceName("MS Shell Dlg").Bold());
    if (p.headerFont.IsOk()) p.headerText->SetFont(p.headerFont);
    FillPages(p.pages);
    ShowPreferencesPage(start);
    gJob.preferencesStartPage = 0;
}

void Close() {
    PreferencesWindow* p = gPrefs;
    if (!p) return;
    gPrefs = nullptr;
    // Hiding the dialog moves the focus: no rule of the pages runs any more.
    p->pages.updating = true;
    wxDialog* dialog = p->dialog;
    wxFrame* owner = Main().frame;
    if (owner) owner->Enable();
    dialog->Destroy();
    if (owner) {
        owner->Raise();
        owner->SetFocus();
    }
}

// The restart request of a change of icon size (2) or theme (1, which wins).
void NoteRestartRequest(int iconSize, const std::string& theme) {
    if (iconSize != gSettings.uiSize) gJob.restartRequest = 2;
    if (theme != gSettings.uiTheme) gJob.restartRequest = 1;
}

void AcceptChanges() {
    PagesState& pages = gPrefs->pages;
    NoteRestartRequest(IconSizeChoice(pages), ThemeChoice(pages));
    WritePages(pages);
    SaveSettings();
    ApplyPreferencesToMainWindow(OutputFormatChoice(pages));
    Close();
}

void ResetToDefaults() {
    if (!ConfirmResetToDefaults()) return;
    PagesState& pages = gPrefs->pages;
    const int iconSize = IconSizeChoice(pages);
    const std::string theme = ThemeChoice(pages);
    ResetSettings(false);
    NoteRestartRequest(iconSize, theme);
    SaveSettings();
    ApplyPreferencesToMainWindow(OutputFormatChoice(pages));
    Close();
}

} // namespace

void OpenPreferences() {
    if (gPrefs) {
        gPrefs->dialog->Raise();
        return;
    }
    gPrefs = new PreferencesWindow;
    Build(*gPrefs);
    Fill(*gPrefs);
    gPrefs->dialog->Show();
    if (Main().frame) Main().frame->Disable();
    gPrefs->dialog->Raise();
    gPrefs->dialog->SetFocus();
    gPrefs->pageList->SetFocus();
}

void ShowPreferencesPage(int page) {
    if (!gPrefs || page < 0 || page >= kPageCount) return;
    gPrefs->headerText->SetLabel(Wx(GetText("Preferences", kPages[page].title)));
    for (int i = 0; i < kPageCount; ++i)
        gPrefs->pages.areas[i]->Show(i == page);
}

void PreferencesEvent(PreferencesEventKind kind) {
    if (!gPrefs) return;
    switch (kind) {
    case PreferencesEventKind::CloseBox:
    case PreferencesEventKind::Cancel:
        Close();
        break;
    case PreferencesEventKind::PageList:
        ShowPreferencesPage(gPrefs->pageList->GetSelection());
        break;
    case PreferencesEventKind::Ok:
        AcceptChanges();
        break;
    case PreferencesEventKind::Defaults:
        ResetToDefaults();
        break;
    }
}

bool ConfirmResetToDefaults() {
    return ShowMessage(MessageKind::Question, GetText("Msg", "Reset to Defaults"),
                       GetText("Msg", "Ask reset to defaults"), gPrefs ? gPrefs->dialog : nullptr);
}

wxDialog* PreferencesDialog() {
    return gPrefs ? gPrefs->dialog : nullptr;
}
