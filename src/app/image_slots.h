// The image slots: three name-keyed sets of pictures that the menu, the toolbar and
// the buttons are built from, filled from the built-in pictures and then from the
// current theme. Also the About-box banner.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A decoded picture: rows top-down, four bytes per pixel (red, green, blue, alpha),
// alpha not premultiplied.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    bool Empty() const { return width <= 0 || height <= 0; }
};

enum class SlotSet { Buttons, MenuIcons, ToolbarIcons };
inline constexpr SlotSet kAllSlotSets[] = {SlotSet::Buttons, SlotSet::MenuIcons,
                                           SlotSet::ToolbarIcons};

// The slot names of a set, in slot order.
std::span<const char* const> SlotNames(SlotSet set);
// The folder of theme archives ("Buttons" or "Icons") whose section feeds the set.
const char* SlotSetSection(SlotSet set);

// The picture in a slot; an empty picture for a name the set does not have.
const RgbaImage& SlotImage(SlotSet set, std::string_view name);
// Replaces a slot's picture; false (and nothing changes) for an unknown name or an
// empty picture.
bool SetSlotImage(SlotSet set, std::string_view name, RgbaImage image);

// Loads the built-in pictures into every slot of the three sets (the toolbar set at
// the given icon size) and the About banner.
void LoadBuiltinImages(int toolbarPixelSize);
// The About-box banner, 360 x 40 (empty until LoadBuiltinImages).
const RgbaImage& AboutBanner();

// Decoders of the built-in and theme pictures. Both refuse truncated or oversized
// data (more than kMaxPictureSide pixels a side) and leave out untouched then.
inline constexpr int kMaxPictureSide = 4096;
bool DecodePng(std::string_view bytes, RgbaImage& out);
bool DecodeBmp24(std::string_view bytes, RgbaImage& out);
