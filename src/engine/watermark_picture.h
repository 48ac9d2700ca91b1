// The pictures a watermark may be made of, recognised from their headers, so that the
// check before a job and the watermark step take the same files.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <string>

// Watermark pictures larger than this, or with a side beyond the drawing limit, are
// not used.
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 26; // 64 megapixels

// True for a picture size the watermark drawing takes.
bool WatermarkPictureFits(int64_t width, int64_t height);
// The format of the watermark picture at path: FIF_BMP, FIF_PNG or FIF_JPEG for a
// regular file of that format whose header shows a size that fits (a BMP as the BMP
// reader checks it); FIF_UNKNOWN for anything else. Reads only the header.
FREE_IMAGE_FORMAT WatermarkPictureFormat(const std::string& path);
