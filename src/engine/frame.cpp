#include "engine/frame.h"

#include "engine/transform.h"
#include "platform/drawing.h"
#include "settings/settings.h"

#include <algorithm>
#include <vector>

namespace {

// Rows of the picture drawn and composited at a time.
constexpr int kFrameBandRows = 256;

struct FrameColours {
    uint32_t top, right, bottom, left;
};
struct Piece {
    int x, y, width, height;
};

// Draws the part of the frame that lies in one piece of the picture and composites it
// over that part of the picture.
bool FramePiece(Image& image, const Piece& piece, const FrameWidths& w, const FrameColours& c,
                int opacity) {
    const int width = image.Width(), height = image.Height();
    Surface layer = CreateSurface(piece.width, piece.height);
    DrawContext draw = OpenDrawing(layer);
    if (!draw) return false;
    Translate(draw, -piece.x, -piece.y);
    // The corner boxes lie under the two figures that meet at each corner and show only
    // along their diagonal seam. The whole frame is gathered in one layer and laid over
    // the transparent image with `Solid Opacity`.
    BeginLayer(draw);
    FillBox(draw, 0, 0, w.left, w.top, c.top);
    FillBox(draw, width - w.right, 0, w.right, w.top, c.right);
    FillBox(draw, width - w.right, height - w.bottom, w.right, w.bottom, c.bottom);
    FillBox(draw, 0, height - w.bottom, w.left, w.bottom, c.left);
    FillPath(draw, FramePath(FrameSide::Top, width, height, w), c.top);
    FillPath(draw, FramePath(FrameSide::Right, width, height, w), c.right);
    FillPath(draw, FramePath(FrameSide::Bottom, width, height, w), c.bottom);
    FillPath(draw, FramePath(FrameSide::Left, width, height, w), c.left);
    EndLayer(draw, opacity);
    draw.reset();

    Image border = SurfaceToImage(layer);
    layer.reset();
    Image under(FreeImage_Copy(image.get(), piece.x, piece.y, piece.x + piece.width,
                               piece.y + piece.height));
    if (!border || !under) return false;
    Image framed(FreeImage_Composite(border.get(), FALSE, nullptr, under.get()));
    return framed && FreeImage_Paste(image.get(), framed.get(), piece.x, piece.y, 256);
}

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
    const FrameColours colours{
        RgbaFromHex(gSettings.solidTopColor, 255), RgbaFromHex(gSettings.solidRightColor, 255),
        RgbaFromHex(gSettings.solidBottomColor, 255), RgbaFromHex(gSettings.solidLeftColor, 255)};
    const int opacity = std::clamp<int32_t>(gSettings.solidOpacity, 0, 255);

    // The frame is drawn and composited piece by piece, so that the drawing needs the
    // memory of a band of rows rather than of the picture. A band that meets the top or
    // bottom side is done whole; in the bands between, only the columns of the left and
    // right sides (and the pixel next to their inner edges) change. A piece that cannot
    // be drawn leaves the picture without a frame when it is the first, and fails the
    // picture otherwise, rather than give it part of a frame.
    const bool sidesApart = w.left + 1 < width - w.right - 1;
    bool first = true;
    for (int y0 = 0; y0 < height; y0 += kFrameBandRows) {
        const int rows = std::min(kFrameBandRows, height - y0);
        std::vector<Piece> pieces;
        if (y0 <= w.top || y0 + rows >= height - w.bottom || !sidesApart) {
            pieces.push_back({0, y0, width, rows});
        } else {
            if (w.left > 0) pieces.push_back({0, y0, w.left + 1, rows});
            if (w.right > 0) pieces.push_back({width - w.right - 1, y0, w.right + 1, rows});
        }
        for (const Piece& piece : pieces) {
            if (!FramePiece(image, piece, w, colours, opacity))
                return first ? std::move(image) : Image();
            first = false;
        }
    }
    return image;
}
