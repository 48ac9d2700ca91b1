// Frames and watermarks are drawn by the drawing library (cairo, pango, fontconfig),
// which the program loads only when a job draws one: a plain conversion never pays for
// loading those libraries at start-up. These functions forward to the library.
#pragma once

#include "engine/image.h"

namespace drawlib {

// The frame step; without `Do Frame` the picture comes back untouched. When the
// library cannot be loaded the file fails (no image).
Image ApplyFrame(Image image, int width, int height);
// The watermark step; without `Do Watermark` the picture comes back untouched.
Image ApplyWatermark(Image image, int width, int height);
// The watermark font of the job, made on the main thread before the job starts.
// False when the font cannot be made or the library cannot be loaded.
bool CreateWatermarkFont();
// Frees the font; nothing when the library was never loaded.
void FreeWatermarkFont();

} // namespace drawlib

// Entry points the drawing library exports.
extern "C" {
using DrawStepFunction = FIBITMAP* (*)(FIBITMAP* image, int width, int height);
using DrawFontCreateFunction = bool (*)();
using DrawFontFreeFunction = void (*)();
}
inline constexpr const char* kDrawLibraryName = "libbrelvix-draw.so";
