#include "engine/transform.h"

#include "engine/bmp_reader.h"
#include "engine/pcx_output.h"
#include "settings/settings.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <utility>

namespace {

// The rescale filters, indexed by `Image Resize Algorithm`.
constexpr FREE_IMAGE_FILTER kResizeFilters[] = {
    FILTER_BOX,        // BOX
    FILTER_BILINEAR,   // BILINEAR
    FILTER_BSPLINE,    // BSPLINE
    FILTER_BICUBIC,    // BICUBIC
    FILTER_CATMULLROM, // CATMULLROM
    FILTER_LANCZOS3,   // LANCZOS
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Two characters read as hexadecimal, up to the first that is no digit.
uint32_t HexPair(std::string_view pair) {
    uint32_t value = 0;
    for (char c : pair) {
        int d = HexDigit(c);
        if (d < 0) break;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    return value;
}

int32_t ClampToInt32(double value) {
    if (!(value > std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    if (value >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

// Nearest integer of a single-precision quotient, halves away from zero; at least 1
// so that a very long, thin picture keeps one row or column.
int ScaledSide(int32_t target, float ratio) {
    float quotient = static_cast<float>(target) / ratio;
    int32_t side = ClampToInt32(std::round(static_cast<double>(quotient)));
    return side < 1 ? 1 : side;
}

Image ConvertTo24(Image image) {
    return Image(FreeImage_ConvertTo24Bits(image.get()));
}

Image Fail(Reason* why, Reason reason) {
    if (why) *why = reason;
    return Image();
}

} // namespace

bool WithinResultBounds(int64_t width, int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide &&
           width <= kMaxPcxWidth && height <= kMaxPcxHeight && width * height <= kMaxPixels;
}

PictureSize RotatedSize(int64_t width, int64_t height, double angle) {
    // FreeImage turns the other way in its bottom-up rows, makes quarter turns first and
    // leaves at most 45 degrees either way to its three shears.
    double a = std::fmod(-angle, 360.0);
    if (a < 0) a += 360;
    if (a > 45 && a <= 135) {
        std::swap(width, height);
        a -= 90;
    } else if (a > 135 && a <= 225) {
        a -= 180;
    } else if (a > 225 && a <= 315) {
        std::swap(width, height);
        a -= 270;
    }
    if (a == 0) return {width, height};
    const double radians = a * 3.1415926535897932384626433832795 / 180.0;
    const double s = std::fabs(std::sin(radians));
    const double c = std::cos(radians);
    const auto side = [](double length) {
        return length < 4e18 ? static_cast<int64_t>(length + 0.5) + 1
                             : std::numeric_limits<int64_t>::max();
    };
    return {side(static_cast<double>(height) * s + static_cast<double>(width) * c),
            side(static_cast<double>(width) * s + static_cast<double>(height) * c)};
}

uint32_t ColorFromHex(std::string_view text) {
    if (text.size() != 6) return 0;
    return HexPair(text.substr(0, 2)) | HexPair(text.substr(2, 2)) << 8 |
           HexPair(text.substr(4, 2)) << 16;
}

uint32_t RgbaFromHex(std::string_view text, int alpha) {
    return ColorFromHex(text) | (static_cast<uint32_t>(alpha) & 0xFF) << 24;
}

Image ApplyRotation(Image image, Reason* why) {
    if (!image || gSettings.doImageRotation == 0) return image;
    const int32_t angle = gSettings.imageRotation;
    if (angle <= 0 || angle >= 360) return image;
    const int type = gSettings.imageRotationType;
    if (type != 0 && type != 1) return image;

    const int width = image.Width();
    const int height = image.Height();
    // The simple rotation enlarges the canvas; the advanced one keeps the size.
    if (type == 0) {
        const PictureSize turned = RotatedSize(width, height, static_cast<double>(angle));
        if (!WithinResultBounds(turned.width, turned.height))
            return Fail(why, Reason::kResultTooLarge);
    }
    if (image.Bpp() <= 16 || image.Bpp() > 32) {
        image = ConvertTo24(std::move(image));
        if (!image) return Fail(why, Reason::kRotationFailed);
    }
    Image turned;
    if (type == 0) {
        const uint32_t colour = ColorFromHex(gSettings.imageRotationBackColor);
        RGBQUAD background{};
        background.rgbRed = static_cast<BYTE>(colour & 0xFF);
        background.rgbGreen = static_cast<BYTE>(colour >> 8 & 0xFF);
        background.rgbBlue = static_cast<BYTE>(colour >> 16 & 0xFF);
        turned = Image(FreeImage_Rotate(image.get(), static_cast<double>(angle), &background));
    } else {
        turned = Image(FreeImage_RotateEx(image.get(), static_cast<double>(angle), 0.0, 0.0,
                                          width / 2.0, height / 2.0, FALSE));
    }
    if (!turned) return Fail(why, Reason::kRotationFailed);
    return turned;
}

int32_t ResizeAxis(int32_t value, int unit, int32_t size) {
    switch (unit) {
    case 0:
        return value;
    case 1:
        return ClampToInt32(std::nearbyint(value / 100.0 * size));
    default:
        return 0;
    }
}

FREE_IMAGE_FILTER ResizeFilter() {
    const int algorithm = gSettings.imageResizeAlgorithm;
    if (algorithm < 0 || algorithm >= static_cast<int>(std::size(kResizeFilters)))
        return FILTER_BICUBIC;
    return kResizeFilters[algorithm];
}

Image ApplyResize(Image image, int width, int height, Reason* why) {
    if (!image || gSettings.doImageResize == 0) return image;
    const int32_t tw = ResizeAxis(gSettings.imageWidth, gSettings.imageWidthUnit, width);
    const int32_t th = ResizeAxis(gSettings.imageHeight, gSettings.imageHeightUnit, height);
    if (tw <= 0 || th <= 0) return image;
    if (width == tw && height == th) return image;
    if (gSettings.imageResizeType == 1 && width < tw && height < th) return image;

    int newWidth = tw;
    int newHeight = th;
    if (gSettings.keepAspectRatio != 0) {
        if (width >= height) {
            const float ratio = static_cast<float>(width) / static_cast<float>(height);
            newHeight = ScaledSide(tw, ratio);
        } else {
            const float ratio = static_cast<float>(height) / static_cast<float>(width);
            newWidth = ScaledSide(th, ratio);
        }
    }
    if (!WithinResultBounds(newWidth, newHeight)) return Fail(why, Reason::kResultTooLarge);
    Image resized(FreeImage_Rescale(image.get(), newWidth, newHeight, ResizeFilter()));
    if (!resized) return Fail(why, Reason::kResizeFailed);
    return resized;
}

Image ApplyFlip(Image image) {
    if (!image) return image;
    if (gSettings.doImageFlipHorizontal != 0 && !FreeImage_FlipHorizontal(image.get()))
        return Image();
    if (gSettings.doImageFlipVertical != 0 && !FreeImage_FlipVertical(image.get())) return Image();
    return image;
}
