// Stand-ins until the batch job is part of the core: removed then.
#include "engine/batch_job.h"
#include "engine/convert.h"
#include "platform/platform.h"
#include "settings/settings.h"

#include <condition_variable>

JobProgress gJobProgress;
std::mutex gJobLock;
namespace {
InputFileHook gHook;
std::mutex gGate;
std::condition_variable gOpened;
bool gHeld = false;
} // namespace

void HoldWorker(bool hold) {
    {
        std::lock_guard<std::mutex> g(gGate);
        gHeld = hold;
    }
    gOpened.notify_all();
}

void ResetJobProgress() {
    {
        std::lock_guard<std::mutex> g(gJobLock);
        gJobProgress.currentIndex = 0;
        gJobProgress.currentFile.clear();
        gJobProgress.convertedCount = 0;
        gJobProgress.running = true;
    }
    HoldWorker(false);
}

int RunBatchJob() {
    int index = 0, converted = 0;
    for (auto it = gJob.fileMap.begin();; ++it) {
        {
            std::unique_lock<std::mutex> lock(gGate);
            gOpened.wait(lock, [] { return !gHeld; });
        }
        if (!gJobProgress.running || it == gJob.fileMap.end()) break;
        gJob.currentInput = it->first;
        gJob.currentSubFolder = it->second.subFolder;
        {
            std::lock_guard<std::mutex> g(gJobLock);
            gJobProgress.currentIndex = ++index;
            gJobProgress.currentFile = gJob.currentInput;
        }
        if (ConvertFile()) ++converted;
    }
    std::lock_guard<std::mutex> g(gJobLock);
    gJobProgress.convertedCount = converted;
    return 0;
}

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
