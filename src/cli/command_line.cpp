#include "cli/command_line.h"

int RunCommandLine(int argc, char** argv) {
    (void)argv;
    if (argc <= 1) return kContinueToWindowMode;
    return kContinueToWindowMode;
}
