#include "platform/hidden_file.h"
#include "platform/platform.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool WriteAll(int fd, const std::string& data) {
    return write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
}

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Files are written visibly, as on a file system without O_TMPFILE, while it lives.
class VisibleFiles {
  public:
    VisibleFiles() { setenv("BRELVIX_TEST_NO_TMPFILE", "1", 1); }
    ~VisibleFiles() { unsetenv("BRELVIX_TEST_NO_TMPFILE"); }
};

class HiddenFiles : public ::testing::Test {
  protected:
    std::string Final() const { return temp.File("picture.pcx"); }
    HiddenFile::NameMaker Namer() {
        return [this] { return temp.File("temporary" + std::to_string(++names) + ".pcx"); };
    }
    TempFolder temp;
    int names = 0;
};

TEST_F(HiddenFiles, HaveNoNameWhileWrittenAndTheFinalNameAfter) {
    HiddenFile file;
    ASSERT_TRUE(file.Open(Final(), 0644, Namer())) << std::strerror(errno);
    ASSERT_TRUE(file.hidden()) << "the test folder's file system has no O_TMPFILE";
    ASSERT_TRUE(WriteAll(file.fd(), "the whole picture"));
    EXPECT_TRUE(Names(temp.path).empty());
    EXPECT_EQ(file.temporaryPath(), "");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Names(temp.path), std::vector<std::string>{"picture.pcx"});
    EXPECT_EQ(ReadFile(Final()), "the whole picture");
    // Its way went through a temporary name of the folder.
    EXPECT_EQ(file.temporaryPath(), temp.File("temporary1.pcx"));
}

TEST_F(HiddenFiles, VisibleWhereTheFileSystemCannotHideThem) {
    VisibleFiles visible;
    HiddenFile file;
    ASSERT_TRUE(file.Open(Final(), 0644, Namer()));
    EXPECT_FALSE(file.hidden());
    ASSERT_TRUE(WriteAll(file.fd(), "the whole picture"));
    EXPECT_EQ(Names(temp.path), std::vector<std::string>{"temporary1.pcx"});
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Names(temp.path), std::vector<std::string>{"picture.pcx"});
    EXPECT_EQ(ReadFile(Final()), "the whole picture");
}

TEST_F(HiddenFiles, ATakenTemporaryNameIsNeverUsed) {
    for (bool hidden : {true, false}) {
        SCOPED_TRACE(hidden ? "hidden" : "visible");
        std::unique_ptr<VisibleFiles> visible;
        if (!hidden) visible = std::make_unique<VisibleFiles>();
        fs::remove_all(temp.path);
        fs::create_directories(temp.path);
        names = 0;
        ASSERT_TRUE(WriteFile(temp.File("temporary1.pcx"), "someone else's"));
        HiddenFile file;
        ASSERT_TRUE(file.Open(Final(), 0644, Namer()));
        ASSERT_TRUE(WriteAll(file.fd(), "new"));
        ASSERT_TRUE(file.Commit());
        EXPECT_EQ(file.temporaryPath(), temp.File("temporary2.pcx"));
        EXPECT_EQ(ReadFile(temp.File("temporary1.pcx")), "someone else's");
        EXPECT_EQ(ReadFile(Final()), "new");
    }
}

TEST_F(HiddenFiles, AbandonedOrFailedFilesLeaveNothing) {
    for (bool hidden : {true, false}) {
        SCOPED_TRACE(hidden ? "hidden" : "visible");
        std::unique_ptr<VisibleFiles> visible;
        if (!hidden) visible = std::make_unique<VisibleFiles>();
        ASSERT_TRUE(WriteFile(Final(), "the older picture"));
        {
            HiddenFile file; // abandoned when it goes
            ASSERT_TRUE(file.Open(Final(), 0644, Namer()));
            ASSERT_TRUE(WriteAll(file.fd(), "half"));
        }
        EXPECT_EQ(Names(temp.path), std::vector<std::string>{"picture.pcx"});
        EXPECT_EQ(ReadFile(Final()), "the older picture");

        // A folder under the final name: the rename fails, and says why.
        fs::remove(Final());
        fs::create_directory(Final());
        HiddenFile file;
        ASSERT_TRUE(file.Open(Final(), 0644, Namer()));
        ASSERT_TRUE(WriteAll(file.fd(), "whole"));
        errno = 0;
        EXPECT_FALSE(file.Commit());
        EXPECT_EQ(errno, EISDIR);
        EXPECT_EQ(Names(temp.path), std::vector<std::string>{"picture.pcx"});
        EXPECT_TRUE(fs::is_directory(Final()));
        fs::remove(Final());
    }
    // A folder that does not exist.
    HiddenFile file;
    errno = 0;
    EXPECT_FALSE(file.Open(temp.File("missing/picture.pcx"), 0644, Namer()));
    EXPECT_EQ(errno, ENOENT);
}

// Runs body in a child process and gives its wait status.
int StatusOf(const std::function<void()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

TEST_F(HiddenFiles, EndingSignalsRemoveVisibleTemporaryFiles) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        const std::string path = temp.File("visible.pcx");
        const int status = StatusOf([&] {
            VisibleFiles visible;
            HiddenFile file;
            if (!file.Open(Final(), 0644, [&] { return path; })) _exit(10);
            if (!PathExists(path)) _exit(11);
            kill(getpid(), signal);
            _exit(12); // not reached: the signal ends the program
        });
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_TRUE(Names(temp.path).empty());
    }
}

TEST_F(HiddenFiles, ReplaceKeepsTheModeAndTheLinkAndGivesANewFileItsMode) {
    const mode_t saved = umask(022);
    // A new file gets the mode asked for, whatever the umask.
    const std::string settings = temp.File("config.ini");
    ASSERT_TRUE(ReplaceFileAtomically(settings, "first", 0660));
    EXPECT_EQ(ReadFile(settings), "first");
    EXPECT_EQ(ModeOf(settings), 0660u);
    // An existing file keeps its mode.
    ASSERT_EQ(chmod(settings.c_str(), 0600), 0);
    ASSERT_TRUE(ReplaceFileAtomically(settings, "second", 0644));
    EXPECT_EQ(ReadFile(settings), "second");
    EXPECT_EQ(ModeOf(settings), 0600u);
    // Through a chain of links, relative and absolute, to the file at their end.
    fs::create_directory(temp.File("real"));
    ASSERT_TRUE(WriteFile(temp.File("real/config.ini"), "old"));
    ASSERT_EQ(chmod(temp.File("real/config.ini").c_str(), 0640), 0);
    fs::create_symlink("real/config.ini", temp.File("middle.ini"));
    fs::create_symlink(temp.File("middle.ini"), temp.File("linked.ini"));
    ASSERT_TRUE(ReplaceFileAtomically(temp.File("linked.ini"), "through links", 0644));
    EXPECT_TRUE(fs::is_symlink(temp.File("linked.ini")));
    EXPECT_TRUE(fs::is_symlink(temp.File("middle.ini")));
    EXPECT_EQ(ReadFile(temp.File("real/config.ini")), "through links");
    EXPECT_EQ(ModeOf(temp.File("real/config.ini")), 0640u);
    EXPECT_EQ(Names(temp.File("real")), std::vector<std::string>{"config.ini"});
    // A missing folder: nothing written, and the reason kept.
    errno = 0;
    EXPECT_FALSE(ReplaceFileAtomically(temp.File("missing/config.ini"), "x", 0644));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(Names(temp.path),
              (std::vector<std::string>{"config.ini", "linked.ini", "middle.ini", "real"}));
    umask(saved);
}

} // namespace
