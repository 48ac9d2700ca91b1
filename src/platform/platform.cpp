#include "platform/platform.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <locale.h>
#include <mutex>
#include <poll.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <wctype.h>

std::string ProgramPath() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    return std::string(buf, static_cast<size_t>(n));
}

std::string ProgramFolder() {
    std::string folder = FolderPart(ProgramPath());
    return folder.empty() ? "./" : folder;
}

std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config";
}

int32_t UnixToLocalDate(int64_t unixTime) {
    time_t t = static_cast<time_t>(unixTime);
    struct tm local {};
    localtime_r(&t, &local);
    return static_cast<int32_t>(unixTime + local.tm_gmtoff);
}

int64_t LocalDateToUnix(int32_t localDate) {
    time_t t = static_cast<time_t>(localDate);
    struct tm fields {};
    gmtime_r(&t, &fields);
    fields.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&fields));
}

int32_t LocalDateNow() { return UnixToLocalDate(static_cast<int64_t>(time(nullptr))); }

int RandomInt(int lo, int hi) {
    static std::mutex lock;
    static std::mt19937 engine{std::random_device{}()};
    std::lock_guard<std::mutex> guard(lock);
    return std::uniform_int_distribution<int>(lo, hi)(engine);
}

int64_t FileSize(const std::string& path) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) return -1;
    if (S_ISDIR(st.st_mode)) return -2;
    return static_cast<int64_t>(st.st_size);
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    if (a.empty() || b.empty() || stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool MakeFolder(const std::string& path) {
    return !path.empty() && (mkdir(path.c_str(), 0777) == 0 || errno == EEXIST);
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            std::string part = path.substr(0, i);
            if (!IsFolder(part) && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
                return false;
        }
    }
    return IsFolder(path);
}

bool RenameFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool ClearReadOnly(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    return chmod(path.c_str(), st.st_mode | S_IWUSR) == 0;
}

bool GetModificationTime(const std::string& path, int32_t& localDate) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    localDate = UnixToLocalDate(static_cast<int64_t>(st.st_mtim.tv_sec));
    return true;
}

bool SetModificationTime(const std::string& path, int32_t localDate) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT; // access time stays
    times[1].tv_sec = static_cast<time_t>(LocalDateToUnix(localDate));
    times[1].tv_nsec = 0;
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool ReadWholeFile(const std::string& path, std::string& data) {
    data.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return false;
    }
    char buf[65536];
    while (true) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return false;
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

FileRead ReadRegularFile(const std::string& path, size_t maxBytes, std::string& data) {
    data.clear();
    // Opening a FIFO without O_NONBLOCK would wait for a writer.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return errno == ENOENT ? FileRead::kMissing : FileRead::kRefused;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<uint64_t>(st.st_size) > maxBytes) {
        close(fd);
        return FileRead::kRefused;
    }
    data.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    while (true) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (n > 0 && data.size() + static_cast<size_t>(n) > maxBytes)) {
            // A read error, or a file that grew past the bound while it was read.
            close(fd);
            data.clear();
            return FileRead::kRefused;
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return FileRead::kRead;
}

std::string FolderPart(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string FilePart(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// UTF-8 decoding of one code point; returns false on a malformed sequence.
bool DecodeUtf8(std::string_view s, size_t& i, char32_t& cp) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return false;
    cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k < len; ++k) {
        unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d >> 6) != 2) return false;
        cp = (cp << 6) | (d & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
    return true;
}

void EncodeUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) out += static_cast<char>(cp);
    else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

locale_t Utf8Locale() {
    static locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (!l) l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(0));
        return l;
    }();
    return loc;
}

template <typename Map> std::string MapCase(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
    locale_t loc = Utf8Locale();
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        size_t start = i;
        if (!DecodeUtf8(text, i, cp)) {
            out += text[start]; // keep a stray byte as it is
            i = start + 1;
            continue;
        }
        if (loc) cp = static_cast<char32_t>(map(static_cast<wint_t>(cp), loc));
        else if (cp < 0x80) cp = static_cast<char32_t>(map(static_cast<wint_t>(cp), loc));
        EncodeUtf8(cp, out);
    }
    return out;
}

// Windows-1252 code points of the bytes 0x80 to 0x9F.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp;
        if (!DecodeUtf8(bytes, i, cp)) return false;
    }
    return true;
}

std::string DecodeAnsiOrUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char ch : bytes) {
        unsigned char c = static_cast<unsigned char>(ch);
        char32_t cp = c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
        EncodeUtf8(cp, out);
    }
    return out;
}

std::string ToUpperText(std::string_view text) {
    return MapCase(text, [](wint_t c, locale_t l) { return l ? towupper_l(c, l) : towupper(c); });
}

std::string ToLowerText(std::string_view text) {
    return MapCase(text, [](wint_t c, locale_t l) { return l ? towlower_l(c, l) : towlower(c); });
}

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::string TrimSpaces(std::string_view text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string_view::npos) return "";
    size_t e = text.find_last_not_of(' ');
    return std::string(text.substr(b, e - b + 1));
}

std::string TrimBlanks(std::string_view text) {
    size_t b = text.find_first_not_of(" \t");
    if (b == std::string_view::npos) return "";
    size_t e = text.find_last_not_of(" \t");
    return std::string(text.substr(b, e - b + 1));
}

namespace {

// The per-user folder of the lock when the runtime folder cannot hold it: made when
// missing, and used only when it is a folder of this user's (no link) that nobody else
// may enter. "" when there is none.
std::string PrivateLockFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp == '/' ? tmp : "/tmp";
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    const std::string folder = base + "/brelvix-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return "";
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return "";
    if ((st.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) return "";
    return folder;
}

// Opens and locks one lock file. kUnavailable when it cannot be opened or locked for a
// reason other than another holder.
InstanceLock LockFile(const std::string& path, int& handle) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) return InstanceLock::kUnavailable;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return InstanceLock::kUnavailable;
    }
    int status;
    while ((status = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (status != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? InstanceLock::kHeldByAnother : InstanceLock::kUnavailable;
    }
    handle = fd;
    return InstanceLock::kTaken;
}

} // namespace

InstanceLock AcquireInstanceLock(const std::string& title, int& handle) {
    handle = -1;
    std::string name = title;
    for (char& c : name)
        if (c == '/') c = '_';
    name += ".lock";
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        InstanceLock result = LockFile(std::string(runtime) + "/" + name, handle);
        if (result != InstanceLock::kUnavailable) return result;
    }
    const std::string folder = PrivateLockFolder();
    if (folder.empty()) return InstanceLock::kUnavailable;
    return LockFile(folder + "/" + name, handle);
}

void ReleaseInstanceLock(int& handle) {
    if (handle < 0) return;
    flock(handle, LOCK_UN);
    close(handle);
    handle = -1;
}

namespace {

ExternalOpener& Opener() {
    static ExternalOpener opener;
    return opener;
}

void LaunchDetached(const std::string& target) {
    pid_t pid = fork();
    if (pid < 0) return;
    if (pid == 0) {
        if (fork() == 0) {
            setsid();
            signal(SIGPIPE, SIG_DFL);
            int devnull = open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                dup2(devnull, 0);
                dup2(devnull, 1);
                dup2(devnull, 2);
            }
            execlp("xdg-open", "xdg-open", target.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

void OpenExternal(const std::string& target) {
    if (Opener()) Opener()(target);
    else LaunchDetached(target);
}

void SetExternalOpener(ExternalOpener opener) { Opener() = std::move(opener); }

void ConsoleSetTitle(const std::string& title) {
    if (isatty(STDOUT_FILENO)) {
        std::fprintf(stdout, "\033]0;%s\007", title.c_str());
        std::fflush(stdout);
    }
}

namespace {

// Standard streams that were closed when the program started: they stand on /dev/null
// and take no lines.
bool gClosedAtStart[3] = {false, false, false};

// One line and its line end, flushed; false when any part of it was not written. The
// error state is cleared so that each line reports for itself.
bool WriteConsoleLine(std::FILE* stream, const std::string& line) {
    if (gClosedAtStart[fileno(stream)]) {
        errno = EBADF;
        return false;
    }
    bool ok = std::fwrite(line.data(), 1, line.size(), stream) == line.size();
    ok = std::fputc('\n', stream) != EOF && ok;
    ok = std::fflush(stream) == 0 && ok;
    ok = !std::ferror(stream) && ok;
    std::clearerr(stream);
    return ok;
}

} // namespace

void KeepStandardStreamsOpen() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        gClosedAtStart[fd] = true;
        int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        // The lowest free number is taken, which is this one; anything else is closed.
        if (opened >= 0 && opened != fd) close(opened);
    }
}

void IgnoreBrokenPipes() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
}

bool ConsoleWriteLine(const std::string& line) {
    return WriteConsoleLine(stdout, line);
}

bool ConsoleWriteError(const std::string& line) {
    std::fflush(stdout);
    std::clearerr(stdout);
    return WriteConsoleLine(stderr, line);
}

bool ConsoleReadKey() {
    int fd = STDIN_FILENO;
    bool tty = isatty(fd);
    struct termios saved {};
    if (tty && tcgetattr(fd, &saved) == 0) {
        struct termios raw = saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &raw);
    } else {
        tty = false;
    }
    bool got = false;
    struct pollfd p {fd, POLLIN, 0};
    int ready = poll(&p, 1, 10);
    if (ready < 0 || (p.revents & (POLLERR | POLLNVAL))) got = true; // no usable input
    else if (ready > 0) {
        char c;
        ssize_t n = read(fd, &c, 1);
        got = n >= 0 || (errno != EAGAIN && errno != EINTR); // a byte, or end of input
    }
    if (tty) tcsetattr(fd, TCSANOW, &saved);
    return got;
}
