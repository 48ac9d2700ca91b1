// Helpers of the engine tests: a clean job, pictures made in code, and their pixels.
#pragma once

#include "engine/image.h"
#include "test_support.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Settings and job as a command-line job to "pcx" starts them.
void ResetEngineJob();

// A picture whose every pixel has its own colour; top row first in (x, y).
Image MakePatternImage(int width, int height);
// A picture of one colour (red, green, blue) with the given bits per pixel (24 or 32).
Image MakeSolidImage(int width, int height, uint8_t r, uint8_t g, uint8_t b, int bpp = 24);
// An 8-bit palette picture with a few colours.
Image MakePaletteImage(int width, int height);

// Colour of a pixel, y counted from the top.
struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
Rgb PixelAt(const Image& image, int x, int y);
// The picture as 24-bit top-down RGB, the form the reference decoders give.
RgbImage ToRgb(const Image& image);

bool SaveBmp(const Image& image, const std::string& path);
// Names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);
