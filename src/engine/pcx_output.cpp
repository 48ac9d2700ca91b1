#include "engine/pcx_output.h"

#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

std::atomic<int64_t> gWriteLimit{-1};

// Owner of a file descriptor.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    bool Close() {
        if (fd_ < 0) return true;
        int fd = std::exchange(fd_, -1);
        return close(fd) == 0;
    }

  private:
    int fd_ = -1;
};

// The file the encoder writes to: output is gathered in a large buffer and every failed
// write is remembered.
class PcxFile {
  public:
    static constexpr size_t kBufferSize = size_t{1} << 20;

    bool Open(const char* path) {
        if (fd_.valid() || created_) return false;
        fd_.Reset(open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd_.valid()) return false;
        created_ = true;
        buffer_ = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize);
        limit_ = gWriteLimit.load();
        SetEnd();
        return true;
    }

    bool Put(const unsigned char* data, size_t size) {
        while (size > 0) {
            if (failed_ || !fd_.valid()) return false;
            if (used_ == end_) {
                if (used_ < kBufferSize) { // the write limit is reached
                    failed_ = true;
                    end_ = 0;
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

    // Writes what is buffered and closes; false when any write failed.
    bool Close() {
        if (!fd_.valid()) return !failed_;
        Flush();
        if (!fd_.Close()) failed_ = true;
        return !failed_;
    }

  private:
    // Where the buffer must be flushed, or the write limit is reached.
    void SetEnd() {
        end_ = failed_ ? 0 : kBufferSize;
        if (!failed_ && limit_ >= 0) {
            const int64_t left = limit_ - accepted_ - static_cast<int64_t>(used_);
            if (left < static_cast<int64_t>(end_ - used_))
                end_ = used_ + static_cast<size_t>(left > 0 ? left : 0);
        }
    }

    bool Flush() {
        const unsigned char* p = buffer_.get();
        size_t left = used_;
        while (!failed_ && left > 0) {
            ssize_t n = write(fd_.get(), p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                failed_ = true;
                break;
            }
            p += n;
            left -= static_cast<size_t>(n);
        }
        accepted_ += static_cast<int64_t>(used_);
        used_ = 0;
        SetEnd();
        return !failed_;
    }

    FileDescriptor fd_;
    std::unique_ptr<unsigned char[]> buffer_;
    size_t used_ = 0;
    size_t end_ = 0;
    int64_t accepted_ = 0; // bytes flushed so far, for the write limit
    int64_t limit_ = -1;
    bool created_ = false;
    bool failed_ = false;
};

} // namespace

bool SavePcx(const PcxPicture& pcx, const std::string& path) {
    if (!pcx || path.empty()) return false;
    PcxFile file;
    if (!file.Open(path.c_str())) return false;
    const bool encoded = EncodePcx(
        pcx.width(), pcx.height(), [&pcx](int y) { return pcx.Row(y); },
        [&file](const uint8_t* data, size_t size) { return file.Put(data, size); });
    const bool ok = file.Close() && encoded;
    if (!ok) RemoveFile(path);
    return ok;
}

void SetPcxWriteLimit(int64_t bytes) {
    gWriteLimit.store(bytes);
}
