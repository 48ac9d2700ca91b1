// The bare conversion the benchmark measures brelvix against: load a BMP with
// FreeImage, hand its 24-bit pixels to DevIL and save them as PCX. No settings,
// no checks, no pipeline.
//
//   bare_convert INPUT.bmp OUTPUT.pcx
#include <FreeImage.h>
#include <IL/il.h>
#include <IL/ilu.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT.bmp OUTPUT.pcx\n", argv[0]);
        return 2;
    }
    ilInit();
    iluInit();
    FIBITMAP* loaded = FreeImage_Load(FIF_BMP, argv[1], 0);
    if (!loaded) return 1;
    FIBITMAP* rgb = loaded;
    if (FreeImage_GetBPP(loaded) != 24) {
        rgb = FreeImage_ConvertTo24Bits(loaded);
        FreeImage_Unload(loaded);
        if (!rgb) return 1;
    }
    const unsigned width = FreeImage_GetWidth(rgb);
    const unsigned height = FreeImage_GetHeight(rgb);
    std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 3);
    // Bottom-up rows in blue-green-red order, as DevIL takes them by default.
    FreeImage_ConvertToRawBits(pixels.data(), rgb, static_cast<int>(width * 3), 24,
                               FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);
    FreeImage_Unload(rgb);
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = ilTexImage(width, height, 1, 3, IL_BGR, IL_UNSIGNED_BYTE, pixels.data()) == IL_TRUE;
    pixels = {};
    ilEnable(IL_FILE_OVERWRITE);
    ok = ok && ilSave(IL_PCX, argv[2]) == IL_TRUE;
    ilDeleteImages(1, &image);
    return ok ? 0 : 1;
}
