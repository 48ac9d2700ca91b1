#include "preferences_helpers.h"

#include "settings/settings.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/window_mode.h"

#include <wx/bmpbuttn.h>
#include <wx/bmpcbox.h>
#include <wx/spinctrl.h>
#include <wx/uiaction.h>
#include <wx/wx.h>

#include "platform/platform.h"
#include "zip_writer.h"

#include <wx/mstream.h>

#include <dlfcn.h>

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

namespace {

PrefsDialogs* gAnswers = nullptr;

std::string SolidPng(int side, unsigned char r, unsigned char g, unsigned char b) {
    wxImage image(side, side);
    image.SetRGB(wxRect(0, 0, side, side), r, g, b);
    wxMemoryOutputStream out;
    image.SaveFile(out, wxBITMAP_TYPE_PNG);
    std::string bytes(out.GetSize(), '\0');
    out.CopyTo(bytes.data(), bytes.size());
    return bytes;
}

} // namespace

ThemeProgramFolder::ThemeProgramFolder() {
    std::filesystem::create_directory(program.File("gfx"));
    std::filesystem::copy_file(FolderPart(BrelvixPath()) + "gfx/handdrawn.zip",
                               program.File("gfx/handdrawn.zip"));
    WriteZip(program.File("gfx/zzother.zip"),
             {{"theme.cfg", "[Theme]\r\nName=Other\r\n[Buttons]\r\nConvert=convert.png\r\n"
                            "[Icons]\r\nNew=new\r\n"},
              {"convert.png", SolidPng(80, 255, 0, 0)},
              {"new_16.png", SolidPng(16, 0, 0, 255)},
              {"new_24.png", SolidPng(24, 0, 255, 0)},
              {"new_32.png", SolidPng(32, 0, 255, 0)}});
}

PrefsDialogs::PrefsDialogs() {
    gAnswers = this;
    DialogSeam seam;
    seam.message = [this](MessageKind kind, const std::string& title, const std::string& text) {
        messages.push_back({static_cast<int>(kind), title, text});
        return kind == MessageKind::Question ? answerYes : true;
    };
    seam.openFile = [this](const std::string& title, const std::string& start,
                           const std::string& filter) {
        fileTitles.push_back(title);
        fileStarts.push_back(start);
        fileFilters.push_back(filter);
        return fileAnswer;
    };
    seam.folder = [](const std::string&, const std::string&) { return std::string(); };
    seam.colour = [this](std::string& colour) {
        colourStarts.push_back(colour);
        if (colourAnswer.empty()) return false;
        colour = colourAnswer;
        return true;
    };
    seam.font = [this](FontChoice& font) {
        fontStarts.push_back(font);
        if (!fontAnswer) return false;
        font = *fontAnswer;
        return true;
    };
    SetDialogSeam(seam);
}

PrefsDialogs::~PrefsDialogs() {
    gAnswers = nullptr;
    SetDialogSeam({});
}

void Press(const std::string& controlName) {
    wxWindow* window = Prefs()->FindWindow(wxString::FromUTF8(controlName));
    ASSERT_NE(window, nullptr) << controlName;
    wxCommandEvent click(wxEVT_BUTTON, window->GetId());
    click.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(click);
}

void PutIn(const std::string& controlName, const std::string& input) {
    wxWindow* window = Prefs()->FindWindow(wxString::FromUTF8(controlName));
    ASSERT_NE(window, nullptr) << controlName;
    const wxString text = wxString::FromUTF8(input);
    if (auto* list = dynamic_cast<wxBitmapComboBox*>(window)) {
        const int entry = list->FindString(text, true);
        ASSERT_NE(entry, wxNOT_FOUND) << controlName << ": no entry " << input;
        list->SetSelection(entry);
    } else if (auto* choice = dynamic_cast<wxChoice*>(window)) {
        const int entry = choice->FindString(text, true);
        ASSERT_NE(entry, wxNOT_FOUND) << controlName << ": no entry " << input;
        choice->SetSelection(entry);
    } else if (auto* check = dynamic_cast<wxCheckBox*>(window)) {
        check->SetValue(input == "on");
    } else if (auto* spin = dynamic_cast<wxSpinCtrlGTKBase*>(window)) {
        spin->SetValue(text);
    } else if (dynamic_cast<wxBitmapButton*>(window)) {
        ASSERT_NE(gAnswers, nullptr);
        const std::string kept = gAnswers->colourAnswer;
        gAnswers->colourAnswer = input;
        Press(controlName);
        gAnswers->colourAnswer = kept;
    } else if (auto* field = dynamic_cast<wxTextCtrl*>(window)) {
        field->ChangeValue(text);
    } else {
        FAIL() << controlName << " is no control that takes a value";
    }
}

void Choose(const std::string& controlName, const std::string& input) {
    PutIn(controlName, input);
    wxWindow* window = Prefs()->FindWindow(wxString::FromUTF8(controlName));
    wxEventType type = wxEVT_NULL;
    int value = 0;
    if (auto* list = dynamic_cast<wxBitmapComboBox*>(window)) {
        type = wxEVT_COMBOBOX;
        value = list->GetSelection();
    } else if (auto* choice = dynamic_cast<wxChoice*>(window)) {
        type = wxEVT_CHOICE;
        value = choice->GetSelection();
    } else if (auto* check = dynamic_cast<wxCheckBox*>(window)) {
        type = wxEVT_CHECKBOX;
        value = check->IsChecked() ? 1 : 0;
    }
    ASSERT_NE(type, wxEVT_NULL) << controlName << " sends no list or check box event";
    wxCommandEvent e(type, window->GetId());
    e.SetEventObject(window);
    e.SetInt(value);
    window->GetEventHandler()->ProcessEvent(e);
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

namespace {

// The two functions of the toolkit's underlying library that tell where the focus is.
struct FocusFunctions {
    void* (*windowGetFocus)(void*) = nullptr;
    int (*isAncestor)(void*, void*) = nullptr;
};

const FocusFunctions& Focus() {
    static const FocusFunctions functions = [] {
        FocusFunctions f;
        if (void* gtk = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_NOLOAD)) {
            f.windowGetFocus =
                reinterpret_cast<decltype(f.windowGetFocus)>(dlsym(gtk, "gtk_window_get_focus"));
            f.isAncestor =
                reinterpret_cast<decltype(f.isAncestor)>(dlsym(gtk, "gtk_widget_is_ancestor"));
            dlclose(gtk);
        }
        return f;
    }();
    return functions;
}

// The deepest window below root whose widget is, or holds, the focused widget.
wxWindow* Holder(wxWindow* root, void* focused) {
    for (wxWindow* child : root->GetChildren())
        if (wxWindow* found = Holder(child, focused)) return found;
    void* widget = root->GetHandle();
    if (widget && (widget == focused || Focus().isAncestor(focused, widget))) return root;
    return nullptr;
}

} // namespace

wxWindow* FocusedWindow() {
    wxDialog* dialog = Prefs();
    if (!dialog || !Focus().windowGetFocus || !Focus().isAncestor) return wxWindow::FindFocus();
    void* focused = Focus().windowGetFocus(dialog->GetHandle());
    if (!focused) return nullptr;
    wxWindow* holder = Holder(dialog, focused);
    return holder == dialog ? nullptr : holder;
}

bool WaitForFocus(wxWindow* window) {
    return RunUntil([window] {
        for (wxWindow* w = FocusedWindow(); w; w = w->GetParent())
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

void TypeOver(wxWindow* window, const std::string& text, const std::optional<std::string>& shown) {
    ASSERT_TRUE(FocusAndWait(window));
    wxUIActionSimulator sim;
    // Everything in the field is selected, then replaced by the typing.
    sim.Char('a', wxMOD_CONTROL);
    sim.Text(text.c_str());
    const std::string expected = shown.value_or(text);
    ASSERT_TRUE(RunUntil([&] { return TextOf(window) == expected; }, 5000))
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
