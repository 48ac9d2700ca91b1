#include "engine/watermark_picture.h"

#include "engine/bmp_reader.h"
#include "engine/image.h"
#include "platform/drawing.h"

#include <sys/stat.h>

bool WatermarkPictureFits(int64_t width, int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxSurfaceSide && height <= kMaxSurfaceSide &&
           width * height <= kMaxPicturePixels;
}

FREE_IMAGE_FORMAT WatermarkPictureFormat(const std::string& path) {
    // Only a regular file: a FIFO or a device would hold up or never end the reading.
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 1)
        return FIF_UNKNOWN;
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    int64_t width = 0, height = 0;
    if (format == FIF_BMP) {
        int w = 0, h = 0;
        if (InspectBmp(path, &w, &h) != Reason::kNone) return FIF_UNKNOWN;
        width = w;
        height = h;
    } else if (format == FIF_PNG || format == FIF_JPEG) {
        Image header(FreeImage_Load(format, path.c_str(), FIF_LOAD_NOPIXELS));
        width = header.Width();
        height = header.Height();
    } else {
        return FIF_UNKNOWN;
    }
    return WatermarkPictureFits(width, height) ? format : FIF_UNKNOWN;
}
