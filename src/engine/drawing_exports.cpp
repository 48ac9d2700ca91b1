// The entry points through which the program calls the drawing library.
#include "engine/drawing_library.h"
#include "engine/frame.h"
#include "engine/watermark.h"

extern "C" {

__attribute__((visibility("default"))) FIBITMAP* BrelvixApplyFrame(FIBITMAP* image, int width,
                                                                   int height) {
    return ApplyFrame(Image(image), width, height).release();
}

__attribute__((visibility("default"))) FIBITMAP* BrelvixApplyWatermark(FIBITMAP* image, int width,
                                                                       int height) {
    return ApplyWatermark(Image(image), width, height).release();
}

__attribute__((visibility("default"))) bool BrelvixCreateWatermarkFont() {
    return CreateWatermarkFont();
}

__attribute__((visibility("default"))) void BrelvixFreeWatermarkFont() {
    FreeWatermarkFont();
}

} // extern "C"
