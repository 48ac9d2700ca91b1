// The program on the desktop, seen from outside: the help document that F1 opens in the
// build tree and after installation, what `make install` puts in place (manual, man
// page, launcher, icons), a picture given as the only argument, and the agreement of
// --help, the man page and the manual on the options. The tests that start X servers
// belong to the WindowModule suite, whose tests take turns with the display.
#include "bmp_writer.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sys/stat.h>

namespace {

std::string BuildFolder() {
    return FolderPart(BrelvixPath());
}

bool HaveWindowModule() {
    return IsFile(BuildFolder() + "brelvix-ui.so");
}

std::string Canonical(const std::string& path) {
    std::error_code ec;
    const auto canonical = std::filesystem::canonical(path, ec);
    return ec ? path : canonical.string();
}

// The help document a build or an installation opens: the compiled one when it exists.
std::string ExpectedHelpDocument(const std::string& folder) {
    if (IsFile(folder + "brelvix.chm")) return Canonical(folder + "brelvix.chm");
    return Canonical(folder + "manual/index.html");
}

// Folders of one run: the settings, the lock, a stand-in for the default handler that
// records what it was asked to open, and an empty current folder.
struct Sandbox {
    Sandbox() {
        for (const char* name : {"config", "runtime", "bin", "work"})
            MakeFolders(root.File(name));
        WriteFile(root.File("bin/xdg-open"),
                  "#!/bin/sh\necho \"$@\" >> " + ShellQuote(root.File("opened.txt")) + "\n");
        chmod(root.File("bin/xdg-open").c_str(), 0755);
    }
    std::string Env() const {
        return "cd " + ShellQuote(root.File("work")) +
               " && env XDG_CONFIG_HOME=" + ShellQuote(root.File("config")) +
               " XDG_RUNTIME_DIR=" + ShellQuote(root.File("runtime")) +
               " PATH=" + ShellQuote(root.File("bin") + ":" + std::string(std::getenv("PATH"))) +
               " NO_AT_BRIDGE=1 LSAN_OPTIONS=" +
               ShellQuote("suppressions=" + std::string(TEST_SOURCE_DIR) +
                          "/ui/lsan-ui.supp:print_suppressions=0") +
               " ";
    }
    std::string ConfigFile() const { return root.File("config/Vextara/brelvix/config.ini"); }
    std::string FirstOpened() const {
        const std::string text = ReadFile(root.File("opened.txt"));
        return text.substr(0, text.find('\n'));
    }
    TempFolder root;
};

CommandResult RunWithDisplay(const std::string& script) {
    return RunCommand("xvfb-run -a -s '-screen 0 1280x1024x24' sh -c " + ShellQuote(script));
}

// Starts the program, waits for its window and, when given, sends a key until the
// effect file exists; then Alt+X until the program has ended. Every wait is bounded.
std::string WindowScript(const std::string& start, const std::string& key,
                         const std::string& effectFile) {
    std::string script = start + " & pid=$!; id=; for i in $(seq 1 300); do "
                                 "id=$(xdotool search --onlyvisible --name 'Vextara BMP to PCX' "
                                 "2>/dev/null | head -n 1); [ -n \"$id\" ] && break; "
                                 "kill -0 $pid 2>/dev/null || break; sleep 0.1; done; "
                                 "[ -z \"$id\" ] && { kill $pid; exit 3; }; ";
    if (!key.empty())
        script += "for i in $(seq 1 40); do timeout 5 xdotool windowfocus --sync $id; "
                  "xdotool mousemove --window $id 200 150 key " +
                  key + "; sleep 0.25; [ -s " + ShellQuote(effectFile) + " ] && break; done; ";
    script += "for i in $(seq 1 40); do timeout 5 xdotool windowfocus --sync $id; "
              "xdotool mousemove --window $id 200 150 key alt+x; sleep 0.25; "
              "kill -0 $pid 2>/dev/null || break; done; wait $pid";
    return script;
}

// Installs the build into a fresh prefix.
bool Install(const std::string& prefix, CommandResult& result) {
    result = RunCommand("cmake --install " + ShellQuote(BuildFolder()) + " --prefix " +
                        ShellQuote(prefix));
    return result.status == 0;
}

// The option names a text mentions: -x and --name words.
std::set<std::string> OptionWords(const std::string& text) {
    std::set<std::string> words;
    static const std::regex word(R"((^|[\s,(\[])(--?[A-Za-z?][A-Za-z0-9-]*))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), word);
         it != std::sregex_iterator(); ++it) {
        std::string w = (*it)[2];
        while (!w.empty() && w.back() == '-')
            w.pop_back();
        if (w.size() > 1) words.insert(w);
    }
    return words;
}

// The man page's source as plain text: font changes left out, escaped dashes as dashes.
std::string ManPageText(const std::string& path) {
    const std::string text = ReadFile(path);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\-") == 0) {
            out += '-';
            ++i;
        } else if (text.compare(i, 2, "\\f") == 0 && i + 2 < text.size()) {
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool NameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// True when the text holds the option as a whole name.
bool MentionsOption(const std::string& text, const std::string& option) {
    for (size_t at = text.find(option); at != std::string::npos; at = text.find(option, at + 1)) {
        const size_t end = at + option.size();
        if ((at == 0 || !NameCharacter(text[at - 1])) &&
            (end == text.size() || !NameCharacter(text[end])))
            return true;
    }
    return false;
}

} // namespace

TEST(WindowModule, F1OpensTheHelpDocumentOfTheBuildTree) {
    if (!HaveWindowModule()) GTEST_SKIP() << "built without the window module";
    Sandbox box;
    const CommandResult run = RunWithDisplay(
        WindowScript(box.Env() + ShellQuote(BrelvixPath()), "F1", box.root.File("opened.txt")));
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(box.FirstOpened(), ExpectedHelpDocument(BuildFolder()));
}

TEST(Desktop, InstallPutsTheManualManPageLauncherAndIconsInPlace) {
    Sandbox box;
    const std::string prefix = box.root.File("prefix");
    CommandResult install;
    ASSERT_TRUE(Install(prefix, install)) << install.out << install.err;

    const std::string docs = prefix + "/share/doc/brelvix/";
    for (const char* page :
         {"index.html", "getting-started.html", "main-window.html", "preferences.html",
          "command-line.html", "options.html", "filename-masks.html", "time-stamps.html",
          "themes.html", "troubleshooting.html", "style.css"})
        EXPECT_TRUE(IsFile(docs + "manual/" + page)) << page;
    EXPECT_FALSE(IsFile(docs + "manual/brelvix.hhp"));
    EXPECT_EQ(IsFile(docs + "brelvix.chm"), IsFile(BuildFolder() + "brelvix.chm"));

    // The man page renders without a warning.
    const std::string man = prefix + "/share/man/man1/brelvix.1";
    ASSERT_TRUE(IsFile(man));
    const CommandResult rendered =
        RunCommand("MANWIDTH=80 man --warnings -l " + ShellQuote(man) + " 2>&1 >/dev/null");
    EXPECT_EQ(rendered.status, 0);
    EXPECT_EQ(rendered.out, "");
    const CommandResult text = RunCommand("MANWIDTH=80 man -l " + ShellQuote(man));
    EXPECT_NE(text.out.find("--wm-text-position=WORD"), std::string::npos);

    // The launcher: clean, offered for BMP pictures, starting the installed program.
    const std::string launcher = prefix + "/share/applications/brelvix.desktop";
    ASSERT_TRUE(IsFile(launcher));
    const CommandResult valid = RunCommand("desktop-file-validate " + ShellQuote(launcher));
    EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
    EXPECT_EQ(valid.out + valid.err, "");
    const std::string entry = ReadFile(launcher);
    EXPECT_NE(entry.find("\nExec=\"" + prefix + "/bin/brelvix\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find("\nMimeType=image/bmp;"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=brelvix\n"), std::string::npos);

    // The icon at every size of the icon theme, each a picture of that size.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const std::string icon = prefix + "/share/icons/hicolor/" + std::to_string(size) + "x" +
                                 std::to_string(size) + "/apps/brelvix.png";
        const RgbImage picture = DecodeWith("magick", icon);
        EXPECT_EQ(picture.width, size);
        EXPECT_EQ(picture.height, size);
    }
}

TEST(WindowModule, F1OpensTheInstalledHelpDocument) {
    if (!HaveWindowModule()) GTEST_SKIP() << "built without the window module";
    Sandbox box;
    const std::string prefix = box.root.File("prefix");
    CommandResult install;
    ASSERT_TRUE(Install(prefix, install)) << install.out << install.err;
    const CommandResult run = RunWithDisplay(WindowScript(
        box.Env() + ShellQuote(prefix + "/bin/brelvix"), "F1", box.root.File("opened.txt")));
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(box.FirstOpened(), ExpectedHelpDocument(prefix + "/share/doc/brelvix/"));

    // Without the compiled document the HTML manual's first page opens.
    RemoveFile(prefix + "/share/doc/brelvix/brelvix.chm");
    RemoveFile(box.root.File("opened.txt"));
    const CommandResult again = RunWithDisplay(WindowScript(
        box.Env() + ShellQuote(prefix + "/bin/brelvix"), "F1", box.root.File("opened.txt")));
    ASSERT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_EQ(box.FirstOpened(), Canonical(prefix + "/share/doc/brelvix/manual/index.html"));
}

TEST(WindowModule, APictureAsTheOnlyArgumentOpensTheWindowWithIt) {
    if (!HaveWindowModule()) GTEST_SKIP() << "built without the window module";
    Sandbox box;
    MakeFolders(box.root.File("pictures"));
    const std::string picture = box.root.File("pictures/beach.bmp");
    RgbImage pixels{6, 4, std::vector<uint8_t>(6 * 4 * 3, 120)};
    ASSERT_TRUE(WriteBmpFile(picture, pixels, BmpLayout{}));
    const CommandResult run = RunWithDisplay(
        WindowScript(box.Env() + ShellQuote(BrelvixPath()) + " " + ShellQuote(picture), "", ""));
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, ""); // no command-line run
    EXPECT_FALSE(IsFile(box.root.File("pictures/beach.pcx")));
    // The picture's folder became the output folder, as choosing the picture does.
    IniFile ini;
    ASSERT_TRUE(ReadIniFile(box.ConfigFile(), ini));
    const std::string* recent = FindValue(FindGroup(ini, "File"), "Recent Out Folders");
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(*recent, box.root.File("pictures/"));
}

TEST(Desktop, HelpManPageAndManualAgreeOnEveryOption) {
    const CommandResult help = RunCommand(ShellQuote(BrelvixPath()) + " --help");
    ASSERT_EQ(help.status, 0);
    const std::string man = ManPageText(BuildFolder() + "brelvix.1");
    const std::string manual = ReadFile(BuildFolder() + "manual/options.html") +
                               ReadFile(BuildFolder() + "manual/command-line.html");
    ASSERT_FALSE(man.empty());
    ASSERT_FALSE(manual.empty());
    // Every option that --help names is in both.
    const std::set<std::string> named = OptionWords(help.out);
    EXPECT_GE(named.size(), 10u);
    for (const std::string& option : named) {
        EXPECT_TRUE(MentionsOption(man, option)) << option << " is not in the man page";
        EXPECT_TRUE(MentionsOption(manual, option)) << option << " is not in the manual";
    }
    // Every option of the program is in both, with the value it takes.
    for (const OptionDef& def : OptionTable()) {
        if (!def.cli.name || def.cli.kind == CliKind::None) continue;
        const std::string option = def.cli.name;
        const bool takesValue = def.cli.kind != CliKind::Switch;
        EXPECT_TRUE(MentionsOption(man, option)) << option;
        EXPECT_TRUE(MentionsOption(manual, option)) << option;
        if (takesValue) {
            EXPECT_NE(man.find(option + "="), std::string::npos) << option;
            EXPECT_NE(manual.find(option + "=<var>"), std::string::npos) << option;
        } else {
            EXPECT_EQ(man.find(option + "="), std::string::npos) << option;
        }
    }
}
