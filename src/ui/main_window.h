// The main window: menu, toolbar, status bar and the form that names the input file,
// the output folder and the output format.
#pragma once

#include <string>

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

// The field text of the input field and the shown text of the output folder list.
std::string InputFieldText();
std::string OutFolderListText();
