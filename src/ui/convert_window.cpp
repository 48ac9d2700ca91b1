#include "ui/convert_window.h"

#include "engine/batch_job.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/compact_style.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/selection.h"
#include "ui/uri_text.h"

#include <wx/bmpcbox.h>
#include <wx/gauge.h>
#include <wx/wx.h>

// After the toolkit: the picture library's header defines names the toolkit tests for.
#include "engine/drawing_library.h"
#include "engine/watermark_picture.h"

#include <atomic>
#include <functional>
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

std::vector<std::string> WrapText(const std::string& text, int width,
                                  const std::function<int(const std::string&)>& measure) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line;
        size_t i = start;
        while (i < end) {
            size_t wordEnd = text.find(' ', i);
            if (wordEnd == std::string::npos || wordEnd > end) wordEnd = end;
            const std::string word = text.substr(i, wordEnd - i);
            i = wordEnd + 1;
            if (word.empty()) continue;
            const std::string joined = line.empty() ? word : line + " " + word;
            if (measure(joined) <= width) {
                line = joined;
                continue;
            }
            if (!line.empty()) lines.push_back(line);
            line.clear();
            if (measure(word) <= width) {
                line = word;
                continue;
            }
            // A word wider than a line (a long path) is broken between its characters.
            for (size_t c = 0; c < word.size();) {
                size_t next = c + 1;
                while (next < word.size() &&
                       (static_cast<unsigned char>(word[next]) & 0xC0) == 0x80)
                    ++next;
                const std::string piece = word.substr(c, next - c);
                if (!line.empty() && measure(line + piece) > width) {
                    lines.push_back(line);
                    line.clear();
                }
                line += piece;
                c = next;
            }
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void StartConversion() {
    // A file URI typed or pasted into the field names the file it points to.
    gJob.currentInput = PathFromFileUri(TrimSpaces(InputFieldText()));
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
    // The controls stand on a panel that holds the keyboard focus while the OK button
    // is disabled, so that the dialog sees the keys typed into it.
    auto* content = new wxPanel(&dialog, wxID_ANY);
    content->SetName("progressContent");
    // One line: a path that is still too wide after ShortenPath loses more of its middle.
    auto* label = new wxStaticText(content, wxID_ANY, "", wxPoint(10, 13), wxSize(280, 20),
                                   wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    label->SetName("progressLabel");
    auto* bar = new wxGauge(content, wxID_ANY, n + 1, wxPoint(10, 40), wxSize(280, 20),
                            wxGA_HORIZONTAL | wxGA_SMOOTH);
    bar->SetName("progressBar");
    auto* ok = new wxButton(content, wxID_OK, Wx(GetText("Dialog", "OK")), wxPoint(110, 75),
                            wxSize(80, 25));
    ok->SetName("okButton");
    ok->SetDefault();
    ok->Disable();
    // Why files failed, shown under the bar when the job has ended.
    auto* reasons = new wxStaticText(content, wxID_ANY, "", wxPoint(10, 68), wxSize(280, 20));
    reasons->SetName("progressReasons");
    reasons->Hide();
    // Escape is the close box's key: it asks the break question while the job runs.
    dialog.SetEscapeId(wxID_NONE);
    dialog.Bind(wxEVT_CHAR_HOOK, [&dialog](wxKeyEvent& e) {
        if (e.GetKeyCode() == WXK_ESCAPE && !e.HasAnyModifiers()) {
            dialog.Close();
            return;
        }
        e.Skip();
    });
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
    bool focused = false;
    dialog.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        // The dialog takes the keyboard focus once it is on the screen.
        if (!focused && dialog.IsShownOnScreen()) {
            focused = true;
            dialog.Raise();
            if (!ok->IsEnabled()) {
                // Nothing else on it takes the focus until the job has ended.
                content->SetCanFocus(true);
                content->SetFocus();
            }
        }
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
        std::vector<FileFailure> failures;
        {
            std::lock_guard<std::mutex> guard(gJobLock);
            c = gJobProgress.convertedCount;
            last = std::max(last, gJobProgress.currentIndex);
            failures = gJobProgress.failures;
        }
        if (cancelled) {
            SetStatusText(Msg("Conversion is not complete"));
            dialog.SetTitle(Wx(Msg("Conversion is not complete") + " " + progressText(last)));
            label->SetLabel(Wx(Msg("Conversion is not complete")));
        } else {
            // A job that converted nothing failed, and says so.
            const std::string outcome =
                c == 0 && n > 0 ? Msg("Conversion failed") : Msg("Conversion complete");
            SetStatusText(outcome);
            dialog.SetTitle(Wx(outcome + " " + progressText(last)));
            label->SetLabel(
                Wx(FillTemplate(Msg("Files converted"), std::to_string(c), std::to_string(n))));
            bar->SetValue(n + 1);
        }
        std::string why;
        for (const FileFailure& failure : failures) {
            if (failure.reason == Reason::kStopped) continue;
            if (!why.empty()) why += "\n";
            why += FillTemplate(GetText("Reason", "Cannot Convert"),
                                ShortenPath(failure.file, budget - 4), ReasonText(failure.reason));
        }
        if (!why.empty()) {
            // The dialog grows downwards to hold the reasons; the OK button follows them.
            const std::vector<std::string> lines = WrapText(why, 280, [&](const std::string& line) {
                return reasons->GetTextExtent(Wx(line)).x;
            });
            std::string text;
            for (const std::string& line : lines)
                text += (text.empty() ? "" : "\n") + line;
            reasons->SetLabel(Wx(text));
            const int height = static_cast<int>(lines.size()) * reasons->GetTextExtent("Ag").y + 4;
            reasons->SetSize(10, 68, 280, std::max(height, reasons->GetBestSize().y));
            const int bottom = reasons->GetRect().GetBottom() + 1;
            reasons->Show();
            ok->Move(110, bottom + 10);
            dialog.SetClientSize(300, bottom + 10 + 25 + 10);
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
