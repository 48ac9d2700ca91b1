#include "engine/drawing_library.h"

#include "platform/platform.h"
#include "settings/settings.h"

#include <atomic>
#include <dlfcn.h>
#include <mutex>

namespace {

struct DrawingApi {
    DrawStepFunction frame = nullptr;
    DrawStepFunction watermark = nullptr;
    DrawFontCreateFunction createFont = nullptr;
    DrawFontFreeFunction freeFont = nullptr;
};

std::once_flag gLoadOnce;
std::atomic<const DrawingApi*> gApi{nullptr};

// The drawing library lives beside this library (in the build tree and when installed).
std::string LibraryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryPath), &info) && info.dli_fname)
        return FolderPart(info.dli_fname) + kDrawLibraryName;
    return kDrawLibraryName;
}

void Load() {
    void* library = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) library = dlopen(kDrawLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library) return;
    static DrawingApi api;
    api.frame = reinterpret_cast<DrawStepFunction>(dlsym(library, "BrelvixApplyFrame"));
    api.watermark = reinterpret_cast<DrawStepFunction>(dlsym(library, "BrelvixApplyWatermark"));
    api.createFont =
        reinterpret_cast<DrawFontCreateFunction>(dlsym(library, "BrelvixCreateWatermarkFont"));
    api.freeFont =
        reinterpret_cast<DrawFontFreeFunction>(dlsym(library, "BrelvixFreeWatermarkFont"));
    // The library stays loaded for the life of the process.
    if (api.frame && api.watermark && api.createFont && api.freeFont) gApi.store(&api);
}

const DrawingApi* Api() {
    std::call_once(gLoadOnce, Load);
    return gApi.load();
}

Image Step(DrawStepFunction DrawingApi::*which, Image image, int width, int height) {
    const DrawingApi* api = Api();
    if (!api) return Image(); // asked for a drawing that cannot be made: the file fails
    return Image((api->*which)(image.release(), width, height));
}

} // namespace

namespace drawlib {

Image ApplyFrame(Image image, int width, int height) {
    if (!image || gSettings.doFrame == 0) return image;
    return Step(&DrawingApi::frame, std::move(image), width, height);
}

Image ApplyWatermark(Image image, int width, int height) {
    if (!image || gSettings.doWatermark == 0) return image;
    return Step(&DrawingApi::watermark, std::move(image), width, height);
}

bool CreateWatermarkFont() {
    const DrawingApi* api = Api();
    return api && api->createFont();
}

void FreeWatermarkFont() {
    if (const DrawingApi* api = gApi.load()) api->freeFont();
}

} // namespace drawlib
