#include "app/window_module.h"

#include "platform/platform.h"

#include <dlfcn.h>

namespace {

constexpr const char* kModuleName = "brelvix-ui.so";

} // namespace

std::string WindowModulePath() {
    const std::string folder = ProgramFolder();
    for (const std::string& candidate :
         {folder + kModuleName, folder + "../lib/brelvix/" + kModuleName})
        if (IsFile(candidate)) return candidate;
    return "";
}

int RunWindowMode(int argc, char** argv, std::string& failure) {
    std::string path = WindowModulePath();
    if (path.empty()) {
        failure = std::string("the window module ") + kModuleName + " is not installed";
        return kWindowCannotOpen;
    }
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* error = dlerror();
        failure = error ? error : "the window module cannot be loaded";
        return kWindowCannotOpen;
    }
    auto entry = reinterpret_cast<WindowEntry>(dlsym(module, kWindowEntryName));
    if (!entry) {
        failure = "the window module has no entry point";
        return kWindowCannotOpen;
    }
    // The module stays loaded: toolkit libraries do not survive being unloaded.
    const int status = entry(argc, argv);
    if (status == kWindowCannotOpen) failure = "no display is available";
    return status;
}
