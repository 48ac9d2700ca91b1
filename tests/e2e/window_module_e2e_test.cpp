// The window module seen from outside: the real executable, which loads the module only
// when it shows a window. Runs with a display come from xvfb-run; keys come from xdotool.
#include "platform/platform.h"
#include "bmp_writer.h"
#include "settings/settings_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string BuildFolder() {
    return FolderPart(BrelvixPath());
}
bool HaveWindowModule() {
    return IsFile(BuildFolder() + "brelvix-ui.so");
}

void WriteBmp(const std::string& path, int width, int height) {
    RgbImage picture{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = picture.At(x, y);
            p[0] = 99;                                          // red
            p[1] = static_cast<uint8_t>(20 * (height - 1 - y)); // green, rising upwards
            p[2] = static_cast<uint8_t>(10 * x);                // blue
        }
    WriteBmpFile(path, picture, BmpLayout{});
}

bool CopyExecutable(const std::string& from, const std::string& to) {
    std::error_code ec;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
    return !ec && chmod(to.c_str(), 0755) == 0;
}

// Folders of one run: the settings, the lock and a stand-in for the default handler
// that records what it was asked to open.
struct Sandbox {
    Sandbox() {
        for (const char* name : {"config", "runtime", "bin", "work"})
            MakeFolders(root.File(name));
        WriteFile(root.File("bin/xdg-open"),
                  "#!/bin/sh\necho \"$@\" >> " + ShellQuote(root.File("opened.txt")) + "\n");
        chmod(root.File("bin/xdg-open").c_str(), 0755);
    }
    std::string Env() const {
        return "env XDG_CONFIG_HOME=" + ShellQuote(root.File("config")) +
               " XDG_RUNTIME_DIR=" + ShellQuote(root.File("runtime")) +
               " PATH=" + ShellQuote(root.File("bin") + ":" + std::string(std::getenv("PATH"))) +
               " NO_AT_BRIDGE=1 LSAN_OPTIONS=" +
               ShellQuote("suppressions=" + std::string(TEST_SOURCE_DIR) +
                          "/ui/lsan-ui.supp:print_suppressions=0") +
               " ";
    }
    std::string ConfigFile() const { return root.File("config/Vextara/brelvix/config.ini"); }
    std::string Opened() const { return ReadFile(root.File("opened.txt")); }
    TempFolder root;
};

// Runs a shell script with a display of its own.
CommandResult RunWithDisplay(const std::string& script) {
    return RunCommand("xvfb-run -a -s '-screen 0 1280x1024x24' sh -c " + ShellQuote(script));
}

// Waits for a window of that name and prints its id.
std::string FindWindow(const std::string& name) {
    return "id=; for i in $(seq 1 300); do id=$(xdotool search --onlyvisible --name " +
           ShellQuote(name) + " 2>/dev/null | head -n 1); [ -n \"$id\" ] && break; " +
           "kill -0 $pid 2>/dev/null || { echo 'the program ended early' >&2; break; }; " +
           "sleep 0.1; done; ";
}

} // namespace

TEST(WindowModule, CommandLineConvertsWithoutTheModuleAndWithoutADisplay) {
    Sandbox box;
    // A copy of the executable in a folder without the window module.
    const std::string bare = box.root.File("bare/brelvix");
    MakeFolders(box.root.File("bare"));
    ASSERT_TRUE(CopyExecutable(BrelvixPath(), bare));
    WriteBmp(box.root.File("work/in.bmp"), 12, 9);
    for (const std::string& exe : {bare, BrelvixPath()}) {
        SCOPED_TRACE(exe);
        RemoveFile(box.root.File("work/in.pcx"));
        const CommandResult run =
            RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY LD_DEBUG=files " + box.Env() +
                       ShellQuote(exe) + " -i " + ShellQuote(box.root.File("work/in.bmp")) +
                       " -o " + ShellQuote(box.root.File("work")));
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        const RgbImage pcx = DecodeWith("netpbm", box.root.File("work/in.pcx"));
        ASSERT_EQ(pcx.width, 12);
        ASSERT_EQ(pcx.height, 9);
        EXPECT_EQ(pcx.At(3, 8)[0], 99);
        EXPECT_EQ(pcx.At(3, 8)[2], 30);
        // The dynamic loader's report: no toolkit, no window module was ever opened.
        EXPECT_EQ(run.err.find("libwx_"), std::string::npos);
        EXPECT_EQ(run.err.find("libgtk"), std::string::npos);
        EXPECT_EQ(run.err.find("brelvix-ui"), std::string::npos);
        EXPECT_FALSE(IsFile(box.ConfigFile()));
    }
}

// Without a display, or without the module, a run that needs the window says in one
// error line that it cannot open it; a word that looks like a file gets the hint that
// an input file is given with -i.
TEST(WindowModule, WithoutADisplayTheWindowModeSaysWhy) {
    Sandbox box;
    WriteBmp(box.root.File("work/photo.bmp"), 4, 3);
    const std::string noDisplay = "Error: The window cannot be opened: no display is available";
    const std::string hint = "; an input file is given with -i, as in: brelvix -i ";
    struct Case {
        std::string args;
        std::string err;
    } cases[] = {
        {"", noDisplay},
        {"-p", noDisplay},
        {"unknown words", noDisplay},
        {"photo.bmp", noDisplay + hint + "photo.bmp"},
        {"photo", noDisplay + hint + "photo"}, // an existing file without an extension
        {"--imput=a.bmp", noDisplay + hint + "a.bmp"},
        {"-o out.d --width=5 holiday/beach.bmp", noDisplay + hint + "holiday/beach.bmp"},
        {"-T shots", noDisplay},
        {"-U", noDisplay},
    };
    ASSERT_TRUE(CopyExecutable(box.root.File("work/photo.bmp"), box.root.File("work/photo")));
    for (const Case& c : cases) {
        SCOPED_TRACE("arguments: " + c.args);
        const CommandResult run =
            RunCommand("cd " + ShellQuote(box.root.File("work")) + " && env -u DISPLAY -u " +
                       "WAYLAND_DISPLAY " + box.Env() + ShellQuote(BrelvixPath()) + " " + c.args +
                       " </dev/null");
        if (HaveWindowModule()) {
            EXPECT_EQ(run.err, c.err + "\n");
        }
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(IsFile(box.ConfigFile()));

    // Without the module the reason names it, also with a display.
    const std::string bare = box.root.File("bare/brelvix");
    MakeFolders(box.root.File("bare"));
    ASSERT_TRUE(CopyExecutable(BrelvixPath(), bare));
    const CommandResult run = RunCommand(box.Env() + ShellQuote(bare) + " photo.bmp </dev/null");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: The window cannot be opened: the window module brelvix-ui.so is "
                       "not installed" +
                           hint + "photo.bmp\n");
    EXPECT_FALSE(IsFile(box.ConfigFile()));
}

// Without arguments, and with arguments that name no input file, the window opens with
// the settings of config.ini; Alt+X ends it and saves them.
TEST(WindowModule, WindowModeOpensAndAltXSavesTheSettings) {
    if (!HaveWindowModule()) GTEST_SKIP() << "built without the window module";
    for (const std::string args : {"", " -p", " photo"}) {
        SCOPED_TRACE("arguments:" + args);
        Sandbox box;
        MakeFolders(FolderPart(box.ConfigFile()));
        WriteFile(box.ConfigFile(), "[Window]\nWidth=600\nX=20\nY=30\n");
        const CommandResult run =
            RunWithDisplay(box.Env() + ShellQuote(BrelvixPath()) + args + " & pid=$!; " +
                           FindWindow("Vextara BMP to PCX 2.5") +
                           "[ -z \"$id\" ] && { kill $pid; exit 3; }; "
                           // Alt+X again until the program has ended: a busy machine may
                           // show the window before it takes keys.
                           "for i in $(seq 1 40); do timeout 5 xdotool windowfocus --sync $id; "
                           "xdotool mousemove --window $id 200 150 key alt+x; sleep 0.25; "
                           "kill -0 $pid 2>/dev/null || break; done; wait $pid");
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        IniFile ini;
        ASSERT_TRUE(ReadIniFile(box.ConfigFile(), ini));
        const IniGroup* window = FindGroup(ini, "Window");
        for (auto [key, value] :
             {std::pair{"Width", "600"}, {"Height", "260"}, {"X", "20"}, {"Y", "30"}}) {
            const std::string* stored = FindValue(window, key);
            ASSERT_NE(stored, nullptr) << key;
            EXPECT_EQ(*stored, value) << key;
        }
    }
}

// Starts the window mode with a display, waits for its window and ends it with Alt+X.
// Bounded: a program that shows no window within 30 seconds is ended and fails, and
// one that does not end is stopped after 120 seconds.
CommandResult OpenAndCloseTheWindow(const std::string& env) {
    return RunWithDisplay(env + "timeout 120 " + ShellQuote(BrelvixPath()) + " & pid=$!; " +
                          FindWindow("Vextara BMP to PCX 2.5") +
                          "[ -z \"$id\" ] && { kill $pid; exit 3; }; "
                          "for i in $(seq 1 40); do timeout 5 xdotool windowfocus --sync $id; "
                          "xdotool mousemove --window $id 200 150 key alt+x; sleep 0.25; "
                          "kill -0 $pid 2>/dev/null || break; done; wait $pid");
}

// A config.ini that is a FIFO, a link to a device or larger than any real one keeps
// neither the window from opening nor is it saved over: the window starts from the
// defaults and the file stays as it was.
TEST(WindowModule, BadSettingsFileIsKeptAndTheWindowOpens) {
    if (!HaveWindowModule()) GTEST_SKIP() << "built without the window module";
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> make;
        std::function<bool(const std::string&)> unchanged;
    } cases[] = {
        {"fifo", [](const std::string& p) { return mkfifo(p.c_str(), 0600) == 0; },
         [](const std::string& p) {
             struct stat st {};
             return lstat(p.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
         }},
        {"link to /dev/zero",
         [](const std::string& p) { return symlink("/dev/zero", p.c_str()) == 0; },
         [](const std::string& p) {
             char target[64] = {};
             return readlink(p.c_str(), target, sizeof target - 1) == 9 &&
                    std::string(target) == "/dev/zero";
         }},
        {"too large",
         [](const std::string& p) {
             return WriteFile(p, "[Window]\r\nWidth=600\r\n") &&
                    truncate(p.c_str(), kMaxIniFileBytes + 1) == 0;
         },
         [](const std::string& p) {
             return FileSize(p) == static_cast<int64_t>(kMaxIniFileBytes) + 1 &&
                    ReadFile(p).starts_with("[Window]\r\nWidth=600\r\n");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox box;
        MakeFolders(FolderPart(box.ConfigFile()));
        ASSERT_TRUE(c.make(box.ConfigFile()));
        const CommandResult run = OpenAndCloseTheWindow(box.Env());
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_TRUE(c.unchanged(box.ConfigFile()));
        std::error_code ec;
        EXPECT_EQ(
            std::distance(std::filesystem::directory_iterator(FolderPart(box.ConfigFile()), ec),
                          std::filesystem::directory_iterator()),
            1);
    }
}

// Where no lock file can be had the window mode runs without one.
TEST(WindowModule, WindowOpensWithoutALockFile) {
    if (!HaveWindowModule()) GTEST_SKIP() << "built without the window module";
    Sandbox box;
    const CommandResult run = OpenAndCloseTheWindow(
        box.Env() + "XDG_RUNTIME_DIR=" + ShellQuote(box.root.File("missing")) +
        " TMPDIR=" + ShellQuote(box.root.File("missing")) + " ");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(IsFile(box.ConfigFile()));
}

TEST(WindowModule, ScreenshotModeWritesBothPictures) {
    if (!HaveWindowModule()) GTEST_SKIP() << "built without the window module";
    Sandbox box;
    MakeFolders(box.root.File("shots"));
    const CommandResult run = RunWithDisplay(box.Env() + ShellQuote(BrelvixPath()) + " -T " +
                                             ShellQuote(box.root.File("shots")));
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const RgbImage full = DecodeWith("magick", box.root.File("shots/brelvix1.jpg"));
    const RgbImage thumb = DecodeWith("magick", box.root.File("shots/brelvix1x.jpg"));
    EXPECT_GE(full.width, 510);
    EXPECT_EQ(thumb.width, 180);
    EXPECT_EQ(thumb.height,
              static_cast<int>(180.0f / (static_cast<float>(full.width) / full.height) + 0.5f));
    EXPECT_FALSE(IsFile(box.ConfigFile()));
    EXPECT_EQ(run.out, "");

    // A folder that does not exist: nothing is written, the run still ends with 0.
    const CommandResult missing = RunWithDisplay(box.Env() + ShellQuote(BrelvixPath()) + " -T " +
                                                 ShellQuote(box.root.File("nowhere")));
    EXPECT_EQ(missing.status, 0);
    EXPECT_FALSE(PathExists(box.root.File("nowhere")));

    // Without a folder the pictures go into the program's folder.
    MakeFolders(box.root.File("program"));
    ASSERT_TRUE(CopyExecutable(BrelvixPath(), box.root.File("program/brelvix")));
    ASSERT_TRUE(
        CopyExecutable(BuildFolder() + "brelvix-ui.so", box.root.File("program/brelvix-ui.so")));
    const CommandResult here =
        RunWithDisplay(box.Env() + ShellQuote(box.root.File("program/brelvix")) + " -t");
    EXPECT_EQ(here.status, 0) << here.err;
    EXPECT_TRUE(IsFile(box.root.File("program/brelvix1.jpg")));
    EXPECT_TRUE(IsFile(box.root.File("program/brelvix1x.jpg")));
}

TEST(WindowModule, UninstallPageOpensThePageOnlyWhenChecked) {
    if (!HaveWindowModule()) GTEST_SKIP() << "built without the window module";
    for (bool clear : {false, true}) {
        SCOPED_TRACE(clear ? "box cleared" : "box checked");
        // Next has the focus and Return presses it; Shift+Tab moves to the check box,
        // space clears it and Tab goes back to Next.
        const std::string keys = clear ? "shift+Tab space Tab Return" : "Return";
        // Keys typed blind into a window can be lost on a busy machine before GTK has put
        // the focus into the page; such a run is made again, at most three times in all.
        // The in-process window tests check the page's logic itself.
        std::unique_ptr<Sandbox> sandbox;
        CommandResult run;
        for (int attempt = 0; attempt < 3; ++attempt) {
            sandbox = std::make_unique<Sandbox>();
            run = RunWithDisplay(
                sandbox->Env() + ShellQuote(BrelvixPath()) + " -U & pid=$!; " +
                FindWindow("Uninstall") +
                "[ -z \"$id\" ] && { kill $pid; exit 3; }; sleep 1.5; timeout 5 xdotool "
                "windowfocus --sync $id; sleep 0.3; "
                "xdotool mousemove --window $id 150 90 key --delay 150 " +
                keys + "; ( sleep 20; kill $pid 2>/dev/null ) & wait $pid");
            const bool opened =
                sandbox->Opened().find("/brelvix/uninstall.html") != std::string::npos;
            if (run.status == 0 && opened != clear && (opened || sandbox->Opened().empty())) break;
        }
        Sandbox& box = *sandbox;
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        if (clear) {
            EXPECT_EQ(box.Opened(), "");
        } else {
            EXPECT_NE(box.Opened().find("/brelvix/uninstall.html"), std::string::npos)
                << box.Opened();
        }
        EXPECT_FALSE(IsFile(box.ConfigFile()));
    }
}

// After installation the executable finds its window module in lib/brelvix and the
// default theme in share/brelvix/gfx: the screenshot shows the theme's icons, which
// differ from the built-in ones that a run without the theme shows.
TEST(WindowModule, InstalledProgramFindsItsModuleAndTheme) {
    if (!HaveWindowModule()) GTEST_SKIP() << "built without the window module";
    Sandbox box;
    const std::string prefix = box.root.File("prefix");
    const CommandResult install = RunCommand("cmake --install " + ShellQuote(BuildFolder()) +
                                             " --prefix " + ShellQuote(prefix));
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    ASSERT_TRUE(IsFile(prefix + "/share/brelvix/gfx/handdrawn.zip"));
    ASSERT_TRUE(IsFile(prefix + "/lib/brelvix/brelvix-ui.so"));
    MakeFolders(box.root.File("themed"));
    MakeFolders(box.root.File("plain"));
    const std::string exe = ShellQuote(prefix + "/bin/brelvix");
    CommandResult run =
        RunWithDisplay(box.Env() + exe + " -T " + ShellQuote(box.root.File("themed")));
    ASSERT_EQ(run.status, 0) << run.err;
    std::error_code ec;
    std::filesystem::remove_all(prefix + "/share/brelvix/gfx", ec);
    run = RunWithDisplay(box.Env() + exe + " -T " + ShellQuote(box.root.File("plain")));
    ASSERT_EQ(run.status, 0) << run.err;
    const RgbImage themed = DecodeWith("magick", box.root.File("themed/brelvix1.jpg"));
    const RgbImage plain = DecodeWith("magick", box.root.File("plain/brelvix1.jpg"));
    ASSERT_GT(themed.width, 0);
    ASSERT_EQ(themed.width, plain.width);
    ASSERT_EQ(themed.height, plain.height);
    // The toolbar row: the first icons differ between the two sets.
    long difference = 0;
    for (int y = 30; y < 60; ++y)
        for (int x = 0; x < 120; ++x)
            for (int c = 0; c < 3; ++c)
                difference += std::abs(themed.At(x, y)[c] - plain.At(x, y)[c]);
    EXPECT_GT(difference, 30 * 120 * 3 * 4);
}
