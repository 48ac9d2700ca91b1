// The command-line interface: option parsing, profile files, start modes, the
// console output and the command-line run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Returned by RunCommandLine when start-up continues into window mode.
inline constexpr int kContinueToWindowMode = -1;

// Exit statuses of a command-line run: 0 for help, version and a run that converted
// its file; 1 for an error line or a run that converted nothing.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

// Reads the arguments after the program name. Returns kContinueToWindowMode when
// there were none, or when they named no input file and raised no error; otherwise
// the exit status of the finished run.
int RunCommandLine(int argc, char** argv);

// False when the first argument asks only for the help or version text, which never
// waits for another copy of the program.
bool NeedsInstanceLock(int argc, char** argv);

// The arguments after the program name, addressed by position from 0.
using Arguments = std::vector<std::string>;

// The normalised name of an argument: "-x" whole, "--name" up to its first "=",
// in upper case; "" for an argument that does not begin with "-".
std::string OptionName(const Arguments& args, int position);
// The argument without surrounding spaces; for "--name=value" only the value.
// "" past the last argument.
std::string OptionValue(const Arguments& args, int position);

// What the option loop leaves besides ConversionSettings and JobState.
struct RunValues {
    std::string errorText; // empty when parsing found no error
    bool quiet = false;
    bool pause = false;
};

// The option loop over every argument: fills gSettings and gJob and the run values.
RunValues ParseOptions(const Arguments& args);

// Reads the [CLI] group of a profile file into gSettings. False for an empty path or
// a file that cannot be read.
bool LoadProfile(const std::string& path);

// Readers of option values.
int32_t ParseIntegerValue(const std::string& text); // decimal, "$" hex, "%" binary
double ParseDecimalValue(const std::string& text);  // "." as separator; 0 for no number

// Console output. Each returns the exit status of its run.
int PrintVersion();
int PrintHelp();
// Reports the parse error, or runs the command-line job when an input file was named;
// returns kContinueToWindowMode when there was neither.
int FinishCommandLine(const RunValues& run);

// Reports that the window mode could not open its window (the reason in words) in one
// "Error: " line; when the arguments hold a word that looks like a file, the line says
// that an input file is given with -i. Returns the exit status, kExitFailure.
int ReportWindowCannotOpen(int argc, char** argv, const std::string& reason);
// The first argument that looks like a file which was meant as the input: a stray word,
// or the value of an unknown "--name=value" option, that names an existing file or has
// a file extension. "" when there is none.
std::string WordLookingLikeAFile(const Arguments& args);

// Validates the request, prints the debug listing when asked and converts the job's
// input file. True when every file added was converted.
bool RunCommandLineJob(bool quiet);

// Writes one console line (an empty line as one space); "Error: " lines go to
// standard error. False when the line could not be written; a run goes on regardless.
bool PrintLine(const std::string& line);
bool PrintError(const std::string& line);
