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
#include <wx/wx.h>

namespace {

MainWindow gMain;

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

constexpr int kSeparator = -1;

// The menus: title key and the commands in order (kSeparator between groups).
struct MenuLayout {
    const char* title;
    int items[8];
    int count;
};
constexpr MenuLayout kMenus[] = {
    {"File",
     {kCmdNew, kSeparator, kCmdSelectInputFile, kCmdSelectOutputFolder, kSeparator, kCmdExit},
     6},
    {"Converter", {kCmdConvert, kSeparator, kCmdCustomConverter, kSeparator, kCmdPreferences}, 5},
    {"Help",
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
            auto* item = new wxMenuItem(menu, CommandWindowId(command),
                                        Wx(MenuText(row->key) + row->shortcut));
            item->SetBitmap(SlotBitmap(SlotSet::MenuIcons, row->icon, 16));
            menu->Append(item);
        }
        bar->Append(menu, Wx(MenuText(layout.title)));
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

void SetListIcons(wxBitmapComboBox* list, const char* icon) {
    const wxBitmap bitmap = SlotBitmap(SlotSet::MenuIcons, icon, 16);
    for (unsigned i = 0; i < list->GetCount(); ++i)
        list->SetItemBitmap(i, bitmap);
}

} // namespace

MainWindow& Main() {
    return gMain;
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
    frame->SetClientSize(width, 260);
    frame->SetMinClientSize(wxSize(510, 260));
    frame->SetMaxClientSize(wxSize(-1, 260));

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
    frame->Bind(wxEVT_DROP_FILES, [](wxDropFilesEvent& e) {
        std::string text;
        for (int i = 0; i < e.GetNumberOfFiles(); ++i)
            text += e.GetFiles()[i].utf8_string() + "\n";
        DispatchMainWindowEvent(MainEvent::DropFiles, -1, {}, text);
    });
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
    gMain.panel->SetSize(
        0, gMain.toolbarHeight, W,
        std::max(0, H - gMain.menuHeight - gMain.toolbarHeight - gMain.statusHeight - 40));
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
    gMain.notice->SetPosition(wxPoint(10, H - 70));
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
