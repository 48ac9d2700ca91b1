#include "ui/start_modes.h"

#include "app/identity.h"
#include "app/image_slots.h"
#include "formats/formats.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "themes/themes.h"
#include "ui/compact_style.h"
#include "ui/main_window.h"
#include "ui/pictures.h"

#include <wx/bmpbuttn.h>
#include <wx/bmpcbox.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/evtloop.h>
#include <wx/wx.h>

#include <cmath>

namespace {

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

constexpr int kScreenshotTimer = 123;
constexpr int kThumbnailWidth = 180;
// Quality 9 on the picture library's scale of 0 to 10.
constexpr int kJpegQuality = 90;

// Saves a picture as a JPEG file through a temporary name.
bool SaveJpeg(wxImage image, const std::string& path) {
    image.SetOption(wxIMAGE_OPTION_QUALITY, kJpegQuality);
    const std::string temporary = path + ".part";
    if (!image.SaveFile(Wx(temporary), wxBITMAP_TYPE_JPEG)) {
        RemoveFile(temporary);
        return false;
    }
    if (!RenameFile(temporary, path)) {
        RemoveFile(temporary);
        return false;
    }
    return true;
}

// Processes events until the predicate holds.
void RunLoopUntil(const std::function<bool()>& done) {
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    wxTimer check;
    check.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (wxEventLoopBase::GetActive() == &loop && done()) loop.ScheduleExit();
    });
    check.Start(10);
    loop.Run();
}

} // namespace

int ThumbnailHeight(int width, int height) {
    const float ratio = static_cast<float>(width) / static_cast<float>(height);
    return static_cast<int>(std::floor(static_cast<float>(kThumbnailWidth) / ratio + 0.5f));
}

void PrepareScreenshotMode() {
    gJob.mode.assign(1, 'T');
    LoadBuiltinImages(IconPixelSize(gSettings.uiSize));
    if (gJob.programFolder.empty()) gJob.programFolder = ProgramFolder();
    ListThemes();
    LoadTheme(true, true, true);
}

void RunScreenshotMode(std::string folder) {
    if (folder.empty()) folder = ProgramFolder();
    if (folder.back() != '/') folder += '/';
    if (!IsFolder(folder)) return;

    BuildMainWindow();
    MainWindow& w = Main();
    w.frame->Move(400, 400);
    w.frame->SetClientSize(510, 260);
    w.frame->Raise();
    ShowMainWindow();

    const auto inputs = ActiveInputFormats();
    const std::string extension =
        inputs[static_cast<size_t>(RandomInt(0, static_cast<int>(inputs.size()) - 1))];
    w.input->ChangeValue(Wx("c:\\images\\vextara." + extension));
    const int entry =
        w.outFolders->Append("d:\\converted\\", SlotBitmap(SlotSet::MenuIcons, "FavFolder", 16));
    w.outFolders->SetSelection(entry);
    w.outFormats->SetFocus();
    w.outFolders->SetFocus();
    w.convertButton->SetFocus();

    bool ticked = false, closeRequested = false;
    wxTimer timer(w.frame, kScreenshotTimer);
    w.frame->Bind(
        wxEVT_TIMER, [&](wxTimerEvent&) { ticked = true; }, kScreenshotTimer);
    w.frame->Bind(wxEVT_CLOSE_WINDOW, [&](wxCloseEvent& e) {
        if (e.CanVeto()) e.Veto();
        closeRequested = true;
    });
    timer.Start(500);
    RunLoopUntil([&] { return ticked || closeRequested; });
    timer.Stop();

    // The window's full rectangle, frame and title bar included.
    const wxRect rect = w.frame->GetScreenRect();
    wxBitmap picture(rect.width, rect.height, 24);
    {
        wxMemoryDC target(picture);
        wxScreenDC screen;
        target.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
        wxFont caption(wxFontInfo(8).FaceName("Tahoma"));
        target.SetFont(caption);
        target.SetTextForeground(*wxBLACK);
        target.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        const wxString site = Wx(WebServer());
        const wxSize extent = target.GetTextExtent(site);
        target.DrawText(site, rect.width - extent.x - 35, rect.height - 26);
        target.SelectObject(wxNullBitmap);
    }
    wxImage image = picture.ConvertToImage();
    SaveJpeg(image, folder + "brelvix1.jpg");
    image.Rescale(kThumbnailWidth, ThumbnailHeight(rect.width, rect.height),
                  wxIMAGE_QUALITY_NEAREST);
    SaveJpeg(image, folder + "brelvix1x.jpg");
    DestroyMainWindow();
}

void ShowUninstallPage() {
    auto* page =
        new wxFrame(nullptr, wxID_ANY, Wx(GetText("Uninstall", "Title")), wxDefaultPosition,
                    wxDefaultSize, wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU);
    page->SetName("uninstallPage");
    UseCompactControls(page);
    page->SetClientSize(300, 100);
    auto* panel = new wxPanel(page, wxID_ANY);
    auto* check = new wxCheckBox(panel, wxID_ANY, Wx(GetText("Uninstall", "Uninstall Text")),
                                 wxPoint(30, 20), wxSize(250, 20));
    check->SetName("uninstallCheck");
    auto* next = new wxButton(panel, wxID_ANY, Wx(GetText("Uninstall", "Next")), wxPoint(200, 60),
                              wxSize(80, 25));
    next->SetName("uninstallNext");
    // Next is the default button and holds the focus, so that Return presses it.
    next->SetDefault();
    check->SetValue(true);
    // Where the caption is wider than its place in this font, the page grows with it
    // and the button keeps its distance from the right edge.
    const int needed = check->GetBestSize().x;
    if (needed > 250) {
        check->SetSize(needed, 20);
        page->SetClientSize(30 + needed + 20, 100);
        next->Move(30 + needed + 20 - 100, 60);
    }
    page->Centre(wxBOTH);

    bool finished = false;
    next->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) {
        if (check->GetValue()) OpenExternal(WebSiteAddress() + "brelvix/uninstall.html");
        finished = true;
    });
    page->Bind(wxEVT_CLOSE_WINDOW, [&](wxCloseEvent& e) {
        if (e.CanVeto()) e.Veto();
        finished = true;
    });
    page->Show(true);
    page->Raise();
    next->SetFocus();
    RunLoopUntil([&] { return finished; });
    page->Destroy();
    wxTheApp->ProcessPendingEvents();
}

std::string StartModeFolder(int argc, char** argv) {
    if (argc < 3 || !argv[2]) return "";
    std::string value = TrimSpaces(argv[2]);
    if (value.rfind("--", 0) == 0 && value.find('=') != std::string::npos)
        value = value.substr(value.find('=') + 1);
    return value;
}
