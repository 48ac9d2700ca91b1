// The worker of a conversion job, its progress record and gate, and the input file
// of the job.
#include "engine/batch_job.h"

#include "engine/convert.h"
#include "platform/platform.h"
#include "settings/settings.h"

#include <condition_variable>

JobProgress gJobProgress;
std::mutex gJobLock;

namespace {

// The gate the worker passes before each file. Holding it never stops the worker
// inside a file, so nothing the worker locks can be left held.
std::mutex gGateLock;
std::condition_variable gGateOpened;
bool gGateHeld = false;

JobLineSink gLineSink;
InputFileHook gInputFileHook;

void PassGate() {
    std::unique_lock<std::mutex> lock(gGateLock);
    gGateOpened.wait(lock, [] { return !gGateHeld; });
}

void ApplyFileTimestamp() {
    int32_t date = 0;
    switch (gSettings.fileTimestamp) {
    case 1:
        if (GetModificationTime(gJob.currentInput, date))
            SetModificationTime(gJob.outputPath, date);
        break;
    case 2:
        SetModificationTime(gJob.outputPath, gSettings.customTimestamp);
        break;
    default:
        break;
    }
}

} // namespace

void ResetJobProgress() {
    {
        std::lock_guard<std::mutex> guard(gJobLock);
        gJobProgress.currentIndex = 0;
        gJobProgress.currentFile.clear();
        gJobProgress.convertedCount = 0;
        gJobProgress.failures.clear();
        gJobProgress.running = true;
    }
    HoldWorker(false);
}

void HoldWorker(bool hold) {
    {
        std::lock_guard<std::mutex> guard(gGateLock);
        gGateHeld = hold;
    }
    if (!hold) gGateOpened.notify_all();
}

void SetJobLineSink(JobLineSink sink) {
    gLineSink = std::move(sink);
}

int RunBatchJob() {
    const bool debug = gJob.commandLineJob && gJob.mode == "DEBUG" && gLineSink;
    int32_t index = 0;
    int32_t converted = 0;
    auto entry = gJob.fileMap.begin();
    while (true) {
        PassGate();
        if (!gJobProgress.running || entry == gJob.fileMap.end()) break;
        ++index;
        gJob.currentInput = entry->first;
        gJob.currentSubFolder = entry->second.subFolder;
        ++entry;
        {
            std::lock_guard<std::mutex> guard(gJobLock);
            gJobProgress.currentIndex = index;
            gJobProgress.currentFile = gJob.currentInput;
        }
        if (debug) gLineSink("Processing: " + gJob.currentInput);
        const Reason reason = ConvertFile();
        const bool ok = reason == Reason::kNone;
        if (!ok) {
            std::lock_guard<std::mutex> guard(gJobLock);
            gJobProgress.failures.push_back(FileFailure{gJob.currentInput, reason});
        }
        if (debug) {
            gLineSink("Saving As: " + gJob.outputPath);
            gLineSink(ok ? "OK" : "Not OK");
        }
        if (ok) {
            ++converted;
            gJob.randomNumber = RandomInt(1, 99999);
            ++gJob.counter;
            ApplyFileTimestamp();
        }
    }
    std::lock_guard<std::mutex> guard(gJobLock);
    gJobProgress.convertedCount = converted;
    return 0;
}

bool AddInputFile(const std::string& path) {
    if (FileSize(path) == 0) return false;
    const std::string name = FilePart(path);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return false;
    const std::string extension = AsciiLower(name.substr(dot + 1));
    bool accepted = false;
    for (const std::string& known : gJob.acceptedInputExtensions)
        accepted = accepted || known == extension;
    if (!accepted) return false;

    gJob.fileMap.clear();
    gJob.fileMap[path] = FileEntry{false, InputSubFolder(path, gJob.inputArgument)};
    if (!gJob.commandLineJob && gInputFileHook) gInputFileHook(path);
    return true;
}

std::string InputSubFolder(const std::string& path, const std::string& base) {
    if (path.empty() || base.empty()) return "";
    // Only a folder below the base keeps its place below the output folder; the base
    // is matched as a whole leading folder, never inside another name.
    std::string prefix = base;
    if (prefix.back() != '/') prefix += '/';
    const std::string folder = FolderPart(path);
    if (!folder.starts_with(prefix)) return "";
    return folder.substr(prefix.size());
}

void SetInputFileHook(InputFileHook hook) {
    gInputFileHook = std::move(hook);
}
