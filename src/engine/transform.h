// The geometric steps of the conversion (rotation, resize, flip) and the readers of
// colour texts.
#pragma once

#include "engine/image.h"

#include <FreeImage.h>

#include <cstdint>
#include <string_view>

// Turns the picture by `Image Rotation` degrees when rotation is on.
Image ApplyRotation(Image image);
// Rescales the picture, whose current size is width x height, when resizing is on.
Image ApplyResize(Image image, int width, int height);
// Mirrors the picture in place, left to right and then top to bottom, as configured.
Image ApplyFlip(Image image);

// Target length of one axis: value in pixels (unit 0) or percent of size (unit 1).
int32_t ResizeAxis(int32_t value, int unit, int32_t size);
// The rescale filter that `Image Resize Algorithm` names.
FREE_IMAGE_FILTER ResizeFilter();

// A colour: red in bits 0-7, green in 8-15, blue in 16-23 (alpha in 24-31 for RGBA).
// Six hexadecimal digits RRGGBB; any other length is black. A pair that is not valid
// hexadecimal reads only its valid leading digits.
uint32_t ColorFromHex(std::string_view text);
uint32_t RgbaFromHex(std::string_view text, int alpha);
