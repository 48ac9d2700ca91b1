// The colour steps of the conversion and the bit depth of the output.
#pragma once

#include "engine/image.h"

#include <cstdint>
#include <string>

// Brightness, contrast, gamma and negative, when colour correction is on.
Image ApplyColorAdjustment(Image image);
// An 8-bit greyscale picture, when greyscale is on.
Image ApplyGreyscale(Image image);
// A 1-bit black-and-white picture, when the threshold is on.
Image ApplyThreshold(Image image);
// The bit depth a "keep" job writes for a source of the given depth: the first depth
// the format permits that is at least the source's, else the format's largest.
int32_t BitDepthForSource(const std::string& format, int32_t sourceBitDepth);
// Brings the picture to the job's output bit depth; no image for a depth that has no
// conversion.
Image ApplyBitDepth(Image image);
