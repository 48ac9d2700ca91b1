// The command line end to end: the real executable on pictures the tests make.
#include "cli_harness.h"

#include "app/identity.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kPicWidth = 24;
constexpr int kPicHeight = 16;

// A sandbox with the pictures and files the cases use.
struct Fixture : CliSandbox {
    Fixture() {
        WriteBmp24(Path("pic.bmp"), TestPattern(kPicWidth, kPicHeight));
        WriteFile(Path("empty.bmp"), "");
        WriteFile(Path("list.txt"), "pic.bmp\n");
        WriteFile(Path("notes.png"), Bmp24Bytes(TestPattern(4, 4)));
        WriteFile(Path("broken.bmp"), "BM this is no picture at all");
        MakeFolders(Path("out"));
        MakeFolders(Path("dir.bmp"));
    }
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

int64_t ModificationTime(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_mtim.tv_sec);
}

bool SetUnixModificationTime(const std::string& path, int64_t seconds) {
    struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool SamePixels(const RgbImage& a, const RgbImage& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

RgbImage MirroredHorizontally(const RgbImage& image) {
    RgbImage out = image;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c)
                out.At(x, y)[c] = image.At(image.width - 1 - x, y)[c];
    return out;
}

// Runs a shell command with its standard output on a pipe whose reading end is
// already closed, so that every write into it fails; the shell and the program get the
// default handling of SIGPIPE. The exit status, or -1 when a signal ended it.
int RunIntoABrokenPipe(const std::string& command) {
    int fds[2];
    if (pipe(fds) != 0) return -2;
    close(fds[0]);
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGPIPE, SIG_DFL);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char* kHelp[] = {
    " ",
    "Usage: brelvix -i <filename> [options]",
    " ",
    "  brelvix -i example.bmp",
    "  brelvix -i /tmp/example.bmp",
    "  brelvix -i /tmp/example.bmp -o /tmp/converted",
    "  brelvix -i /tmp/example.bmp -o /tmp/converted --width=640 --height=480",
    " ",
    "Options:",
    " ",
    "  -h, -?, --help            Display this help and exit",
    "  -i FILE, --input=FILE     Set input file",
    "  -o PATH, --output=PATH    Set output folder",
    "  -c STR, --conversion=STR  Set output extension, STR = pcx",
    " ",
    "Advanced options:",
    " ",
    "  --width=NUM               Set output image width",
    "  --height=NUM              Set output image height",
    "  --filename-mask=STR       Define output filename format",
    "  --flip-horizontal         Flip output image horizontally",
    "  --flip-vertical           Flip output image vertically",
    "  --brightness=NUM          Set output image brightness, NUM = -100..100",
    "  --contrast=NUM            Set output image contrast, NUM = -100..100",
    "  --gamma=NUM               Set output image gamma, NUM = 0.01..9.99",
    "  --invert                  Invert output image",
    "  --greyscale               Greyscale output image",
    "  --profile=FILE            Set configuration file with required settings",
    "    ...                     Refer documentation for all available options",
    " ",
    "Other options:",
    " ",
    "  -q, --quiet               Don't print status messages to stdout",
    "  -d, --debug               Print debug information to stdout",
    "  -p, --pause               Pause at exit",
    "  -v, --version             Display version information and exit",
    " ",
    "Exit status:",
    " ",
    "  0                         File converted, help or version shown, window closed",
    "  1                         Error, nothing converted, or another copy running",
};

const std::string kConverted = "Preparing...\n"
                               "Importing...\n"
                               "Import complete, new files added: 1\n"
                               "Converting...\n"
                               "Conversion complete\n"
                               "Files converted: 1 of 1\n";

const std::string kNothingToImport =
    "Conversion stopped\n"
    "No input file(s) found. Please, add valid file(s) and try again!\n";

} // namespace

TEST(CommandLine, VersionAndHelp) {
    Fixture sandbox;
    for (const char* option : {"-v", "-V", "--version", "--VERSION=x"}) {
        SCOPED_TRACE(option);
        CommandResult r = sandbox.Run({option, "-i", "pic.bmp"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "2.5\n");
        EXPECT_EQ(r.err, "");
    }
    std::vector<std::string> help(std::begin(kHelp), std::end(kHelp));
    for (const char* option : {"-h", "-H", "-?", "--help", "--Help"}) {
        SCOPED_TRACE(option);
        CommandResult r = sandbox.Run({option, "--width"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, Joined(help));
        EXPECT_EQ(r.err, "");
    }
    // The help lines start their descriptions at the 29th character.
    for (int line : {11, 12, 13, 14, 18, 29, 33, 36})
        EXPECT_NE(kHelp[line - 1][28], ' ') << line;
    // Every line fits in 80 columns, and only this system's paths and options appear.
    for (const std::string& line : Lines(sandbox.Run({"--help"}).out)) {
        EXPECT_LE(line.size(), 80u) << line;
        EXPECT_EQ(line.find('\\'), std::string::npos) << line;
        EXPECT_EQ(line.find("jpg"), std::string::npos) << line;
    }
    EXPECT_FALSE(IsFile(sandbox.Path("out/pic.pcx")));

    // The help names the program as it was installed, without folder and extension.
    const std::string copy = sandbox.Path("pcx-tool.exe");
    ASSERT_EQ(RunCommand("cp " + ShellQuote(BrelvixPath()) + " " + ShellQuote(copy)).status, 0);
    CommandResult r = RunCommand("env XDG_RUNTIME_DIR=" + ShellQuote(sandbox.runtime) + " " +
                                 ShellQuote(copy) + " -?");
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), help.size());
    EXPECT_EQ(lines[1], "Usage: pcx-tool -i <filename> [options]");
    EXPECT_EQ(lines[3], "  pcx-tool -i example.bmp");
    EXPECT_EQ(lines[6],
              "  pcx-tool -i /tmp/example.bmp -o /tmp/converted --width=640 --height=480");
}

TEST(CommandLine, ConvertsThePixels) {
    Fixture sandbox;
    CommandResult r = sandbox.Run({"-i", "pic.bmp", "-o", "out"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Banner() + kConverted);
    EXPECT_EQ(r.err, "");
    const std::string pcx = sandbox.Path("out/pic.pcx");
    const RgbImage expected = TestPattern(kPicWidth, kPicHeight);
    EXPECT_TRUE(SamePixels(DecodeWith("magick", pcx), expected));
    EXPECT_TRUE(SamePixels(DecodeWith("netpbm", pcx), expected));
    // Nothing but the PCX is left in the folder; no settings file is written.
    EXPECT_EQ(RunCommand("ls -A " + ShellQuote(sandbox.Path("out"))).out, "pic.pcx\n");
    EXPECT_EQ(RunCommand("ls -A " + ShellQuote(sandbox.config)).out, "");
}

TEST(CommandLine, ParseErrorsPrintOnlyTheErrorLine) {
    Fixture sandbox;
    struct Case {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"--width", "-i", "pic.bmp"}, "Incorrect number of parameters"},
        {{"--input", "pic.bmp"}, "Incorrect number of parameters"},
        {{"-i", "pic.bmp", "-o", "-out"}, "Incorrect number of parameters"},
        {{"-i", "pic.bmp", "-o"}, "Incorrect number of parameters"},
        {{"-i", "pic.bmp", "--brightness="}, "Incorrect number of parameters"},
        {{"-i", "pic.bmp", "--profile=missing.ini"}, "Invalid profile file"},
        {{"--profile=out", "-i", "pic.bmp"}, "Invalid profile file"},
        {{"-p", "--width"}, "Incorrect number of parameters"}, // a pause writes no prompt
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        CommandResult r = sandbox.Run(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, std::string("Error: ") + c.error + "\n");
    }
    EXPECT_FALSE(IsFile(sandbox.Path("pic.pcx")));
}

TEST(CommandLine, ValidationMessagesInOrder) {
    Fixture sandbox;
    struct Case {
        std::vector<std::string> args; // after -i pic.bmp -o out, unless they name -i first
        const char* error;
    } cases[] = {
        {{"-i", "picture"}, "Invalid input file"},
        {{"-i", "missing.bmp"}, "Invalid input file"},
        {{"-i", "empty.bmp"}, "Invalid input file"},
        {{"-i", "dir.bmp"}, "Invalid input file"},
        {{"-o", "../out"}, "Incorrect output folder"},
        {{"-o", "..out"}, "Incorrect output folder"},
        {{"-o", "nowhere"}, "Invalid output folder"},
        {{"-o", "pic.bmp"}, "Invalid output folder"},
        {{"-c", "PCX"}, "Invalid conversion type"},
        {{"-c", "jpg"}, "Invalid conversion type"},
        {{"--conversion=bmp"}, "Invalid conversion type"},
        {{"--pcx-bpp=8"}, "Invalid pcx-bpp value"},
        {{"--pcx-bpp=-24"}, "Invalid pcx-bpp value"},
        {{"--width=0", "--height=100"}, "Invalid width value"},
        {{"--height=100"}, "Invalid width value"},
        {{"--width=100", "--height=0"}, "Invalid height value"},
        {{"--brightness=101"}, "Invalid brightness value"},
        {{"--brightness=-101"}, "Invalid brightness value"},
        {{"--contrast=101"}, "Invalid contrast value"},
        {{"--contrast=-300"}, "Invalid contrast value"},
        {{"--gamma=10"}, "Invalid gamma value"},
        {{"--gamma=0.009"}, "Invalid gamma value"},
        {{"--gamma=abc"}, "Invalid gamma value"},
        {{"--gamma=nan"}, "Invalid gamma value"},
        {{"--wm-image=missing.png"}, "Invalid watermark image"},
        {{"--wm-image=empty.bmp"}, "Invalid watermark image"},
        {{"--wm-image=\"\""}, "Invalid watermark image"},
        // Files that are there but are no picture.
        {{"--wm-image=list.txt"}, "Invalid watermark image"},
        {{"--wm-image=broken.bmp"}, "Invalid watermark image"},
        {{"--wm-image=dir.bmp"}, "Invalid watermark image"},
        {{"--wm-image=/dev/zero"}, "Invalid watermark image"},
        // Only the first failing check is reported.
        {{"-o", "../x", "-c", "PCX", "--pcx-bpp=8"}, "Incorrect output folder"},
        {{"-c", "PCX", "--pcx-bpp=8"}, "Invalid conversion type"},
        {{"--pcx-bpp=8", "--width=0"}, "Invalid pcx-bpp value"},
        {{"--width=0", "--brightness=500"}, "Invalid width value"},
        {{"--brightness=500", "--contrast=500"}, "Invalid brightness value"},
        {{"--gamma=20", "--wm-image=missing.png"}, "Invalid gamma value"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        if (args.front() != "-i") args.insert(args.begin(), {"-i", "pic.bmp", "-o", "out"});
        std::string name;
        for (const std::string& arg : args)
            name += arg + " ";
        SCOPED_TRACE(name);
        CommandResult r = sandbox.Run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, Banner() + "Preparing...\n");
        EXPECT_EQ(r.err, std::string("Error: ") + c.error + "\n");
    }
    EXPECT_EQ(RunCommand("ls -A " + ShellQuote(sandbox.Path("out"))).out, "");
}

TEST(CommandLine, ValuesAtTheirBoundsPass) {
    Fixture sandbox;
    const std::vector<std::vector<std::string>> cases = {
        {"--pcx-bpp=24"},
        {"--pcx-bpp=0"},
        {"--gamma=0.01"},
        {"--gamma=9.99"},
        {"--brightness=-100"},
        {"--contrast=100"},
        {"--width=$10", "--height=%1000"},
    };
    for (const std::vector<std::string>& extra : cases) {
        SCOPED_TRACE(extra.front());
        std::vector<std::string> args = {"-i", "pic.bmp", "-o", "out", "-q"};
        args.insert(args.end(), extra.begin(), extra.end());
        CommandResult r = sandbox.Run(args);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.status, 0);
    }
}

TEST(CommandLine, NothingToConvert) {
    Fixture sandbox;
    const std::string notBmp = "Error: Cannot convert broken.bmp: the BMP header is damaged\n";
    struct Case {
        std::vector<std::string> args;
        std::string out;
        std::string err;
    } cases[] = {
        {{"-i", "list.txt"},
         Banner() +
             "Preparing...\nImporting...\n"
             "Import complete, new files added: 0\n" +
             kNothingToImport,
         ""},
        {{"-i", "notes.png"},
         Banner() +
             "Preparing...\nImporting...\n"
             "Import complete, new files added: 0\n" +
             kNothingToImport,
         ""},
        {{"-i", "list.txt", "-q"}, kNothingToImport, ""},
        {{"-i", "broken.bmp"},
         Banner() + "Preparing...\nImporting...\n"
                    "Import complete, new files added: 1\n"
                    "Converting...\nConversion stopped\n",
         notBmp},
        {{"-q", "-i", "broken.bmp"}, "Conversion stopped\n", notBmp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        CommandResult r = sandbox.Run(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(RunCommand("ls -A " + ShellQuote(sandbox.work) + " | grep -c pcx").out, "0\n");
}

TEST(CommandLine, QuietPrintsOnlyErrors) {
    Fixture sandbox;
    CommandResult r = sandbox.Run({"-q", "-i", "pic.bmp", "-o", "out"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(IsFile(sandbox.Path("out/pic.pcx")));
    r = sandbox.Run({"--quiet", "-i", "pic.bmp", "-o", "out", "--pcx-bpp=1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Error: Invalid pcx-bpp value\n");
}

TEST(CommandLine, PauseNeverHangsAScript) {
    Fixture sandbox;
    // End of input counts as the key.
    CommandResult r = sandbox.Run({"-i", "pic.bmp", "-o", "out", "-p"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Banner() + kConverted + "Press any key to exit.\n");
    r = sandbox.Run({"-q", "-p", "-i", "pic.bmp", "-o", "out"}, "</dev/null");
    EXPECT_EQ(r.out, "Press any key to exit.\n");
    // A key that is waiting ends the pause at once; an open input is waited for.
    r = RunCommand("cd " + ShellQuote(sandbox.work) + " && echo | " + sandbox.Command() +
                   " -q -p -i pic.bmp -o out");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Press any key to exit.\n");
    r = RunCommand("cd " + ShellQuote(sandbox.work) + " && start=$(date +%s%N); (sleep 1) | " +
                   sandbox.Command() +
                   " -q -p --width; echo $(( ($(date +%s%N) - start) / 1000000 ))");
    EXPECT_EQ(r.err, "Error: Incorrect number of parameters\n");
    EXPECT_GE(std::stoi(r.out), 900) << "the pause did not wait for its input";
}

TEST(CommandLine, OutputFolders) {
    Fixture sandbox;
    MakeFolders(sandbox.Path("in"));
    MakeFolders(sandbox.Path("d:out"));
    TempFolder elsewhere;
    WriteBmp24(sandbox.Path("in/pic.bmp"), TestPattern(kPicWidth, kPicHeight));
    struct Case {
        std::vector<std::string> args;
        std::string output; // where the PCX lands
    } cases[] = {
        {{"-i", "in/pic.bmp"}, sandbox.Path("in/pic.pcx")},
        {{"-i", sandbox.Path("in/pic.bmp")}, sandbox.Path("in/pic.pcx")},
        {{"-i", "pic.bmp"}, sandbox.Path("pic.pcx")},
        {{"-i", "in/pic.bmp", "-o", "out"}, sandbox.Path("out/pic.pcx")},
        {{"-i", "in/pic.bmp", "-o", "./out/"}, sandbox.Path("out/pic.pcx")},
        {{"-i", "pic.bmp", "--output=in"}, sandbox.Path("in/pic.pcx")},
        {{"-i", "pic.bmp", "-o", "d:out"}, sandbox.Path("d:out/pic.pcx")},
        {{"-i", "pic.bmp", "-o", elsewhere.path}, elsewhere.File("pic.pcx")},
        {{"-i", "in/pic.bmp", "-o", elsewhere.path.substr(0, elsewhere.path.size() - 1)},
         elsewhere.File("pic.pcx")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        RemoveFile(c.output);
        CommandResult r = sandbox.Run(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(IsFile(c.output));
        RemoveFile(c.output);
    }
}

TEST(CommandLine, NamesIgnoreCaseValuesKeepTheirs) {
    Fixture sandbox;
    WriteBmp24(sandbox.Path("Pic.BMP"), TestPattern(5, 3));
    MakeFolders(sandbox.Path("OUT"));
    CommandResult r = sandbox.Run({"-I", "Pic.BMP", "-O", "OUT", "-C", "pcx"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(IsFile(sandbox.Path("OUT/Pic.pcx")) || IsFile(sandbox.Path("OUT/Pic.PCX")));
    EXPECT_EQ(RunCommand("ls -A " + ShellQuote(sandbox.Path("out"))).out, "");
}

TEST(CommandLine, DebugListingOfEveryOption) {
    Fixture sandbox;
    // A list file passes every check and then adds nothing, so the whole listing is
    // printed without a conversion.
    CommandResult r = sandbox.Run({
        "-i",
        "list.txt",
        "-o",
        "out",
        "-d",
        "--rotation=90",
        "--rotation-type=advanced",
        "--rotation-back-color=ff00aa",
        "--width=50",
        "--width-unit=percent",
        "--height=40",
        "--keep-aspect-ratio",
        "--resize-algorithm=Lanczos",
        "--resize-type=LARGEIMAGES",
        "--flip-vertical",
        "--brightness=-20",
        "--contrast=$F",
        "--gamma=1.5",
        "--invert",
        "--greyscale",
        "--threshold=128",
        "--fr-solid-left=3",
        "--fr-solid-right=4",
        "--fr-solid-top=5",
        "--fr-solid-bottom=6",
        "--fr-solid-left-color=112233",
        "--fr-solid-right-color=445566",
        "--fr-solid-top-color=778899",
        "--fr-solid-bottom-color=AABBCC",
        "--fr-solid-opacity=200",
        "--wm-text=\"Hello",
        "big",
        "world\"",
        "--wm-font=DejaVu Sans",
        "--wm-font-size=20",
        "--wm-font-leading=2",
        "--wm-font-color=00FF00",
        "--wm-font-style=bolditalic",
        "--wm-font-effect=underline",
        "--wm-text-antialiasing",
        "--wm-text-alignment=center",
        "--wm-text-padding=4",
        "--wm-text-opacity=128",
        "--wm-back-color=0000FF",
        "--wm-back-opacity=64",
        "--wm-text-boundary=frame",
        "--wm-text-position=topright",
        "--wm-text-x-offset=7",
        "--wm-text-y-offset=-8",
        "--wm-text-rotation=45",
        "--wm-text-size=PROPORTIONAL",
        "--filename-mask=%filename%-%n%.%ext%",
        "--file-timestamp=custom",
        "--file-timestamp-custom=1000000",
        "--no-subfolders",
        "--pcx-bpp=24",
        "--jpg-quality=500",
        "--bmp-bpp=3",
        "--dds-load-as=rgba",
    });
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, Banner() +
                         "Preparing...\n"
                         "Input: list.txt\n"
                         "Output: out\n"
                         "Conversion: pcx\n"
                         "PCX BPP: 24\n"
                         "Image Rotation Type: advanced\n"
                         "Image Rotation: 90\n"
                         "Image Rotation Back Color: ff00aa\n"
                         "Width: 50 percent\n"
                         "Height: 40 pixels\n"
                         "Keep Aspect Ratio: 1\n"
                         "Image Resize Type: largeimages\n"
                         "Image Resize Algorithm: lanczos\n"
                         "Flip Horizontal: 0\n"
                         "Flip Vertical: 1\n"
                         "Brightness: -20\n"
                         "Contrast: 15\n"
                         "Gamma: 1.50\n"
                         "Invert: 1\n"
                         "Greyscale: 1\n"
                         "Image Threshold: 128\n"
                         "Frame: solid\n"
                         "Frame left: 3\n"
                         "Frame right: 4\n"
                         "Frame top: 5\n"
                         "Frame bottom: 6\n"
                         "Frame left color: 112233\n"
                         "Frame right color: 445566\n"
                         "Frame top color: 778899\n"
                         "Frame bottom color: AABBCC\n"
                         "Frame opacity: 200\n"
                         "Watermark: text\n"
                         "Watermark text: Hello big world\n"
                         "Watermark font: DejaVu Sans\n"
                         "Watermark font size: 20\n"
                         "Watermark font leading: 2\n"
                         "Watermark font color: 00FF00\n"
                         "Watermark font style: bolditalic\n"
                         "Watermark font effect: underline\n"
                         "Watermark text antialiasing: 1\n"
                         "Watermark text alignment: center\n"
                         "Watermark text padding: 4\n"
                         "Watermark text opacity: 128\n"
                         "Watermark background color: 0000FF\n"
                         "Watermark background opacity: 64\n"
                         "Watermark boundary: frame\n"
                         "Watermark position: topright\n"
                         "Watermark offset (x/y): 7/-8\n"
                         "Watermark rotation: 45\n"
                         "Watermark size/mode: fixed\n"
                         "Filename Mask: %filename%-%n%.%ext%\n"
                         "File Timestamp: custom\n"
                         "Custom Timestamp: 1000000\n"
                         "Keep Subfolders: 0\n"
                         "Importing...\n"
                         "Import complete, new files added: 0\n" +
                         kNothingToImport);
}

TEST(CommandLine, DebugListingOfAConversion) {
    Fixture sandbox;
    CommandResult r = sandbox.Run({"-i", "pic.bmp", "-o", "out", "--debug", "--flip-horizontal"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, Banner() +
                         "Preparing...\n"
                         "Input: pic.bmp\n"
                         "Output: out\n"
                         "Conversion: pcx\n"
                         "PCX BPP: 0\n"
                         "Flip Horizontal: 1\n"
                         "Flip Vertical: 0\n"
                         "Greyscale: 0\n"
                         "Frame: none\n"
                         "Watermark: none\n"
                         "Filename Mask: %filename%.%ext%\n"
                         "File Timestamp: current\n"
                         "Keep Subfolders: 1\n"
                         "Importing...\n"
                         "Import complete, new files added: 1\n"
                         "Converting...\n"
                         "Processing: pic.bmp\n"
                         "Saving As: " +
                         sandbox.Path("out/pic.pcx") +
                         "\n"
                         "OK\n"
                         "Conversion complete\n"
                         "Files converted: 1 of 1\n");
    EXPECT_TRUE(SamePixels(DecodeWith("netpbm", sandbox.Path("out/pic.pcx")),
                           MirroredHorizontally(TestPattern(kPicWidth, kPicHeight))));

    // A file that fails in the pipeline shows "Not OK".
    r = sandbox.Run({"-i", "broken.bmp", "-o", "out", "-d", "-q"});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 4], "Processing: broken.bmp");
    EXPECT_TRUE(lines[lines.size() - 3].starts_with("Saving As: "));
    EXPECT_EQ(lines[lines.size() - 2], "Not OK");
    EXPECT_EQ(lines.back(), "Conversion stopped");
    EXPECT_EQ(r.err, "Error: Cannot convert broken.bmp: the BMP header is damaged\n");
}

TEST(CommandLine, DebugListingOfAWatermarkImage) {
    Fixture sandbox;
    CommandResult r = sandbox.Run({"-i",
                                   "pic.bmp",
                                   "-o",
                                   "out",
                                   "-d",
                                   "-q",
                                   "--width=10",
                                   "--height=20",
                                   "--height-unit=PERCENT",
                                   "--resize-algorithm=LANCZOS3",
                                   "--wm-image-size=PROPORTIONAL",
                                   "--wm-image=logo.bmp",
                                   "--wm-image-greyscale",
                                   "--wm-image-opacity=99",
                                   "--wm-image-boundary=FRAME",
                                   "--wm-image-position=middleleft",
                                   "--wm-image-x-offset=-1",
                                   "--wm-image-y-offset=2",
                                   "--wm-image-rotation=180",
                                   "--wm-text-position=topleft"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: Invalid watermark image\n");
    EXPECT_EQ(r.out, "Input: pic.bmp\n"
                     "Output: out\n"
                     "Conversion: pcx\n"
                     "PCX BPP: 0\n"
                     "Width: 10 pixels\n"
                     "Height: 20 percent\n"
                     "Keep Aspect Ratio: 0\n"
                     "Image Resize Type: allimages\n"
                     "Image Resize Algorithm: box\n"
                     "Flip Horizontal: 0\n"
                     "Flip Vertical: 0\n"
                     "Greyscale: 0\n"
                     "Frame: none\n"
                     "Watermark: image\n"
                     "Watermark image: logo.bmp\n"
                     "Watermark greyscale: 1\n"
                     "Watermark opacity: 99\n"
                     "Watermark boundary: frame\n"
                     "Watermark position: middleleft\n"
                     "Watermark offset (x/y): -1/2\n"
                     "Watermark rotation: 180\n"
                     "Watermark size/mode: fixed\n");
}

TEST(CommandLine, ProfileFile) {
    Fixture sandbox;
    WriteFile(sandbox.Path("profile.ini"), "\xEF\xBB\xBF\r\n[CLI]\r\n"
                                           "--pcx-bpp = 24\r\n"
                                           "--flip-horizontal = 0\r\n"
                                           "--fr-solid-opacity = 7\r\n"
                                           "--wm-solid-opacity = 9\r\n"
                                           "--output = nowhere\r\n"
                                           ";\r\n");
    CommandResult r = sandbox.Run(
        {"-i", "pic.bmp", "-o", "out", "-d", "-q", "--fr-solid-top=1", "--profile=profile.ini"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string out = r.out;
    EXPECT_NE(out.find("PCX BPP: 24\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Flip Horizontal: 1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Frame opacity: 9\n"), std::string::npos) << out;
    EXPECT_TRUE(IsFile(sandbox.Path("out/pic.pcx")));
    // Options after the profile overwrite it.
    r = sandbox.Run({"-i", "pic.bmp", "-o", "out", "-q", "--profile=profile.ini", "--pcx-bpp=4"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: Invalid pcx-bpp value\n");
}

TEST(CommandLine, FileTimestamps) {
    Fixture sandbox;
    const int64_t original = 981173106; // 3 February 2001
    ASSERT_TRUE(SetUnixModificationTime(sandbox.Path("pic.bmp"), original));
    const std::string pcx = sandbox.Path("out/pic.pcx");

    CommandResult r =
        sandbox.Run({"-q", "-i", "pic.bmp", "-o", "out", "--file-timestamp=ORIGINAL"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ModificationTime(pcx), original);

    const int64_t custom = 1234567890; // 13 February 2009
    const std::string localDate = std::to_string(UnixToLocalDate(custom));
    r = sandbox.Run({"-q", "-i", "pic.bmp", "-o", "out", "--file-timestamp=Custom",
                     "--file-timestamp-custom=" + localDate});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ModificationTime(pcx), custom);

    // A custom time without the custom mode, and the current mode, leave the time of writing.
    r = sandbox.Run({"-q", "-i", "pic.bmp", "-o", "out", "--file-timestamp-custom=" + localDate});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GT(ModificationTime(pcx), custom + 3600);
    EXPECT_LE(std::llabs(ModificationTime(pcx) - time(nullptr)), 120);
    EXPECT_EQ(ModificationTime(sandbox.Path("pic.bmp")), original);
}

TEST(CommandLine, SecondCopyEndsAtOnce) {
    Fixture sandbox;
    int fd = open(sandbox.LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);

    CommandResult r = sandbox.Run({"-i", "pic.bmp", "-o", "out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with("Error: ")) << r.err;
    EXPECT_NE(r.err.find("running"), std::string::npos) << r.err;
    EXPECT_EQ(Lines(r.err).size(), 1u);
    EXPECT_FALSE(IsFile(sandbox.Path("out/pic.pcx")));

    // Help and version never wait for the other copy.
    for (const char* option : {"-v", "--help"}) {
        r = sandbox.Run({option});
        EXPECT_EQ(r.status, 0) << option;
        EXPECT_EQ(Lines(r.out).front(), option[1] == 'v' ? "2.5" : " ") << option;
        EXPECT_EQ(r.err, "") << option;
    }
    // Without arguments it ends silently.
    r = sandbox.Run({});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");

    close(fd);
    r = sandbox.Run({"-q", "-i", "pic.bmp", "-o", "out"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(CommandLine, SecondCopyWhileTheFirstPauses) {
    Fixture sandbox;
    // The first copy waits at its pause while its input stays open for three seconds;
    // the second starts as soon as the first is waiting.
    const std::string script =
        "cd " + ShellQuote(sandbox.work) + "\n" + "( sleep 3 | " + sandbox.Command() +
        " -q -i pic.bmp -o out -p >first.out 2>first.err; echo $? >first.status ) &\n"
        "for i in $(seq 100); do grep -q 'Press any key' first.out 2>/dev/null && break; "
        "sleep 0.1; done\n" +
        sandbox.Command() +
        " -i pic.bmp -o out >second.out 2>second.err; echo $? >second.status\n" + "wait\n";
    RunCommand(script);
    EXPECT_EQ(ReadFile(sandbox.Path("first.status")), "0\n");
    EXPECT_EQ(ReadFile(sandbox.Path("first.out")), "Press any key to exit.\n");
    EXPECT_EQ(ReadFile(sandbox.Path("second.status")), "1\n");
    EXPECT_EQ(ReadFile(sandbox.Path("second.out")), "");
    EXPECT_TRUE(ReadFile(sandbox.Path("second.err")).starts_with("Error: "));
}

// Only a lock that another running copy holds is "another copy". A lock file that
// cannot be opened falls back to a folder of the user's own below TMPDIR; where no
// lock can be had at all the run goes on without one.
TEST(CommandLine, LockThatCannotBeTakenIsNoOtherCopy) {
    Fixture sandbox;
    const std::string privateFolder = sandbox.tmp + "/brelvix-" + std::to_string(getuid());
    const std::string privateLock = privateFolder + "/" + ProductTitle() + ".lock";
    ASSERT_TRUE(MakeFolders(sandbox.root.File("locks")));
    // A folder, and a link to itself, standing where the lock file would be.
    ASSERT_TRUE(MakeFolders(sandbox.root.File("locks/dir/" + ProductTitle() + ".lock")));
    ASSERT_TRUE(MakeFolders(sandbox.root.File("locks/loop")));
    const std::string loop = sandbox.root.File("locks/loop/" + ProductTitle() + ".lock");
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    const std::string readOnly = sandbox.root.File("locks/readonly");
    ASSERT_TRUE(MakeFolders(readOnly));
    ASSERT_EQ(chmod(readOnly.c_str(), 0555), 0);
    const std::string plainFile = sandbox.Path("pic.bmp");

    const std::vector<std::string> runtimes = {
        "",                                 // unset
        sandbox.root.File("locks/missing"), // a folder that does not exist
        plainFile,                          // a file, not a folder
        readOnly,                           // a folder nobody may write into
        sandbox.root.File("locks/dir"),     // the lock file is a folder
        sandbox.root.File("locks/loop"),    // the lock file is a link loop
    };
    for (const std::string& runtime : runtimes) {
        SCOPED_TRACE("XDG_RUNTIME_DIR=" + runtime);
        const std::string env = "XDG_RUNTIME_DIR=" + ShellQuote(runtime);
        RemoveFile(sandbox.Path("out/pic.pcx"));
        CommandResult r = sandbox.Run({"-q", "-i", "pic.bmp", "-o", "out"}, "</dev/null", env);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(SamePixels(DecodeWith("netpbm", sandbox.Path("out/pic.pcx")),
                               TestPattern(kPicWidth, kPicHeight)));
        r = sandbox.Run({"-v"}, "</dev/null", env);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "2.5\n");

        // The run took its lock in the private folder, which is the user's alone...
        if (runtime == readOnly && access(readOnly.c_str(), W_OK) == 0) continue; // superuser
        struct stat st {};
        ASSERT_EQ(lstat(privateFolder.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_TRUE(IsFile(privateLock));
        // ...and a copy that holds it there is another copy.
        int fd = open(privateLock.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
        r = sandbox.Run({"-i", "pic.bmp", "-o", "out"}, "</dev/null", env);
        close(fd);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Another copy"), std::string::npos) << r.err;
        std::error_code ec;
        std::filesystem::remove_all(privateFolder, ec);
    }
    chmod(readOnly.c_str(), 0755);

    // A private folder that is a link, or that belongs to someone else, is not used:
    // the run goes on without a lock and leaves it alone.
    const std::string elsewhere = sandbox.root.File("elsewhere");
    ASSERT_TRUE(MakeFolders(elsewhere));
    ASSERT_EQ(chmod(elsewhere.c_str(), 0700), 0);
    ASSERT_EQ(symlink(elsewhere.c_str(), privateFolder.c_str()), 0);
    const std::string missingRuntime = "XDG_RUNTIME_DIR=" + ShellQuote(runtimes[1]);
    CommandResult r =
        sandbox.Run({"-q", "-i", "pic.bmp", "-o", "out"}, "</dev/null", missingRuntime);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RunCommand("ls -A " + ShellQuote(elsewhere)).out, "");
    RemoveFile(privateFolder);
    if (getuid() == 0) {
        ASSERT_TRUE(MakeFolder(privateFolder));
        ASSERT_EQ(chown(privateFolder.c_str(), 65534, 65534), 0);
        r = sandbox.Run({"-q", "-i", "pic.bmp", "-o", "out"}, "</dev/null", missingRuntime);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(RunCommand("ls -A " + ShellQuote(privateFolder)).out, "");
        rmdir(privateFolder.c_str());
    }

    // No lock anywhere: the temporary folder is missing as well.
    r = sandbox.Run({"-i", "pic.bmp", "-o", "out"}, "</dev/null",
                    missingRuntime + " TMPDIR=" + ShellQuote(sandbox.root.File("no-tmp")));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Banner() + kConverted);
    EXPECT_EQ(r.err, "");
}

// A closed or broken standard output never stops a conversion.
TEST(CommandLine, ClosedOrBrokenOutputStillConverts) {
    Fixture sandbox;
    const std::string pcx = sandbox.Path("out/pic.pcx");
    const std::string run = "cd " + ShellQuote(sandbox.work) + " && " + sandbox.Command() +
                            " -i pic.bmp -o out -d </dev/null";
    struct Case {
        const char* name;
        std::function<int()> start;
    } cases[] = {
        {"broken pipe",
         [&] { return RunIntoABrokenPipe(run + " 2>err.txt; echo $? >status.txt"); }},
        {"closed output",
         [&] { return RunCommand(run + " >&- 2>err.txt; echo $? >status.txt").status; }},
        {"closed output and error",
         [&] { return RunCommand(run + " >&- 2>&-; echo $? >status.txt").status; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveFile(pcx);
        RemoveFile(sandbox.Path("err.txt"));
        EXPECT_EQ(c.start(), 0);
        EXPECT_EQ(ReadFile(sandbox.Path("status.txt")), "0\n");
        EXPECT_EQ(ReadFile(sandbox.Path("err.txt")), "");
        EXPECT_TRUE(SamePixels(DecodeWith("magick", pcx), TestPattern(kPicWidth, kPicHeight)));
        EXPECT_TRUE(SamePixels(DecodeWith("netpbm", pcx), TestPattern(kPicWidth, kPicHeight)));
        EXPECT_EQ(RunCommand("ls -A " + ShellQuote(sandbox.Path("out"))).out, "pic.pcx\n");
    }
    // An error line into a closed pipe still ends the run with its status.
    EXPECT_EQ(RunIntoABrokenPipe("cd " + ShellQuote(sandbox.work) + " && " + sandbox.Command() +
                                 " -i missing.bmp 2>&1; echo $? >status.txt"),
              0);
    EXPECT_EQ(ReadFile(sandbox.Path("status.txt")), "1\n");
}

// A help or version text that cannot be written fails the run, as for the standard tools.
TEST(CommandLine, FailedWriteOfHelpOrVersionExitsOne) {
    Fixture sandbox;
    for (const char* option : {"-v", "--help", "-?"}) {
        SCOPED_TRACE(option);
        CommandResult r = sandbox.Run({option}, "</dev/null >/dev/full");
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.starts_with("Error: ")) << r.err;
        EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
        r = sandbox.Run({option}, "</dev/null >&-");
        EXPECT_EQ(r.status, 1);
        // A reader that has gone needs no message, only the status.
        EXPECT_EQ(RunIntoABrokenPipe("cd " + ShellQuote(sandbox.work) + " && " + sandbox.Command() +
                                     " " + option + " 2>err.txt; echo $? >status.txt"),
                  0);
        EXPECT_EQ(ReadFile(sandbox.Path("status.txt")), "1\n");
        EXPECT_EQ(ReadFile(sandbox.Path("err.txt")), "");
    }
}

// A profile is read only when it is a regular file of at most a few MiB: a FIFO, a
// device or a larger file is refused at once with the profile error.
TEST(CommandLine, ProfileThatIsNoRegularFileIsRefused) {
    Fixture sandbox;
    ASSERT_EQ(mkfifo(sandbox.Path("fifo.ini").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", sandbox.Path("zero.ini").c_str()), 0);
    const std::string valid = "[CLI]\r\n--pcx-bpp = 24\r\n";
    ASSERT_TRUE(WriteFile(sandbox.Path("large.ini"), valid));
    ASSERT_EQ(truncate(sandbox.Path("large.ini").c_str(), 4 * 1024 * 1024 + 1), 0);
    ASSERT_TRUE(WriteFile(sandbox.Path("bound.ini"), valid));
    ASSERT_EQ(truncate(sandbox.Path("bound.ini").c_str(), 4 * 1024 * 1024), 0);
    for (const char* profile : {"fifo.ini", "zero.ini", "/dev/zero", "large.ini", "out"}) {
        SCOPED_TRACE(profile);
        // Bounded: a run that waited on the FIFO is ended after 30 seconds.
        const CommandResult r =
            RunCommand("cd " + ShellQuote(sandbox.work) + " && timeout 30 " + sandbox.Command() +
                       " -i pic.bmp -o out --profile=" + ShellQuote(profile) + " </dev/null");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "Error: Invalid profile file\n");
    }
    EXPECT_EQ(RunCommand("ls -A " + ShellQuote(sandbox.Path("out"))).out, "");
    // A profile of exactly the bound is read.
    const CommandResult r =
        sandbox.Run({"-q", "-d", "-i", "pic.bmp", "-o", "out", "--profile=bound.ini"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("PCX BPP: 24\n"), std::string::npos) << r.out;
}
