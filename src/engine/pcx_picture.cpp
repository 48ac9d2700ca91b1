#include "engine/pcx_picture.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace {

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

PcxPicture Refuse(Reason reason, Reason* why) {
    if (why) *why = reason;
    return {};
}

} // namespace

PcxPicture PcxPicture::Allocate(int width, int height) {
    PcxPicture picture;
    if (!FitsPcx(width, height)) return picture;
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    picture.pixels_.reset(new (std::nothrow) uint8_t[size]);
    if (!picture.pixels_) return picture;
    AdviseLargePages(picture.pixels_.get(), size);
    picture.width_ = width;
    picture.height_ = height;
    return picture;
}

PcxPicture HandOverToPcx(Image image, Reason* why) {
    // Rows are read one by one below from ordinary bitmaps of 1 to 32 bits; other
    // kinds are narrowed to 24 bits first.
    if (image && FreeImage_GetImageType(image.get()) != FIT_BITMAP)
        image = Image(FreeImage_ConvertTo24Bits(image.get()));
    const int width = image.Width();
    const int height = image.Height();
    if (!FitsPcx(width, height)) return Refuse(Reason::kPcxTooLarge, why);
    FIBITMAP* dib = image.get();
    const int bpp = image.Bpp();
    RGBQUAD* palette = FreeImage_GetPalette(dib);
    const bool readable =
        bpp == 16 || bpp == 24 || bpp == 32 || ((bpp == 1 || bpp == 4 || bpp == 8) && palette);
    if (!readable) return Refuse(Reason::kBitDepthFailed, why);
    const bool is565 = FreeImage_GetRedMask(dib) == FI16_565_RED_MASK &&
                       FreeImage_GetGreenMask(dib) == FI16_565_GREEN_MASK &&
                       FreeImage_GetBlueMask(dib) == FI16_565_BLUE_MASK;
    PcxPicture pcx = PcxPicture::Allocate(width, height);
    if (!pcx) return Refuse(Reason::kOutOfMemory, why);

    // The bitmap keeps its bottom row first, blue first on this machine; the picture
    // is top row first, red first.
    for (int y = 0; y < height; ++y) {
        BYTE* from = FreeImage_GetScanLine(dib, height - 1 - y);
        uint8_t* to = pcx.Row(y);
        if (bpp == 24) {
            for (int x = 0; x < width; ++x, from += 3, to += 3) {
                to[0] = from[FI_RGBA_RED];
                to[1] = from[FI_RGBA_GREEN];
                to[2] = from[FI_RGBA_BLUE];
            }
            continue;
        }
        switch (bpp) {
        case 1:
            FreeImage_ConvertLine1To24(to, from, width, palette);
            break;
        case 4:
            FreeImage_ConvertLine4To24(to, from, width, palette);
            break;
        case 8:
            FreeImage_ConvertLine8To24(to, from, width, palette);
            break;
        case 16:
            if (is565) {
                FreeImage_ConvertLine16To24_565(to, from, width);
            } else {
                FreeImage_ConvertLine16To24_555(to, from, width);
            }
            break;
        case 32:
            FreeImage_ConvertLine32To24(to, from, width);
            break;
        }
        if constexpr (FI_RGBA_RED != 0) {
            for (int x = 0; x < width; ++x, to += 3)
                std::swap(to[0], to[2]);
        }
    }
    return pcx;
}
