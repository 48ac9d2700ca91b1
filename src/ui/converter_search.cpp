// The converter search: two extensions, and the maker's search page for a converter
// from one to the other.
#include "app/identity.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/about.h"
#include "ui/compact_style.h"
#include "ui/dialogs.h"
#include "ui/later_parts.h"
#include "ui/main_window.h"

#include <wx/wx.h>

namespace {

wxDialog* gSearch = nullptr;
wxTextCtrl* gFrom = nullptr;
wxTextCtrl* gTo = nullptr;

constexpr size_t kExtensionCut = 12; // characters kept of each field before filtering

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

// Length in bytes of the UTF-8 character at the start of text (1 for a stray byte).
size_t CharLength(std::string_view text) {
    const unsigned char c = static_cast<unsigned char>(text[0]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (length > text.size()) return 1;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) >> 6) != 2) return 1;
    return length;
}

void CloseSearch() {
    if (!gSearch) return;
    wxDialog* box = gSearch;
    gSearch = nullptr;
    gFrom = gTo = nullptr;
    box->Hide();
    if (wxFrame* frame = Main().frame) {
        frame->Enable();
        frame->Raise();
        frame->SetFocus();
    }
    box->Destroy();
}

void Search() {
    if (!gSearch) return;
    const std::string from = SearchExtension(gFrom->GetValue().utf8_string());
    const std::string to = SearchExtension(gTo->GetValue().utf8_string());
    if (from.empty() || to.empty()) {
        ShowMessage(MessageKind::Warning, GetText("Msg", "Warning"),
                    GetText("Msg", "Empty extensions"), gSearch);
        return;
    }
    gJob.searchSource = from;
    gJob.searchTarget = to;
    gSearch->Hide();
    OpenExternal(ConverterSearchUrl(from, to));
    CloseSearch();
}

} // namespace

std::string SearchExtension(const std::string& typed) {
    std::string_view rest(typed);
    size_t cut = 0;
    for (size_t count = 0; cut < rest.size() && count < kExtensionCut; ++count)
        cut += CharLength(rest.substr(cut));
    const std::string lower = ToLowerText(rest.substr(0, cut));
    std::string out;
    for (char c : lower)
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out += c;
    return out;
}

std::string ConverterSearchUrl(const std::string& from, const std::string& to) {
    return WebSiteAddress() + "find/" + from + "-" + to + "/";
}

wxDialog* ConverterSearchBox() {
    return gSearch;
}

void ConverterSearchEvent(SearchAction action) {
    switch (action) {
    case SearchAction::Search:
        Search();
        break;
    case SearchAction::Close:
        CloseSearch();
        break;
    }
}

void ShowConverterSearch() {
    if (gSearch) {
        gSearch->Raise();
        return;
    }
    wxFrame* owner = Main().frame;
    auto* box =
        new wxDialog(owner, wxID_ANY, Wx(GetText("Custom-Converter", "Title")), wxDefaultPosition,
                     wxDefaultSize, wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU);
    box->SetName("converterSearch");
    UseCompactControls(box);
    box->SetClientSize(370, 60);

    auto* fromLabel = new wxStaticText(box, wxID_ANY, Wx(GetText("Custom-Converter", "From")),
                                       wxPoint(10, 23), wxSize(40, 20));
    fromLabel->SetName("searchFromLabel");
    gFrom = new wxTextCtrl(box, wxID_ANY, "", wxPoint(50, 20), wxSize(80, 20));
    gFrom->SetName("searchFrom");
    auto* toLabel = new wxStaticText(box, wxID_ANY, Wx(GetText("Custom-Converter", "To")),
                                     wxPoint(150, 23), wxSize(30, 20));
    toLabel->SetName("searchToLabel");
    gTo = new wxTextCtrl(box, wxID_ANY, "", wxPoint(180, 20), wxSize(80, 20));
    gTo->SetName("searchTo");
    auto* search = new wxButton(box, wxID_ANY, Wx(GetText("Custom-Converter", "Search")),
                                wxPoint(280, 18), wxSize(80, 25));
    search->SetName("searchButton");
    search->SetDefault();
    search->Bind(wxEVT_BUTTON, [](wxCommandEvent&) { ConverterSearchEvent(SearchAction::Search); });

    // Return searches and Escape closes, wherever the focus is.
    box->Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& e) {
        switch (e.GetKeyCode()) {
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            ConverterSearchEvent(SearchAction::Search);
            return;
        case WXK_ESCAPE:
            ConverterSearchEvent(SearchAction::Close);
            return;
        default:
            e.Skip();
        }
    });
    box->Bind(wxEVT_CLOSE_WINDOW, [](wxCloseEvent& e) {
        if (e.CanVeto()) e.Veto();
        ConverterSearchEvent(SearchAction::Close);
    });
    box->Bind(wxEVT_DESTROY, [box](wxWindowDestroyEvent& e) {
        e.Skip();
        if (e.GetWindow() == box && gSearch == box) {
            gSearch = nullptr;
            gFrom = gTo = nullptr;
        }
    });

    if (owner) box->CentreOnParent();
    gSearch = box;
    box->Show();
    if (owner) owner->Disable();
    box->Raise();
    gFrom->SetFocus();
}
