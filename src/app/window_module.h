// Loading of the window module, which is the only part of the program that links
// the window toolkit. A command-line run never loads it.
#pragma once

#include <string>

// Name of the entry point that the window module exports.
inline constexpr const char* kWindowEntryName = "BrelvixWindowMain";
using WindowEntry = int (*)(int argc, char** argv);

// Returned by the entry point when the toolkit cannot start (no display), and by
// RunWindowMode whenever no window can be opened.
inline constexpr int kWindowCannotOpen = -2;

// Path of the window module: beside the executable, else in the installed library folder.
std::string WindowModulePath();
// Loads the module and runs the window mode; returns its exit status, or
// kWindowCannotOpen with the reason in words when no window can be shown.
int RunWindowMode(int argc, char** argv, std::string& failure);
