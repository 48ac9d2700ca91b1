#include "engine/batch_job.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/main_window.h"
#include "ui/selection.h"
#include "ui/window_mode.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>
#include <wx/bmpcbox.h>
#include <wx/gauge.h>
#include <wx/uiaction.h>
#include <wx/wx.h>

#include <algorithm>
#include <filesystem>

namespace {

std::string Status() {
    return Main().status->GetStatusText().utf8_string();
}

wxDialog* ProgressDialog() {
    return dynamic_cast<wxDialog*>(FindNamed("progressDialog"));
}

// What the progress dialog showed.
struct Seen {
    std::vector<std::string> titles;
    std::string label;
    int bar = -1;
    int barRange = -1;
    bool mainDisabled = false;
    bool okEnabledEarly = false;
};

void Note(Seen& seen, wxDialog* dialog) {
    const std::string title = dialog->GetTitle().utf8_string();
    if (seen.titles.empty() || seen.titles.back() != title) seen.titles.push_back(title);
    seen.label =
        dynamic_cast<wxStaticText*>(dialog->FindWindow("progressLabel"))->GetLabel().utf8_string();
    auto* bar = dynamic_cast<wxGauge*>(dialog->FindWindow("progressBar"));
    seen.bar = bar->GetValue();
    seen.barRange = bar->GetRange();
    seen.mainDisabled = seen.mainDisabled || !Main().frame->IsEnabled();
}

wxButton* OkButton(wxDialog* dialog) {
    return dynamic_cast<wxButton*>(dialog->FindWindow("okButton"));
}

// Presses the OK button with the mouse.
void ClickOk(wxDialog* dialog) {
    wxButton* ok = OkButton(dialog);
    wxUIActionSimulator sim;
    sim.MouseMove(ok->GetScreenPosition() + wxPoint(40, 12));
    sim.MouseClick();
}

class ConversionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartWindowMode();
        ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
        std::filesystem::create_directory(folders.files.File("out"));
        outFolder = folders.files.File("out");
    }
    void TearDown() override {
        if (Main().frame) FinishWindowMode();
    }
    // Names the input and the output folder in the window.
    void Prepare(const std::string& input) {
        Main().input->ChangeValue(input);
        gSettings.recentOutFolders = outFolder;
        FillOutFolderList();
    }
    void PressF5() {
        Main().frame->Raise();
        Main().input->SetFocus();
        wxUIActionSimulator sim;
        sim.MouseMove(Main().frame->GetScreenPosition() + wxPoint(250, 120));
        RunFor(50);
        sim.Char(WXK_F5);
    }
    SessionFolders folders;
    DialogRecorder dialogs;
    std::string outFolder;
};

} // namespace

TEST_F(ConversionTest, RunsEndToEnd) {
    const std::string input = folders.files.File("picture.bmp");
    WriteSampleBmp(input, 40, 30);
    Prepare(input);
    Seen seen;
    bool clicked = false;
    Agent agent([&] {
        wxDialog* dialog = ProgressDialog();
        if (!dialog || !dialog->IsShown()) return false;
        Note(seen, dialog);
        if (!OkButton(dialog)->IsEnabled()) return false;
        if (!clicked) {
            ClickOk(dialog);
            clicked = true;
        }
        return true;
    });
    PressF5();
    ASSERT_TRUE(RunUntil([&] { return agent.Done() && !ProgressDialog(); }));
    ASSERT_FALSE(seen.titles.empty());
    EXPECT_EQ(seen.titles.back(), "Conversion complete (1/1)");
    EXPECT_EQ(seen.label, "Files converted: 1 of 1");
    EXPECT_EQ(seen.barRange, 2);
    EXPECT_EQ(seen.bar, 2);
    EXPECT_TRUE(seen.mainDisabled);
    EXPECT_TRUE(Main().frame->IsEnabled());
    EXPECT_EQ(Status(), "Conversion complete");
    EXPECT_TRUE(dialogs.messages.empty());
    // The folder is kept in one form, with its trailing "/".
    EXPECT_EQ(gSettings.recentOutFolders, outFolder + "/");

    const RgbImage pcx = DecodeWith("magick", outFolder + "/picture.pcx");
    ASSERT_EQ(pcx.width, 40);
    ASSERT_EQ(pcx.height, 30);
    // The sample has red 200 throughout, blue rising to the right, green rising upwards.
    EXPECT_EQ(pcx.At(0, 0)[0], 200);
    EXPECT_EQ(pcx.At(39, 0)[2], 255);
    EXPECT_EQ(pcx.At(0, 0)[1], 255);
    EXPECT_EQ(pcx.At(0, 29)[1], 0);
}

// A conversion that converts nothing says so, and says why, in the dialog's title,
// its text and the status bar.
TEST_F(ConversionTest, FailedConversionSaysWhy) {
    WriteFile(folders.files.File("noise.bmp"), std::string(4000, '\x5a'));
    const struct {
        std::string input;
        std::string reason;
    } cases[] = {
        {folders.files.File("noise.bmp"), "the file is not a BMP picture"},
        {folders.files.File("missing.bmp"), "the file does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        Prepare(c.input);
        Seen seen;
        std::string reasons;
        wxRect reasonsRect, okRect;
        wxSize inner;
        Agent agent([&] {
            wxDialog* dialog = ProgressDialog();
            if (!dialog || !dialog->IsShown()) return false;
            Note(seen, dialog);
            if (!OkButton(dialog)->IsEnabled()) return false;
            wxWindow* why = dialog->FindWindow("progressReasons");
            reasons = why && why->IsShown() ? why->GetLabel().utf8_string() : "";
            // Compared without the blanks and line ends that wrapping moves about.
            std::erase_if(reasons, [](char ch) { return ch == '\n' || ch == ' '; });
            reasonsRect = why ? why->GetRect() : wxRect();
            okRect = OkButton(dialog)->GetRect();
            inner = dialog->GetClientSize();
            if (const char* review = std::getenv("BRELVIX_REVIEW_DIR");
                review && c.input == cases[0].input) {
                RunFor(200);
                CaptureScreen(std::string(review) + "/progress-failed.png");
            }
            dialog->Close(); // the close box leaves a finished dialog too
            return true;
        });
        PressF5();
        ASSERT_TRUE(RunUntil([&] { return agent.Done() && !ProgressDialog(); }));
        EXPECT_EQ(seen.titles.back(), "Conversion failed (1/1)");
        EXPECT_EQ(seen.label, "Files converted: 0 of 1");
        EXPECT_EQ(Status(), "Conversion failed");
        EXPECT_EQ(reasons.rfind("Cannotconvert", 0), 0u) << reasons;
        std::string tail = FilePart(c.input) + ": " + c.reason;
        std::erase(tail, ' ');
        EXPECT_EQ(reasons.substr(reasons.size() - std::min(reasons.size(), tail.size())), tail)
            << reasons;
        // The reasons lie between the bar and the OK button, all inside the dialog.
        EXPECT_GE(reasonsRect.y, 60);
        EXPECT_LE(reasonsRect.GetBottom(), okRect.y);
        EXPECT_LE(okRect.GetBottom(), inner.y);
        EXPECT_LE(reasonsRect.GetRight(), inner.x);
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

// A file URI typed or pasted into the input field names the file it points to.
TEST_F(ConversionTest, TypedFileUriConvertsItsFile) {
    const std::string input = folders.files.File("a picture #1.bmp");
    WriteSampleBmp(input, 6, 4);
    std::string uri = "file://";
    for (char ch : input)
        uri += ch == ' ' ? std::string("%20") : ch == '#' ? std::string("%23") : std::string(1, ch);
    Prepare("  " + uri + " ");
    Seen seen;
    Agent agent([&] {
        wxDialog* dialog = ProgressDialog();
        if (!dialog || !dialog->IsShown()) return false;
        Note(seen, dialog);
        if (!OkButton(dialog)->IsEnabled()) return false;
        dialog->Close();
        return true;
    });
    PressF5();
    ASSERT_TRUE(RunUntil([&] { return agent.Done() && !ProgressDialog(); }));
    EXPECT_EQ(seen.titles.back(), "Conversion complete (1/1)");
    EXPECT_EQ(seen.label, "Files converted: 1 of 1");
    EXPECT_EQ(DecodeWith("magick", outFolder + "/a picture #1.pcx").width, 6);
}

// Escape is the close box's key: while the job runs it asks the break question, and
// afterwards it closes the dialog.
TEST_F(ConversionTest, EscapeAsksTheBreakQuestion) {
    const std::string input = folders.files.File("large.bmp");
    WriteSampleBmp(input, 2400, 2000);
    Prepare(input);
    dialogs.answerYes = false;
    int asked = 0;
    bool askedWhileRunning = false;
    dialogs.onQuestion = [&] {
        ++asked;
        askedWhileRunning = ProgressDialog() && !OkButton(ProgressDialog())->IsEnabled();
    };
    Seen seen;
    int escapes = 0;
    bool held = false;
    Agent agent([&] {
        wxDialog* dialog = ProgressDialog();
        if (!dialog || !dialog->IsShown()) return false;
        // The worker waits at its gate after the file until the question lets it go,
        // so the job is still running when the key arrives.
        if (!held) HoldWorker(true);
        held = true;
        Note(seen, dialog);
        if (!dialog->IsActive()) return false; // keys go to the window that has the focus
        const bool finished = OkButton(dialog)->IsEnabled();
        if ((escapes == 0 && seen.titles.back() == "Converting (1/1)") ||
            (escapes == 1 && finished)) {
            wxUIActionSimulator sim;
            sim.MouseMove(dialog->GetScreenPosition() + wxPoint(150, 30));
            sim.Char(WXK_ESCAPE);
            ++escapes;
        }
        return escapes == 2;
    });
    PressF5();
    ASSERT_TRUE(RunUntil([&] { return agent.Done() && !ProgressDialog(); }, 60000));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(askedWhileRunning);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Do you want to break the conversion?");
    EXPECT_EQ(seen.titles.back(), "Conversion complete (1/1)");
    EXPECT_TRUE(IsFile(outFolder + "/large.pcx"));
}

// The break question, answered after the only file has started: the file is finished,
// the outcome reads "Conversion stopped"; answered No, the job goes on unchanged.
TEST_F(ConversionTest, BreakQuestionWhileTheLastFileConverts) {
    const std::string input = folders.files.File("large.bmp");
    WriteSampleBmp(input, 2400, 2000);
    for (bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "answered Yes" : "answered No");
        RemoveFile(outFolder + "/large.pcx");
        Prepare(input);
        dialogs.messages.clear();
        dialogs.answerYes = yes;
        bool askedWhileRunning = false;
        dialogs.onQuestion = [&] {
            // The worker is at work on its only file: the question does not stop it.
            askedWhileRunning = ProgressDialog() && !OkButton(ProgressDialog())->IsEnabled();
        };
        Seen seen;
        bool closed = false;
        Agent agent([&] {
            wxDialog* dialog = ProgressDialog();
            if (!dialog || !dialog->IsShown()) return false;
            Note(seen, dialog);
            if (!closed && seen.titles.back() == "Converting (1/1)") {
                dialog->Close();
                closed = true;
                return false;
            }
            if (!OkButton(dialog)->IsEnabled()) return false;
            wxCommandEvent click(wxEVT_BUTTON, wxID_OK);
            click.SetEventObject(OkButton(dialog));
            OkButton(dialog)->GetEventHandler()->ProcessEvent(click);
            return true;
        });
        PressF5();
        ASSERT_TRUE(RunUntil([&] { return agent.Done() && !ProgressDialog(); }, 60000));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].title, "Warning");
        EXPECT_EQ(dialogs.messages[0].text, "Do you want to break the conversion?");
        EXPECT_TRUE(askedWhileRunning);
        EXPECT_EQ(seen.label, yes ? "Conversion stopped" : "Files converted: 1 of 1");
        EXPECT_EQ(seen.titles.back(),
                  yes ? "Conversion stopped (1/1)" : "Conversion complete (1/1)");
        EXPECT_EQ(Status(), yes ? "Conversion stopped" : "Conversion complete");
        EXPECT_TRUE(IsFile(outFolder + "/large.pcx"));
        EXPECT_NE(std::find(seen.titles.begin(), seen.titles.end(), "Converting (1/1)"),
                  seen.titles.end());
    }
}

// A picture of the progress dialog for a person to look at.
TEST_F(ConversionTest, DISABLED_CaptureForReview) {
    const char* dir = std::getenv("BRELVIX_REVIEW_DIR");
    const std::string folder = dir ? std::string(dir) + "/" : "/tmp/";
    std::filesystem::create_directories(
        folders.files.File("a/rather/long/folder/name/for/the/label"));
    const std::string input =
        folders.files.File("a/rather/long/folder/name/for/the/label/large.bmp");
    WriteSampleBmp(input, 4000, 3000);
    Main().frame->Move(20, 20);
    Prepare(input);
    int shots = 0;
    Agent agent([&] {
        wxDialog* dialog = ProgressDialog();
        if (!dialog || !dialog->IsShown()) return false;
        const bool finished = OkButton(dialog)->IsEnabled();
        if (shots == 0 && dialog->GetTitle() == "Converting (1/1)") {
            RunFor(60);
            CaptureScreen(folder + "progress-running.png");
            shots = 1;
        } else if (shots == 1 && finished) {
            RunFor(100);
            CaptureScreen(folder + "progress-done.png");
            dialog->Close();
            return true;
        }
        return false;
    });
    PressF5();
    ASSERT_TRUE(RunUntil([&] { return agent.Done() && !ProgressDialog(); }, 60000));
}
