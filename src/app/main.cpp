// Start-up: the order every mode shares, then the command line or window mode.
#include "app/identity.h"
#include "app/window_module.h"
#include "cli/command_line.h"
#include "platform/platform.h"
#include "settings/settings.h"

int main(int argc, char** argv) {
    // A closed standard stream would hand its number to the next file opened, and
    // console lines would land in it; a closed pipe would end the run at the first line.
    KeepStandardStreamsOpen();
    IgnoreBrokenPipes();

    // Without a lock file anywhere the run goes on unguarded; only a copy that holds
    // the lock keeps this one from running.
    if (NeedsInstanceLock(argc, argv) &&
        AcquireInstanceLock(ProductTitle(), gSettings.instanceLock) ==
            InstanceLock::kHeldByAnother) {
        if (argc > 1) {
            ConsoleWriteError("Error: Another copy of " + ProductTitle() +
                              " is running; try again when it has finished.");
            return 1;
        }
        return 0;
    }

    int status = RunCommandLine(argc, argv);
    if (status == kContinueToWindowMode) {
        std::string failure;
        status = RunWindowMode(argc, argv, failure);
        if (status == kWindowCannotOpen) status = ReportWindowCannotOpen(argc, argv, failure);
    }
    ReleaseInstanceLock(gSettings.instanceLock);
    return status;
}
