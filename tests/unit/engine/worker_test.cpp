// The batch job worker, its progress record and gate, and the job's input file.
#include "bmp24_writer.h"
#include "engine/batch_job.h"
#include "formats/formats.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// A job over the given files, writing into the temporary folder.
void PrepareJob(const TempFolder& temp, const std::vector<std::string>& files) {
    BuildFormatTables();
    ResetSettings(true);
    ResetJob();
    gJob.mode.clear();
    gJob.outputFolder = temp.path + "out/";
    MakeFolders(gJob.outputFolder);
    gJob.outputFormat = "pcx";
    gJob.inputFormat = "bmp";
    gJob.outputBitDepth = 0;
    gJob.keepBitDepth = 1;
    for (const std::string& file : files)
        gJob.fileMap[file] = FileEntry{};
    SetJobLineSink({});
}

struct Snapshot {
    int32_t index;
    std::string file;
    int32_t converted;
};

Snapshot Read() {
    std::lock_guard<std::mutex> guard(gJobLock);
    return {gJobProgress.currentIndex, gJobProgress.currentFile, gJobProgress.convertedCount};
}

std::string GoodPicture(const TempFolder& temp, const std::string& name) {
    WriteBmp24(temp.File(name), TestPattern(6, 4));
    return temp.File(name);
}

} // namespace

TEST(Worker, CounterAndRandomNumberAdvanceOnlyAfterASuccess) {
    TempFolder temp;
    const std::string missing = temp.File("a_missing.bmp"); // first in the map's order
    const std::string good = GoodPicture(temp, "b_good.bmp");
    PrepareJob(temp, {missing, good});
    gJob.commandLineJob = 1;
    gJob.mode = "DEBUG";
    std::vector<std::string> lines;
    SetJobLineSink([&](const std::string& line) {
        lines.push_back(line);
        // When the first file has failed nothing has advanced yet.
        if (line == "Not OK") {
            EXPECT_EQ(gJob.counter, 1);
            EXPECT_EQ(gJob.randomNumber, 0);
        }
    });
    gJob.randomNumber = 0; // no draw ever gives 0
    gJob.counter = 1;

    ResetJobProgress();
    EXPECT_EQ(RunBatchJob(), 0);
    SetJobLineSink({});

    EXPECT_EQ(gJob.counter, 2);
    EXPECT_GE(gJob.randomNumber, 1);
    EXPECT_LE(gJob.randomNumber, 99999);
    Snapshot s = Read();
    EXPECT_EQ(s.index, 2);
    EXPECT_EQ(s.file, good);
    EXPECT_EQ(s.converted, 1);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Processing: " + missing);
    EXPECT_TRUE(lines[1].starts_with("Saving As: "));
    EXPECT_EQ(lines[2], "Not OK");
    EXPECT_EQ(lines[3], "Processing: " + good);
    EXPECT_EQ(lines[4], "Saving As: " + gJob.outputPath);
    EXPECT_EQ(lines[5], "OK");
    EXPECT_TRUE(IsFile(gJob.outputPath));

    // A job of failures only changes neither.
    PrepareJob(temp, {missing});
    gJob.randomNumber = 0;
    gJob.counter = 5;
    ResetJobProgress();
    RunBatchJob();
    EXPECT_EQ(gJob.counter, 5);
    EXPECT_EQ(gJob.randomNumber, 0);
    EXPECT_EQ(Read().converted, 0);
}

TEST(Worker, MaskNumbersFollowOnlySuccessfulFiles) {
    TempFolder temp;
    // In the map's order: a good file, a missing one, another good file.
    const std::vector<std::string> files = {GoodPicture(temp, "a.bmp"), temp.File("b.bmp"),
                                            GoodPicture(temp, "c.bmp")};
    PrepareJob(temp, files);
    gSettings.filenameMask = "%n%_%rnd%.%ext%";
    gJob.commandLineJob = 1;
    gJob.mode = "DEBUG";
    struct Seen {
        int32_t counter;
        int32_t random;
    };
    std::vector<Seen> seen; // the numbers each file is named with
    std::vector<std::string> saved;
    SetJobLineSink([&](const std::string& line) {
        if (line.starts_with("Processing: ")) seen.push_back({gJob.counter, gJob.randomNumber});
        if (line.starts_with("Saving As: ")) saved.push_back(line.substr(11));
    });
    gJob.counter = 1;
    gJob.randomNumber = 7;
    ResetJobProgress();
    RunBatchJob();
    SetJobLineSink({});
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].counter, 1);
    EXPECT_EQ(seen[0].random, 7);
    EXPECT_EQ(seen[1].counter, 2); // after the first success
    EXPECT_EQ(seen[2].counter, 2); // the failure advanced nothing
    EXPECT_EQ(seen[2].random, seen[1].random);
    EXPECT_NE(seen[1].random, 0);
    EXPECT_EQ(gJob.counter, 3);
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(FilePart(saved[0]), "00001_00007.pcx");
    char second[32];
    std::snprintf(second, sizeof second, "00002_%05d.pcx", seen[2].random);
    EXPECT_EQ(FilePart(saved[2]), second);
    EXPECT_TRUE(IsFile(saved[0]));
    EXPECT_TRUE(IsFile(saved[2]));
    EXPECT_EQ(Read().converted, 2);
}

TEST(Worker, ListsNothingOutsideADebugCommandLineJob) {
    TempFolder temp;
    PrepareJob(temp, {GoodPicture(temp, "a.bmp")});
    int calls = 0;
    SetJobLineSink([&](const std::string&) { ++calls; });
    gJob.mode = "DEBUG"; // but not a command-line job
    ResetJobProgress();
    RunBatchJob();
    gJob.commandLineJob = 1;
    gJob.mode.clear();
    ResetJobProgress();
    RunBatchJob();
    SetJobLineSink({});
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(Read().converted, 1);
}

TEST(Worker, RunsOnAThreadWhileTheMainThreadPollsAndHolds) {
    TempFolder temp;
    std::vector<std::string> files;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"})
        files.push_back(GoodPicture(temp, name));
    PrepareJob(temp, files);

    ResetJobProgress();
    HoldWorker(true);
    std::thread worker([] { RunBatchJob(); });

    // Held at the gate, the worker starts no file.
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(Read().index, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // Let it go, holding and releasing it while it works, and follow its progress.
    HoldWorker(false);
    int32_t last = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool hold = false;
    while (std::chrono::steady_clock::now() < deadline) {
        Snapshot s = Read();
        EXPECT_GE(s.index, last); // the index only grows
        last = s.index;
        if (s.converted == 4) break;
        hold = !hold;
        HoldWorker(hold);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    HoldWorker(false);
    worker.join();
    Snapshot s = Read();
    EXPECT_EQ(s.index, 4);
    EXPECT_EQ(s.file, files.back());
    EXPECT_EQ(s.converted, 4);
}

TEST(Worker, StoppingWhileHeldStartsNoFurtherFile) {
    TempFolder temp;
    std::vector<std::string> files = {GoodPicture(temp, "a.bmp"), GoodPicture(temp, "b.bmp"),
                                      GoodPicture(temp, "c.bmp")};
    PrepareJob(temp, files);
    gJob.commandLineJob = 1;
    gJob.mode = "DEBUG";
    // The worker holds its own gate once the first file is done, as a break question
    // would while that file is converted.
    static std::atomic<bool> held;
    held = false;
    SetJobLineSink([](const std::string& line) {
        if (line != "OK") return;
        HoldWorker(true);
        held = true;
    });
    ResetJobProgress();
    std::thread worker([] { RunBatchJob(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!held && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!held) {
        HoldWorker(false);
        worker.join();
        FAIL() << "the first file was not converted";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Read().index, 1); // held at the gate before the second file
    {
        std::lock_guard<std::mutex> guard(gJobLock);
        gJobProgress.running = false;
    }
    HoldWorker(false);
    worker.join();
    SetJobLineSink({});
    Snapshot s = Read();
    EXPECT_EQ(s.index, 1);
    EXPECT_EQ(s.converted, 1);
    EXPECT_EQ(s.file, files.front());

    // A new job opens the gate again.
    PrepareJob(temp, {files[1]});
    HoldWorker(true);
    ResetJobProgress();
    std::thread again([] { RunBatchJob(); });
    again.join();
    EXPECT_EQ(Read().converted, 1);
}

TEST(Worker, StoppedBeforeTheFirstFile) {
    TempFolder temp;
    PrepareJob(temp, {GoodPicture(temp, "a.bmp")});
    ResetJobProgress();
    gJobProgress.running = false;
    RunBatchJob();
    Snapshot s = Read();
    EXPECT_EQ(s.index, 0);
    EXPECT_EQ(s.file, "");
    EXPECT_EQ(s.converted, 0);
    EXPECT_EQ(RunCommand("ls -A " + ShellQuote(temp.path + "out")).out, "");
}

TEST(Worker, FileTimestampOptions) {
    TempFolder temp;
    const std::string input = GoodPicture(temp, "a.bmp");
    const int32_t inputDate = UnixToLocalDate(1000000000);
    ASSERT_TRUE(SetModificationTime(input, inputDate));
    const int32_t customDate = UnixToLocalDate(1200000000);
    struct Case {
        int mode;
        int32_t expected; // 0: about now
    } cases[] = {{1, inputDate}, {2, customDate}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        PrepareJob(temp, {input});
        gSettings.fileTimestamp = static_cast<int8_t>(c.mode);
        gSettings.customTimestamp = customDate;
        ResetJobProgress();
        RunBatchJob();
        ASSERT_EQ(Read().converted, 1);
        int32_t date = 0;
        ASSERT_TRUE(GetModificationTime(gJob.outputPath, date));
        if (c.expected)
            EXPECT_EQ(date, c.expected);
        else
            EXPECT_LE(std::abs(date - LocalDateNow()), 120);
    }
    int32_t date = 0;
    ASSERT_TRUE(GetModificationTime(input, date));
    EXPECT_EQ(date, inputDate);
}

TEST(InputFile, AddInputFile) {
    TempFolder temp;
    WriteFile(temp.File("pic.bmp"), "BM...");
    WriteFile(temp.File("PIC2.BMP"), "BM...");
    WriteFile(temp.File("pic.dib"), "BM...");
    WriteFile(temp.File("empty.bmp"), "");
    WriteFile(temp.File("pic.png"), "BM...");
    WriteFile(temp.File("noextension"), "BM...");
    MakeFolders(temp.File("folder.bmp"));
    struct Case {
        std::string path;
        bool accepted;
    } cases[] = {
        {temp.File("pic.bmp"), true},       {temp.File("PIC2.BMP"), true},
        {temp.File("pic.dib"), true},       {temp.File("missing.bmp"), true},
        {temp.File("folder.bmp"), true},    {temp.File("empty.bmp"), false},
        {temp.File("pic.png"), false},      {temp.File("noextension"), false},
        {temp.File("folder.bmp/x"), false}, {"", false},
    };
    BuildFormatTables();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ResetJob();
        gJob.fileMap["previous.bmp"] = FileEntry{};
        EXPECT_EQ(AddInputFile(c.path), c.accepted);
        if (c.accepted) {
            ASSERT_EQ(gJob.fileMap.size(), 1u);
            EXPECT_EQ(gJob.fileMap.begin()->first, c.path);
        } else {
            ASSERT_EQ(gJob.fileMap.size(), 1u);
            EXPECT_EQ(gJob.fileMap.begin()->first, "previous.bmp");
        }
    }
}

TEST(InputFile, HookOnlyOutsideTheCommandLine) {
    TempFolder temp;
    WriteFile(temp.File("pic.bmp"), "BM...");
    std::vector<std::string> seen;
    SetInputFileHook([&](const std::string& path) { seen.push_back(path); });
    BuildFormatTables();
    ResetJob();
    EXPECT_TRUE(AddInputFile(temp.File("pic.bmp")));
    gJob.commandLineJob = 1;
    EXPECT_TRUE(AddInputFile(temp.File("pic.bmp")));
    EXPECT_FALSE(AddInputFile(temp.File("pic.txt")));
    SetInputFileHook({});
    EXPECT_EQ(seen, std::vector<std::string>{temp.File("pic.bmp")});
}

TEST(InputFile, SubFolderBelowTheBase) {
    struct Case {
        const char* path;
        const char* base;
        const char* subFolder;
    } cases[] = {
        {"/photos/2020/a.bmp", "/photos/", "2020/"},
        {"/photos/2020/may/a.bmp", "/photos", "2020/may/"},
        {"/photos/a.bmp", "/photos/", ""},
        {"/photoshop/a.bmp", "/photos", ""},   // not below the base folder
        {"/x/photos/y/a.bmp", "/photos/", ""}, // the base inside another path
        {"/photos/b/photos/a.bmp", "/photos/", "b/photos/"},
        {"relative/sub/a.bmp", "relative/", "sub/"},
        {"/photos/2020/a.bmp", "", ""},
        {"", "/photos/", ""},
        {"a.bmp", "/photos/", ""},
        {"/Photos/2020/a.bmp", "/photos/", ""}, // case counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " | " + c.base);
        EXPECT_EQ(InputSubFolder(c.path, c.base), c.subFolder);
    }
    // The command line's input argument is the base of the file it adds.
    TempFolder temp;
    MakeFolders(temp.File("in/sub"));
    WriteFile(temp.File("in/sub/pic.bmp"), "BM...");
    BuildFormatTables();
    ResetJob();
    gJob.commandLineJob = 1;
    gJob.inputArgument = temp.File("in");
    ASSERT_TRUE(AddInputFile(temp.File("in/sub/pic.bmp")));
    EXPECT_EQ(gJob.fileMap.begin()->second.subFolder, "sub/");
}
