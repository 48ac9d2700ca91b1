// The main window: menu, toolbar, status bar and the form that names the input file,
// the output folder and the output format.
#pragma once

#include <string>
#include <vector>

#include <wx/gdicmn.h>

class wxBitmapButton;
class wxBitmapComboBox;
class wxFrame;
class wxPanel;
class wxStaticText;
class wxStatusBar;
class wxTextCtrl;
class wxToolBar;

// The windows of the main window while it exists.
struct MainWindow {
    wxFrame* frame = nullptr;
    wxToolBar* toolbar = nullptr;
    wxStatusBar* status = nullptr;
    wxPanel* panel = nullptr;
    wxStaticText* inputLabel = nullptr;
    wxStaticText* outFolderLabel = nullptr;
    wxStaticText* outFormatLabel = nullptr;
    wxTextCtrl* input = nullptr;
    wxBitmapComboBox* outFolders = nullptr;
    wxBitmapComboBox* outFormats = nullptr;
    wxBitmapButton* fieldButtons[3] = {nullptr, nullptr, nullptr}; // commands 5, 7, 8
    wxBitmapButton* convertButton = nullptr;
    wxStaticText* notice = nullptr;
    int menuHeight = 0;
    int toolbarHeight = 0;
    int statusHeight = 0;
    wxSize decoration;    // outer size minus inner size when the bounds were last given
    wxSize requiredInner; // the bounds: minimum inner width, the one inner height
};

MainWindow& Main();

// Builds the window, hidden, with its menu, toolbar, status bar, controls and shortcuts.
void BuildMainWindow();
// Completes start-up and shows the window.
void ShowMainWindow();
// Places the controls for the current inner size.
void LayoutMainWindow();
// The New command.
void NewJob();
void SetStatusText(const std::string& text);
// Applies the Preferences dialog's changes; preferencesFormat is the index selected in
// that dialog's output format list (-1 leaves the main window's list alone).
void ApplyPreferencesToMainWindow(int preferencesFormat = -1);
// Copies the window geometry into the settings.
void CaptureWindowGeometry();
// Closes and forgets the main window.
void DestroyMainWindow();

// A menu caption with its mnemonic: "&" before the first occurrence of the letter
// (either case); "&" of the text itself is kept as text. Without the letter, or with
// letter 0, the caption has no mnemonic.
std::string MnemonicCaption(const std::string& text, char letter);
// Where a window whose outer rectangle starts at wanted is placed so that the top of
// it (its title bar) lies on a visible part of the desktop, given the work areas of
// the displays: unchanged when it does, else moved into the nearest work area.
wxPoint VisibleWindowPosition(wxPoint wanted, wxSize outer, const std::vector<wxRect>& areas);

// The field text of the input field and the shown text of the output folder list.
std::string InputFieldText();
std::string OutFolderListText();
