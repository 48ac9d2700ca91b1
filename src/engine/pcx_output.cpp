#include "engine/pcx_output.h"

#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
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

// The file DevIL writes to: output is gathered in a large buffer and every failed
// write is remembered, since DevIL's writers do not look at the results. DevIL hands
// over nearly every byte on its own, so one byte takes the shortest path.
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

    bool PutByte(unsigned char byte) {
        if (used_ < end_) {
            buffer_[used_++] = byte;
            return true;
        }
        return Put(&byte, 1);
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

    int64_t Position() const { return offset_ + static_cast<int64_t>(used_); }

    bool Seek(int64_t where, int whence) {
        if (!fd_.valid() || !Flush()) return false;
        off_t to = lseek(fd_.get(), static_cast<off_t>(where), whence);
        if (to < 0) return false;
        offset_ = static_cast<int64_t>(to);
        return true;
    }

    // Writes what is buffered and closes; false when any write failed.
    bool Close() {
        if (!fd_.valid()) return !failed_;
        Flush();
        if (!fd_.Close()) failed_ = true;
        return !failed_;
    }

    bool created() const { return created_; }

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
        offset_ += static_cast<int64_t>(used_ - left);
        accepted_ += static_cast<int64_t>(used_);
        used_ = 0;
        SetEnd();
        return !failed_;
    }

    FileDescriptor fd_;
    std::unique_ptr<unsigned char[]> buffer_;
    size_t used_ = 0;
    size_t end_ = 0;
    int64_t offset_ = 0;   // file position of the buffer's first byte
    int64_t accepted_ = 0; // bytes flushed so far, for the write limit
    int64_t limit_ = -1;
    bool created_ = false;
    bool failed_ = false;
};

// The file that the save in progress writes to. DevIL is driven by one thread at a time.
PcxFile* gCurrentFile = nullptr;

// Asks for large memory pages for a big buffer not yet touched: filling it then costs
// far fewer page faults. Only advice; nothing changes where it is not followed.
void AdviseLargePages(void* data, size_t size) {
    constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
    if (size < 4 * kLargePage) return;
    const uintptr_t begin =
        (reinterpret_cast<uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kLargePage - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

PcxFile* FileOf(ILHANDLE handle) {
    return static_cast<PcxFile*>(handle);
}

ILHANDLE ILAPIENTRY OpenPcxFile(ILconst_string path) {
    if (!gCurrentFile || !gCurrentFile->Open(path)) return nullptr;
    return gCurrentFile;
}

void ILAPIENTRY ClosePcxFile(ILHANDLE handle) {
    if (handle) FileOf(handle)->Close();
}

ILint ILAPIENTRY PutPcxByte(ILubyte byte, ILHANDLE handle) {
    return FileOf(handle)->PutByte(byte) ? byte : IL_EOF;
}

ILint ILAPIENTRY SeekPcxFile(ILHANDLE handle, ILint offset, ILint whence) {
    return FileOf(handle)->Seek(offset, whence) ? 0 : -1;
}

ILint ILAPIENTRY TellPcxFile(ILHANDLE handle) {
    return static_cast<ILint>(static_cast<uint32_t>(FileOf(handle)->Position()));
}

ILint ILAPIENTRY WritePcxBytes(const void* data, ILuint size, ILuint count, ILHANDLE handle) {
    const size_t total = static_cast<size_t>(size) * count;
    return FileOf(handle)->Put(static_cast<const unsigned char*>(data), total)
               ? static_cast<ILint>(count)
               : 0;
}

// Installs the buffered write functions for the lifetime of one save.
class PcxWriteFunctions {
  public:
    explicit PcxWriteFunctions(PcxFile& file) {
        gCurrentFile = &file;
        ilSetWrite(OpenPcxFile, ClosePcxFile, PutPcxByte, SeekPcxFile, TellPcxFile, WritePcxBytes);
    }
    ~PcxWriteFunctions() {
        ilResetWrite();
        gCurrentFile = nullptr;
    }
    PcxWriteFunctions(const PcxWriteFunctions&) = delete;
    PcxWriteFunctions& operator=(const PcxWriteFunctions&) = delete;
};

} // namespace

DevilImage DevilImage::Generate() {
    ILuint name = 0;
    ilGenImages(1, &name);
    if (name == 0) return {};
    ilBindImage(name);
    return DevilImage(name);
}

DevilImage HandOverToDevil(Image image) {
    // The export reads only ordinary bitmaps of 1 to 32 bits; deeper ones are narrowed.
    if (image && FreeImage_GetImageType(image.get()) != FIT_BITMAP)
        image = Image(FreeImage_ConvertTo24Bits(image.get()));
    const int width = image.Width();
    const int height = image.Height();
    if (width <= 0 || height <= 0 || width > kMaxPcxWidth || height > kMaxPcxHeight) return {};
    // DevIL counts the bytes of an image in 32 bits.
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3 > UINT32_MAX) return {};

    ilEnable(IL_FILE_OVERWRITE);
    DevilImage pcx = DevilImage::Generate();
    if (!pcx) return {};
    const ILint depth = ilGetInteger(IL_IMAGE_DEPTH);
    if (!ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height),
                    static_cast<ILuint>(depth), 3, IL_RGB, IL_UNSIGNED_BYTE, nullptr))
        return {};
    ILubyte* pixels = ilGetData();
    if (!pixels) return {};
    AdviseLargePages(pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * 3);

    // Top row first, so the writer needs no flipped copy.
    FreeImage_ConvertToRawBits(pixels, image.get(), width * 3, 24, 0xFF0000, 0xFF00, 0xFF, TRUE);
    image.Reset();
    // FreeImage keeps blue first on this machine; the writer wants red first, and
    // would otherwise convert a copy.
    if constexpr (FI_RGBA_RED != 0) {
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        for (size_t i = 0; i < count; ++i)
            std::swap(pixels[i * 3], pixels[i * 3 + 2]);
    }
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    return pcx;
}

bool SavePcx(const DevilImage& pcx, const std::string& path) {
    if (!pcx || path.empty()) return false;
    ilBindImage(pcx.name());
    PcxFile file;
    bool saved;
    {
        PcxWriteFunctions functions(file);
        saved = ilSave(IL_PCX, path.c_str()) == IL_TRUE;
    }
    const bool ok = file.Close() && saved && file.created();
    if (!ok && file.created()) RemoveFile(path);
    return ok;
}

void SetPcxWriteLimit(int64_t bytes) {
    gWriteLimit.store(bytes);
}
