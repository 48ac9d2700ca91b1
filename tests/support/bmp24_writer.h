// Small 24-bit BMP pictures made by the tests.
#pragma once

#include "test_support.h"

#include <string>

// The bytes of a plain 24-bit BMP (40-byte header, bottom-up rows padded to 4 bytes).
std::string Bmp24Bytes(const RgbImage& image);
bool WriteBmp24(const std::string& path, const RgbImage& image);
// A picture with distinct colours in every corner and a diagonal gradient between.
RgbImage TestPattern(int width, int height);
