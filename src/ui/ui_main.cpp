// Entry points of the window module, which the executable loads only when it shows a
// window.
#include "ui/window_mode.h"

extern "C" int BrelvixWindowMain(int argc, char** argv) {
    if (!StartToolkit(argc, argv)) return 0;
    StartWindowMode();
    RunMainLoop();
    FinishWindowMode();
    EndToolkit();
    return 0;
}
