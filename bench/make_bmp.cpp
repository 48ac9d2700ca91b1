// Writes a plain 24-bit BMP (40-byte header) of the given size for the benchmark:
// smooth gradients with a little grain, so that PCX run-length coding sees runs
// about as often as in a photograph.
//
//   make_bmp WIDTH HEIGHT OUTPUT.bmp
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    const uint32_t width = static_cast<uint32_t>(std::atoi(argv[1]));
    const uint32_t height = static_cast<uint32_t>(std::atoi(argv[2]));
    if (width == 0 || height == 0) return 2;
    const uint32_t rowBytes = (width * 3 + 3) & ~3u;
    std::vector<uint8_t> header;
    header.push_back('B');
    header.push_back('M');
    Put32(header, 54 + rowBytes * height);
    Put32(header, 0);
    Put32(header, 54);
    Put32(header, 40);
    Put32(header, width);
    Put32(header, height);
    Put16(header, 1);
    Put16(header, 24);
    Put32(header, 0);
    Put32(header, rowBytes * height);
    Put32(header, 2835);
    Put32(header, 2835);
    Put32(header, 0);
    Put32(header, 0);
    FILE* f = std::fopen(argv[3], "wb");
    if (!f) return 1;
    std::fwrite(header.data(), 1, header.size(), f);
    std::vector<uint8_t> row(rowBytes, 0);
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const uint32_t grain = (seed >> 24) & 7; // a little noise on every pixel
            const bool flat = ((x / 64) + (y / 48)) % 3 == 0; // some flat patches
            row[x * 3 + 0] = static_cast<uint8_t>(flat ? 200 : (y * 255 / height) ^ grain);
            row[x * 3 + 1] = static_cast<uint8_t>(flat ? 120 : (x * 255 / width) ^ grain);
            row[x * 3 + 2] = static_cast<uint8_t>(flat ? 40 : ((x + y) / 16) ^ grain);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
