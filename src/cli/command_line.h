// The command-line interface: option parsing, start modes and the console run.
#pragma once

// Returned by RunCommandLine when start-up continues into window mode.
inline constexpr int kContinueToWindowMode = -1;

// Reads the arguments after the program name. Returns kContinueToWindowMode when
// there were none, or when they named no input file and raised no error; otherwise
// the exit status of the finished run.
int RunCommandLine(int argc, char** argv);
