// The Manual command's help document, and a picture named as the only argument.
#include "platform/platform.h"
#include "settings/settings.h"
#include "ui/later_parts.h"
#include "ui/main_window.h"
#include "ui/start_file.h"
#include "ui/window_mode.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>
#include <wx/wx.h>

#include <filesystem>

namespace {

// Runs with another current folder and returns to the old one.
struct CurrentFolder {
    explicit CurrentFolder(const std::string& path) {
        std::error_code ec;
        saved = std::filesystem::current_path(ec);
        std::filesystem::current_path(path, ec);
    }
    ~CurrentFolder() {
        std::error_code ec;
        std::filesystem::current_path(saved, ec);
    }
    std::filesystem::path saved;
};

class WindowFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartWindowMode();
        ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
    }
    void TearDown() override {
        if (Main().frame) FinishWindowMode();
    }
    SessionFolders folders;
    DialogRecorder dialogs;
};

// The arguments as the executable passes them on.
void Open(std::vector<std::string> args) {
    std::vector<char*> argv;
    static char name[] = "brelvix";
    argv.push_back(name);
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    OpenStartFile(static_cast<int>(args.size()) + 1, argv.data());
}

} // namespace

TEST_F(WindowFileTest, ManualOpensTheHelpDocumentOfTheCurrentFolderFirst) {
    const std::string here = folders.files.path;
    CurrentFolder cd(here);
    // Nothing here, and nothing beside this test program: the bare name.
    EXPECT_EQ(HelpDocument(), "brelvix.chm");
    MakeFolders(here + "manual");
    WriteFile(here + "manual/index.html", "<html></html>");
    EXPECT_EQ(HelpDocument(), here + "manual/index.html");
    WriteFile(here + "brelvix.chm", "ITSF");
    EXPECT_EQ(HelpDocument(), here + "brelvix.chm");
    RunCommand(kCmdManual);
    EXPECT_EQ(dialogs.opened, std::vector<std::string>{here + "brelvix.chm"});
}

TEST_F(WindowFileTest, APictureAsTheOnlyArgumentIsTheInputFile) {
    MakeFolders(folders.files.File("holiday"));
    const std::string picture = folders.files.File("holiday/beach.bmp");
    WriteSampleBmp(picture, 8, 6);
    Open({picture});
    EXPECT_EQ(InputFieldText(), picture);
    EXPECT_EQ(OutFolderListText(), folders.files.File("holiday/"));
    EXPECT_EQ(gJob.outputFolder, folders.files.File("holiday/"));
    ASSERT_EQ(gJob.fileMap.size(), 1u);
    EXPECT_EQ(gJob.fileMap.begin()->first, picture);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WindowFileTest, APictureNamedFromTheCurrentFolderGetsItsFullPath) {
    const std::string picture = folders.files.File("beach.bmp");
    WriteSampleBmp(picture, 8, 6);
    CurrentFolder cd(folders.files.path);
    Open({"beach.bmp"});
    EXPECT_EQ(InputFieldText(), picture);
    EXPECT_EQ(OutFolderListText(), folders.files.path);
}

TEST_F(WindowFileTest, OtherArgumentsLeaveTheFormEmpty) {
    const std::string picture = folders.files.File("beach.bmp");
    WriteSampleBmp(picture, 8, 6);
    WriteFile(folders.files.File("notes.txt"), "text");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {picture, picture}, // two arguments
        {"-p"},             // an option
        {folders.files.File("missing.bmp")},
        {folders.files.File("notes.txt")}, // no picture
        {folders.files.path},              // a folder
        {""},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.empty() ? "none" : args[0]);
        Open(args);
        EXPECT_EQ(InputFieldText(), "");
        EXPECT_EQ(OutFolderListText(), "");
        EXPECT_TRUE(gJob.fileMap.empty());
    }
}
