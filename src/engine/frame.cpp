#include "engine/frame.h"

#include "engine/transform.h"
#include "platform/drawing.h"
#include "settings/settings.h"

#include <algorithm>

namespace {

// Rows of the picture drawn and composited at a time.
constexpr int kFrameBandRows = 256;

} // namespace

FrameWidths FrameWidthsFor(int width, int height) {
    auto clampTo = [](int32_t value, int side) {
        return std::clamp<int32_t>(value, 0, std::max(side, 0));
    };
    return {clampTo(gSettings.solidLeft, width), clampTo(gSettings.solidRight, width),
            clampTo(gSettings.solidTop, height), clampTo(gSettings.solidBottom, height)};
}

std::string FramePath(FrameSide side, int width, int height, const FrameWidths& w) {
    auto n = [](int64_t value) { return std::to_string(value); };
    const int64_t W = width, H = height, L = w.left, R = w.right, T = w.top, B = w.bottom;
    switch (side) {
    case FrameSide::Top:
        return "M 0 0 l " + n(W) + " 0 l -" + n(R) + " " + n(T) + " l -" + n(W - L - R) + " 0 Z";
    case FrameSide::Right:
        return "M " + n(W) + " 0 l 0 " + n(H) + " l -" + n(R) + " -" + n(B) + " l 0 -" +
               n(H - T - B) + " Z";
    case FrameSide::Bottom:
        return "M " + n(W) + " " + n(H) + " l -" + n(W) + " 0 l " + n(L) + " -" + n(B) + " l " +
               n(W - L - R) + " 0 Z";
    case FrameSide::Left:
        return "M 0 " + n(H) + " l 0 -" + n(H) + " l " + n(L) + " " + n(T) + " l 0 " +
               n(H - T - B) + " Z";
    }
    return "";
}

Image ApplyFrame(Image image, int width, int height) {
    if (gSettings.doFrame == 0 || !image) return image;
    if (image.Bpp() != 24) {
        image = Image(FreeImage_ConvertTo24Bits(image.get()));
        if (!image) return image;
    }
    if (gSettings.doFrame != 1) return image;

    // The frame lies over the picture as it is; the size passed in is the same.
    if (width != image.Width() || height != image.Height()) {
        width = image.Width();
        height = image.Height();
    }
    const FrameWidths w = FrameWidthsFor(width, height);
    const uint32_t top = RgbaFromHex(gSettings.solidTopColor, 255);
    const uint32_t right = RgbaFromHex(gSettings.solidRightColor, 255);
    const uint32_t bottom = RgbaFromHex(gSettings.solidBottomColor, 255);
    const uint32_t left = RgbaFromHex(gSettings.solidLeftColor, 255);

    const int opacity = std::clamp<int32_t>(gSettings.solidOpacity, 0, 255);

    // The frame is drawn and composited in bands of rows, so that the drawing needs a
    // band's memory rather than the picture's; bands that no side reaches are left as
    // they are. Each band shows its rows of the same figures.
    for (int y0 = 0; y0 < height; y0 += kFrameBandRows) {
        const int rows = std::min(kFrameBandRows, height - y0);
        if (w.left == 0 && w.right == 0 && y0 > w.top && y0 + rows < height - w.bottom) continue;
        Surface layer = CreateSurface(width, rows);
        DrawContext draw = OpenDrawing(layer);
        if (!draw) return image;
        Translate(draw, 0, -y0);
        // The corner boxes lie under the two figures that meet at each corner and show
        // only along their diagonal seam. The whole frame is gathered in one layer and
        // laid over the transparent band with `Solid Opacity`.
        BeginLayer(draw);
        FillBox(draw, 0, 0, w.left, w.top, top);
        FillBox(draw, width - w.right, 0, w.right, w.top, right);
        FillBox(draw, width - w.right, height - w.bottom, w.right, w.bottom, bottom);
        FillBox(draw, 0, height - w.bottom, w.left, w.bottom, left);
        FillPath(draw, FramePath(FrameSide::Top, width, height, w), top);
        FillPath(draw, FramePath(FrameSide::Right, width, height, w), right);
        FillPath(draw, FramePath(FrameSide::Bottom, width, height, w), bottom);
        FillPath(draw, FramePath(FrameSide::Left, width, height, w), left);
        EndLayer(draw, opacity);
        draw.reset();

        Image border = SurfaceToImage(layer);
        layer.reset();
        Image under(FreeImage_Copy(image.get(), 0, y0, width, y0 + rows));
        if (!border || !under) return image;
        Image framed(FreeImage_Composite(border.get(), FALSE, nullptr, under.get()));
        if (!framed) return image;
        FreeImage_Paste(image.get(), framed.get(), 0, y0, 256);
    }
    return image;
}
