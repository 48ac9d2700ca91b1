// The geometric steps of the conversion (rotation, resize, flip) and the readers of
// colour texts.
#pragma once

#include "engine/image.h"
#include "engine/reason.h"

#include <FreeImage.h>

#include <cstdint>
#include <string_view>

// Turns the picture by `Image Rotation` degrees when rotation is on. No image when the
// turned picture would break the result bounds (checked before anything is made) or the
// rotation fails; then why, when given, says which.
Image ApplyRotation(Image image, Reason* why = nullptr);
// Rescales the picture, whose current size is width x height, when resizing is on. No
// image when the new size breaks the result bounds (checked before anything is made)
// or the rescale fails; then why, when given, says which.
Image ApplyResize(Image image, int width, int height, Reason* why = nullptr);
// Mirrors the picture in place, left to right and then top to bottom, as configured;
// no image when a mirroring fails.
Image ApplyFlip(Image image);

// The bounds of every picture a step makes: those of a loaded picture (kMaxSide a side,
// kMaxPixels in all) and those of the PCX file (kMaxPcxWidth x kMaxPcxHeight).
bool WithinResultBounds(int64_t width, int64_t height);

struct PictureSize {
    int64_t width = 0;
    int64_t height = 0;
};
// The size FreeImage_Rotate gives a width x height picture turned by angle degrees
// (counter-clockwise): quarter turns are exact, and any other angle gets the canvas that
// holds the whole turned picture, one pixel more each way.
PictureSize RotatedSize(int64_t width, int64_t height, double angle);

// Target length of one axis: value in pixels (unit 0) or percent of size (unit 1).
int32_t ResizeAxis(int32_t value, int unit, int32_t size);
// The rescale filter that `Image Resize Algorithm` names.
FREE_IMAGE_FILTER ResizeFilter();

// A colour: red in bits 0-7, green in 8-15, blue in 16-23 (alpha in 24-31 for RGBA).
// Six hexadecimal digits RRGGBB; any other length is black. A pair that is not valid
// hexadecimal reads only its valid leading digits.
uint32_t ColorFromHex(std::string_view text);
uint32_t RgbaFromHex(std::string_view text, int alpha);
