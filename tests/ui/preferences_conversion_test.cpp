// Window mode end to end: options set in the Preferences dialog reach the next
// conversion.
#include "preferences_helpers.h"

#include "settings/settings.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/selection.h"
#include "ui/window_mode.h"

#include <wx/wx.h>

#include <filesystem>

namespace {

// Converts a picture on the command line, in folders of its own; returns the decoded PCX.
RgbImage ConvertOnTheCommandLine(const std::string& input, const std::string& options) {
    TempFolder run;
    std::filesystem::create_directory(run.File("out"));
    std::filesystem::create_directory(run.File("runtime"));
    const CommandResult r = RunCommand("env XDG_RUNTIME_DIR=" + ShellQuote(run.File("runtime")) +
                                       " XDG_CONFIG_HOME=" + ShellQuote(run.path) + " " +
                                       ShellQuote(BrelvixPath()) + " -q -i " + ShellQuote(input) +
                                       " -o " + ShellQuote(run.File("out")) + " " + options);
    EXPECT_EQ(r.status, 0) << r.err;
    return DecodeWith("magick", run.File("out/picture.pcx"));
}

class PreferencesConversionTest : public PreferencesSession {};

} // namespace

TEST_F(PreferencesConversionTest, ResizeAndWatermarkSetInPreferencesReachTheConversion) {
    Start();
    const std::string input = folders.files.File("picture.bmp");
    WriteSampleBmp(input, 200, 120);
    std::filesystem::create_directory(folders.files.File("out"));

    Open();
    SelectPage(4);
    Choose("doImageResize", "on");
    PutIn("imageWidth", "50");
    PutIn("imageWidth.unit", "percent");
    PutIn("imageHeight", "50");
    PutIn("imageHeight.unit", "percent");
    SelectPage(7);
    Choose("doWatermark", "Text");
    PutIn("text", "Hi");
    PressOk();

    Main().input->ChangeValue(input);
    gSettings.recentOutFolders = folders.files.File("out");
    FillOutFolderList();
    // The progress dialog is answered when the conversion is done.
    Agent agent([] {
        auto* progress = dynamic_cast<wxDialog*>(FindNamed("progressDialog"));
        if (!progress) return false;
        auto* ok = dynamic_cast<wxButton*>(progress->FindWindow("okButton"));
        if (!ok || !ok->IsEnabled()) return false;
        wxCommandEvent click(wxEVT_BUTTON, ok->GetId());
        click.SetEventObject(ok);
        ok->GetEventHandler()->ProcessEvent(click);
        return true;
    });
    RunCommand(kCmdConvert);
    ASSERT_TRUE(RunUntil([&] { return agent.Done(); }));
    EXPECT_TRUE(dialogs.messages.empty());

    const RgbImage pcx = DecodeWith("magick", folders.files.File("out/picture.pcx"));
    ASSERT_EQ(pcx.width, 100);
    ASSERT_EQ(pcx.height, 60);
    // The same picture as the command line makes with the same options, and not the one
    // it makes without the watermark.
    const std::string resize =
        "--width=50 --width-unit=percent --height=50 --height-unit=percent --keep-aspect-ratio";
    const RgbImage expected = ConvertOnTheCommandLine(input, resize + " --wm-text=Hi");
    const RgbImage plain = ConvertOnTheCommandLine(input, resize);
    ASSERT_EQ(expected.width, 100);
    ASSERT_EQ(plain.width, 100);
    EXPECT_TRUE(pcx.pixels == expected.pixels);
    EXPECT_FALSE(pcx.pixels == plain.pixels);
}
