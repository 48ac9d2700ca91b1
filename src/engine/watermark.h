// The watermark: a text or a picture laid over the converted image at one of nine
// positions, inside the whole picture or inside the frame.
#pragma once

#include "engine/image.h"
#include "engine/watermark_picture.h"

#include <cstdint>

// The watermark font, made from `Font`, `Font Size`, `Font Style` (bold, italic) and
// `Font Effect` (underline, strike-through). The main thread makes it before a job
// and frees it after; the job only uses it. False when the font name resolves to no
// installed family (an unknown name would only fall back to the default font).
bool CreateWatermarkFont();
void FreeWatermarkFont();
bool WatermarkFontExists();

// Limits that keep a text overlay bounded whatever the options say: each side of a
// text box is at most kMaxOverlaySide pixels (text beyond is cut off), `Text Padding`
// counts from 0 to kMaxOverlaySide, and a negative `Font Leading` never moves a line
// above the one before. Watermark pictures that WatermarkPictureFormat refuses are not
// used.
inline constexpr int kMaxOverlaySide = 4096;

// Lays the watermark over the picture when `Do Watermark` is TEXT or IMAGE. The result
// is 24-bit whenever `Do Watermark` is not NONE. Without a font, a picture or room for
// the overlay the picture comes back without a watermark.
Image ApplyWatermark(Image image, int width, int height);

// The overlays: 32-bit images with straight alpha, or none.
Image RenderTextWatermark();
Image RenderImageWatermark();
// Turns the overlay by the variant's rotation (1 to 359 degrees); corners stay clear.
Image RotateWatermark(Image overlay);
// Crops the overlay to the room the offsets leave in the allowed area; none when they
// leave no room at all.
Image ClipWatermark(Image overlay, int width, int height);

struct WatermarkArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
// The whole picture, or the area inside the frame when the variant's boundary is FRAME.
WatermarkArea AllowedArea(int width, int height);

struct WatermarkPlace {
    int x = 0;
    int y = 0;
};
// The top-left corner of an overlay of the given size in a picture of width x height.
WatermarkPlace PlaceWatermark(int width, int height, int overlayWidth, int overlayHeight);
// The x of one line of a text box of boxWidth, by `Text Alignment`.
int AlignLine(int lineWidth, int boxWidth);
