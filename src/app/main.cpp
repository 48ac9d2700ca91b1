// Start-up: the order every mode shares, then the command line or window mode.
#include "app/identity.h"
#include "app/window_module.h"
#include "cli/command_line.h"
#include "platform/platform.h"
#include "settings/settings.h"

int main(int argc, char** argv) {
    gSettings.instanceLock = AcquireInstanceLock(ProductTitle());
    if (gSettings.instanceLock < 0) {
        if (argc > 1) {
            ConsoleWriteError("Error: Another copy of " + ProductTitle() +
                              " is running; try again when it has finished.");
            return 1;
        }
        return 0;
    }

    int status = RunCommandLine(argc, argv);
    if (status == kContinueToWindowMode) status = RunWindowMode(argc, argv);
    ReleaseInstanceLock(gSettings.instanceLock);
    return status;
}
