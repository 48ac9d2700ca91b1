#include "ui/main_window.h"

#include "app/identity.h"
#include "app/image_slots.h"
#include "formats/formats.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "themes/themes.h"
#include "ui/compact_style.h"
#include "ui/later_parts.h"
#include "ui/pictures.h"
#include "ui/selection.h"
#include "ui/window_mode.h"

#include <wx/bmpbuttn.h>
#include <wx/bmpcbox.h>
#include <wx/display.h>
#include <wx/wx.h>

#include <cctype>
#include <cstdint>
#include <vector>

namespace {

MainWindow gMain;

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

constexpr int kSeparator = -1;

// The menus: title key, the mnemonic letter of the title, and the commands in order
// (kSeparator between groups).
struct MenuLayout {
    const char* title;
    char mnemonic;
    int items[8];
    int count;
};
constexpr MenuLayout kMenus[] = {
    {"File",
     'F',
     {kCmdNew, kSeparator, kCmdSelectInputFile, kCmdSelectOutputFolder, kSeparator, kCmdExit},
     6},
    {"Converter",
     'C',
     {kCmdConvert, kSeparator, kCmdCustomConverter, kSeparator, kCmdPreferences},
     5},
    {"Help",
     'H',
     {kCmdManual, kSeparator, kCmdSendFeedback, kCmdVisitHomepage, kCmdCheckForNewVersion,
      kSeparator, kCmdAbout},
     7},
};

constexpr int kToolbar[] = {kCmdNew,          kCmdSelectInputFile, kCmdSelectOutputFolder,
                            kSeparator,       kCmdPreferences,     kSeparator,
                            kCmdConvert,      kSeparator,          kCmdManual,
                            kCmdSendFeedback, kCmdVisitHomepage,   kCmdCheckForNewVersion};

// The field buttons beside the input field, the output folder and the output format list.
constexpr int kFieldButtons[] = {kCmdSelectInputFile, kCmdSelectOutputFolder,
                                 kCmdOutputFormatOptions};
constexpr int kFieldButtonY[] = {19, 59, 99};
constexpr int kFieldButtonSide = 24;
constexpr int kConvertSide = 100;

// The inner size of the window: at least 510 wide, and 260 high unless the toolbar
// needs more; the notice line stands 70 above the bottom edge, with at least
// kNoticeGap between it and the form.
constexpr int kMinInnerWidth = 510;
constexpr int kInnerHeight = 260;
constexpr int kNoticeFromBottom = 70;
constexpr int kNoticeGap = 10;
// A restored window shows at least this much of its top edge (where its title bar is)
// inside one work area of the desktop.
constexpr int kTitleStripHeight = 24;
constexpr int kTitleStripWidth = 100;

std::string MenuText(const char* key) {
    return GetText("Menu", key);
}

void BuildMenu() {
    auto* bar = new wxMenuBar();
    for (const MenuLayout& layout : kMenus) {
        auto* menu = new wxMenu();
        for (int i = 0; i < layout.count; ++i) {
            const int command = layout.items[i];
            if (command == kSeparator) {
                menu->AppendSeparator();
                continue;
            }
            const CommandRow* row = FindCommand(command);
            auto* item = new wxMenuItem(
                menu, CommandWindowId(command),
                Wx(MnemonicCaption(MenuText(row->key), row->mnemonic) + row->shortcut));
            item->SetBitmap(SlotBitmap(SlotSet::MenuIcons, row->icon, 16));
            menu->Append(item);
        }
        bar->Append(menu, Wx(MnemonicCaption(MenuText(layout.title), layout.mnemonic)));
    }
    wxMenuBar* old = gMain.frame->GetMenuBar();
    gMain.frame->SetMenuBar(bar);
    delete old;
    gMain.menuHeight = bar->GetBestSize().y;
}

void BuildToolbar() {
    if (gMain.toolbar) gMain.toolbar->Destroy();
    const int side = IconPixelSize(gSettings.uiSize);
    auto* toolbar = new wxToolBar(gMain.frame, wxID_ANY, wxPoint(0, 0), wxDefaultSize,
                                  wxTB_HORIZONTAL | wxTB_FLAT | wxTB_NODIVIDER);
    toolbar->SetName("toolbar");
    toolbar->SetToolBitmapSize(wxSize(side, side));
    for (int command : kToolbar) {
        if (command == kSeparator) {
            toolbar->AddSeparator();
            continue;
        }
        const CommandRow* row = FindCommand(command);
        toolbar->AddTool(CommandWindowId(command), wxEmptyString,
                         SlotBitmap(SlotSet::ToolbarIcons, row->icon, side),
                         Wx(MenuText(row->key)));
    }
    toolbar->Realize();
    gMain.toolbar = toolbar;
    gMain.toolbarHeight = toolbar->GetBestSize().y;
}

void BuildFieldButtons() {
    for (int i = 0; i < 3; ++i) {
        if (gMain.fieldButtons[i]) gMain.fieldButtons[i]->Destroy();
        const CommandRow* row = FindCommand(kFieldButtons[i]);
        auto* button = new wxBitmapButton(
            gMain.panel, CommandWindowId(row->command),
            SlotBitmap(SlotSet::MenuIcons, row->icon, 16), wxPoint(364, kFieldButtonY[i]),
            wxSize(kFieldButtonSide, kFieldButtonSide), wxBU_EXACTFIT);
        button->SetName(wxString::Format("fieldButton%d", i));
        button->SetToolTip(Wx(MenuText(row->key)));
        button->SetMinSize(wxSize(kFieldButtonSide, kFieldButtonSide));
        button->Bind(wxEVT_BUTTON, [command = row->command](wxCommandEvent&) {
            DispatchMainWindowEvent(MainEvent::Command, command);
        });
        gMain.fieldButtons[i] = button;
    }
}

wxBitmap ConvertBitmap() {
    wxBitmap bitmap = SlotBitmap(SlotSet::Buttons, "Convert");
    const int room = kConvertSide - 8;
    if (bitmap.GetWidth() > room || bitmap.GetHeight() > room) {
        wxImage image = bitmap.ConvertToImage();
        image.Rescale(std::min(room, image.GetWidth()), std::min(room, image.GetHeight()),
                      wxIMAGE_QUALITY_HIGH);
        bitmap = wxBitmap(image);
    }
    return bitmap;
}

// The inner size the window needs for its toolbar and its form.
wxSize RequiredInnerSize() {
    const int toolbarWidth = gMain.toolbar ? gMain.toolbar->GetBestSize().x : 0;
    int formBottom = 0;
    if (gMain.panel)
        for (wxWindow* child : gMain.panel->GetChildren())
            formBottom = std::max(formBottom, child->GetRect().GetBottom() + 1);
    const int height =
        std::max(kInnerHeight, gMain.toolbarHeight + formBottom + kNoticeGap + kNoticeFromBottom);
    return wxSize(std::max(kMinInnerWidth, toolbarWidth), height);
}

// Gives the window its bounds: the minimum inner width, and the one inner height.
// The bounds are handed over as outer sizes, so they are given again whenever the
// size of the frame around the inner area changes (the window manager reports it
// only after the window is shown). An inner size outside them is corrected.
void ApplyWindowBounds() {
    wxFrame* frame = gMain.frame;
    if (!frame) return;
    const wxSize required = RequiredInnerSize();
    gMain.decoration = frame->GetSize() - frame->GetClientSize();
    gMain.requiredInner = required;
    // Both bounds at once: a new height lies outside the old bounds.
    const wxSize outerMin = frame->ClientToWindowSize(required);
    frame->SetSizeHints(outerMin, wxSize(-1, outerMin.y));
    const wxSize inner = frame->GetClientSize();
    if (!frame->IsMaximized() && !frame->IsIconized() &&
        (inner.x < required.x || inner.y != required.y))
        frame->SetClientSize(std::max(inner.x, required.x), required.y);
}

// Keeps the bounds when the window's size or its frame changes.
void KeepWindowBounds() {
    wxFrame* frame = gMain.frame;
    if (!frame) return;
    const wxSize inner = frame->GetClientSize();
    if (frame->GetSize() - inner != gMain.decoration) {
        ApplyWindowBounds();
        return;
    }
    if (frame->IsMaximized() || frame->IsIconized()) return;
    if (inner.x < gMain.requiredInner.x || inner.y != gMain.requiredInner.y)
        frame->SetClientSize(std::max(inner.x, gMain.requiredInner.x), gMain.requiredInner.y);
}

// The work areas of every display.
std::vector<wxRect> DesktopAreas() {
    std::vector<wxRect> areas;
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
        const wxRect area = wxDisplay(i).GetClientArea();
        if (area.width > 0 && area.height > 0) areas.push_back(area);
    }
    return areas;
}

void SetListIcons(wxBitmapComboBox* list, const char* icon) {
    const wxBitmap bitmap = SlotBitmap(SlotSet::MenuIcons, icon, 16);
    for (unsigned i = 0; i < list->GetCount(); ++i)
        list->SetItemBitmap(i, bitmap);
}

} // namespace

MainWindow& Main() {
    return gMain;
}

std::string MnemonicCaption(const std::string& text, char letter) {
    std::string caption;
    bool marked = letter == 0;
    const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    for (char c : text) {
        if (c == '&') {
            caption += "&&";
            continue;
        }
        if (!marked && std::tolower(static_cast<unsigned char>(c)) == wanted) {
            caption += '&';
            marked = true;
        }
        caption += c;
    }
    return caption;
}

wxPoint VisibleWindowPosition(wxPoint wanted, wxSize outer, const std::vector<wxRect>& areas) {
    if (areas.empty()) return wanted;
    const int64_t x = wanted.x, y = wanted.y, w = std::max(1, outer.x), h = std::max(1, outer.y);
    for (const wxRect& a : areas) {
        const int64_t left = std::max<int64_t>(x, a.x);
        const int64_t right = std::min<int64_t>(x + w, int64_t{a.x} + a.width);
        const bool topInside = y >= a.y && y + kTitleStripHeight <= int64_t{a.y} + a.height;
        if (topInside && right - left >= std::min<int64_t>(w, kTitleStripWidth)) return wanted;
    }
    // Into the work area nearest to the wanted place, as far as the window fits.
    const wxRect* nearest = &areas.front();
    int64_t best = INT64_MAX;
    for (const wxRect& a : areas) {
        const int64_t dx = x < a.x ? a.x - x : std::max<int64_t>(0, x - (int64_t{a.x} + a.width));
        const int64_t dy = y < a.y ? a.y - y : std::max<int64_t>(0, y - (int64_t{a.y} + a.height));
        const int64_t distance = dx + dy;
        if (distance < best) {
            best = distance;
            nearest = &a;
        }
    }
    const wxRect& a = *nearest;
    const int64_t nx = std::max<int64_t>(a.x, std::min<int64_t>(x, int64_t{a.x} + a.width - w));
    const int64_t ny = std::max<int64_t>(a.y, std::min<int64_t>(y, int64_t{a.y} + a.height - h));
    return wxPoint(static_cast<int>(nx), static_cast<int>(ny));
}

void BuildMainWindow() {
    gMain = MainWindow{};
    const int width = std::max(510, static_cast<int>(gSettings.width));
    auto* frame =
        new wxFrame(nullptr, wxID_ANY, Wx(ProductTitle()), wxPoint(gSettings.x, gSettings.y),
                    wxDefaultSize, wxDEFAULT_FRAME_STYLE);
    frame->SetName("mainWindow");
    gMain.frame = frame;
    UseCompactControls(frame);
    frame->DragAcceptFiles(true);

    BuildMenu();
    BuildToolbar();
    frame->SetClientSize(width, kInnerHeight);

    gMain.status = new wxStatusBar(frame, wxID_ANY, wxSTB_SHOW_TIPS | wxFULL_REPAINT_ON_RESIZE);
    gMain.status->SetName("statusBar");
    gMain.status->SetFieldsCount(1);
    gMain.statusHeight = gMain.status->GetBestSize().y;

    gMain.panel = new wxPanel(frame, wxID_ANY, wxPoint(0, gMain.toolbarHeight),
                              wxSize(width, 260 - 130), wxBORDER_NONE | wxTAB_TRAVERSAL);
    gMain.panel->SetName("contentPanel");
    wxPanel* panel = gMain.panel;
    gMain.inputLabel = new wxStaticText(panel, wxID_ANY, Wx(GetText("General", "Input File")),
                                        wxPoint(10, 5), wxSize(350, 20));
    gMain.input = new wxTextCtrl(panel, wxID_ANY, "", wxPoint(10, 20), wxSize(350, 20));
    gMain.input->SetName("inputField");
    // The field takes file drops like the rest of the window (a text field would
    // otherwise take the text that file managers offer beside the file list).
    gMain.input->DragAcceptFiles(true);
    gMain.outFolderLabel =
        new wxStaticText(panel, wxID_ANY, Wx(GetText("General", "Output Folder")),
                         wxPoint(10, 5 + 40), wxSize(350, 20));
    gMain.outFolders = new wxBitmapComboBox(panel, wxID_ANY, "", wxPoint(10, 60), wxSize(350, 21),
                                            0, nullptr, wxCB_READONLY);
    gMain.outFolders->SetName("outFolderList");
    gMain.outFormatLabel = new wxStaticText(
        panel, wxID_ANY, Wx(GetText("General", "Output Format")), wxPoint(10, 85), wxSize(350, 20));
    gMain.outFormats = new wxBitmapComboBox(panel, wxID_ANY, "", wxPoint(10, 100), wxSize(350, 21),
                                            0, nullptr, wxCB_READONLY);
    gMain.outFormats->SetName("outFormatList");
    BuildFieldButtons();
    gMain.convertButton = new wxBitmapButton(panel, wxID_ANY, ConvertBitmap(), wxPoint(400, 20),
                                             wxSize(kConvertSide, kConvertSide));
    gMain.convertButton->SetName("convertButton");
    gMain.convertButton->SetToolTip(Wx(MenuText("Convert")));

    // The notice keeps its place; it is given the room its text needs.
    gMain.notice = new wxStaticText(frame, wxID_ANY, Wx(NoticeText()), wxPoint(10, 260 - 70),
                                    wxSize(350, 20), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    gMain.notice->SetSize(std::max(350, gMain.notice->GetBestSize().x), 20);
    gMain.notice->SetName("notice");

    // The bounds, and a restored position that keeps the title bar on the desktop.
    ApplyWindowBounds();
    const wxPoint place =
        VisibleWindowPosition(frame->GetPosition(), frame->GetSize(), DesktopAreas());
    if (place != frame->GetPosition()) frame->Move(place);

    // Keyboard shortcuts.
    std::vector<wxAcceleratorEntry> keys;
    for (const CommandRow& row : CommandTable())
        if (row.keyCode != 0)
            keys.emplace_back(row.keyFlags, row.keyCode, CommandWindowId(row.command));
    frame->SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(keys.size()), keys.data()));

    // Events: commands, controls, the close box and drops.
    frame->Bind(wxEVT_MENU, [](wxCommandEvent& e) {
        const int command = CommandFromWindowId(e.GetId());
        if (command >= 0) DispatchMainWindowEvent(MainEvent::Command, command);
    });
    frame->Bind(wxEVT_CLOSE_WINDOW, [](wxCloseEvent& e) {
        if (e.CanVeto()) e.Veto();
        DispatchMainWindowEvent(MainEvent::Close);
    });
    auto dropped = [](wxDropFilesEvent& e) {
        std::string text;
        for (int i = 0; i < e.GetNumberOfFiles(); ++i)
            text += e.GetFiles()[i].utf8_string() + "\n";
        DispatchMainWindowEvent(MainEvent::DropFiles, -1, {}, text);
    };
    frame->Bind(wxEVT_DROP_FILES, dropped);
    gMain.input->Bind(wxEVT_DROP_FILES, dropped);
    gMain.outFolders->Bind(wxEVT_COMBOBOX, [](wxCommandEvent& e) {
        e.Skip();
        DispatchMainWindowEvent(MainEvent::Control, -1, Control::OutFolderList);
    });
    gMain.outFormats->Bind(wxEVT_COMBOBOX, [](wxCommandEvent& e) {
        e.Skip();
        DispatchMainWindowEvent(MainEvent::Control, -1, Control::OutFormatList);
    });
    gMain.convertButton->Bind(wxEVT_BUTTON, [](wxCommandEvent&) {
        DispatchMainWindowEvent(MainEvent::Control, -1, Control::ConvertButton);
    });
}

void ShowMainWindow() {
    BuildFormatTables();
    gMain.frame->Bind(wxEVT_SIZE, [](wxSizeEvent& e) {
        e.Skip();
        KeepWindowBounds();
        LayoutMainWindow();
    });
    if (gSettings.isMaximized == 1) gMain.frame->Maximize(true);
    if (gSettings.recentOutFolders.empty())
        gMain.outFolders->Append("", SlotBitmap(SlotSet::MenuIcons, "FavFolder", 16));
    FillOutputFormatList(gMain.outFormats, true);
    NewJob();
    gMain.frame->Show(true);
    LayoutMainWindow();
    if (gJob.mode != "T") PeriodicUpdateCheck();
}

void LayoutMainWindow() {
    if (!gMain.frame) return;
    const wxSize inner = gMain.frame->GetClientSize();
    const int W = inner.x, H = inner.y;
    if (gMain.toolbar) gMain.toolbar->SetSize(0, 0, W, gMain.toolbarHeight);
    // The inner area holds neither the menu bar nor the window frame. The panel ends
    // where the notice line begins at the latest.
    const int noticeTop = H - kNoticeFromBottom;
    gMain.panel->SetSize(0, gMain.toolbarHeight, W,
                         std::max(0, std::min(H - gMain.toolbarHeight - gMain.statusHeight - 40,
                                              noticeTop - gMain.toolbarHeight)));
    for (wxWindow* field :
         {static_cast<wxWindow*>(gMain.input), static_cast<wxWindow*>(gMain.outFolders),
          static_cast<wxWindow*>(gMain.outFormats)}) {
        const wxRect r = field->GetRect();
        field->SetSize(r.x, r.y, std::max(0, W - 160), r.height);
    }
    for (int i = 0; i < 3; ++i)
        gMain.fieldButtons[i]->SetSize(W - 146, kFieldButtonY[i], kFieldButtonSide,
                                       kFieldButtonSide);
    const wxRect convert = gMain.convertButton->GetRect();
    gMain.convertButton->SetSize(W - 110, convert.y, kConvertSide, kConvertSide);
    gMain.notice->SetPosition(wxPoint(10, noticeTop));
    gMain.status->SetSize(0, H - gMain.statusHeight, W, gMain.statusHeight);
    gMain.frame->Refresh();
}

void NewJob() {
    FillOutFolderList();
    ResetJob();
    gMain.input->ChangeValue("");
    gMain.outFolders->SetSelection(wxNOT_FOUND);
    SetStatusText(GetText("General", "Ready"));
    gMain.input->SetFocus();
}

void SetStatusText(const std::string& text) {
    if (gMain.status) gMain.status->SetStatusText(Wx(text));
}

void ApplyPreferencesToMainWindow(int preferencesFormat) {
    if (gJob.restartRequest == 2) {
        LoadTheme(false, false, true);
        BuildToolbar();
        ApplyWindowBounds();
        LayoutMainWindow();
        gJob.restartRequest = 0;
    } else if (gJob.restartRequest == 1) {
        LoadTheme(true, true, true);
        BuildMenu();
        BuildToolbar();
        BuildFieldButtons();
        gMain.convertButton->SetBitmap(ConvertBitmap());
        SetListIcons(gMain.outFolders, "FavFolder");
        SetListIcons(gMain.outFormats, "New");
        ApplyWindowBounds();
        LayoutMainWindow();
        gJob.restartRequest = 0;
    }
    if (preferencesFormat >= 0 &&
        preferencesFormat < static_cast<int>(gMain.outFormats->GetCount()))
        gMain.outFormats->SetSelection(preferencesFormat);
    if (static_cast<int>(gMain.outFolders->GetCount()) != gSettings.outFoldersNumber)
        FillOutFolderList();
}

void CaptureWindowGeometry() {
    if (!gMain.frame) return;
    if (gMain.frame->IsMaximized()) {
        gSettings.isMaximized = 1;
        return;
    }
    if (gMain.frame->IsIconized()) return;
    gSettings.isMaximized = 0;
    const wxSize inner = gMain.frame->GetClientSize();
    const wxPoint position = gMain.frame->GetPosition();
    gSettings.width = inner.x;
    gSettings.height = inner.y;
    gSettings.x = position.x;
    gSettings.y = position.y;
}

void DestroyMainWindow() {
    if (gMain.frame) gMain.frame->Destroy();
    gMain = MainWindow{};
}

std::string InputFieldText() {
    return gMain.input ? gMain.input->GetValue().utf8_string() : "";
}

std::string OutFolderListText() {
    return gMain.outFolders ? gMain.outFolders->GetValue().utf8_string() : "";
}
