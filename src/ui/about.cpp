// The About box: the banner, the product title, the notice line and two links.
#include "ui/about.h"

#include "app/identity.h"
#include "app/image_slots.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/compact_style.h"
#include "ui/later_parts.h"
#include "ui/main_window.h"
#include "ui/pictures.h"

#include <wx/wx.h>
#include <wx/hyperlink.h>
#include <wx/statbmp.h>

#include <algorithm>

namespace {

wxDialog* gAbout = nullptr;

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

// Gives the main window back its input and the focus.
void ReturnToMainWindow() {
    if (wxFrame* frame = Main().frame) {
        frame->Enable();
        frame->Raise();
        frame->SetFocus();
    }
}

void CloseAbout() {
    if (!gAbout) return;
    wxDialog* box = gAbout;
    gAbout = nullptr;
    box->Hide();
    ReturnToMainWindow();
    box->Destroy();
}

wxGenericHyperlinkCtrl* AddLink(wxWindow* parent, const std::string& text, const char* name,
                                const wxPoint& place, AboutAction action) {
    auto* link = new wxGenericHyperlinkCtrl(parent, wxID_ANY, Wx(text), Wx(text), place,
                                            wxSize(215, 20), wxHL_ALIGN_LEFT | wxBORDER_NONE);
    link->SetName(name);
    link->SetNormalColour(*wxBLUE);
    link->SetVisitedColour(*wxBLUE);
    link->Bind(wxEVT_HYPERLINK, [action](wxHyperlinkEvent&) { AboutEvent(action); });
    return link;
}

// The banner at the box's width: a wider box continues the banner's last column.
wxImage BannerImage(int width) {
    wxImage banner = ToWxImage(AboutBanner());
    if (!banner.IsOk()) banner = wxImage(360, 40, true);
    if (banner.HasAlpha()) banner.ClearAlpha();
    const int from = banner.GetWidth();
    if (from >= width) return banner;
    wxImage wide(width, banner.GetHeight(), false);
    wide.Paste(banner, 0, 0);
    for (int y = 0; y < banner.GetHeight(); ++y)
        for (int x = from; x < width; ++x)
            wide.SetRGB(x, y, banner.GetRed(from - 1, y), banner.GetGreen(from - 1, y),
                        banner.GetBlue(from - 1, y));
    return wide;
}

} // namespace

std::string AboutWebSite() {
    return "http://" + WebServer();
}

std::string SupportMailTarget() {
    return "mailto:" + SupportEmail();
}

wxDialog* AboutBox() {
    return gAbout;
}

void AboutEvent(AboutAction action) {
    switch (action) {
    case AboutAction::OpenWebSite:
        OpenExternal(AboutWebSite());
        break;
    case AboutAction::OpenMail:
        OpenExternal(SupportMailTarget());
        break;
    case AboutAction::Close:
        CloseAbout();
        break;
    }
}

void ShowAbout() {
    if (gAbout) {
        gAbout->Raise();
        return;
    }
    wxFrame* owner = Main().frame;
    auto* box = new wxDialog(owner, wxID_ANY, Wx(GetText("About", "Title")), wxDefaultPosition,
                             wxDefaultSize, wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU);
    box->SetName("aboutBox");
    UseCompactControls(box);

    // The places of a 360 x 240 box. A line wider than its place in this font widens the
    // box, and everything keeps its distance from the edges.
    const wxString titleText = Wx(ProductTitle());
    const wxString noticeText = Wx(NoticeText());
    const int needed =
        std::max(box->GetTextExtent(titleText).x, box->GetTextExtent(noticeText).x) + 4;
    const int width = std::max(360, needed + 40);
    const int grow = width - 360;
    box->SetClientSize(width, 240);

    auto* picture = new wxStaticBitmap(box, wxID_ANY, wxBitmap(BannerImage(width)), wxPoint(0, 0),
                                       wxSize(width, 40));
    picture->SetName("aboutBanner");

    auto* panel = new wxPanel(box, wxID_ANY, wxPoint(0, 40), wxSize(width, 150),
                              wxBORDER_SUNKEN | wxTAB_TRAVERSAL);
    panel->SetName("aboutPanel");
    // The panel's own coordinates start 40 pixels below the box's.
    auto* title =
        new wxStaticText(panel, wxID_ANY, titleText, wxPoint(20, 10), wxSize(width - 40, 20),
                         wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    title->SetName("aboutTitle");
    auto* notice =
        new wxStaticText(panel, wxID_ANY, noticeText, wxPoint(20, 30), wxSize(width - 40, 20),
                         wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    notice->SetName("aboutNotice");
    const int left = 80 + grow / 2;
    auto* webLabel = new wxStaticText(panel, wxID_ANY, Wx(GetText("About", "Website")),
                                      wxPoint(left, 60), wxSize(60, 20));
    webLabel->SetName("aboutWebLabel");
    auto* mailLabel = new wxStaticText(panel, wxID_ANY, Wx(GetText("About", "Email")),
                                       wxPoint(left, 80), wxSize(60, 20));
    mailLabel->SetName("aboutMailLabel");
    AddLink(panel, AboutWebSite(), "aboutWebLink", wxPoint(left + 60, 60),
            AboutAction::OpenWebSite);
    AddLink(panel, SupportEmail(), "aboutMailLink", wxPoint(left + 60, 80), AboutAction::OpenMail);

    auto* ok = new wxButton(box, wxID_OK, Wx(GetText("Dialog", "OK")), wxPoint(140 + grow / 2, 200),
                            wxSize(80, 25));
    ok->SetName("aboutOk");
    ok->SetDefault();
    ok->Bind(wxEVT_BUTTON, [](wxCommandEvent&) { AboutEvent(AboutAction::Close); });

    // Return and Escape act as OK, wherever the focus is.
    box->Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& e) {
        switch (e.GetKeyCode()) {
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
        case WXK_ESCAPE:
            AboutEvent(AboutAction::Close);
            return;
        default:
            e.Skip();
        }
    });
    box->Bind(wxEVT_CLOSE_WINDOW, [](wxCloseEvent& e) {
        if (e.CanVeto()) e.Veto();
        AboutEvent(AboutAction::Close);
    });
    box->Bind(wxEVT_DESTROY, [box](wxWindowDestroyEvent& e) {
        e.Skip();
        if (e.GetWindow() == box && gAbout == box) gAbout = nullptr;
    });

    if (owner) box->CentreOnParent();
    gAbout = box;
    box->Show();
    if (owner) owner->Disable();
    box->Raise();
    ok->SetFocus();
}
