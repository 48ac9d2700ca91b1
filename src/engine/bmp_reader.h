// Reading BMP pictures safely: the header is checked before any decoder sees the
// file, and variants that FreeImage refuses or misreads are read all the same.
#pragma once

#include "engine/image.h"

#include <cstdint>
#include <string>

// The largest picture a conversion accepts, in pixels (width times height).
inline constexpr int64_t kMaxPixels = int64_t{1} << 28; // 256 megapixels
// PCX stores its sizes in 16 bits.
inline constexpr int kMaxSide = 65535;

// Loads a BMP file (whatever its extension). An empty image when the file is
// missing, not a BMP, inconsistent, truncated or too large.
Image LoadBmp(const std::string& path);
