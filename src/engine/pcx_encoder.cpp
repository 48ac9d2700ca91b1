#include "engine/pcx_encoder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr size_t kMaxRun = 63;
constexpr uint8_t kRunMark = 0xC0; // count bytes, and values that need one

void Put16(uint8_t* at, int value) {
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// Codes one plane line: the plane's bytes are every third byte of the row.
uint8_t* EncodePlane(const uint8_t* plane, size_t width, uint8_t* out) {
    size_t i = 0;
    while (i < width) {
        const uint8_t value = plane[3 * i];
        const size_t limit = std::min(width, i + kMaxRun);
        size_t j = i + 1;
        while (j < limit && plane[3 * j] == value)
            ++j;
        const size_t run = j - i;
        if (run > 1 || value >= kRunMark) *out++ = static_cast<uint8_t>(kRunMark | run);
        *out++ = value;
        i = j;
    }
    if (width & 1) *out++ = 0; // the line is padded to an even length
    return out;
}

constexpr std::array<uint8_t, kPcxTrailerSize> kTrailer = [] {
    std::array<uint8_t, kPcxTrailerSize> trailer{};
    trailer[0] = 0x0C; // a 256-colour map follows, all zero
    return trailer;
}();

} // namespace

void EncodePcxHeader(int width, int height, uint8_t header[kPcxHeaderSize]) {
    std::memset(header, 0, kPcxHeaderSize);
    header[0] = 10; // maker
    header[1] = 5;  // version
    header[2] = 1;  // run-length coded
    header[3] = 8;  // bits per pixel of a plane
    Put16(header + 8, width - 1);
    Put16(header + 10, height - 1);
    header[65] = 3; // planes
    Put16(header + 66, width + (width & 1));
    Put16(header + 68, 1); // palette type
}

const uint8_t* PcxTrailer() {
    return kTrailer.data();
}

size_t EncodePcxRow(const uint8_t* rgb, int width, uint8_t* out) {
    uint8_t* end = out;
    for (int plane = 0; plane < 3; ++plane)
        end = EncodePlane(rgb + plane, static_cast<size_t>(width), end);
    return static_cast<size_t>(end - out);
}
