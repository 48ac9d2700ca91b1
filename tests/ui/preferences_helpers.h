// Helpers of the Preferences dialog tests: a window-mode session with the dialog open,
// the controls of a setting found by name, and real input events.
#pragma once

#include "settings/option_table.h"
#include "ui/dialogs.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

class wxDialog;
class wxWindow;

// The open Preferences dialog, or nullptr.
wxDialog* Prefs();

// The control of a setting: its name is the setting's field name, with a suffix for the
// second control of a row (".spin", ".unit", ".more", ".button", ".label").
wxWindow* ControlOf(FieldId field, const char* suffix = "");
template <class T> T* Ctrl(FieldId field, const char* suffix = "") {
    return dynamic_cast<T*>(ControlOf(field, suffix));
}

// Shows a page as a click on its page list entry does.
void SelectPage(int page);

// Answers the message boxes and the colour, font and file dialogs, and records what
// they were asked.
struct PrefsDialogs {
    PrefsDialogs();
    ~PrefsDialogs();
    std::vector<SeenMessage> messages;
    bool answerYes = true;
    std::vector<std::string> colourStarts; // the colour each colour dialog opened with
    std::string colourAnswer;              // the chosen colour; "" cancels
    std::vector<FontChoice> fontStarts;
    std::optional<FontChoice> fontAnswer; // none cancels
    std::vector<std::string> fileTitles, fileStarts, fileFilters;
    std::string fileAnswer; // "" cancels
};

// Puts a value into a control of the open dialog as a user would choose it: a list
// entry by its text, "on" or "off" for a check box, the text of a field or spin field,
// or the colour that a swatch button's colour dialog returns.
void PutIn(const std::string& controlName, const std::string& input);
// The same, followed by the control's event, as when the user makes the change (lists
// and check boxes run their dependent-control rules).
void Choose(const std::string& controlName, const std::string& input);
// Presses a button of the dialog.
void Press(const std::string& controlName);

// A program folder whose gfx folder holds the default theme and a second theme,
// "zzother" (display name "Other"), whose Convert picture is red and whose "New" icons
// are blue at 16 pixels and green at 24 and 32.
struct ThemeProgramFolder {
    ThemeProgramFolder();
    TempFolder program;
};

// A window-mode session; Open() opens the dialog with the Preferences command.
class PreferencesSession : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Starts window mode (with the settings file written before, if any).
    void Start();
    void Open(int command = 17);
    void PressOk();
    void PressCancel();
    std::string Config() const { return ReadFile(folders.ConfigPath()); }
    void WriteConfig(const std::string& text);
    SessionFolders folders;
    PrefsDialogs dialogs;
};

// Real input: the keyboard focus moved to a window (waited for with a bound), text
// typed over its whole content, keys and clicks.
bool FocusAndWait(wxWindow* window);
// shown is what the field holds after the typing (the text itself when not given).
void TypeOver(wxWindow* window, const std::string& text,
              const std::optional<std::string>& shown = std::nullopt);
void PressKeyIn(wxWindow* window, int key, int modifiers = 0);
void ClickAt(wxWindow* window, int x, int y);
// The window of the dialog that holds the keyboard focus, asked of the toolkit's own
// widgets (the focus inside a drop-down list is on a part the toolkit's window object
// does not see); nullptr for none.
wxWindow* FocusedWindow();
// Runs the event loop until the keyboard focus is in window (or the bound passes).
bool WaitForFocus(wxWindow* window);
