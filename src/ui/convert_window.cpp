#include "ui/convert_window.h"

#include "engine/batch_job.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/compact_style.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/selection.h"

#include <wx/bmpcbox.h>
#include <wx/gauge.h>
#include <wx/wx.h>

// After the toolkit: the picture library's header defines names the toolkit tests for.
#include "engine/drawing_library.h"
#include "engine/watermark_picture.h"

#include <atomic>
#include <thread>

namespace {

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

std::string Msg(const char* key) {
    return GetText("Msg", key);
}

bool HasAcceptedExtension(const std::string& path) {
    const std::string name = FilePart(path);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return false;
    const std::string extension = AsciiLower(name.substr(dot + 1));
    for (const std::string& known : gJob.acceptedInputExtensions)
        if (known == extension) return true;
    return false;
}

// The active output format of the selected entry of the main window's list.
std::string SelectedOutputFormat() {
    wxBitmapComboBox* list = Main().outFormats;
    const auto formats = ActiveOutputFormats();
    if (!list || list->GetSelection() == wxNOT_FOUND) return gSettings.outputFormat;
    const auto index = reinterpret_cast<uintptr_t>(list->GetClientData(list->GetSelection()));
    return index < formats.size() ? formats[index] : gSettings.outputFormat;
}

void StopWithWarning(const std::string& text) {
    SetStatusText(Msg("Conversion is not complete"));
    ShowWarning(text);
}

} // namespace

void ShowWarning(const std::string& text) {
    ShowMessage(MessageKind::Warning, Msg("Warning"), text, Main().frame);
}

bool ConfirmBreakConversion() {
    return ShowMessage(MessageKind::Question, Msg("Warning"), Msg("Ask break conversion"));
}

std::string ShortenPath(const std::string& text, int budget) {
    if (text.empty() || budget >= static_cast<int>(text.size())) return text;
    const int k = (budget - 3) / 2;
    if (k <= 0) return "...";
    return text.substr(0, static_cast<size_t>(k)) + "..." +
           text.substr(text.size() - static_cast<size_t>(k));
}

void StartConversion() {
    gJob.currentInput = TrimSpaces(InputFieldText());
    gJob.fileMap.clear();
    if (FileSize(gJob.currentInput) != 0 && HasAcceptedExtension(gJob.currentInput))
        gJob.fileMap[gJob.currentInput] = FileEntry{};
    gJob.outputFolder = TrimSpaces(OutFolderListText());
    gJob.outputFormat = SelectedOutputFormat();
    SetStatusText(GetText("General", "Preparing"));

    if (gJob.fileMap.empty()) return StopWithWarning(Msg("Empty input files"));
    if (gJob.outputFolder.empty()) return StopWithWarning(Msg("Empty output folder"));
    if (gJob.outputFolder.back() != '/') gJob.outputFolder += '/';
    if (!IsFolder(gJob.outputFolder))
        return StopWithWarning(FillTemplate(Msg("Invalid output folder"), gJob.outputFolder));
    if (gSettings.doImageResize && gSettings.imageWidth == 0)
        return StopWithWarning(Msg("Invalid width"));
    if (gSettings.doImageResize && gSettings.imageHeight == 0)
        return StopWithWarning(Msg("Invalid height"));
    if (gSettings.doWatermark == 1 && !drawlib::CreateWatermarkFont())
        return ShowWarning(FillTemplate(Msg("Invalid watermark font"), gSettings.font));
    if (gSettings.doWatermark == 2) {
        if (gSettings.image.empty()) return ShowWarning(Msg("Empty watermark image"));
        if (WatermarkPictureFormat(gSettings.image) == FIF_UNKNOWN)
            return ShowWarning(FillTemplate(Msg("Invalid watermark image"), gSettings.image));
    }
    // The font made for a text watermark is freed however the command ends from here.
    struct FontRelease {
        ~FontRelease() {
            if (gSettings.doWatermark == 1) drawlib::FreeWatermarkFont();
        }
    } fontRelease;

    const OptionDef* bpp = OutputBppSlot(gJob.outputFormat);
    gJob.outputBitDepth = bpp ? static_cast<int32_t>(GetInt(*bpp, gSettings)) : 0;
    gJob.keepBitDepth = gJob.outputBitDepth == 0;

    if (PushRecentOutFolder(gJob.outputFolder)) FillOutFolderList();
    SetStatusText(GetText("General", "Converting"));
    ShowConvertProgress();
}

void ShowConvertProgress() {
    const int n = static_cast<int>(gJob.fileMap.size());
    const std::string heading = GetText("Dialog", "Convert Progress");
    wxFrame* owner = Main().frame;

    wxDialog dialog(owner, wxID_ANY, Wx(heading), wxDefaultPosition, wxDefaultSize,
                    wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU);
    dialog.SetName("progressDialog");
    UseCompactControls(&dialog);
    dialog.SetClientSize(300, 110);
    // One line: a path that is still too wide after ShortenPath loses more of its middle.
    auto* label = new wxStaticText(&dialog, wxID_ANY, "", wxPoint(10, 13), wxSize(280, 20),
                                   wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    label->SetName("progressLabel");
    auto* bar = new wxGauge(&dialog, wxID_ANY, n + 1, wxPoint(10, 40), wxSize(280, 20),
                            wxGA_HORIZONTAL | wxGA_SMOOTH);
    bar->SetName("progressBar");
    auto* ok = new wxButton(&dialog, wxID_OK, Wx(GetText("Dialog", "OK")), wxPoint(110, 75),
                            wxSize(80, 25));
    ok->SetName("okButton");
    ok->SetDefault();
    ok->Disable();
    dialog.CentreOnParent();

    int cw = dialog.GetTextExtent("abc123:\\-").x / 9;
    if (cw <= 0) cw = 7;
    const int budget = 280 / cw;

    ResetJobProgress();
    std::atomic<bool> finished{false};
    std::thread worker([&finished] {
        RunBatchJob();
        finished = true;
    });
    bool workerRemembered = true;
    bool cancelled = false;
    int last = 0;

    auto progressText = [n](int i) {
        return FillTemplate(Msg("Progress"), std::to_string(i), std::to_string(n));
    };

    wxTimer timer(&dialog);
    dialog.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (!workerRemembered) return;
        if (!finished) {
            int i;
            std::string f;
            {
                std::lock_guard<std::mutex> guard(gJobLock);
                i = gJobProgress.currentIndex;
                f = gJobProgress.currentFile;
            }
            if (i > last) {
                last = i;
                dialog.SetTitle(Wx(heading + " " + progressText(i)));
                if (static_cast<int>(f.size()) * cw > 280) f = ShortenPath(f, budget);
                label->SetLabel(Wx(f));
                bar->SetValue(i);
            }
            return;
        }
        worker.join();
        workerRemembered = false;
        timer.Stop();
        int c;
        {
            std::lock_guard<std::mutex> guard(gJobLock);
            c = gJobProgress.convertedCount;
            last = std::max(last, gJobProgress.currentIndex);
        }
        if (cancelled) {
            SetStatusText(Msg("Conversion is not complete"));
            dialog.SetTitle(Wx(Msg("Conversion is not complete") + " " + progressText(last)));
            label->SetLabel(Wx(Msg("Conversion is not complete")));
        } else {
            SetStatusText(Msg("Conversion complete"));
            dialog.SetTitle(Wx(Msg("Conversion complete") + " " + progressText(last)));
            label->SetLabel(
                Wx(FillTemplate(Msg("Files converted"), std::to_string(c), std::to_string(n))));
            bar->SetValue(n + 1);
        }
        ok->Enable();
        ok->SetFocus();
    });
    ok->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) {
        if (!workerRemembered) dialog.EndModal(wxID_OK);
    });
    dialog.Bind(wxEVT_CLOSE_WINDOW, [&](wxCloseEvent& e) {
        if (!workerRemembered) {
            dialog.EndModal(wxID_OK);
            return;
        }
        if (e.CanVeto()) e.Veto();
        if (finished) return; // the next poll reports the outcome
        HoldWorker(true);
        const bool answer = ConfirmBreakConversion();
        HoldWorker(false);
        if (answer) {
            cancelled = true;
            std::lock_guard<std::mutex> guard(gJobLock);
            gJobProgress.running = false;
        }
    });
    timer.Start(15);
    if (owner) owner->Disable();
    dialog.ShowModal();
    timer.Stop();
    if (worker.joinable()) worker.join();
    if (owner) {
        owner->Enable();
        owner->SetFocus();
    }
}
