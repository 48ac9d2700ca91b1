// The Preferences dialog: a page list, a header with the page's title, one of nine
// pages of controls at a time, and Defaults, OK and Cancel. OpenPreferences (declared
// with the other commands' windows in ui/later_parts.h) opens it.
#pragma once

class wxDialog;

// Shows page 0 to 8 and its title; other indices change nothing.
void ShowPreferencesPage(int page);

// The events of the dialog that are not those of a page's controls.
enum class PreferencesEventKind { CloseBox, PageList, Cancel, Ok, Defaults };
void PreferencesEvent(PreferencesEventKind kind);

// The question before Reset to Defaults; true for Yes.
bool ConfirmResetToDefaults();

// The open dialog, or nullptr.
wxDialog* PreferencesDialog();
