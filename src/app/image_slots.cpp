#include "app/image_slots.h"

#include "app/builtin_art.h"
#include "app/slot_names.h"

#include <array>
#include <cstring>
#include <map>
#include <png.h>

namespace {


struct SlotTable {
    std::map<std::string, RgbaImage, std::less<>> images;
};

std::array<SlotTable, 3>& Tables() {
    static std::array<SlotTable, 3> tables = [] {
        std::array<SlotTable, 3> t;
        for (SlotSet set : kAllSlotSets)
            for (const char* name : SlotNames(set))
                t[static_cast<size_t>(set)].images[name];
        return t;
    }();
    return tables;
}

RgbaImage& Banner() {
    static RgbaImage banner;
    return banner;
}

uint32_t ReadLe32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

std::span<const char* const> SlotNames(SlotSet set) {
    if (set == SlotSet::Buttons) return kButtonSlots;
    return kIconSlots;
}

const char* SlotSetSection(SlotSet set) {
    return set == SlotSet::Buttons ? "Buttons" : "Icons";
}

const RgbaImage& SlotImage(SlotSet set, std::string_view name) {
    static const RgbaImage empty;
    auto& images = Tables()[static_cast<size_t>(set)].images;
    auto it = images.find(name);
    return it == images.end() ? empty : it->second;
}

bool SetSlotImage(SlotSet set, std::string_view name, RgbaImage image) {
    if (image.Empty()) return false;
    auto& images = Tables()[static_cast<size_t>(set)].images;
    auto it = images.find(name);
    if (it == images.end()) return false;
    it->second = std::move(image);
    return true;
}

void LoadBuiltinImages(int toolbarPixelSize) {
    for (const BuiltinPicture& picture : BuiltinPictures()) {
        std::string_view bytes(reinterpret_cast<const char*>(picture.data), picture.length);
        RgbaImage image;
        if (std::strcmp(picture.type, "bmp") == 0 ? !DecodeBmp24(bytes, image)
                                                  : !DecodePng(bytes, image))
            continue;
        std::string_view set = picture.set;
        if (set == "Banner") {
            Banner() = std::move(image);
        } else if (set == "Buttons") {
            SetSlotImage(SlotSet::Buttons, picture.name, std::move(image));
        } else if (set == "Icons") {
            if (picture.size == 16) SetSlotImage(SlotSet::MenuIcons, picture.name, image);
            if (picture.size == toolbarPixelSize)
                SetSlotImage(SlotSet::ToolbarIcons, picture.name, std::move(image));
        }
    }
}

const RgbaImage& AboutBanner() {
    return Banner();
}

bool DecodePng(std::string_view bytes, RgbaImage& out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (bytes.size() < 8 || !png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return false;
    if (image.width == 0 || image.height == 0 || image.width > kMaxPictureSide ||
        image.height > kMaxPictureSide) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    RgbaImage decoded;
    decoded.width = static_cast<int>(image.width);
    decoded.height = static_cast<int>(image.height);
    decoded.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    out = std::move(decoded);
    return true;
}

bool DecodeBmp24(std::string_view bytes, RgbaImage& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    if (size < 54 || p[0] != 'B' || p[1] != 'M') return false;
    const uint32_t offset = ReadLe32(p + 10);
    const uint32_t header = ReadLe32(p + 14);
    if (header < 40) return false;
    const int32_t width = static_cast<int32_t>(ReadLe32(p + 18));
    int32_t height = static_cast<int32_t>(ReadLe32(p + 22));
    const int bpp = p[28] | (p[29] << 8);
    const uint32_t compression = ReadLe32(p + 30);
    if (bpp != 24 || compression != 0 || width <= 0 || height == 0) return false;
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width > kMaxPictureSide || height > kMaxPictureSide) return false;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    if (offset > size || (size - offset) / stride < static_cast<size_t>(height)) return false;
    RgbaImage decoded;
    decoded.width = width;
    decoded.height = height;
    decoded.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = p + offset + stride * (topDown ? y : height - 1 - y);
        uint8_t* dst = &decoded.pixels[static_cast<size_t>(y) * width * 4];
        for (int x = 0; x < width; ++x) {
            dst[x * 4 + 0] = row[x * 3 + 2];
            dst[x * 4 + 1] = row[x * 3 + 1];
            dst[x * 4 + 2] = row[x * 3 + 0];
            dst[x * 4 + 3] = 255;
        }
    }
    out = std::move(decoded);
    return true;
}
