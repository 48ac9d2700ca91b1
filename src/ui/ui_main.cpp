// Entry point of the window module, which the executable loads only when it shows a
// window: window mode, and the start modes "-T" and "-U", which the command line has
// prepared (format tables, job, command-line defaults, text table) and left to it.
#include "app/window_module.h"
#include "platform/platform.h"
#include "ui/start_file.h"
#include "ui/start_modes.h"
#include "ui/window_mode.h"

#include <string>

extern "C" int BrelvixWindowMain(int argc, char** argv) {
    const std::string first = argc > 1 && argv[1] ? AsciiUpper(TrimSpaces(argv[1])) : "";
    if (!StartToolkit(argc, argv)) return kWindowCannotOpen;
    if (first == "-T") {
        PrepareScreenshotMode();
        RunScreenshotMode(StartModeFolder(argc, argv));
    } else if (first == "-U") {
        ShowUninstallPage();
    } else {
        StartWindowMode();
        OpenStartFile(argc, argv);
        RunMainLoop();
        FinishWindowMode();
    }
    EndToolkit();
    return 0;
}
