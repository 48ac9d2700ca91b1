#include "app/window_module.h"

#include "platform/platform.h"

#include <cstdio>
#include <dlfcn.h>

std::string WindowModulePath() {
    const std::string folder = ProgramFolder();
    for (const std::string& candidate :
         {folder + "brelvix-ui.so", folder + "../lib/brelvix/brelvix-ui.so"})
        if (IsFile(candidate)) return candidate;
    return "";
}

int RunWindowMode(int argc, char** argv) {
    std::string path = WindowModulePath();
    if (path.empty()) return 0;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 0;
    }
    auto entry = reinterpret_cast<WindowEntry>(dlsym(module, kWindowEntryName));
    int status = entry ? entry(argc, argv) : 0;
    // The module stays loaded: toolkit libraries do not survive being unloaded.
    return status;
}
