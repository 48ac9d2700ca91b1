// Helpers of the Preferences dialog tests: a window-mode session with the dialog open,
// the controls of a setting found by name, and real input events.
#pragma once

#include "settings/option_table.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <string>

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
    DialogRecorder dialogs;
};

// Real input: the keyboard focus moved to a window (waited for with a bound), text
// typed over its whole content, keys and clicks.
bool FocusAndWait(wxWindow* window);
void TypeOver(wxWindow* window, const std::string& text);
void PressKeyIn(wxWindow* window, int key, int modifiers = 0);
void ClickAt(wxWindow* window, int x, int y);
// Runs the event loop until the keyboard focus is in window (or the bound passes).
bool WaitForFocus(wxWindow* window);
