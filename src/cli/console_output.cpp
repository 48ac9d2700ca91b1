// Console output of the command line: version, help, banner, error line and pause.
#include "cli/command_line.h"

#include "app/identity.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"

#include <cerrno>
#include <cstring>

namespace {

// Waits for a key press; the key itself is discarded. End of input counts as a key.
void WaitForKey() {
    while (!ConsoleReadKey()) {
    }
}

// The file name of the running executable without folder and extension.
std::string ProgramBaseName() {
    std::string name = FilePart(ProgramPath());
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name.empty() ? "brelvix" : name;
}

std::string RandomInputExtension() {
    auto formats = ActiveInputFormats();
    if (formats.empty()) return "";
    return formats[static_cast<size_t>(RandomInt(0, static_cast<int>(formats.size()) - 1))];
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The help text. "%s1%" is the program's base name, "%s2%" an input extension. Every
// line fits in 80 columns with the base name "brelvix".
constexpr const char* kHelpLines[] = {
    " ",
    "Usage: %s1% -i <filename> [options]",
    " ",
    "  %s1% -i example.%s2%",
    "  %s1% -i /tmp/example.%s2%",
    "  %s1% -i /tmp/example.%s2% -o /tmp/converted",
    "  %s1% -i /tmp/example.%s2% -o /tmp/converted --width=640 --height=480",
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
    // The exit statuses, for scripts.
    " ",
    "Exit status:",
    " ",
    "  0                         File converted, help or version shown, window closed",
    "  1                         Error, nothing converted, or another copy running",
};

// The exit status of a run whose only output is its text: a text that could not be
// written (a full disk, a closed output) fails the run, as it does for the standard
// tools. A reader that stopped early needs no message.
int TextOutputStatus(bool written, const char* what) {
    if (written) return kExitSuccess;
    const int error = errno;
    if (error != EPIPE)
        PrintError(std::string("Error: Cannot write the ") + what + ": " + std::strerror(error));
    return kExitFailure;
}

} // namespace

bool PrintLine(const std::string& line) {
    return ConsoleWriteLine(line.empty() ? " " : line);
}

bool PrintError(const std::string& line) {
    return ConsoleWriteError(line.empty() ? " " : line);
}

int PrintVersion() {
    ConsoleSetTitle(ProductTitle());
    return TextOutputStatus(PrintLine(VersionText(kProductVersion)), "version");
}

int PrintHelp() {
    ConsoleSetTitle(ProductTitle());
    const std::string base = ProgramBaseName();
    for (const char* line : kHelpLines)
        if (!PrintLine(FillTemplate(line, base, RandomInputExtension())))
            return TextOutputStatus(false, "help text");
    return kExitSuccess;
}

int ReportWindowCannotOpen(int argc, char** argv, const std::string& reason) {
    std::string line = "Error: The window cannot be opened: " + reason;
    const std::string word =
        argc > 1 && argv ? WordLookingLikeAFile(Arguments(argv + 1, argv + argc)) : "";
    if (!word.empty())
        line += "; an input file is given with -i, as in: " + ProgramBaseName() + " -i " + word;
    PrintError(line);
    return kExitFailure;
}

int FinishCommandLine(const RunValues& run) {
    if (!run.errorText.empty()) {
        ConsoleSetTitle(ProductTitle());
        PrintError("Error: " + run.errorText);
        if (run.pause) WaitForKey();
        return kExitFailure;
    }
    if (!gJob.commandLineJob) return kContinueToWindowMode;

    ConsoleSetTitle(ProductTitle());
    if (!run.quiet) {
        PrintLine(ProductTitle());
        PrintLine(ReplaceAll(NoticeText(), "\u00a9", "(c)"));
        PrintLine(WebSiteAddress());
        PrintLine(" ");
    }
    const bool converted = RunCommandLineJob(run.quiet);
    if (run.pause) {
        PrintLine("Press any key to exit.");
        WaitForKey();
    }
    return converted ? kExitSuccess : kExitFailure;
}
