// Move-only owner of a FreeImage bitmap. A pipeline step takes the image by value
// and returns the image to continue with; a step that makes a new picture lets the
// old handle go, which unloads it.
#pragma once

#include <FreeImage.h>

#include <utility>

class Image {
  public:
    Image() = default;
    explicit Image(FIBITMAP* bitmap) : bitmap_(bitmap) {}
    ~Image() { Reset(); }
    Image(Image&& other) noexcept : bitmap_(std::exchange(other.bitmap_, nullptr)) {}
    Image& operator=(Image&& other) noexcept {
        if (this != &other) {
            Reset();
            bitmap_ = std::exchange(other.bitmap_, nullptr);
        }
        return *this;
    }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    FIBITMAP* get() const { return bitmap_; }
    explicit operator bool() const { return bitmap_ != nullptr; }
    FIBITMAP* release() { return std::exchange(bitmap_, nullptr); }
    void Reset(FIBITMAP* bitmap = nullptr) {
        if (bitmap_) FreeImage_Unload(bitmap_);
        bitmap_ = bitmap;
    }

    int Width() const { return bitmap_ ? static_cast<int>(FreeImage_GetWidth(bitmap_)) : 0; }
    int Height() const { return bitmap_ ? static_cast<int>(FreeImage_GetHeight(bitmap_)) : 0; }
    int Bpp() const { return bitmap_ ? static_cast<int>(FreeImage_GetBPP(bitmap_)) : 0; }

  private:
    FIBITMAP* bitmap_ = nullptr;
};
