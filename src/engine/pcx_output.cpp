#include "engine/pcx_output.h"

#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<int64_t> gWriteLimit{-1};

// For tests: BRELVIX_TEST_HOLD_PCX_WRITE names a file that the writer makes once the
// first part of a PCX file is on the disk; the writer then waits (up to a minute) for
// the signal the test sends, so that a conversion can be ended part way at a known
// point without timing guesses.
void HoldWriteForTests() {
    const char* ready = std::getenv("BRELVIX_TEST_HOLD_PCX_WRITE");
    if (!ready || !*ready) return;
    const int fd = open(ready, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) close(fd);
    for (int i = 0; i < 600; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// The file the encoder writes to: output is gathered in a large buffer and the first
// failed write is remembered with its error number. The descriptor belongs to the
// caller.
class PcxFile {
  public:
    static constexpr size_t kBufferSize = size_t{1} << 20;

    explicit PcxFile(int fd) : fd_(fd) {
        if (fd_ < 0) return;
        buffer_ = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize);
        limit_ = gWriteLimit.load();
        SetEnd();
    }

    bool Put(const unsigned char* data, size_t size) {
        while (size > 0) {
            if (error_ != 0 || fd_ < 0) return false;
            if (used_ == end_) {
                if (used_ < kBufferSize) { // the write limit is reached, as on a full disk
                    Fail(ENOSPC);
                    return false;
                }
                if (!Flush()) return false;
                continue;
            }
            const size_t part = size < end_ - used_ ? size : end_ - used_;
            std::copy(data, data + part, buffer_.get() + used_);
            used_ += part;
            data += part;
            size -= part;
        }
        return true;
    }

    // Writes what is buffered; false when any write failed.
    bool Finish() {
        if (fd_ >= 0) Flush();
        return error_ == 0;
    }

    // The error number of the first failure; 0 when none.
    int error() const { return error_; }

  private:
    void Fail(int error) {
        if (error_ == 0) error_ = error != 0 ? error : EIO;
        end_ = 0;
    }

    // Where the buffer must be flushed, or the write limit is reached.
    void SetEnd() {
        end_ = error_ != 0 ? 0 : kBufferSize;
        if (error_ == 0 && limit_ >= 0) {
            const int64_t left = limit_ - accepted_ - static_cast<int64_t>(used_);
            if (left < static_cast<int64_t>(end_ - used_))
                end_ = used_ + static_cast<size_t>(left > 0 ? left : 0);
        }
    }

    bool Flush() {
        const unsigned char* p = buffer_.get();
        size_t left = used_;
        while (error_ == 0 && left > 0) {
            ssize_t n = write(fd_, p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                Fail(n < 0 ? errno : EIO);
                break;
            }
            p += n;
            left -= static_cast<size_t>(n);
        }
        accepted_ += static_cast<int64_t>(used_);
        used_ = 0;
        SetEnd();
        if (error_ == 0 && accepted_ > 0 && !held_) {
            held_ = true;
            HoldWriteForTests();
        }
        return error_ == 0;
    }

    int fd_ = -1;
    std::unique_ptr<unsigned char[]> buffer_;
    size_t used_ = 0;
    size_t end_ = 0;
    int64_t accepted_ = 0; // bytes flushed so far, for the write limit
    int64_t limit_ = -1;
    int error_ = 0;
    bool held_ = false;
};

} // namespace

Reason SavePcx(const PcxPicture& pcx, int fd) {
    if (!pcx || fd < 0) return Reason::kWriteError;
    PcxFile file(fd);
    const bool encoded = EncodePcx(
        pcx.width(), pcx.height(), [&pcx](int y) { return pcx.Row(y); },
        [&file](const uint8_t* data, size_t size) { return file.Put(data, size); });
    if (!file.Finish()) return ReasonFromErrno(file.error(), Reason::kWriteError);
    return encoded ? Reason::kNone : Reason::kWriteError;
}

Reason SavePcx(const PcxPicture& pcx, const std::string& path) {
    if (!pcx || path.empty()) return Reason::kWriteError;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return ReasonFromErrno(errno, Reason::kWriteError);
    Reason why = SavePcx(pcx, fd);
    if (close(fd) != 0 && errno != EINTR && why == Reason::kNone)
        why = ReasonFromErrno(errno, Reason::kWriteError);
    if (why != Reason::kNone) RemoveFile(path);
    return why;
}

void SetPcxWriteLimit(int64_t bytes) {
    gWriteLimit.store(bytes);
}
