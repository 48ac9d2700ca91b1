#include "engine/bmp_reader.h"

// First version: plain FreeImage loading. The checked reader replaces it.
Image LoadBmp(const std::string& path) {
    return Image(FreeImage_Load(FIF_BMP, path.c_str(), 0));
}
