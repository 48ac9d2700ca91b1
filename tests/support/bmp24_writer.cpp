#include "bmp24_writer.h"

namespace {

void Put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

} // namespace

std::string Bmp24Bytes(const RgbImage& image) {
    const uint32_t rowBytes = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(image.height);
    std::string out;
    out.reserve(54 + pixelBytes);
    out += "BM";
    Put32(out, 54 + pixelBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(image.width));
    Put32(out, static_cast<uint32_t>(image.height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, pixelBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.At(x, y);
            row += static_cast<char>(p[2]);
            row += static_cast<char>(p[1]);
            row += static_cast<char>(p[0]);
        }
        row.resize(rowBytes, '\0');
        out += row;
    }
    return out;
}

bool WriteBmp24(const std::string& path, const RgbImage& image) {
    return WriteFile(path, Bmp24Bytes(image));
}

RgbImage TestPattern(int width, int height) {
    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = image.At(x, y);
            p[0] = static_cast<uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
            p[1] = static_cast<uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
            p[2] = static_cast<uint8_t>((x + y) * 7 % 256);
        }
    }
    image.At(0, 0)[0] = 255, image.At(0, 0)[1] = 0, image.At(0, 0)[2] = 0;
    image.At(width - 1, 0)[0] = 0, image.At(width - 1, 0)[1] = 255, image.At(width - 1, 0)[2] = 0;
    image.At(0, height - 1)[0] = 0, image.At(0, height - 1)[1] = 0,
                         image.At(0, height - 1)[2] = 255;
    uint8_t* last = image.At(width - 1, height - 1);
    last[0] = 255, last[1] = 255, last[2] = 255;
    return image;
}
