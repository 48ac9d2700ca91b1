#include "preferences_helpers.h"

#include "settings/settings.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/window_mode.h"

#include <wx/spinctrl.h>
#include <wx/uiaction.h>
#include <wx/wx.h>

#include <filesystem>

wxDialog* Prefs() {
    return PreferencesDialog();
}

wxWindow* ControlOf(FieldId field, const char* suffix) {
    if (!Prefs()) return nullptr;
    return Prefs()->FindWindow(wxString(Option(field).fieldName) + suffix);
}

void SelectPage(int page) {
    auto* list = dynamic_cast<wxListBox*>(Prefs()->FindWindow("pageList"));
    list->SetSelection(page);
    wxCommandEvent e(wxEVT_LISTBOX, list->GetId());
    e.SetEventObject(list);
    e.SetInt(page);
    list->GetEventHandler()->ProcessEvent(e);
}

void PreferencesSession::SetUp() {}

void PreferencesSession::TearDown() {
    if (Prefs()) PreferencesEvent(PreferencesEventKind::Cancel);
    if (Main().frame) FinishWindowMode();
}

void PreferencesSession::Start() {
    StartWindowMode();
    ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
}

void PreferencesSession::Open(int command) {
    RunCommand(command);
    ASSERT_NE(Prefs(), nullptr);
    ASSERT_TRUE(RunUntil([] { return Prefs() && Prefs()->IsShownOnScreen(); }));
}

void PreferencesSession::PressOk() {
    PreferencesEvent(PreferencesEventKind::Ok);
    ASSERT_EQ(Prefs(), nullptr);
}

void PreferencesSession::PressCancel() {
    PreferencesEvent(PreferencesEventKind::Cancel);
    ASSERT_EQ(Prefs(), nullptr);
}

void PreferencesSession::WriteConfig(const std::string& text) {
    std::filesystem::create_directories(folders.config.File("Vextara/brelvix"));
    ASSERT_TRUE(WriteFile(folders.ConfigPath(), text));
}

bool WaitForFocus(wxWindow* window) {
    return RunUntil([window] {
        for (wxWindow* w = wxWindow::FindFocus(); w; w = w->GetParent())
            if (w == window) return true;
        return false;
    });
}

bool FocusAndWait(wxWindow* window) {
    wxTopLevelWindow* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(window));
    if (top) top->Raise();
    wxUIActionSimulator sim;
    // The pointer rests on the dialog, so that its keys go there.
    sim.MouseMove(window->GetScreenPosition() + wxPoint(2, 2));
    window->SetFocus();
    return WaitForFocus(window);
}

namespace {

std::string TextOf(wxWindow* window) {
    if (auto* spin = dynamic_cast<wxSpinCtrlBase*>(window))
        return spin->GetTextValue().utf8_string();
    if (auto* text = dynamic_cast<wxTextCtrl*>(window)) return text->GetValue().utf8_string();
    return "";
}

} // namespace

void TypeOver(wxWindow* window, const std::string& text) {
    ASSERT_TRUE(FocusAndWait(window));
    wxUIActionSimulator sim;
    // Everything in the field is selected, then replaced by the typing.
    sim.Char('a', wxMOD_CONTROL);
    sim.Text(text.c_str());
    ASSERT_TRUE(RunUntil([&] { return TextOf(window) == text; }, 5000))
        << "typed " << text << ", the field shows " << TextOf(window);
}

void PressKeyIn(wxWindow* window, int key, int modifiers) {
    ASSERT_TRUE(FocusAndWait(window));
    wxUIActionSimulator sim;
    sim.Char(key, modifiers);
}

void ClickAt(wxWindow* window, int x, int y) {
    wxUIActionSimulator sim;
    sim.MouseMove(window->GetScreenPosition() + wxPoint(x, y));
    sim.MouseClick();
}
