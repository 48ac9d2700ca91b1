// Reading BMP pictures safely: the header is checked before any decoder sees the
// file, and variants that FreeImage refuses or misreads are read all the same.
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
// file size is taken from the open file. Pixel data is never held twice: FreeImage
// reads it straight from the file into its bitmap through a stream that serves a
// rewritten 40-byte header followed by the file's own pixel bytes, and the pixels
// this reader decodes itself (unusual bit-field masks, RLE) are read row by row or
// through a small block buffer into the bitmap.
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

// Loads a BMP file (whatever its extension) as FreeImage would give it: 1-, 4- and
// 8-bit pictures with their palette, 16-bit 5-5-5 and 5-6-5 pictures as 16 bits,
// 24 and 32 bits as they are; 16-bit pictures with other masks become 24-bit. A
// 32-bit picture whose fourth bytes are all zero, or that has no alpha mask, comes
// out opaque. An empty image when the file is missing, not a BMP, inconsistent,
// truncated or too large; then why, when given, says which.
Image LoadBmp(const std::string& path, Reason* why = nullptr);
// Reads only the headers, as LoadBmp checks them: Reason::kNone and the size for a BMP
// that LoadBmp takes as far as its headers tell, else why not (and a size of 0 x 0).
Reason InspectBmp(const std::string& path, int* width, int* height);
