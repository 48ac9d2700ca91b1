// The solid frame: a border painted over the edges of the picture, each side in its
// own width and colour, with mitred corners, laid over the picture with one opacity.
#pragma once

#include "engine/image.h"

#include <string>

// The frame widths as drawn on a picture of width x height. Each configured width is
// brought into 0 .. the picture's side: a negative width draws nothing, and a width
// beyond the picture covers it (with L + R > W the side figures still cross, as the
// widths say, but no coordinate leaves the picture's own range).
struct FrameWidths {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};
FrameWidths FrameWidthsFor(int width, int height);

enum class FrameSide { Top, Right, Bottom, Left };
// The figure of one side as path data: a trapezoid from the picture's outer corners
// to the inner corners (L, T), (W - R, T), (W - R, H - B), (L, H - B).
std::string FramePath(FrameSide side, int width, int height, const FrameWidths& widths);

// Paints the frame when `Do Frame` is SOLID. The result is 24-bit whenever `Do Frame`
// is not NONE; when the drawing cannot be done the picture comes back without a frame.
Image ApplyFrame(Image image, int width, int height);
