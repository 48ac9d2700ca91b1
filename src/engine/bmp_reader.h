// Reading BMP pictures safely and exactly: the header is checked before any pixel is
// read, and every variant is decoded here (FreeImage only holds the bitmap).
//
// Bounds. A file is refused, quickly and without decoding, when its header is
// inconsistent (no "BM" mark, an unknown header size, zero or negative sizes, more
// than one plane, an unknown depth or compression, bad bit-field masks, a palette or
// pixel data that starts past the end of the file, uncompressed pixel data shorter
// than the picture needs) or when the picture is larger than a conversion accepts:
// - at most kMaxSide pixels wide and high, since PCX stores its sizes in 16 bits;
// - at most kMaxPixels pixels. A conversion holds the loaded bitmap (at most 4 bytes
//   a pixel), the 24-bit buffer handed to the PCX writer (3 bytes a pixel) and the
//   transient copy a converting step makes, so the bound keeps one conversion under
//   about 3.5 GiB however the file was made. Uncompressed data must be in the file,
//   so a picture near the bound is also a file of hundreds of megabytes.
// - an RLE picture may hold at most kRleBasePixels + kRlePixelsPerByte pixels for
//   each byte of compressed data. An encoder that writes runs (at most 255 pixels
//   in two bytes) stays under 128 pixels a byte; the allowance is twice that, for
//   files that skip blank areas with delta moves. A few dozen bytes declaring a
//   giant picture are refused before anything is allocated.
//
// Memory and speed. The header and palette are read with a few small reads and the
// file size is taken from the open file. Pixel data is never held twice: stored
// lines are read straight into the bitmap (they have its layout), bit fields line
// by line and RLE through a small block buffer.
//
// Colours. A bit-field channel of n bits (1 to 32) holding v becomes the 8-bit
// value round(v × 255 / (2^n − 1)), so its full value is 255 and 0 stays 0 for
// every width; 8-bit channels and palettes are taken as they are.
#pragma once

#include "engine/image.h"
#include "engine/reason.h"

#include <cstdint>
#include <string>

// The largest picture a conversion accepts, in pixels (width times height).
inline constexpr int64_t kMaxPixels = int64_t{1} << 28; // 256 megapixels
// PCX stores its sizes in 16 bits.
inline constexpr int kMaxSide = 65535;
// The largest RLE picture for its file: base plus pixels per byte of compressed data.
inline constexpr int64_t kRleBasePixels = int64_t{1} << 24; // 16 megapixels
inline constexpr int64_t kRlePixelsPerByte = 256;

// Loads a BMP file (whatever its extension): 1-, 4- and 8-bit pictures with their
// palette, 16-bit pictures (5-5-5, 5-6-5 or any other masks) as 24 bits, 24 bits as
// they are, 32 bits as 32 with their alpha scaled to 8 bits. A 32-bit picture whose
// fourth bytes are all zero, or that has no alpha mask, comes out opaque.
// On success why, when given, is kNone and fileBitDepth, when given, the depth the
// file stores (16 for a 16-bit file loaded as 24 bits). Otherwise the image is
// empty, fileBitDepth 0 and why says what kept the file from loading: the system's
// reason it cannot be opened or read, kNotRegularFile, kNotBmp (no "BM" mark, too
// short for any header), kBadHeader (inconsistent fields), kUnsupportedHeader,
// kUnsupportedDepth, kUnsupportedCompression, kBadMasks, kBadPalette, kTruncated
// (pixel data missing, RLE codes cut short or far too few for the picture they
// declare), kTooLarge (over the bounds above) or
// kOutOfMemory (no room for the bitmap).
Image LoadBmp(const std::string& path, Reason* why = nullptr, int* fileBitDepth = nullptr);
// Reads only the headers, as LoadBmp checks them: Reason::kNone and the size for a BMP
// that LoadBmp takes as far as its headers tell, else why not (and a size of 0 x 0).
Reason InspectBmp(const std::string& path, int* width, int* height);
