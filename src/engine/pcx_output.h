// The hand-over of a finished picture to DevIL and the writing of the PCX file.
#pragma once

#include "engine/image.h"
#include "engine/reason.h"

#include <IL/il.h>

#include <cstdint>
#include <string>
#include <utility>

// Move-only owner of one DevIL image name; deleting the name frees its pixels.
class DevilImage {
  public:
    DevilImage() = default;
    explicit DevilImage(ILuint name) : name_(name) {}
    ~DevilImage() { Reset(); }
    DevilImage(DevilImage&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    DevilImage& operator=(DevilImage&& other) noexcept {
        if (this != &other) {
            Reset();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }
    DevilImage(const DevilImage&) = delete;
    DevilImage& operator=(const DevilImage&) = delete;

    ILuint name() const { return name_; }
    explicit operator bool() const { return name_ != 0; }
    void Reset() {
        if (name_ != 0) ilDeleteImages(1, &name_);
        name_ = 0;
    }
    // A new image name, bound; empty when DevIL gives none.
    static DevilImage Generate();

  private:
    ILuint name_ = 0;
};

// PCX stores the right and bottom edges and the bytes per line in 16 bits.
inline constexpr int kMaxPcxWidth = 65534;
inline constexpr int kMaxPcxHeight = 65535;

// Exports the picture's pixels as 24-bit pixels straight into a new DevIL image, laid
// out as the PCX writer stores them (top row first, red, green, blue, no flip or
// conversion left for the writer), and releases the picture. An empty handle for an
// empty picture, one that PCX cannot hold, or when DevIL has no memory for it; then why,
// when given, says which (Reason::kPcxTooLarge, Reason::kOutOfMemory).
DevilImage HandOverToDevil(Image image, Reason* why = nullptr);

// Writes the DevIL image as a PCX file into the open file descriptor, from its current
// position. Reason::kNone only when every byte reached the file; else why not, from the
// system's error number where there is one (a full disk, a denied write).
Reason SavePcx(const DevilImage& pcx, int fd);
// Writes the DevIL image as a PCX file under a new name (an existing file is never
// touched). After a failure nothing is left under that name.
Reason SavePcx(const DevilImage& pcx, const std::string& path);

// For tests: once this many bytes have gone into a PCX file, every further write
// fails with ENOSPC, as on a full disk. Negative turns it off.
void SetPcxWriteLimit(int64_t bytes);
