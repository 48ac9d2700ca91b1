// Writes BMP files of every layout from an RGB picture, so the reader tests make
// their pictures in code. Written independently of the program's BMP reader.
#pragma once

#include "test_support.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct BmpLayout {
    int bpp = 24;        // 1, 4, 8, 16, 24 or 32
    int compression = 0; // 0 none, 1 RLE8, 2 RLE4, 3 bit fields, 6 bit fields with alpha
    // 12: OS/2 1.x; 16 to 64: OS/2 2.x; 40: Windows; 52, 56: Adobe; 108: V4; 124: V5.
    int headerSize = 40;
    bool topDown = false;
    // Red, green, blue and alpha masks of 16- and 32-bit pixels. All zero: 5-5-5 for
    // 16 bits, 8-8-8 with the fourth byte holding `alpha` for 32 bits.
    std::array<uint32_t, 4> masks{};
    uint8_t alpha = 255; // value of the alpha bits or of the fourth byte
    // Palette entries written (1 to 8 bits); 0 writes 2^bpp. The picture's colours
    // come first, then filler colours.
    int paletteEntries = 0;
    bool colourCountZero = false;       // write 0 as the number of colours used
    bool rleEndOfLineBeforeEnd = false; // the last line ends with end-of-line, then end-of-bitmap
    bool rleDelta = false;              // RLE8: runs of colour 0 become delta moves
    int extraGap = 0;                   // bytes between palette and pixel data
};

// The file's bytes, or an empty string when the picture has more colours than the
// palette holds or the layout is not one this writer makes.
std::string EncodeBmp(const RgbImage& picture, const BmpLayout& layout);
// A 16- or 32-bit file of the layout whose pixels are the given words, left to right
// and top to bottom; empty for other depths or a wrong number of words.
std::string EncodeBmpWords(int width, int height, const std::vector<uint32_t>& words,
                           const BmpLayout& layout);
bool WriteBmpFile(const std::string& path, const RgbImage& picture, const BmpLayout& layout);

// A test picture: a colour gradient with fine detail, or (colours > 0) a pattern of
// that many distinct colours with runs and noise, as RLE and palette tests need.
RgbImage MakeTestPicture(int width, int height, int colours = 0);
