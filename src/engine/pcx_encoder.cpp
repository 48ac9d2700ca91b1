#include "engine/pcx_encoder.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace {

constexpr size_t kMaxRun = 63;
constexpr uint8_t kRunMark = 0xC0; // count bytes, and values that need one

void Put16(uint8_t* at, int value) {
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// Codes one plane line of the row: the bytes at offsets plane, plane + 3, and so on.
// Most bytes of a photograph stand alone, so a lone byte costs one well-predicted
// comparison, and whether it needs a count byte decides where its value goes, not a
// branch.
uint8_t* EncodePlane(const uint8_t* row, size_t plane, size_t width, uint8_t* out) {
    const size_t end = 3 * width;
    size_t at = plane;
    while (at < end) {
        const uint8_t value = row[at];
        size_t next = at + 3;
        if (next < end && row[next] == value) {
            const size_t limit = end - at > 3 * kMaxRun ? at + 3 * kMaxRun : end;
            do
                next += 3;
            while (next < limit && row[next] == value);
        }
        const size_t run = (next - at) / 3;
        const size_t counted = run > 1 || value >= kRunMark ? 1 : 0;
        out[0] = static_cast<uint8_t>(kRunMark | run);
        out[counted] = value; // over the count byte when there is none
        out += 1 + counted;
        at = next;
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
    for (size_t plane = 0; plane < 3; ++plane)
        end = EncodePlane(rgb, plane, static_cast<size_t>(width), end);
    return static_cast<size_t>(end - out);
}
