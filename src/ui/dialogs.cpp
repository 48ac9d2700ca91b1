#include "ui/dialogs.h"

#include "platform/platform.h"

#include <wx/colordlg.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/fontdlg.h>
#include <wx/msgdlg.h>
#include <wx/wx.h>

#include <cstdio>

namespace {

DialogSeam gSeam;

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

// The texts of the table use CR LF line ends; the toolkit wants LF alone.
wxString DisplayText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return Wx(out);
}

wxWindow* Parent(wxWindow* parent) {
    return parent ? parent : wxGetActiveWindow();
}

} // namespace

void SetDialogSeam(DialogSeam seam) {
    gSeam = std::move(seam);
}

bool ShowMessage(MessageKind kind, const std::string& title, const std::string& text,
                 wxWindow* parent) {
    if (gSeam.message) return gSeam.message(kind, title, text);
    long style = wxOK | wxCENTRE;
    switch (kind) {
    case MessageKind::Warning:
        style |= wxICON_WARNING;
        break;
    case MessageKind::Error:
        style |= wxICON_ERROR;
        break;
    case MessageKind::Information:
        style |= wxICON_INFORMATION;
        break;
    case MessageKind::Question:
        style = wxYES_NO | wxCENTRE | wxICON_WARNING;
        break;
    }
    wxMessageDialog dialog(Parent(parent), DisplayText(text), Wx(title), style);
    const int answer = dialog.ShowModal();
    return answer == wxID_OK || answer == wxID_YES;
}

std::string ChooseOpenFile(const std::string& title, const std::string& start,
                           const std::string& filter, wxWindow* parent) {
    if (gSeam.openFile) return gSeam.openFile(title, start, filter);
    wxFileDialog dialog(Parent(parent), Wx(title), Wx(FolderPart(start)), Wx(FilePart(start)),
                        Wx(filter), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    dialog.SetFilterIndex(0);
    if (dialog.ShowModal() != wxID_OK) return "";
    return dialog.GetPath().utf8_string();
}

std::string ChooseFolder(const std::string& title, const std::string& start, wxWindow* parent) {
    if (gSeam.folder) return gSeam.folder(title, start);
    wxDirDialog dialog(Parent(parent), Wx(title), Wx(start), wxDD_DEFAULT_STYLE);
    if (dialog.ShowModal() != wxID_OK) return "";
    return dialog.GetPath().utf8_string();
}

bool ChooseColour(std::string& colour, wxWindow* parent) {
    if (gSeam.colour) return gSeam.colour(colour);
    wxColourData data;
    unsigned r = 0, g = 0, b = 0;
    if (colour.size() == 6 && std::sscanf(colour.c_str(), "%2x%2x%2x", &r, &g, &b) == 3)
        data.SetColour(wxColour(static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                                static_cast<unsigned char>(b)));
    wxColourDialog dialog(Parent(parent), &data);
    if (dialog.ShowModal() != wxID_OK) return false;
    const wxColour chosen = dialog.GetColourData().GetColour();
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", chosen.Red(), chosen.Green(), chosen.Blue());
    colour = buf;
    return true;
}

bool ChooseFont(FontChoice& font, wxWindow* parent) {
    if (gSeam.font) return gSeam.font(font);
    wxFontInfo info(font.points);
    info.FaceName(Wx(font.family))
        .Bold(font.bold)
        .Italic(font.italic)
        .Underlined(font.underline)
        .Strikethrough(font.strikeOut);
    wxFontData data;
    data.SetInitialFont(wxFont(info));
    wxFontDialog dialog(Parent(parent), data);
    if (dialog.ShowModal() != wxID_OK) return false;
    const wxFont chosen = dialog.GetFontData().GetChosenFont();
    font.family = chosen.GetFaceName().utf8_string();
    font.points = chosen.GetPointSize();
    font.bold = chosen.GetWeight() == wxFONTWEIGHT_BOLD;
    font.italic = chosen.GetStyle() != wxFONTSTYLE_NORMAL;
    font.underline = chosen.GetUnderlined();
    font.strikeOut = chosen.GetStrikethrough();
    return true;
}
