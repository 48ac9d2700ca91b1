// The finished picture handed over to the PCX writer: a plain buffer of 24-bit pixels.
#pragma once

#include "engine/image.h"
#include "engine/pcx_encoder.h"
#include "engine/reason.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Move-only owner of a picture's pixels as the PCX encoder reads them: rows top
// first, width * 3 bytes apart, each pixel red, green, blue.
class PcxPicture {
  public:
    PcxPicture() = default;

    // A picture of this size with its pixels not yet set; empty when there is no
    // memory for them or the size does not fit a PCX file.
    static PcxPicture Allocate(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    size_t RowBytes() const { return static_cast<size_t>(width_) * 3; }
    uint8_t* Row(int y) { return pixels_.get() + RowBytes() * static_cast<size_t>(y); }
    const uint8_t* Row(int y) const { return pixels_.get() + RowBytes() * static_cast<size_t>(y); }
    explicit operator bool() const { return pixels_ != nullptr; }
    void Reset() { *this = PcxPicture(); }

  private:
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<uint8_t[]> pixels_;
};

// Exports the picture's pixels as 24-bit pixels into a new PcxPicture and releases
// the picture. An empty one for an empty picture or one that PCX cannot hold (why:
// kPcxTooLarge) or when there is no memory for the pixels (why: kOutOfMemory).
PcxPicture HandOverToPcx(Image image, Reason* why = nullptr);
