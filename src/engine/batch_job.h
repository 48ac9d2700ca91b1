// The batch job: the worker that converts every file of the job's file map, the
// progress record it publishes and the lock that guards it.
#pragma once

#include "engine/reason.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// A file of the job that did not convert, and why.
struct FileFailure {
    std::string file;
    Reason reason = Reason::kNone;
};

struct JobProgress {
    int32_t currentIndex = 0;    // under gJobLock
    std::string currentFile;     // under gJobLock
    int32_t convertedCount = 0;  // under gJobLock
    std::vector<FileFailure> failures; // under gJobLock, in the order the files failed
    std::atomic<bool> running{false};
};

extern JobProgress gJobProgress;
extern std::mutex gJobLock;

// Index 0, file empty, count 0, running set.
void ResetJobProgress();

// The worker procedure; returns 0.
int RunBatchJob();

// Holds the worker at its gate before the next file (true) or lets it go on (false).
// The worker checks running after the gate, so clearing running before letting it go
// stops the job before another file. ResetJobProgress opens the gate.
void HoldWorker(bool hold);

// Receives the worker's listing lines ("Processing: ", "Saving As: ", "OK", "Not OK")
// of a command-line job in debug mode; the command line installs the console here.
using JobLineSink = std::function<void(const std::string& line)>;
void SetJobLineSink(JobLineSink sink);

// Puts one input file into the job (the map holds at most one). True when accepted.
bool AddInputFile(const std::string& path);
// The sub-folder of an input file relative to a base folder.
std::string InputSubFolder(const std::string& path, const std::string& base);

// Window mode installs this: called by AddInputFile for a job that is not a
// command-line job, with the accepted path (fills the input field, the output folder).
using InputFileHook = std::function<void(const std::string& path)>;
void SetInputFileHook(InputFileHook hook);
