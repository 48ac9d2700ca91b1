// What the real executable does with files that fail, outputs that would replace their
// input, output folders elsewhere and conversions ended part way.
#include "bmp_writer.h"
#include "cli_harness.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kTooLarge =
    "the rotated or resized picture would be larger than 65535 pixels a side or 256 megapixels";

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Fixture : CliSandbox {
    Fixture() {
        WriteBmp24(Path("pic.bmp"), TestPattern(200, 100));
        WriteFile(Path("broken.bmp"), "this is no picture at all");
        // 65530 x 3 pixels in a few kilobytes of RLE8 data.
        RgbImage line;
        line.width = 65530;
        line.height = 3;
        line.pixels.assign(static_cast<size_t>(line.width) * line.height * 3, 0x40);
        BmpLayout rle;
        rle.bpp = 8;
        rle.compression = 1;
        WriteBmpFile(Path("line.bmp"), line, rle);
        MakeFolders(Path("out"));
    }
};

TEST(FailedFiles, EachSaysWhyOnItsOwnErrorLine) {
    Fixture sandbox;
    const std::string picture = ReadFile(sandbox.Path("pic.bmp"));
    ASSERT_LT(ReadFile(sandbox.Path("line.bmp")).size(), 4000u);
    struct Case {
        std::vector<std::string> args;
        std::string file;
        std::string reason;
    } cases[] = {
        {{"-i", "broken.bmp", "-o", "out"}, "broken.bmp", "the file is not a BMP picture"},
        {{"-i", "pic.bmp", "--filename-mask=%filename%.bmp"},
         "pic.bmp",
         "the output file would replace the input file"},
        {{"-i", "pic.bmp", "-o", "out", "--width=30000", "--height=30000"}, "pic.bmp", kTooLarge},
        {{"-i", "line.bmp", "-o", "out", "--rotation=33"}, "line.bmp", kTooLarge},
    };
    for (const Case& c : cases) {
        for (bool quiet : {false, true}) {
            std::vector<std::string> args = c.args;
            if (quiet) args.push_back("-q");
            SCOPED_TRACE(args[1] + " " + args.back());
            const auto start = Clock::now();
            CommandResult r = sandbox.Run(args);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err, "Error: Cannot convert " + c.file + ": " + c.reason + "\n");
            EXPECT_TRUE(r.out.ends_with("Conversion stopped\n")) << r.out;
            if (quiet) {
                EXPECT_EQ(r.out, "Conversion stopped\n");
            }
            // Refused before the large picture is made: well under the minute it took.
            EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
            EXPECT_TRUE(Names(sandbox.Path("out")).empty());
            EXPECT_EQ(Names(sandbox.work),
                      (std::vector<std::string>{"broken.bmp", "line.bmp", "out", "pic.bmp"}));
            EXPECT_TRUE(ReadFile(sandbox.Path("pic.bmp")) == picture);
        }
    }
}

// A command prefix that runs as a user without privileges when the tests run as root
// (root passes every permission check); empty when that cannot be done.
std::string Unprivileged() {
    if (geteuid() != 0) return " ";
    if (!IsFile("/usr/bin/setpriv")) return "";
    return "/usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups ";
}

TEST(FailedFiles, PermissionsSayWhy) {
    Fixture sandbox;
    const std::string prefix = Unprivileged();
    if (prefix.empty()) GTEST_SKIP() << "no way to run without privileges";
    // The sandbox is open to that user; its lock folder writable.
    for (const std::string& folder : {sandbox.root.path, sandbox.work, sandbox.runtime})
        ASSERT_EQ(chmod(folder.c_str(), folder == sandbox.runtime ? 0777 : 0755), 0);
    MakeFolders(sandbox.Path("closed"));
    ASSERT_EQ(chmod(sandbox.Path("closed").c_str(), 0555), 0);
    ASSERT_EQ(chmod(sandbox.Path("out").c_str(), 0777), 0);
    WriteBmp24(sandbox.Path("secret.bmp"), TestPattern(8, 8));
    ASSERT_EQ(chmod(sandbox.Path("secret.bmp").c_str(), 0), 0);
    struct Case {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"-i", "secret.bmp", "-o", "out"},
         "Error: Cannot convert secret.bmp: permission to read the file is denied\n"},
        {{"-i", "pic.bmp", "-o", "closed"},
         "Error: Cannot convert pic.bmp: permission to write the output file is denied\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        std::string command =
            "cd " + ShellQuote(sandbox.work) + " && " + prefix + sandbox.Command();
        for (const std::string& arg : c.args)
            command += " " + ShellQuote(arg);
        CommandResult r = RunCommand(command + " </dev/null");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.error);
        EXPECT_TRUE(Names(sandbox.Path("out")).empty());
        EXPECT_TRUE(Names(sandbox.Path("closed")).empty());
    }
}

dev_t DeviceOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_dev : 0;
}

TEST(OutputElsewhere, MaskFolderOnAnotherFileSystem) {
    Fixture sandbox;
    const std::string elsewhere =
        "/dev/shm/" + FilePart(sandbox.root.path.substr(0, sandbox.root.path.size() - 1));
    ASSERT_TRUE(MakeFolders(elsewhere));
    struct Cleanup {
        std::string path;
        ~Cleanup() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    } cleanup{elsewhere};
    if (DeviceOf(elsewhere) == DeviceOf(sandbox.work))
        GTEST_SKIP() << "/dev/shm is on the work folder's file system";
    fs::create_directory_symlink(elsewhere, sandbox.Path("out/memory"));
    CommandResult r =
        sandbox.Run({"-i", "pic.bmp", "-o", "out", "--filename-mask=memory/%filename%.%ext%"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Names(elsewhere), std::vector<std::string>{"pic.pcx"});
    EXPECT_TRUE(DecodeWith("netpbm", elsewhere + "/pic.pcx").pixels ==
                TestPattern(200, 100).pixels);
    EXPECT_EQ(Names(sandbox.Path("out")), std::vector<std::string>{"memory"});
}

// A conversion of a picture whose PCX file is a few megabytes, held by the writer's
// test seam once its first megabyte is on the disk.
class InterruptedConversion : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteBmp24(sandbox.Path("large.bmp"), TestPattern(1000, 700));
        ready = sandbox.root.File("ready");
    }
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Starts brelvix; visible makes the temporary file visible, as on a file system
    // without O_TMPFILE; ignoreInterrupt starts it with SIGINT ignored, as nohup does.
    void Start(bool visible, bool ignoreInterrupt) {
        std::string command = "cd " + ShellQuote(sandbox.work) +
                              " && exec env BRELVIX_TEST_HOLD_PCX_WRITE=" + ShellQuote(ready) +
                              (visible ? " BRELVIX_TEST_NO_TMPFILE=1 " : " ") + sandbox.Command() +
                              " -q -i large.bmp -o out";
        pid = fork();
        if (pid == 0) {
            if (ignoreInterrupt) std::signal(SIGINT, SIG_IGN);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(pid, 0);
    }

    // Waits, with a bound, until the writer holds; false when it ended or the bound passed.
    bool WaitUntilHeld() {
        const auto deadline = Clock::now() + std::chrono::seconds(120);
        while (Clock::now() < deadline) {
            if (PathExists(ready)) return true;
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // Waits, with a bound, for the program to end; its wait status, or -1.
    int WaitForEnd() {
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }

    Fixture sandbox;
    std::string ready;
    pid_t pid = -1;
};

TEST_F(InterruptedConversion, EndingSignalsLeaveNoFile) {
    for (bool visible : {false, true}) {
        for (int signal : {SIGTERM, SIGINT}) {
            SCOPED_TRACE(std::string(visible ? "visible" : "hidden") + " temporary file, " +
                         strsignal(signal));
            std::error_code ec;
            fs::remove(ready, ec);
            Start(visible, false);
            ASSERT_TRUE(WaitUntilHeld());
            // Part of the picture is written: under a temporary name, or under none.
            const std::vector<std::string> held = Names(sandbox.Path("out"));
            if (visible) {
                ASSERT_EQ(held.size(), 1u);
                EXPECT_TRUE(held[0].starts_with("brelvix") && held[0].ends_with(".pcx")) << held[0];
                EXPECT_GE(fs::file_size(sandbox.Path("out/" + held[0])), uintmax_t{1} << 20);
            } else {
                EXPECT_TRUE(held.empty());
            }
            ASSERT_EQ(kill(pid, signal), 0);
            const int status = WaitForEnd();
            ASSERT_TRUE(WIFSIGNALED(status)) << status;
            EXPECT_EQ(WTERMSIG(status), signal);
            EXPECT_TRUE(Names(sandbox.Path("out")).empty());
        }
    }
}

TEST_F(InterruptedConversion, AnIgnoredInterruptStaysIgnored) {
    Start(true, true);
    ASSERT_TRUE(WaitUntilHeld());
    // An interrupt that counted would end the program before the termination, since
    // both are pending at once at the latest and the lower signal number goes first.
    ASSERT_EQ(kill(pid, SIGINT), 0);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    const int status = WaitForEnd();
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(Names(sandbox.Path("out")).empty());
}

} // namespace
