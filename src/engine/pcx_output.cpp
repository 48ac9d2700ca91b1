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
#include <sys/mman.h>
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

// The file DevIL writes to: output is gathered in a large buffer and the first failed
// write is remembered with its error number, since DevIL's writers do not look at the
// results. DevIL hands over nearly every byte on its own, so one byte takes the
// shortest path. The descriptor belongs to the caller.
class PcxFile {
  public:
    static constexpr size_t kBufferSize = size_t{1} << 20;

    explicit PcxFile(int fd) : fd_(fd) {}

    // DevIL opens the file once for a save.
    bool Open() {
        if (opened_ || fd_ < 0) return false;
        opened_ = true;
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
            if (error_ != 0 || !opened_) return false;
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

    int64_t Position() const { return offset_ + static_cast<int64_t>(used_); }

    bool Seek(int64_t where, int whence) {
        if (!opened_ || !Flush()) return false;
        off_t to = lseek(fd_, static_cast<off_t>(where), whence);
        if (to < 0) {
            Fail(errno);
            return false;
        }
        offset_ = static_cast<int64_t>(to);
        return true;
    }

    // Writes what is buffered; false when any write failed.
    bool Finish() {
        if (opened_) Flush();
        return error_ == 0;
    }

    bool opened() const { return opened_; }
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
        offset_ += static_cast<int64_t>(used_ - left);
        accepted_ += static_cast<int64_t>(used_);
        used_ = 0;
        SetEnd();
        if (error_ == 0 && offset_ > 0 && !held_) {
            held_ = true;
            HoldWriteForTests();
        }
        return error_ == 0;
    }

    int fd_ = -1;
    std::unique_ptr<unsigned char[]> buffer_;
    size_t used_ = 0;
    size_t end_ = 0;
    int64_t offset_ = 0;   // file position of the buffer's first byte
    int64_t accepted_ = 0; // bytes flushed so far, for the write limit
    int64_t limit_ = -1;
    int error_ = 0;
    bool opened_ = false;
    bool held_ = false;
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

ILHANDLE ILAPIENTRY OpenPcxFile(ILconst_string) {
    if (!gCurrentFile || !gCurrentFile->Open()) return nullptr;
    return gCurrentFile;
}

void ILAPIENTRY ClosePcxFile(ILHANDLE handle) {
    if (handle) FileOf(handle)->Finish();
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

DevilImage HandOverToDevil(Image image, Reason* why) {
    Reason unused = Reason::kNone;
    Reason& reason = why ? *why : unused;
    reason = Reason::kNone;
    auto fail = [&reason](Reason r) {
        reason = r;
        return DevilImage();
    };
    // The export reads only ordinary bitmaps of 1 to 32 bits; deeper ones are narrowed.
    if (image && FreeImage_GetImageType(image.get()) != FIT_BITMAP) {
        image = Image(FreeImage_ConvertTo24Bits(image.get()));
        if (!image) return fail(Reason::kOutOfMemory);
    }
    const int width = image.Width();
    const int height = image.Height();
    if (width <= 0 || height <= 0) return fail(Reason::kBitDepthFailed);
    if (width > kMaxPcxWidth || height > kMaxPcxHeight) return fail(Reason::kPcxTooLarge);
    // DevIL counts the bytes of an image in 32 bits.
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 3 > UINT32_MAX)
        return fail(Reason::kPcxTooLarge);

    ilEnable(IL_FILE_OVERWRITE);
    DevilImage pcx = DevilImage::Generate();
    if (!pcx) return fail(Reason::kOutOfMemory);
    const ILint depth = ilGetInteger(IL_IMAGE_DEPTH);
    if (!ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height),
                    static_cast<ILuint>(depth), 3, IL_RGB, IL_UNSIGNED_BYTE, nullptr))
        return fail(Reason::kOutOfMemory);
    ILubyte* pixels = ilGetData();
    if (!pixels) return fail(Reason::kOutOfMemory);
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

Reason SavePcx(const DevilImage& pcx, int fd) {
    if (!pcx || fd < 0) return Reason::kWriteError;
    ilBindImage(pcx.name());
    ilEnable(IL_FILE_OVERWRITE); // DevIL would look for a file of the name it is given
    PcxFile file(fd);
    bool saved;
    {
        PcxWriteFunctions functions(file);
        // DevIL passes the name only to the open function above, which writes to fd.
        saved = ilSave(IL_PCX, "brelvix.pcx") == IL_TRUE;
    }
    if (!file.Finish()) return ReasonFromErrno(file.error(), Reason::kWriteError);
    if (!saved || !file.opened()) return Reason::kWriteError;
    return Reason::kNone;
}

Reason SavePcx(const DevilImage& pcx, const std::string& path) {
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
