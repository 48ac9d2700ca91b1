// Runs the real brelvix executable in a folder of its own: every run gets its own
// XDG_RUNTIME_DIR (the instance lock), XDG_CONFIG_HOME and HOME, so tests run in
// parallel and never touch a real settings file.
#pragma once

#include "bmp24_writer.h"
#include "test_support.h"

#include <string>
#include <vector>

struct CliSandbox {
    CliSandbox();
    TempFolder root;
    std::string work;    // current folder of the runs, ends with "/"
    std::string runtime; // XDG_RUNTIME_DIR
    std::string config;  // XDG_CONFIG_HOME
    std::string home;    // HOME
    std::string tmp;     // TMPDIR

    // "env ... brelvix" with the sandbox's variables, as a shell command prefix;
    // extraEnv ("NAME=value ...", already quoted) is set after them and overrides them.
    std::string Command(const std::string& extraEnv = "") const;
    // Runs brelvix with the arguments in the work folder; standard input as given
    // (a shell redirection or pipe source, "</dev/null" by default).
    CommandResult Run(const std::vector<std::string>& args, const std::string& input = "</dev/null",
                      const std::string& extraEnv = "") const;
    std::string Path(const std::string& name) const { return work + name; }
    // Path of the instance lock file.
    std::string LockPath() const;
};

// The banner that every command-line run that names an input file prints first.
std::string Banner();
// Splits text into its lines (without their line ends).
std::vector<std::string> Lines(const std::string& text);
