// Stand-ins until the batch job and the engine are part of the core: removed then.
#include "engine/batch_job.h"
#include "engine/convert.h"
#include "platform/platform.h"
#include "settings/settings.h"

JobProgress gJobProgress;
std::mutex gJobLock;
namespace {
InputFileHook gHook;
}
void ResetJobProgress() {
    std::lock_guard<std::mutex> g(gJobLock);
    gJobProgress.currentIndex = 0;
    gJobProgress.currentFile.clear();
    gJobProgress.convertedCount = 0;
    gJobProgress.running = true;
}
int RunBatchJob() {
    return 0;
}
void HoldWorker(bool) {}
bool AddInputFile(const std::string& path) {
    if (FileSize(path) == 0) return false;
    std::string name = FilePart(path);
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return false;
    std::string ext = AsciiLower(name.substr(dot + 1));
    bool ok = false;
    for (auto& e : gJob.acceptedInputExtensions)
        ok = ok || e == ext;
    if (!ok) return false;
    gJob.fileMap.clear();
    gJob.fileMap[path] = FileEntry{};
    if (!gJob.commandLineJob && gHook) gHook(path);
    return true;
}
void SetInputFileHook(InputFileHook hook) {
    gHook = std::move(hook);
}
bool ConvertFile() {
    return false;
}
