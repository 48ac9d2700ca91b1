#include "platform/hidden_file.h"

#include "platform/platform.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The signals that end the program on a user's or the system's request.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSlots = 8;
// Tries at a free temporary name before giving up.
constexpr int kNameTries = 16;

// A slot is claimed (Filling), then its path is written, then it counts (Ready). The
// handler reads only Ready slots, whose path no thread writes.
enum SlotState : int { kFree = 0, kFilling = 1, kReady = 2 };
struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free);

Slot gSlots[kSlots];
struct sigaction gPrevious[std::size(kSignals)];
std::once_flag gHandlersOnce;

// Removes every recorded temporary file, then lets the signal do what it did before:
// end the program (the default action, raised again) or reach the handler that was
// there first. Only async-signal-safe calls.
void RemoveTemporaryFiles(int signal, siginfo_t* info, void* context) {
    const int saved = errno;
    for (Slot& slot : gSlots)
        if (slot.state.load() == kReady) unlink(slot.path);
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (kSignals[i] != signal) continue;
        const struct sigaction& previous = gPrevious[i];
        if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction) {
            previous.sa_sigaction(signal, info, context);
        } else if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL &&
                   previous.sa_handler != SIG_IGN) {
            previous.sa_handler(signal);
        } else {
            // Delivered once this handler returns, since the signal is blocked in it.
            sigaction(signal, &previous, nullptr);
            raise(signal);
        }
    }
    errno = saved;
}

void InstallHandlers() {
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        struct sigaction current {};
        if (sigaction(kSignals[i], nullptr, &current) != 0) continue;
        // A signal the program was started to ignore (nohup, a background job) stays so.
        if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_IGN) continue;
        gPrevious[i] = current;
        struct sigaction mine {};
        mine.sa_sigaction = RemoveTemporaryFiles;
        mine.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&mine.sa_mask);
        sigaction(kSignals[i], &mine, nullptr);
    }
}

// For tests: BRELVIX_TEST_NO_TMPFILE makes every file visible while it is written, as
// on a file system without O_TMPFILE. A hidden file also needs /proc to be named.
bool HiddenFilesPossible() {
    return std::getenv("BRELVIX_TEST_NO_TMPFILE") == nullptr && access("/proc/self/fd", X_OK) == 0;
}

bool CloseDescriptor(int fd) {
    // On Linux the descriptor is gone even when close is interrupted.
    return close(fd) == 0 || errno == EINTR;
}

// The file a chain of symbolic links leads to (the path itself when it is no link); empty
// with errno ELOOP for a chain that does not end.
std::string FollowLinks(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char buffer[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
        if (n <= 0) return path;
        const std::string link(buffer, static_cast<size_t>(n));
        path = link.starts_with('/') ? link : FolderPart(path) + link;
    }
    errno = ELOOP;
    return "";
}

std::string RandomLetters(int count) {
    std::string letters;
    for (int i = 0; i < count; ++i)
        letters += static_cast<char>('a' + RandomInt(0, 25));
    return letters;
}

} // namespace

int RegisterTemporaryFile(const std::string& path) {
    if (path.empty() || path.size() >= PATH_MAX) return -1;
    std::call_once(gHandlersOnce, InstallHandlers);
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!gSlots[i].state.compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(gSlots[i].path, path.c_str(), path.size() + 1);
        gSlots[i].state.store(kReady);
        return i;
    }
    return -1;
}

void UnregisterTemporaryFile(int slot) {
    if (slot >= 0 && slot < kSlots) gSlots[slot].state.store(kFree);
}

bool HiddenFile::Open(const std::string& finalPath, unsigned mode, NameMaker temporaryName) {
    Abandon();
    final_ = finalPath;
    makeName_ = std::move(temporaryName);
    temporary_.clear();
    hidden_ = false;
    std::string folder = FolderPart(finalPath);
    if (folder.empty()) folder = "./";
    if (HiddenFilesPossible()) {
        fd_ = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            hidden_ = true;
            return true;
        }
        // The file system (or an old kernel, which reads O_TMPFILE as a folder) cannot.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
    }
    return OpenVisible(mode);
}

template <class Make> bool HiddenFile::ClaimTemporaryName(Make make) {
    for (int i = 0; i < kNameTries; ++i) {
        const std::string name = makeName_();
        // Recorded before it exists, so that no moment leaves it unrecorded.
        const int slot = RegisterTemporaryFile(name);
        if (make(name)) {
            temporary_ = name;
            named_ = true;
            slot_ = slot;
            return true;
        }
        const int error = errno;
        UnregisterTemporaryFile(slot);
        errno = error;
        if (error != EEXIST) return false;
    }
    errno = EEXIST;
    return false;
}

bool HiddenFile::OpenVisible(unsigned mode) {
    return ClaimTemporaryName([this, mode](const std::string& name) {
        fd_ = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        return fd_ >= 0;
    });
}

bool HiddenFile::LinkToTemporaryName() {
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd_);
    return ClaimTemporaryName([&self](const std::string& name) {
        return linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    });
}

bool HiddenFile::Commit(bool sync) {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    auto fail = [this] {
        const int error = errno;
        Abandon();
        errno = error;
        return false;
    };
    if (sync && fsync(fd_) != 0) return fail();
    if (hidden_ && !LinkToTemporaryName()) return fail();
    const int fd = std::exchange(fd_, -1);
    if (!CloseDescriptor(fd)) return fail();
    if (std::rename(temporary_.c_str(), final_.c_str()) != 0) return fail();
    Unname();
    return true;
}

void HiddenFile::Abandon() {
    const int saved = errno;
    if (fd_ >= 0) CloseDescriptor(std::exchange(fd_, -1));
    if (named_) unlink(temporary_.c_str());
    Unname();
    errno = saved;
}

void HiddenFile::Unname() {
    named_ = false;
    UnregisterTemporaryFile(slot_);
    slot_ = -1;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view data, unsigned newFileMode) {
    const std::string target = FollowLinks(path);
    if (target.empty()) return false;
    // Only a regular file is ever replaced (never a device or a FIFO a link leads to).
    // It keeps its permission bits and, where allowed, its owner.
    unsigned mode = newFileMode & 07777;
    struct stat st {};
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return false;
    }
    if (exists) mode = st.st_mode & 07777;

    HiddenFile file;
    if (!file.Open(target, mode, [&target] { return target + "." + RandomLetters(6); }))
        return false;
    auto fail = [&file] {
        const int error = errno;
        file.Abandon();
        errno = error;
        return false;
    };
    if (exists && (st.st_uid != geteuid() || st.st_gid != getegid())) {
        // Where the owner cannot be given back, the copy stays ours.
        const int owned = fchown(file.fd(), st.st_uid, st.st_gid);
        (void)owned;
    }
    // Exactly these bits, whatever the umask.
    if (fchmod(file.fd(), mode) != 0) return fail();
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        const ssize_t n = write(file.fd(), p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return fail();
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return file.Commit(true);
}
