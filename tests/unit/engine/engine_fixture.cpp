#include "engine_fixture.h"

#include "formats/formats.h"
#include "settings/settings.h"

#include <IL/il.h>

#include <algorithm>
#include <filesystem>

namespace {

// DevIL, the reference the PCX writer is compared with, is started once for the whole
// test program.
class DevilEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ilInit(); }
    void TearDown() override { ilShutDown(); }
};

[[maybe_unused]] ::testing::Environment* const kDevil =
    ::testing::AddGlobalTestEnvironment(new DevilEnvironment);

} // namespace

void ResetEngineJob() {
    BuildFormatTables();
    ResetJob();
    ResetSettings(true);
    gJob.inputFormat = "bmp";
    gJob.outputFormat = "pcx";
    gJob.outputBitDepth = gSettings.pcxBpp;
    gJob.keepBitDepth = gJob.outputBitDepth == 0 ? 1 : 0;
}

Image MakePatternImage(int width, int height) {
    Image image(FreeImage_Allocate(width, height, 24));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            RGBQUAD c{};
            c.rgbRed = static_cast<BYTE>(x * 37 + y * 11);
            c.rgbGreen = static_cast<BYTE>(y * 53 + 7);
            c.rgbBlue = static_cast<BYTE>((x * y) ^ 0xC3);
            // Runs of equal pixels and values with the two top bits set exercise the
            // run-length coding.
            if (x % 7 < 3) c.rgbRed = c.rgbGreen = c.rgbBlue = 0xC7;
            FreeImage_SetPixelColor(image.get(), x, height - 1 - y, &c);
        }
    }
    return image;
}

Image MakeSolidImage(int width, int height, uint8_t r, uint8_t g, uint8_t b, int bpp) {
    Image image(FreeImage_Allocate(width, height, bpp));
    RGBQUAD c{};
    c.rgbRed = r;
    c.rgbGreen = g;
    c.rgbBlue = b;
    c.rgbReserved = 0xFF;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            FreeImage_SetPixelColor(image.get(), x, y, &c);
    return image;
}

Image MakePaletteImage(int width, int height) {
    Image image(FreeImage_Allocate(width, height, 8));
    RGBQUAD* palette = FreeImage_GetPalette(image.get());
    for (int i = 0; i < 256; ++i) {
        palette[i].rgbRed = static_cast<BYTE>(i);
        palette[i].rgbGreen = static_cast<BYTE>(255 - i);
        palette[i].rgbBlue = static_cast<BYTE>(i * 3);
    }
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(image.get(), y);
        for (int x = 0; x < width; ++x)
            line[x] = static_cast<BYTE>((x / 3 + y * 5) % 256);
    }
    return image;
}

Rgb PixelAt(const Image& image, int x, int y) {
    Image rgb(FreeImage_ConvertTo24Bits(image.get()));
    RGBQUAD c{};
    FreeImage_GetPixelColor(rgb.get(), x, rgb.Height() - 1 - y, &c);
    return {c.rgbRed, c.rgbGreen, c.rgbBlue};
}

RgbImage ToRgb(const Image& image) {
    Image rgb(FreeImage_ConvertTo24Bits(image.get()));
    RgbImage out;
    if (!rgb) return out;
    out.width = rgb.Width();
    out.height = rgb.Height();
    out.pixels.resize(static_cast<size_t>(out.width) * out.height * 3);
    for (int y = 0; y < out.height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(rgb.get(), out.height - 1 - y);
        for (int x = 0; x < out.width; ++x) {
            uint8_t* p = out.At(x, y);
            p[0] = line[x * 3 + FI_RGBA_RED];
            p[1] = line[x * 3 + FI_RGBA_GREEN];
            p[2] = line[x * 3 + FI_RGBA_BLUE];
        }
    }
    return out;
}

bool SaveBmp(const Image& image, const std::string& path) {
    return FreeImage_Save(FIF_BMP, image.get(), path.c_str(), 0) == TRUE;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
