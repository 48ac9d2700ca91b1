#include "engine/watermark.h"

#include "engine/bmp_reader.h"
#include "engine/colour.h"
#include "engine/frame.h"
#include "engine/naming.h"
#include "engine/transform.h"
#include "platform/drawing.h"
#include "platform/platform.h"
#include "settings/settings.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {

Font gWatermarkFont;

// Position, offsets, boundary and rotation of the kind of watermark in use.
struct Variant {
    int position = 0;
    int64_t xOffset = 0;
    int64_t yOffset = 0;
    int boundary = 0;
    int32_t rotation = 0;
};

Variant CurrentVariant() {
    const ConversionSettings& s = gSettings;
    if (s.doWatermark == 2)
        return {s.imagePosition, s.imageXOffset, s.imageYOffset, s.imageBoundary,
                s.watermarkImageRotation};
    return {s.textPosition, s.textXOffset, s.textYOffset, s.textBoundary, s.textRotation};
}

int ClampOpacity(int32_t opacity) {
    return std::clamp<int32_t>(opacity, 0, 255);
}

int TextPadding() {
    return std::clamp<int32_t>(gSettings.textPadding, 0, kMaxOverlaySide);
}

int ToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// The size, bit depth and format tokens of a watermark text show the file being
// converted: its size after resizing and the bit depth the output will have.
class CurrentFileValues {
  public:
    CurrentFileValues(int width, int height)
        : width_(gJob.outputWidth), height_(gJob.outputHeight), bpp_(gJob.outputBitDepth) {
        gJob.outputWidth = width;
        gJob.outputHeight = height;
        if (gJob.keepBitDepth)
            gJob.outputBitDepth = BitDepthForSource(gJob.outputFormat, gJob.sourceBitDepth);
    }
    ~CurrentFileValues() {
        gJob.outputWidth = width_;
        gJob.outputHeight = height_;
        gJob.outputBitDepth = bpp_;
    }
    CurrentFileValues(const CurrentFileValues&) = delete;
    CurrentFileValues& operator=(const CurrentFileValues&) = delete;

  private:
    int32_t width_, height_, bpp_;
};

// The lines of a watermark text: split at "%eol%" written in any letter case.
std::vector<std::string> SplitLines(const std::string& text) {
    static const std::string kMarker = "%eol%";
    const std::string lower = AsciiLower(text);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = lower.find(kMarker, start)) != std::string::npos;
         start = at + kMarker.size())
        lines.push_back(text.substr(start, at - start));
    lines.push_back(text.substr(start));
    return lines;
}

// A watermark picture: BMP through the checked reader, PNG and JPEG through FreeImage
// after their headers show a size the drawing can take. Pictures of more than eight
// bits per channel come down to eight.
Image LoadWatermarkPicture(const std::string& path, bool& hasAlpha) {
    hasAlpha = false;
    const FREE_IMAGE_FORMAT format = WatermarkPictureFormat(path);
    Image picture;
    if (format == FIF_BMP)
        picture = LoadBmp(path);
    else if (format != FIF_UNKNOWN)
        picture = Image(FreeImage_Load(format, path.c_str(), 0));
    if (!picture || !FreeImage_HasPixels(picture.get()) ||
        !WatermarkPictureFits(picture.Width(), picture.Height()))
        return {};

    switch (FreeImage_GetImageType(picture.get())) {
    case FIT_BITMAP:
        break;
    case FIT_RGBA16:
        picture = Image(FreeImage_ConvertTo32Bits(picture.get()));
        break;
    case FIT_RGB16:
        picture = Image(FreeImage_ConvertTo24Bits(picture.get()));
        break;
    default:
        picture = Image(FreeImage_ConvertToStandardType(picture.get(), TRUE));
        break;
    }
    if (!picture) return {};
    hasAlpha = picture.Bpp() == 32;
    if (hasAlpha && format == FIF_BMP) {
        // The fourth byte of a 32-bit BMP is often unused and zero; such a picture is
        // opaque, not invisible.
        bool anyAlpha = false;
        const int w = picture.Width(), h = picture.Height();
        for (int y = 0; y < h && !anyAlpha; ++y) {
            const BYTE* row = FreeImage_GetScanLine(picture.get(), y);
            for (int x = 0; x < w && !anyAlpha; ++x)
                anyAlpha = row[x * 4 + FI_RGBA_ALPHA] != 0;
        }
        if (!anyAlpha) {
            picture = Image(FreeImage_ConvertTo24Bits(picture.get()));
            hasAlpha = false;
        }
    }
    return picture;
}

uint32_t GreyPixel(uint32_t rgba) {
    const int g = (77 * RedOf(rgba) + 150 * GreenOf(rgba) + 29 * BlueOf(rgba)) >> 8;
    return PackRgba(g, g, g, AlphaOf(rgba));
}

} // namespace

bool CreateWatermarkFont() {
    FreeWatermarkFont();
    FontRequest request;
    request.family = gSettings.font;
    request.sizePoints = gSettings.fontSize;
    request.bold = gSettings.fontStyle == 1 || gSettings.fontStyle == 3;
    request.italic = gSettings.fontStyle == 2 || gSettings.fontStyle == 3;
    request.underline = gSettings.fontEffect == 1;
    request.strikeThrough = gSettings.fontEffect == 2;
    gWatermarkFont = CreateFont(request);
    return static_cast<bool>(gWatermarkFont);
}

void FreeWatermarkFont() {
    gWatermarkFont = Font{};
}

bool WatermarkFontExists() {
    return static_cast<bool>(gWatermarkFont);
}

int AlignLine(int lineWidth, int boxWidth) {
    const int64_t gap = int64_t{boxWidth} - lineWidth;
    switch (gSettings.textAlignment) {
    case 0:
        return TextPadding();
    case 1:
        return ToInt(gap >= 0 ? (gap + 1) / 2 : -((-gap + 1) / 2)); // halves away from 0
    case 2:
        return ToInt(gap - TextPadding());
    default:
        return 0;
    }
}

Image RenderTextWatermark() {
    if (!gWatermarkFont) return {};
    const Font& font = gWatermarkFont;
    const std::vector<std::string> lines = SplitLines(ExpandWatermarkText(gSettings.text));
    const int64_t count = static_cast<int64_t>(lines.size()) - 1;

    std::vector<int> widths;
    int64_t w = 0, h = 0, m = 0;
    for (const std::string& line : lines) {
        const TextExtent e = MeasureText(font, line, TextRendering::Plain);
        widths.push_back(ToInt(std::llround(e.width)));
        w = std::max<int64_t>(w, widths.back());
        h = std::max<int64_t>(h, std::llround(e.height));
    }
    if (count > 0) {
        w = std::max<int64_t>(w, 10);
        h = std::max<int64_t>(h, 10);
        m = h + std::clamp<int64_t>(gSettings.fontLeading, -h, kMaxOverlaySide);
        h += std::min<int64_t>(count, kMaxOverlaySide) * m;
    }
    const int p = TextPadding();
    const int boxWidth = ToInt(std::min<int64_t>(w + 2 * p, kMaxOverlaySide));
    const int boxHeight = ToInt(std::min<int64_t>(h + 2 * p, kMaxOverlaySide));
    if (boxWidth < 1 || boxHeight < 1) return {};

    auto lineY = [&](size_t i) { return p + static_cast<int64_t>(i) * m; };
    if (!gSettings.textAntialiasing) {
        const uint32_t front =
            RgbaFromHex(gSettings.fontColor, ClampOpacity(gSettings.textOpacity));
        const uint32_t back = RgbaFromHex(gSettings.backColor, ClampOpacity(gSettings.backOpacity));
        Surface overlay = CreateFilledSurface(boxWidth, boxHeight, back);
        if (!overlay) return {};
        for (size_t i = 0; i < lines.size() && lineY(i) < boxHeight; ++i) {
            const int x = count > 0 ? AlignLine(widths[i], boxWidth) : p;
            DrawText(overlay, font, lines[i], x, static_cast<double>(lineY(i)), front,
                     TextRendering::Plain, &back);
        }
        return SurfaceToImage(overlay);
    }

    Surface box = CreateFilledSurface(boxWidth, boxHeight, RgbaFromHex(gSettings.backColor, 255));
    Surface text = CreateSurface(boxWidth, boxHeight);
    Surface overlay = CreateSurface(boxWidth, boxHeight);
    if (!box || !text || !overlay) return {};
    const uint32_t ink = RgbaFromHex(gSettings.fontColor, 255);
    for (size_t i = 0; i < lines.size() && lineY(i) < boxHeight; ++i) {
        int x = p;
        if (count > 0) {
            const double width = MeasureText(font, lines[i], TextRendering::Antialiased).width;
            x = AlignLine(ToInt(std::llround(width)), boxWidth);
        }
        DrawText(text, font, lines[i], x, static_cast<double>(lineY(i)), ink,
                 TextRendering::Antialiased);
    }
    DrawSurface(overlay, box, 0, 0, ClampOpacity(gSettings.backOpacity), DrawMode::Over);
    DrawSurface(overlay, text, 0, 0, ClampOpacity(gSettings.textOpacity), DrawMode::Over);
    return SurfaceToImage(overlay);
}

Image RenderImageWatermark() {
    bool hasAlpha = false;
    Image picture = LoadWatermarkPicture(gSettings.image, hasAlpha);
    if (!picture) return {};
    Surface source = ImageToSurface(picture);
    if (!source) return {};
    const int w = picture.Width(), h = picture.Height();
    picture.Reset();
    Surface overlay =
        hasAlpha ? CreateSurface(w, h) : CreateFilledSurface(w, h, PackRgba(0, 0, 0, 255));
    if (!overlay) return {};
    const int opacity = ClampOpacity(gSettings.imageOpacity);
    const bool drawn = gSettings.imageGreyscale
                           ? DrawSurfaceFiltered(overlay, source, 0, 0, opacity, GreyPixel)
                           : DrawSurface(overlay, source, 0, 0, opacity, DrawMode::Copy);
    if (!drawn) return {};
    return SurfaceToImage(overlay);
}

Image RotateWatermark(Image overlay) {
    const int32_t angle = CurrentVariant().rotation;
    if (!overlay || angle < 1 || angle > 359) return overlay;
    return Image(FreeImage_Rotate(overlay.get(), static_cast<double>(angle), nullptr));
}

WatermarkArea AllowedArea(int width, int height) {
    if (gSettings.doFrame == 0 || CurrentVariant().boundary != 1) return {0, 0, width, height};
    const FrameWidths f = FrameWidthsFor(width, height);
    return {f.left, f.top, width - f.left - f.right, height - f.top - f.bottom};
}

Image ClipWatermark(Image overlay, int width, int height) {
    if (!overlay) return overlay;
    const WatermarkArea area = AllowedArea(width, height);
    const Variant v = CurrentVariant();
    const int64_t ow = overlay.Width(), oh = overlay.Height();
    const int64_t aw = area.width, ah = area.height;
    if (aw >= ow + v.xOffset && ah >= oh + v.yOffset) return overlay;
    const int64_t right = aw < ow + v.xOffset ? aw - v.xOffset : ow;
    const int64_t bottom = ah < oh + v.yOffset ? ah - v.yOffset : oh;
    // Offsets that leave no room give no overlay: the watermark is left out.
    if (right < 1 || bottom < 1) return {};
    return Image(FreeImage_Copy(overlay.get(), 0, 0, ToInt(right), ToInt(bottom)));
}

WatermarkPlace PlaceWatermark(int width, int height, int overlayWidth, int overlayHeight) {
    const WatermarkArea a = AllowedArea(width, height);
    const Variant v = CurrentVariant();
    const int64_t left = v.xOffset, centreX = (int64_t{a.width} - overlayWidth) / 2;
    const int64_t right = int64_t{a.width} - overlayWidth - v.xOffset;
    const int64_t top = v.yOffset, middleY = (int64_t{a.height} - overlayHeight) / 2;
    const int64_t bottom = int64_t{a.height} - overlayHeight - v.yOffset;
    int64_t x = 0, y = 0;
    switch (v.position) {
    case 0:
        x = left, y = top;
        break;
    case 1:
        x = centreX, y = top;
        break;
    case 2:
        x = right, y = top;
        break;
    case 3:
        x = left, y = middleY;
        break;
    case 4:
        x = centreX, y = middleY;
        break;
    case 5:
        x = right, y = middleY;
        break;
    case 6:
        x = left, y = bottom;
        break;
    case 7:
        x = centreX, y = bottom;
        break;
    case 8:
        x = right, y = bottom;
        break;
    default:
        return {0, 0};
    }
    return {ToInt(x + a.x), ToInt(y + a.y)};
}

Image ApplyWatermark(Image image, int width, int height) {
    if (gSettings.doWatermark == 0 || !image) return image;
    if (image.Bpp() != 24) {
        image = Image(FreeImage_ConvertTo24Bits(image.get()));
        if (!image) return image;
    }
    // The watermark lies over the picture as it is; the size passed in is the same.
    if (width != image.Width() || height != image.Height()) {
        width = image.Width();
        height = image.Height();
    }
    Image overlay;
    if (gSettings.doWatermark == 1) {
        CurrentFileValues values(width, height);
        overlay = RenderTextWatermark();
    } else if (gSettings.doWatermark == 2) {
        overlay = RenderImageWatermark();
    }
    overlay = ClipWatermark(RotateWatermark(std::move(overlay)), width, height);
    if (!overlay || overlay.Bpp() != 32) return image;

    const int ow = overlay.Width(), oh = overlay.Height();
    const WatermarkPlace at = PlaceWatermark(width, height, ow, oh);
    // An overlay reaching outside the picture (through a negative offset, say) is not
    // laid on it. Only the part of the picture under the overlay is composited.
    if (at.x < 0 || at.y < 0 || int64_t{at.x} + ow > width || int64_t{at.y} + oh > height)
        return image;
    Image under(FreeImage_Copy(image.get(), at.x, at.y, at.x + ow, at.y + oh));
    if (!under) return image;
    Image blended(FreeImage_Composite(overlay.get(), FALSE, nullptr, under.get()));
    if (!blended) return image;
    FreeImage_Paste(image.get(), blended.get(), at.x, at.y, 256);
    return image;
}
