#include "ui/window_mode.h"

#include "app/identity.h"
#include "app/image_slots.h"
#include "engine/batch_job.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "text/text_table.h"
#include "themes/themes.h"
#include "ui/convert_window.h"
#include "ui/later_parts.h"
#include "ui/main_window.h"
#include "ui/selection.h"
#include "ui/uri_text.h"

#include <wx/bmpcbox.h>
#include <wx/evtloop.h>
#include <wx/wx.h>

namespace {

bool gQuit = false;
wxEventLoopBase* gMainLoop = nullptr;

void OpenOutputFormatOptions() {
    gJob.preferencesStartPage = 3;
    OpenPreferences();
}

void OpenManual() {
    OpenExternal(HelpDocument());
}

void SendFeedback() {
    OpenExternal("mailto:" + SupportEmail() +
                 "?subject=" + PercentEncode(ProductTitle() + " Feedback"));
}

void VisitHomepage() {
    OpenExternal(WebSiteAddress() + "brelvix/");
}

void DoNothing() {}

void SelectInput() {
    SelectInputFile();
}

// The command table: every command of the menu, the toolbar, the field buttons and the
// keyboard shortcuts.
const CommandRow kCommands[] = {
    {kCmdNew, "New", "New", "\tCtrl+N", 'N', wxACCEL_CTRL, 'N', NewJob},
    {kCmdExit, "Exit", "Exit", "\tAlt+X", 'x', wxACCEL_ALT, 'X', RequestQuit},
    {kCmdSelectInputFile, "Select Input File", "Add", "", 'A', 0, 0, SelectInput},
    {kCmdSelectOutputFolder, "Select Output Folder", "OutFolder", "", 'O', 0, 0,
     SelectOutputFolder},
    {kCmdOutputFormatOptions, "Output Format Options", "OutFormat", "", 0, 0, 0,
     OpenOutputFormatOptions},
    {kCmdConvert, "Convert", "Convert", "\tF5", 'C', wxACCEL_NORMAL, WXK_F5, StartConversion},
    {kCmdCustomConverter, "Custom Converter", "CustomConverter", "", 'F', 0, 0,
     ShowConverterSearch},
    {kCmdPreferences, "Preferences", "Preferences", "", 'P', 0, 0, OpenPreferences},
    {kCmdManual, "Manual", "Help", "\tF1", 'M', wxACCEL_NORMAL, WXK_F1, OpenManual},
    {kCmdNothing, "", "", "", 0, wxACCEL_NORMAL, WXK_F10, DoNothing},
    {kCmdSendFeedback, "Send Feedback", "Email", "", 'S', 0, 0, SendFeedback},
    {kCmdVisitHomepage, "Visit Homepage", "Web", "", 'V', 0, 0, VisitHomepage},
    {kCmdCheckForNewVersion, "Check For New Version", "Updates", "", 'C', 0, 0, CheckForUpdates},
    {kCmdAbout, "About", "About", "", 'A', 0, 0, ShowAbout},
};

// Toolkit identifiers of the commands lie above the toolkit's own range.
constexpr int kCommandIdBase = wxID_HIGHEST + 100;

} // namespace

std::span<const CommandRow> CommandTable() {
    return kCommands;
}

const CommandRow* FindCommand(int command) {
    for (const CommandRow& row : kCommands)
        if (row.command == command) return &row;
    return nullptr;
}

int CommandWindowId(int command) {
    return kCommandIdBase + command;
}

int CommandFromWindowId(int id) {
    const int command = id - kCommandIdBase;
    return FindCommand(command) ? command : -1;
}

void RunCommand(int command) {
    if (const CommandRow* row = FindCommand(command)) row->action();
}

void DispatchMainWindowEvent(MainEvent kind, int command, Control control,
                             const std::string& dropText) {
    switch (kind) {
    case MainEvent::Close:
        RequestQuit();
        break;
    case MainEvent::DropFiles:
        AddDroppedFiles(dropText);
        break;
    case MainEvent::Command:
        RunCommand(command);
        break;
    case MainEvent::Control:
        switch (control) {
        case Control::OutFolderList:
            gJob.outputFolder = OutFolderListText();
            break;
        case Control::OutFormatList: {
            wxBitmapComboBox* list = Main().outFormats;
            const int selected = list->GetSelection();
            const auto formats = ActiveOutputFormats();
            if (selected == wxNOT_FOUND) break;
            const auto index = reinterpret_cast<uintptr_t>(list->GetClientData(selected));
            if (index < formats.size()) gSettings.outputFormat = formats[index];
            break;
        }
        case Control::ConvertButton:
            RunCommand(kCmdConvert);
            break;
        }
        break;
    }
}

bool QuitRequested() {
    return gQuit;
}

void RequestQuit() {
    gQuit = true;
    if (gMainLoop) gMainLoop->ScheduleExit();
}

void StartWindowMode() {
    gQuit = false;
    const wxSize desktop = wxGetDisplaySize();
    SetDesktopSize(desktop.x, desktop.y);
    gSettings.settingsPath = UserSettingsFolder("Vextara", "brelvix") + "config.ini";
    LoadSettings();
    KeepRecentOutFoldersInOneForm();
    BuildTextTable();
    LoadBuiltinImages(IconPixelSize(gSettings.uiSize));
    if (gJob.programFolder.empty()) gJob.programFolder = ProgramFolder();
    ListThemes();
    LoadTheme(true, true, true);
    InstallInputFileHook();
    BuildMainWindow();
    ShowMainWindow();
}

void RunMainLoop() {
    if (gQuit) return;
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    gMainLoop = &loop;
    loop.Run();
    gMainLoop = nullptr;
}

void FinishWindowMode() {
    CaptureWindowGeometry();
    if (gSettings.outFoldersHistory == 0) gSettings.recentOutFolders.clear();
    KeepRecentOutFoldersInOneForm();
    SaveSettings();
    SetInputFileHook(nullptr);
    DestroyMainWindow();
}

bool StartToolkit(int, char** argv) {
    // The toolkit sees only the program name: the arguments are the program's own.
    static char name[64] = "brelvix";
    static char* toolkitArgv[] = {name, nullptr};
    int toolkitArgc = 1;
    (void)argv;
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(toolkitArgc, toolkitArgv)) return false;
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return false;
    }
    wxInitAllImageHandlers();
    return true;
}

void EndToolkit() {
    if (wxTheApp) wxTheApp->OnExit();
    wxEntryCleanup();
}
