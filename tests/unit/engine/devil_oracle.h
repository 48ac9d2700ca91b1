// DevIL's PCX writer as the reference for the program's own: the files the program
// writes must be the bytes DevIL writes for the same pixels.
#pragma once

#include "test_support.h"

#include <cstdint>
#include <string>

// Saves a raw 24-bit buffer with DevIL's ilSave as a PCX file at path (replacing what
// is there) and returns the file's bytes; empty when DevIL refuses. The buffer is laid
// out as DevIL takes it by default: bottom row first, each pixel blue, green, red.
std::string DevilPcxFromRawBits(const uint8_t* bottomUpBgr, int width, int height,
                                const std::string& path);

// The same for a picture held top-down in red, green, blue.
std::string DevilPcx(const RgbImage& picture, const std::string& path);
