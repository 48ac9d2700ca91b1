#include "engine/colour.h"

#include "formats/formats.h"
#include "settings/settings.h"

#include <cstdlib>
#include <initializer_list>

namespace {

Image ConvertTo24(Image image) {
    return Image(FreeImage_ConvertTo24Bits(image.get()));
}

// Pictures deeper than 32 bits per pixel go to 24 bits before a colour operation.
Image NarrowTo24(Image image) {
    if (image.Bpp() > 32) return ConvertTo24(std::move(image));
    return image;
}

bool IsOneOf(const std::string& format, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (format == name) return true;
    return false;
}

Image ToOneBit(Image image, const std::string&) {
    return Image(FreeImage_Dither(image.get(), FID_FS));
}

Image ToFourBits(Image image, const std::string&) {
    return Image(FreeImage_ConvertTo4Bits(image.get()));
}

Image ToEightBits(Image image, const std::string& format) {
    if (IsOneOf(format, {"j2k", "jp2", "jpg", "jxr"}))
        return Image(FreeImage_ConvertTo8Bits(image.get()));
    if (image.Bpp() != 24) {
        image = ConvertTo24(std::move(image));
        if (!image) return image;
    }
    return Image(FreeImage_ColorQuantizeEx(image.get(), FIQ_WUQUANT, 256, 0, nullptr));
}

Image ToSixteenBits(Image image, const std::string& format) {
    image = NarrowTo24(std::move(image));
    if (!image) return image;
    if (IsOneOf(format, {"ico", "tga"})) return Image(FreeImage_ConvertTo16Bits555(image.get()));
    return Image(FreeImage_ConvertTo16Bits565(image.get()));
}

Image ToTwentyFourBits(Image image, const std::string&) {
    return ConvertTo24(std::move(image));
}

Image ToThirtyTwoBits(Image image, const std::string&) {
    return Image(FreeImage_ConvertTo32Bits(image.get()));
}

Image ToFortyEightBits(Image image, const std::string&) {
    return Image(FreeImage_ConvertToRGB16(image.get()));
}

Image ToNinetySixBits(Image image, const std::string&) {
    return Image(FreeImage_ConvertToRGBF(image.get()));
}

struct BitDepthConversion {
    int32_t bpp;
    Image (*convert)(Image image, const std::string& format);
};

// The conversion for each output bit depth.
constexpr BitDepthConversion kBitDepthConversions[] = {
    {1, ToOneBit},          {4, ToFourBits},       {8, ToEightBits},       {16, ToSixteenBits},
    {24, ToTwentyFourBits}, {32, ToThirtyTwoBits}, {48, ToFortyEightBits}, {96, ToNinetySixBits},
};

} // namespace

Image ApplyColorAdjustment(Image image) {
    if (!image || gSettings.doImageColorCorrection == 0) return image;
    // The adjustment works on 8, 24 and 32-bit pictures; others are widened first.
    const int bpp = image.Bpp();
    if (bpp != 8 && bpp != 24 && bpp != 32) {
        image = ConvertTo24(std::move(image));
        if (!image) return image;
    }
    FreeImage_AdjustColors(image.get(), static_cast<double>(gSettings.imageBrightness),
                           static_cast<double>(gSettings.imageContrast),
                           static_cast<double>(gSettings.imageGamma),
                           gSettings.imageInvert != 0 ? TRUE : FALSE);
    return image;
}

Image ApplyGreyscale(Image image) {
    if (!image || gSettings.doImageGreyscale == 0) return image;
    image = NarrowTo24(std::move(image));
    if (!image) return image;
    return Image(FreeImage_ConvertToGreyscale(image.get()));
}

Image ApplyThreshold(Image image) {
    if (!image || gSettings.doImageThreshold == 0) return image;
    image = NarrowTo24(std::move(image));
    if (!image) return image;
    const BYTE level = static_cast<BYTE>(gSettings.imageThreshold & 0xFF);
    return Image(FreeImage_Threshold(image.get(), level));
}

int32_t BitDepthForSource(const std::string& format, int32_t sourceBitDepth) {
    const std::string list = LookupOutputFormat(format).bitDepths;
    int32_t last = 0;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        const std::string field = list.substr(start, comma - start);
        if (!field.empty()) {
            last = static_cast<int32_t>(std::strtol(field.c_str(), nullptr, 10));
            if (last >= sourceBitDepth) return last;
        }
        start = comma + 1;
    }
    return last;
}

Image ApplyBitDepth(Image image) {
    if (!image) return image;
    if (gJob.keepBitDepth != 0)
        gJob.outputBitDepth = BitDepthForSource(gJob.outputFormat, gJob.sourceBitDepth);
    const int32_t target = gJob.outputBitDepth;
    if (image.Bpp() == target) return image;
    for (const BitDepthConversion& row : kBitDepthConversions)
        if (row.bpp == target) return row.convert(std::move(image), gJob.outputFormat);
    return Image();
}
