// Small pictures for the frame and watermark tests, made in code.
#pragma once

#include "engine/image.h"

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

// Kept apart from the other engine tests' helpers of the same names.
namespace drawtest {

struct Rgb {
    int r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << "," << c.a << ")";
}

// A picture of the given bit depth (24 or 32) whose pixel (x, y), counted from the
// top-left corner, is colour(x, y).
inline Image MakePicture(int width, int height, int bpp,
                         const std::function<Rgb(int x, int y)>& colour) {
    Image image(FreeImage_Allocate(width, height, bpp, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                   FI_RGBA_BLUE_MASK));
    const int step = bpp / 8;
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image.get(), height - 1 - y);
        for (int x = 0; x < width; ++x) {
            Rgb c = colour(x, y);
            BYTE* p = row + x * step;
            p[FI_RGBA_RED] = static_cast<BYTE>(c.r);
            p[FI_RGBA_GREEN] = static_cast<BYTE>(c.g);
            p[FI_RGBA_BLUE] = static_cast<BYTE>(c.b);
            if (step == 4) p[FI_RGBA_ALPHA] = static_cast<BYTE>(c.a);
        }
    }
    return image;
}

inline Image SolidPicture(int width, int height, Rgb colour, int bpp = 24) {
    return MakePicture(width, height, bpp, [colour](int, int) { return colour; });
}

// The pixel at (x, y) from the top-left corner of a 24- or 32-bit picture.
inline Rgb PixelAt(const Image& image, int x, int y) {
    const int step = image.Bpp() / 8;
    const BYTE* p = FreeImage_GetScanLine(image.get(), image.Height() - 1 - y) + x * step;
    return {p[FI_RGBA_RED], p[FI_RGBA_GREEN], p[FI_RGBA_BLUE], step == 4 ? p[FI_RGBA_ALPHA] : 255};
}

inline bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    auto close = [tolerance](int u, int v) { return u - v <= tolerance && v - u <= tolerance; };
    return close(a.r, b.r) && close(a.g, b.g) && close(a.b, b.b) && close(a.a, b.a);
}

} // namespace drawtest
