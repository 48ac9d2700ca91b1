// The PCX encoding of 24-bit pictures, as the writer stores every file:
//
// - a 128-byte header: maker 10, version 5, run-length coding, 8 bits per plane
//   pixel, the picture's right and bottom edges (width - 1, height - 1) with the
//   left and top at 0, no resolution, an empty 16-colour map, three planes, bytes
//   per plane line (the width rounded up to an even count), palette type 1, the
//   rest zero;
// - each row top first as three plane lines (red, green, blue), each coded on its
//   own: runs of equal bytes, at most 63 long, as a count byte 0xC0 + n and the
//   value; a lone byte below 0xC0 as itself. An odd width ends every plane line with
//   one zero byte, written as it is, outside the runs;
// - a trailer of 769 bytes: 0x0C and an empty 256-colour map.
//
// The encoder knows nothing of files or image libraries: rows come from the caller,
// bytes go to the caller's sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

// PCX stores the right and bottom edges and the bytes per line in 16 bits.
inline constexpr int kMaxPcxWidth = 65534;
inline constexpr int kMaxPcxHeight = 65535;

inline constexpr size_t kPcxHeaderSize = 128;
inline constexpr size_t kPcxTrailerSize = 769;

// Whether a picture of this size fits a PCX file.
inline bool FitsPcx(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxPcxWidth && height <= kMaxPcxHeight;
}

// The header of a picture that fits.
void EncodePcxHeader(int width, int height, uint8_t header[kPcxHeaderSize]);

// The trailer every file ends with, kPcxTrailerSize bytes.
const uint8_t* PcxTrailer();

// The most bytes one coded row of this width takes.
inline size_t PcxRowBound(int width) {
    return 3 * (2 * static_cast<size_t>(width) + 1);
}

// Codes one row of width pixels (red, green, blue, three bytes each) into out, which
// holds PcxRowBound(width) bytes; returns the bytes written.
size_t EncodePcxRow(const uint8_t* rgb, int width, uint8_t* out);

// Writes the whole file: rows(y) gives row y (top first) as in EncodePcxRow, put(data,
// size) takes the bytes in file order and returns false when they could not be
// written. False when the size does not fit, there is no memory for one coded row, or
// put failed; nothing is put after a failed put.
template <class Rows, class Put> bool EncodePcx(int width, int height, Rows&& rows, Put&& put) {
    if (!FitsPcx(width, height)) return false;
    std::unique_ptr<uint8_t[]> coded(new (std::nothrow) uint8_t[PcxRowBound(width)]);
    if (!coded) return false;
    uint8_t header[kPcxHeaderSize];
    EncodePcxHeader(width, height, header);
    if (!put(static_cast<const uint8_t*>(header), kPcxHeaderSize)) return false;
    for (int y = 0; y < height; ++y) {
        const size_t size = EncodePcxRow(rows(y), width, coded.get());
        if (!put(static_cast<const uint8_t*>(coded.get()), size)) return false;
    }
    return put(PcxTrailer(), kPcxTrailerSize);
}
