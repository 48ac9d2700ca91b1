#include "ui/pictures.h"

#include <cstring>

wxImage ToWxImage(const RgbaImage& picture) {
    if (picture.Empty()) return wxImage();
    const size_t count = static_cast<size_t>(picture.width) * picture.height;
    // wxImage takes ownership of malloc'ed buffers.
    auto* rgb = static_cast<unsigned char*>(malloc(count * 3));
    auto* alpha = static_cast<unsigned char*>(malloc(count));
    if (!rgb || !alpha) {
        free(rgb);
        free(alpha);
        return wxImage();
    }
    for (size_t i = 0; i < count; ++i) {
        std::memcpy(rgb + i * 3, &picture.pixels[i * 4], 3);
        alpha[i] = picture.pixels[i * 4 + 3];
    }
    return wxImage(picture.width, picture.height, rgb, alpha, false);
}

wxBitmap SlotBitmap(SlotSet set, const char* name, int side) {
    wxImage image = ToWxImage(SlotImage(set, name));
    if (!image.IsOk()) {
        if (side <= 0) side = 16;
        image = wxImage(side, side, true);
        image.InitAlpha();
        std::memset(image.GetAlpha(), 0, static_cast<size_t>(side) * side);
    }
    if (side > 0 && (image.GetWidth() != side || image.GetHeight() != side))
        image.Rescale(side, side, wxIMAGE_QUALITY_HIGH);
    return wxBitmap(image);
}
