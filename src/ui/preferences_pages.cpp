#include "ui/preferences_pages.h"

#include "formats/formats.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "themes/themes.h"
#include "ui/pictures.h"
#include "ui/selection.h"

#include <wx/bmpbuttn.h>
#include <wx/bmpcbox.h>
#include <wx/scrolwin.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/valtext.h>
#include <wx/wx.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <map>

namespace {

// Entries of the lists, as text keys of the group "Preferences".
constexpr const char* kUpdateRanges[] = {"Every day",      "Every week",     "Every month",
                                         "Every 3 months", "Every 6 months", "Never"};
constexpr const char* kIconSizes[] = {"Small", "Medium", "Large"};
constexpr const char* kDdsLoadAs[] = {"Auto", "BGRA", "RGBA"};
constexpr const char* kFrameLoading[] = {"All Frames", "First Frame", "Middle Frame", "Last Frame",
                                         "Random Frame"};
constexpr const char* kRawLoadAs[] = {"Auto", "RGB8", "RGB16", "RGB24", "RGB48HS", "RGB48"};
constexpr const char* kToneMapping[] = {"None", "Linear", "Adaptive Logarithmic", "DR Reduction",
                                        "Gradient Domain"};
constexpr const char* kBytes[] = {"Bytes"};
constexpr const char* kPixels[] = {"Pixels"};
constexpr const char* kPoints[] = {"Points"};
constexpr const char* kPixelsPercent[] = {"Pixels", "Percent"};
constexpr const char* kNoneRle[] = {"None", "RLE"};
constexpr const char* kRle[] = {"RLE"};
constexpr const char* kColorTable[] = {"Auto", "Exact"};
constexpr const char* kExrCompression[] = {"None", "ZIP", "PIZ", "PXR24", "B44"};
constexpr const char* kChroma[] = {"None", "Low", "Medium", "High"};
constexpr const char* kJpgSaveAs[] = {"Baseline Standard", "Baseline Simple", "Baseline Optimized",
                                      "Progressive"};
constexpr const char* kPngCompression[] = {"None", "ZLIB1", "ZLIB6", "ZLIB9"};
constexpr const char* kTiffCompression[] = {"None",     "CCITTFAX3", "CCITTFAX4",
                                            "PACKBITS", "DEFLATE",   "ADOBEDEFLATE",
                                            "LZW",      "JPEG",      "LOGLUV"};
constexpr const char* kTiffColorModel[] = {"RGB", "CMYK"};
constexpr const char* kRotationType[] = {"Simple Rotation", "Advanced Rotation"};
constexpr const char* kResizeType[] = {"All Images", "Large Images"};
constexpr const char* kResizeAlgorithm[] = {"Box",     "Bilinear",   "Bspline",
                                            "Bicubic", "Catmullrom", "Lanczos"};
constexpr const char* kFrameType[] = {"None", "Frame Solid"};
constexpr const char* kWatermarkType[] = {"None", "Watermark Text", "Watermark Image"};
constexpr const char* kFontStyle[] = {"Regular", "Bold", "Italic", "Bold Italic"};
constexpr const char* kFontEffect[] = {"None", "Underline", "Strikeout"};
constexpr const char* kAlignment[] = {"Align Left", "Align Center", "Align Right"};
constexpr const char* kBoundary[] = {"Bound Image", "Bound Frame"};
constexpr const char* kPosition[] = {"Top-Left",    "Top-Center",    "Top-Right",
                                     "Middle-Left", "Middle-Center", "Middle-Right",
                                     "Bottom-Left", "Bottom-Center", "Bottom-Right"};
constexpr const char* kSize[] = {"Fixed"};
constexpr const char* kTimestamp[] = {"Current", "Original", "Custom"};
constexpr const char* kFolderHistory[] = {"Clean On Exit", "Keep Folders"};

constexpr unsigned V(int value) {
    return 1u << value;
}

using F = FieldId;
using K = RowKind;

// Enabled while a check box is checked.
constexpr Depend WhenChecked(FieldId on) {
    return Depend{on, V(1), false};
}

// The pages, row by row, in page order; within a page the rows of the page area come
// first, then those of each sub-panel. The Output page's Bits Per Pixel rows are made
// from the output format table (see ExpandedRows).
constexpr PageRow kRows[] = {
    // General
    {.page = 0, .label = "Language", .kind = K::Language, .field = F::language},
    {.page = 0,
     .label = "Check For Updates",
     .kind = K::List,
     .field = F::updateRange,
     .entries = kUpdateRanges},
    {.page = 0, .label = "Save window position", .kind = K::Check, .field = F::saveWindowPosition},
    // Interface
    {.page = 1, .label = "UI Theme", .kind = K::Theme, .field = F::uiTheme},
    {.page = 1, .label = "UI Size", .kind = K::List, .field = F::uiSize, .entries = kIconSizes},
    // Input
    {.page = 2, .label = "Input Format", .kind = K::InputFormat, .field = F::inputFormat},
    {.page = 2,
     .panel = "dds",
     .label = "Load As",
     .kind = K::List,
     .field = F::ddsLoadAs,
     .entries = kDdsLoadAs},
    {.page = 2,
     .panel = "gif",
     .label = "Frame Loading",
     .kind = K::List,
     .field = F::gifFrameLoading,
     .entries = kFrameLoading},
    {.page = 2,
     .panel = "ico",
     .label = "Frame Loading",
     .kind = K::List,
     .field = F::icoFrameLoading,
     .entries = kFrameLoading},
    {.page = 2,
     .panel = "raw",
     .label = "Load As",
     .kind = K::List,
     .field = F::rawLoadAs,
     .entries = kRawLoadAs},
    {.page = 2,
     .panel = "raw",
     .label = "Header Size",
     .kind = K::Number,
     .field = F::rawHeaderSize,
     .entries = kBytes,
     .depend = {F::rawLoadAs, V(1) | V(2)}},
    {.page = 2,
     .panel = "raw",
     .label = "Image Width",
     .kind = K::Number,
     .field = F::rawImageWidth,
     .entries = kPixels,
     .depend = {F::rawLoadAs, V(1) | V(2)}},
    {.page = 2,
     .panel = "raw",
     .label = "Image Height",
     .kind = K::Number,
     .field = F::rawImageHeight,
     .entries = kPixels,
     .depend = {F::rawLoadAs, V(1) | V(2)}},
    {.page = 2,
     .panel = "raw",
     .label = "Tone Mapping",
     .kind = K::List,
     .field = F::rawToneMapping,
     .entries = kToneMapping,
     .depend = {F::rawLoadAs, V(4) | V(5)}},
    {.page = 2,
     .panel = "tiff",
     .label = "Frame Loading",
     .kind = K::List,
     .field = F::tiffFrameLoading,
     .entries = kFrameLoading},
    // Output: the format row; every sub-panel begins with its Bits Per Pixel row.
    {.page = 3, .label = "Output Format", .kind = K::OutputFormat, .field = F::outputFormat},
    {.page = 3,
     .panel = "bmp",
     .label = "Compression",
     .kind = K::List,
     .field = F::bmpCompression,
     .entries = kNoneRle},
    {.page = 3,
     .panel = "bmp",
     .label = "Color Table",
     .kind = K::List,
     .field = F::bmpColorTable,
     .entries = kColorTable},
    {.page = 3,
     .panel = "exr",
     .label = "Compression",
     .kind = K::List,
     .field = F::exrCompression,
     .entries = kExrCompression},
    {.page = 3,
     .panel = "jpg",
     .label = "Image Quality",
     .kind = K::Pair,
     .field = F::jpgQuality,
     .lo = 1,
     .hi = 100},
    {.page = 3,
     .panel = "jpg",
     .label = "Chroma Subsampling",
     .kind = K::List,
     .field = F::jpgChroma,
     .entries = kChroma},
    {.page = 3,
     .panel = "jpg",
     .label = "Save As",
     .kind = K::List,
     .field = F::jpgSaveAs,
     .entries = kJpgSaveAs},
    {.page = 3, .panel = "pcx", .label = "Compression", .kind = K::Fixed, .entries = kRle},
    {.page = 3,
     .panel = "png",
     .label = "Compression",
     .kind = K::List,
     .field = F::pngCompression,
     .entries = kPngCompression},
    {.page = 3, .panel = "png", .label = "Interlaced", .kind = K::Check, .field = F::pngInterlaced},
    {.page = 3,
     .panel = "tga",
     .label = "Compression",
     .kind = K::List,
     .field = F::tgaCompression,
     .entries = kNoneRle},
    {.page = 3,
     .panel = "tiff",
     .label = "Compression",
     .kind = K::List,
     .field = F::tiffCompression,
     .entries = kTiffCompression},
    {.page = 3,
     .panel = "tiff",
     .label = "Color Model",
     .kind = K::List,
     .field = F::tiffColorModel,
     .entries = kTiffColorModel},
    // Transform
    {.page = 4, .label = "Image Rotation", .kind = K::Check, .field = F::doImageRotation},
    {.page = 4,
     .label = "Rotation Type",
     .kind = K::List,
     .field = F::imageRotationType,
     .entries = kRotationType,
     .depend = WhenChecked(F::doImageRotation)},
    {.page = 4,
     .label = "Rotation Angle",
     .kind = K::Pair,
     .field = F::imageRotation,
     .lo = 0,
     .hi = 360,
     .depend = WhenChecked(F::doImageRotation)},
    {.page = 4,
     .label = "Background Color",
     .kind = K::Colour,
     .field = F::imageRotationBackColor,
     .depend = WhenChecked(F::doImageRotation)},
    {.page = 4, .label = "Image Resize", .kind = K::Check, .field = F::doImageResize},
    {.page = 4,
     .label = "Image Width",
     .kind = K::Number,
     .field = F::imageWidth,
     .entries = kPixelsPercent,
     .other = F::imageWidthUnit,
     .depend = WhenChecked(F::doImageResize)},
    {.page = 4,
     .label = "Image Height",
     .kind = K::Number,
     .field = F::imageHeight,
     .entries = kPixelsPercent,
     .other = F::imageHeightUnit,
     .depend = WhenChecked(F::doImageResize)},
    {.page = 4,
     .label = "Keep Aspect Ratio",
     .kind = K::Check,
     .field = F::keepAspectRatio,
     .depend = WhenChecked(F::doImageResize)},
    {.page = 4,
     .label = "Resize Type",
     .kind = K::List,
     .field = F::imageResizeType,
     .entries = kResizeType,
     .depend = WhenChecked(F::doImageResize)},
    {.page = 4,
     .label = "Resize Algorithm",
     .kind = K::List,
     .field = F::imageResizeAlgorithm,
     .entries = kResizeAlgorithm,
     .depend = WhenChecked(F::doImageResize)},
    {.page = 4,
     .label = "Image Flip Horizontal",
     .kind = K::Check,
     .field = F::doImageFlipHorizontal},
    {.page = 4, .label = "Image Flip Vertical", .kind = K::Check, .field = F::doImageFlipVertical},
    // Adjustment
    {.page = 5,
     .label = "Image Brightness",
     .kind = K::OffsetPair,
     .field = F::imageBrightness,
     .lo = -100,
     .hi = 100},
    {.page = 5,
     .label = "Image Contrast",
     .kind = K::OffsetPair,
     .field = F::imageContrast,
     .lo = -100,
     .hi = 100},
    {.page = 5,
     .label = "Image Gamma",
     .kind = K::GammaPair,
     .field = F::imageGamma,
     .lo = 1,
     .hi = 999},
    {.page = 5, .label = "Image Invert", .kind = K::Check, .field = F::imageInvert},
    {.page = 5, .label = "Image Greyscale", .kind = K::Check, .field = F::doImageGreyscale},
    {.page = 5, .label = "Image Threshold", .kind = K::Check, .field = F::doImageThreshold},
    {.page = 5,
     .label = "Threshold Level",
     .kind = K::Pair,
     .field = F::imageThreshold,
     .lo = 0,
     .hi = 255,
     .depend = WhenChecked(F::doImageThreshold)},
    // Frame
    {.page = 6, .label = "Frame Type", .kind = K::List, .field = F::doFrame, .entries = kFrameType},
    {.page = 6,
     .panel = "frame",
     .label = "Left",
     .kind = K::Number,
     .field = F::solidLeft,
     .entries = kPixels},
    {.page = 6,
     .panel = "frame",
     .label = "Right",
     .kind = K::Number,
     .field = F::solidRight,
     .entries = kPixels},
    {.page = 6,
     .panel = "frame",
     .label = "Top",
     .kind = K::Number,
     .field = F::solidTop,
     .entries = kPixels},
    {.page = 6,
     .panel = "frame",
     .label = "Bottom",
     .kind = K::Number,
     .field = F::solidBottom,
     .entries = kPixels},
    {.page = 6,
     .panel = "frame",
     .label = "Left Color",
     .kind = K::Colour,
     .field = F::solidLeftColor},
    {.page = 6,
     .panel = "frame",
     .label = "Right Color",
     .kind = K::Colour,
     .field = F::solidRightColor},
    {.page = 6,
     .panel = "frame",
     .label = "Top Color",
     .kind = K::Colour,
     .field = F::solidTopColor},
    {.page = 6,
     .panel = "frame",
     .label = "Bottom Color",
     .kind = K::Colour,
     .field = F::solidBottomColor},
    {.page = 6,
     .panel = "frame",
     .label = "Opacity",
     .kind = K::Pair,
     .field = F::solidOpacity,
     .lo = 1,
     .hi = 255},
    // Watermark
    {.page = 7,
     .label = "Watermark Type",
     .kind = K::List,
     .field = F::doWatermark,
     .entries = kWatermarkType},
    {.page = 7, .panel = "text", .label = "Text", .kind = K::Text, .field = F::text},
    {.page = 7,
     .panel = "text",
     .label = "Font",
     .kind = K::FontList,
     .field = F::font,
     .other = F::fonts},
    {.page = 7,
     .panel = "text",
     .label = "Font Size",
     .kind = K::Number,
     .field = F::fontSize,
     .entries = kPoints},
    {.page = 7,
     .panel = "text",
     .label = "Font Leading",
     .kind = K::Number,
     .field = F::fontLeading,
     .entries = kPixels},
    {.page = 7,
     .panel = "text",
     .label = "Font Color",
     .kind = K::ColourList,
     .field = F::fontColor,
     .other = F::fontColors},
    {.page = 7,
     .panel = "text",
     .label = "Font Style",
     .kind = K::List,
     .field = F::fontStyle,
     .entries = kFontStyle},
    {.page = 7,
     .panel = "text",
     .label = "Font Effect",
     .kind = K::List,
     .field = F::fontEffect,
     .entries = kFontEffect},
    {.page = 7,
     .panel = "text",
     .label = "Antialiasing",
     .kind = K::Check,
     .field = F::textAntialiasing},
    {.page = 7,
     .panel = "text",
     .label = "Text Alignment",
     .kind = K::List,
     .field = F::textAlignment,
     .entries = kAlignment},
    {.page = 7,
     .panel = "text",
     .label = "Text Padding",
     .kind = K::Number,
     .field = F::textPadding,
     .entries = kPixels},
    {.page = 7,
     .panel = "text",
     .label = "Text Opacity",
     .kind = K::Pair,
     .field = F::textOpacity,
     .lo = 1,
     .hi = 255},
    {.page = 7,
     .panel = "text",
     .label = "Background Color",
     .kind = K::ColourList,
     .field = F::backColor,
     .other = F::backColors},
    {.page = 7,
     .panel = "text",
     .label = "Background Opacity",
     .kind = K::Pair,
     .field = F::backOpacity,
     .lo = 1,
     .hi = 255},
    {.page = 7,
     .panel = "text",
     .label = "Boundary",
     .kind = K::List,
     .field = F::textBoundary,
     .entries = kBoundary},
    {.page = 7,
     .panel = "text",
     .label = "Position",
     .kind = K::List,
     .field = F::textPosition,
     .entries = kPosition},
    {.page = 7,
     .panel = "text",
     .label = "X-Offset",
     .kind = K::Number,
     .field = F::textXOffset,
     .entries = kPixels},
    {.page = 7,
     .panel = "text",
     .label = "Y-Offset",
     .kind = K::Number,
     .field = F::textYOffset,
     .entries = kPixels},
    {.page = 7,
     .panel = "text",
     .label = "Rotation Angle",
     .kind = K::Pair,
     .field = F::textRotation,
     .lo = 0,
     .hi = 360},
    {.page = 7,
     .panel = "text",
     .label = "Size",
     .kind = K::List,
     .field = F::textSize,
     .entries = kSize},
    {.page = 7,
     .panel = "text",
     .label = "Scale",
     .kind = K::Pair,
     .field = F::textScale,
     .lo = 1,
     .hi = 200,
     .depend = {F::textSize, V(1), true}},
    {.page = 7, .panel = "image", .label = "Image", .kind = K::ImageFile, .field = F::image},
    {.page = 7,
     .panel = "image",
     .label = "Image Greyscale",
     .kind = K::Check,
     .field = F::imageGreyscale},
    {.page = 7,
     .panel = "image",
     .label = "Opacity",
     .kind = K::Pair,
     .field = F::imageOpacity,
     .lo = 1,
     .hi = 255},
    {.page = 7,
     .panel = "image",
     .label = "Boundary",
     .kind = K::List,
     .field = F::imageBoundary,
     .entries = kBoundary},
    {.page = 7,
     .panel = "image",
     .label = "Position",
     .kind = K::List,
     .field = F::imagePosition,
     .entries = kPosition},
    {.page = 7,
     .panel = "image",
     .label = "X-Offset",
     .kind = K::Number,
     .field = F::imageXOffset,
     .entries = kPixels},
    {.page = 7,
     .panel = "image",
     .label = "Y-Offset",
     .kind = K::Number,
     .field = F::imageYOffset,
     .entries = kPixels},
    {.page = 7,
     .panel = "image",
     .label = "Rotation Angle",
     .kind = K::Pair,
     .field = F::watermarkImageRotation,
     .lo = 0,
     .hi = 360},
    {.page = 7,
     .panel = "image",
     .label = "Size",
     .kind = K::List,
     .field = F::imageSize,
     .entries = kSize},
    {.page = 7,
     .panel = "image",
     .label = "Scale",
     .kind = K::Pair,
     .field = F::imageScale,
     .lo = 1,
     .hi = 200,
     .depend = {F::imageSize, V(1), true}},
    // Advanced
    {.page = 8, .label = "Filename Mask", .kind = K::Text, .field = F::filenameMask},
    {.page = 8,
     .label = "File Timestamp",
     .kind = K::List,
     .field = F::fileTimestamp,
     .entries = kTimestamp},
    {.page = 8,
     .label = "Custom Timestamp",
     .kind = K::DateTime,
     .field = F::customTimestamp,
     .depend = {F::fileTimestamp, V(2)}},
    {.page = 8,
     .label = "Out Folders History",
     .kind = K::List,
     .field = F::outFoldersHistory,
     .entries = kFolderHistory},
    {.page = 8,
     .label = "Out Folders Number",
     .kind = K::Pair,
     .field = F::outFoldersNumber,
     .lo = 1,
     .hi = 50},
    {.page = 8,
     .label = "Keep Subfolders",
     .kind = K::Check,
     .field = F::keepSubfolders,
     .flags = kHiddenRow},
};

// The scrolling sub-panels of the Frame and Watermark pages and what shows them; the
// per-format sub-panels of the Input and Output pages are shown by their format list.
struct SubPanel {
    int page;
    const char* name;
    Depend shown;
};
constexpr SubPanel kScrollingPanels[] = {
    {6, "frame", {F::doFrame, V(1), true}},
    {7, "text", {F::doWatermark, V(1), true}},
    {7, "image", {F::doWatermark, V(2), true}},
};

// The row scheme, fitted to the toolkit's controls: rows 30 apart from y 10, a label
// column 160 wide at x 10 and the control column from x 170.
constexpr int kFirstRowY = 10;
constexpr int kRowPitch = 30;
constexpr int kLabelX = 10;
constexpr int kLabelWidth = 160;
constexpr int kControlX = 170;
constexpr int kControlWidth = 250;
constexpr int kControlHeight = 24;
constexpr int kGap = 6;
constexpr int kSpinWidth = 100; // spin field of a value pair
constexpr int kUnitWidth = 86;  // unit list of a number field
constexpr int kMoreWidth = 28;  // the "..." buttons
constexpr int kSubPanelY = 40;  // sub-panels start below the page's first row
constexpr int kScrollStep = 10;

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

std::string Pref(const char* key) {
    return GetText("Preferences", key);
}

const OptionDef& Def(FieldId field) {
    return Option(field);
}

std::string& StringSetting(FieldId field) {
    return *static_cast<std::string*>(Def(field).ref(gSettings));
}

// The smallest and largest value of a setting's field.
void FieldRange(FieldId field, int64_t& lo, int64_t& hi) {
    switch (Def(field).type) {
    case FieldType::Bool8:
    case FieldType::Int8:
        lo = std::numeric_limits<int8_t>::min();
        hi = std::numeric_limits<int8_t>::max();
        break;
    default:
        lo = std::numeric_limits<int32_t>::min();
        hi = std::numeric_limits<int32_t>::max();
        break;
    }
}

// The rows in build order: the table's rows, with a Bits Per Pixel row first in every
// output sub-panel, one sub-panel per format of the output format table.
std::vector<PageRow> ExpandedRows() {
    std::vector<PageRow> rows;
    for (const PageRow& row : kRows) {
        if (row.page == 3 && *row.panel) continue; // placed with their format below
        rows.push_back(row);
        if (row.kind != K::OutputFormat) continue;
        for (const auto& [format, entry] : OutputFormatTable()) {
            (void)entry;
            const OptionDef* bpp = OutputBppSlot(format);
            if (!bpp) continue;
            PageRow bppRow;
            bppRow.page = 3;
            bppRow.panel = format.c_str();
            bppRow.label = "Bits Per Pixel";
            bppRow.kind = K::Bpp;
            bppRow.field = static_cast<FieldId>(bpp - OptionTable().data());
            rows.push_back(bppRow);
            for (const PageRow& further : kRows)
                if (further.page == 3 && format == further.panel) rows.push_back(further);
        }
    }
    return rows;
}

} // namespace

bool IsPairKind(RowKind kind) {
    return kind == K::Pair || kind == K::OffsetPair || kind == K::GammaPair;
}

namespace {

bool IsListKind(RowKind kind) {
    switch (kind) {
    case K::List:
    case K::Language:
    case K::Theme:
    case K::Bpp:
    case K::Fixed:
        return true;
    default:
        return false;
    }
}

wxChoice* Choice(const BuiltRow& row) {
    return static_cast<wxChoice*>(row.main);
}

wxBitmapComboBox* ImageList(const BuiltRow& row) {
    return static_cast<wxBitmapComboBox*>(row.main);
}

wxTextCtrl* Field(const BuiltRow& row) {
    return static_cast<wxTextCtrl*>(row.main);
}

wxSlider* Track(const BuiltRow& row) {
    return static_cast<wxSlider*>(row.main);
}

// The value a controlling row holds for the dependent-control rules (-1 for none).
int ControlValue(const BuiltRow& row) {
    if (row.row.kind == K::Check) return static_cast<wxCheckBox*>(row.main)->IsChecked() ? 1 : 0;
    if (IsListKind(row.row.kind)) return Choice(row)->GetSelection();
    return -1;
}

// The active format at the selected entry of a format list ("" for none).
std::string SelectedFormat(const BuiltRow& row) {
    const auto formats =
        row.row.kind == K::InputFormat ? ActiveInputFormats() : ActiveOutputFormats();
    wxBitmapComboBox* list = ImageList(row);
    const int selected = list->GetSelection();
    if (selected == wxNOT_FOUND) return "";
    const auto index = reinterpret_cast<uintptr_t>(list->GetClientData(selected));
    return index < formats.size() ? formats[index] : "";
}

std::vector<wxWindow*> RowWindows(const BuiltRow& row) {
    std::vector<wxWindow*> windows;
    for (wxWindow* w : {static_cast<wxWindow*>(row.label), row.main, row.second,
                        static_cast<wxWindow*>(row.colour.button)})
        if (w) windows.push_back(w);
    return windows;
}

// The program's own updates of the value-pair controls: no user-edit rule runs while
// they are made.
struct Updating {
    explicit Updating(PagesState& s) : state(s), was(s.updating) { state.updating = true; }
    ~Updating() { state.updating = was; }
    PagesState& state;
    bool was;
};

// Value pairs ---------------------------------------------------------------------

int TrackOffset(const PageRow& row) {
    return row.kind == K::OffsetPair ? -row.lo : 0;
}

// Sets both controls of a pair to a value (for the gamma pair, a position).
void SetPair(PagesState& state, BuiltRow& row, int value) {
    Updating guard(state);
    Track(row)->SetValue(value + TrackOffset(row.row));
    if (row.row.kind == K::GammaPair)
        static_cast<wxSpinCtrlDouble*>(row.second)->SetValue(value / 100.0);
    else
        static_cast<wxSpinCtrl*>(row.second)->SetValue(value);
}

void SetTrackOnly(PagesState& state, BuiltRow& row, int value) {
    Updating guard(state);
    Track(row)->SetValue(value + TrackOffset(row.row));
}

std::string SpinText(const BuiltRow& row) {
    return static_cast<wxSpinCtrlBase*>(row.second)->GetTextValue().utf8_string();
}

// The value of the spin field's text under the pair's rule.
int PairValueOfText(const BuiltRow& row, const std::string& text) {
    if (row.row.kind == K::GammaPair) return GammaPosition(text);
    return static_cast<int>(ReadClampedInteger(text, row.row.lo, row.row.hi));
}

// The spin field's value as its arrows left it.
int PairValueOfSpin(const BuiltRow& row) {
    if (row.row.kind == K::GammaPair) {
        const double value = static_cast<wxSpinCtrlDouble*>(row.second)->GetValue();
        return std::clamp(static_cast<int>(std::lround(value * 100.0)), 1, 999);
    }
    return std::clamp(static_cast<wxSpinCtrl*>(row.second)->GetValue(), row.row.lo, row.row.hi);
}

void BindPair(PagesState& state, size_t index) {
    BuiltRow& row = state.rows[index];
    PagesState* s = &state;
    // Moving the track bar: the spin field follows.
    Track(row)->Bind(wxEVT_SLIDER, [s, index](wxCommandEvent&) {
        if (s->updating) return;
        BuiltRow& r = s->rows[index];
        SetPair(*s, r, Track(r)->GetValue() - TrackOffset(r.row));
    });
    // Typing: the track bar follows at once; the text itself is rewritten when the
    // edit ends (Enter or leaving the field), so a number can be typed digit by digit.
    row.second->Bind(wxEVT_TEXT, [s, index](wxCommandEvent&) {
        if (s->updating) return;
        BuiltRow& r = s->rows[index];
        SetTrackOnly(*s, r, PairValueOfText(r, SpinText(r)));
    });
    auto commit = [s, index] {
        if (s->updating) return;
        BuiltRow& r = s->rows[index];
        SetPair(*s, r, PairValueOfText(r, SpinText(r)));
    };
    row.second->Bind(wxEVT_TEXT_ENTER, [commit](wxCommandEvent&) { commit(); });
    row.second->Bind(wxEVT_KILL_FOCUS, [commit](wxFocusEvent& e) {
        commit();
        e.Skip();
    });
    // The arrows: the new position, clamped, with the text rewritten.
    auto arrows = [s, index] {
        if (s->updating) return;
        BuiltRow& r = s->rows[index];
        SetPair(*s, r, PairValueOfSpin(r));
    };
    if (row.row.kind == K::GammaPair)
        row.second->Bind(wxEVT_SPINCTRLDOUBLE, [arrows](wxSpinDoubleEvent&) { arrows(); });
    else
        row.second->Bind(wxEVT_SPINCTRL, [arrows](wxSpinEvent&) { arrows(); });
}

// The date-and-time field -------------------------------------------------------------

// Up and Down step the part under the cursor: year, month, day, hour or minute.
void StepDateTime(BuiltRow& row, int step) {
    wxTextCtrl* field = Field(row);
    int32_t date = 0;
    if (!ReadDateTimeText(field->GetValue().utf8_string(), date)) return;
    const long cursor = field->GetInsertionPoint();
    time_t t = date;
    tm parts{};
    gmtime_r(&t, &parts);
    if (cursor <= 4)
        parts.tm_year += step;
    else if (cursor <= 7)
        parts.tm_mon += step;
    else if (cursor <= 10)
        parts.tm_mday += step;
    else if (cursor <= 13)
        parts.tm_hour += step;
    else
        parts.tm_min += step;
    const int64_t stepped = timegm(&parts);
    if (stepped < std::numeric_limits<int32_t>::min() ||
        stepped > std::numeric_limits<int32_t>::max())
        return;
    row.validText = DateTimeText(static_cast<int32_t>(stepped));
    field->ChangeValue(Wx(row.validText));
    field->SetInsertionPoint(cursor);
}

void BindDateTime(PagesState& state, size_t index) {
    PagesState* s = &state;
    wxTextCtrl* field = Field(state.rows[index]);
    field->Bind(wxEVT_KEY_DOWN, [s, index](wxKeyEvent& e) {
        if (e.GetKeyCode() == WXK_UP || e.GetKeyCode() == WXK_DOWN) {
            StepDateTime(s->rows[index], e.GetKeyCode() == WXK_UP ? 1 : -1);
            return;
        }
        e.Skip();
    });
    // Text that is no date and time gives way to the last one that was, when the edit
    // ends.
    field->Bind(wxEVT_KILL_FOCUS, [s, index, field](wxFocusEvent& e) {
        e.Skip();
        if (s->updating) return;
        BuiltRow& r = s->rows[index];
        const std::string text = field->GetValue().utf8_string();
        int32_t date = 0;
        if (ReadDateTimeText(text, date))
            r.validText = text;
        else
            field->ChangeValue(Wx(r.validText));
    });
}

// Building ------------------------------------------------------------------------------

BuiltPanel* FindPanel(PagesState& state, int page, const std::string& name) {
    for (BuiltPanel& panel : state.panels)
        if (panel.page == page && panel.name == name) return &panel;
    return nullptr;
}

// The window a row goes into: the page area, or its sub-panel, made when its first row
// is built so that the Tab order follows the rows.
wxWindow* RowParent(PagesState& state, const PageRow& row) {
    if (!*row.panel) return state.areas[row.page];
    if (BuiltPanel* panel = FindPanel(state, row.page, row.panel)) return panel->window;
    BuiltPanel panel;
    panel.page = row.page;
    panel.name = row.panel;
    const wxPoint at(0, kSubPanelY);
    const wxSize size(kPageWidth, kPageHeight - kSubPanelY);
    const SubPanel* scrolling = nullptr;
    for (const SubPanel& sub : kScrollingPanels)
        if (sub.page == row.page && panel.name == sub.name) scrolling = &sub;
    if (scrolling) {
        auto* window = new wxScrolledWindow(state.areas[row.page], wxID_ANY, at, size,
                                            wxVSCROLL | wxTAB_TRAVERSAL);
        window->SetScrollRate(0, kScrollStep);
        panel.window = window;
        panel.shown = scrolling->shown;
    } else {
        panel.window = new wxPanel(state.areas[row.page], wxID_ANY, at, size, wxTAB_TRAVERSAL);
        panel.perFormat = true;
        panel.formatKind = row.page == 2 ? K::InputFormat : K::OutputFormat;
    }
    panel.window->SetName(Wx("panel." + panel.name));
    panel.window->Hide();
    state.panels.push_back(panel);
    return panel.window;
}

std::string ControlName(const PageRow& row) {
    if (row.field != FieldId::Count) return Def(row.field).fieldName;
    return std::string(row.panel) + "." + AsciiLower(row.label);
}

wxChoice* MakeChoice(wxWindow* parent, int x, int y, int width,
                     std::span<const char* const> entries) {
    auto* choice = new wxChoice(parent, wxID_ANY, wxPoint(x, y), wxSize(width, kControlHeight));
    for (const char* key : entries)
        choice->Append(Wx(Pref(key)));
    return choice;
}

wxButton* MakeMoreButton(wxWindow* parent, int y) {
    return new wxButton(parent, wxID_ANY, "...", wxPoint(kControlX + kControlWidth - kMoreWidth, y),
                        wxSize(kMoreWidth, kControlHeight), wxBU_EXACTFIT);
}

void BuildRow(PagesState& state, size_t index, int y) {
    BuiltRow& built = state.rows[index];
    const PageRow& row = built.row;
    wxWindow* parent = built.panel;
    PagesState* s = &state;
    const std::string name = ControlName(row);
    const int x = kControlX, w = kControlWidth, h = kControlHeight;

    built.label =
        new wxStaticText(parent, wxID_ANY, Wx(Pref(row.label)), wxPoint(kLabelX, y + 3),
                         wxSize(kLabelWidth, 20), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    built.label->SetName(Wx(name + ".label"));

    auto rulesOnEvent = [s](wxCommandEvent& e) {
        e.Skip();
        ApplyDependencies(*s);
    };
    switch (row.kind) {
    case K::List:
    case K::Fixed:
        built.main = MakeChoice(parent, x, y, w, row.entries);
        built.main->Bind(wxEVT_CHOICE, rulesOnEvent);
        break;
    case K::Language:
        built.main = MakeChoice(parent, x, y, w, {});
        Choice(built)->Append("English");
        break;
    case K::Theme:
        built.main = MakeChoice(parent, x, y, w, {});
        break;
    case K::Bpp: {
        auto* choice = MakeChoice(parent, x, y, w, {});
        choice->Append(Wx(Pref("Auto")));
        std::string depths = LookupOutputFormat(row.panel).bitDepths;
        size_t start = 0;
        while (start < depths.size()) {
            const size_t comma = depths.find(',', start);
            const std::string depth =
                depths.substr(start, comma == std::string::npos ? comma : comma - start);
            if (!depth.empty()) choice->Append(Wx(depth));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        built.main = choice;
        break;
    }
    case K::InputFormat:
    case K::OutputFormat:
        built.main = new wxBitmapComboBox(parent, wxID_ANY, "", wxPoint(x, y), wxSize(w, h), 0,
                                          nullptr, wxCB_READONLY);
        built.main->Bind(wxEVT_COMBOBOX, rulesOnEvent);
        break;
    case K::Check:
        built.main = new wxCheckBox(parent, wxID_ANY, "", wxPoint(x, y + (h - 16) / 2));
        built.main->Bind(wxEVT_CHECKBOX, rulesOnEvent);
        break;
    case K::Text:
    case K::DateTime:
        built.main = new wxTextCtrl(parent, wxID_ANY, "", wxPoint(x, y), wxSize(w, h));
        if (row.kind == K::DateTime) BindDateTime(state, index);
        break;
    case K::ImageFile: {
        built.main =
            new wxTextCtrl(parent, wxID_ANY, "", wxPoint(x, y), wxSize(w - kMoreWidth - kGap, h));
        wxButton* more = MakeMoreButton(parent, y);
        more->Bind(wxEVT_BUTTON, [s, index](wxCommandEvent&) {
            PickWatermarkImage(Field(s->rows[index]), s->dialog);
        });
        built.second = more;
        break;
    }
    case K::Number: {
        auto* field =
            new wxTextCtrl(parent, wxID_ANY, "", wxPoint(x, y), wxSize(w - kUnitWidth - kGap, h));
        field->SetValidator(wxTextValidator(wxFILTER_DIGITS));
        built.main = field;
        built.second = MakeChoice(parent, x + w - kUnitWidth, y, kUnitWidth, row.entries);
        break;
    }
    case K::Pair:
    case K::OffsetPair:
    case K::GammaPair: {
        const int trackLo = row.kind == K::GammaPair ? 1 : row.lo + TrackOffset(row);
        const int trackHi = row.kind == K::GammaPair ? 999 : row.hi + TrackOffset(row);
        built.main = new wxSlider(parent, wxID_ANY, trackLo, trackLo, trackHi, wxPoint(x, y + 2),
                                  wxSize(w - kSpinWidth - kGap, 20));
        const wxPoint at(x + w - kSpinWidth, y);
        const wxSize size(kSpinWidth, h);
        const long style = wxSP_ARROW_KEYS | wxTE_PROCESS_ENTER | wxALIGN_LEFT;
        if (row.kind == K::GammaPair) {
            auto* spin =
                new wxSpinCtrlDouble(parent, wxID_ANY, "", at, size, style, 0.01, 9.99, 1.0, 0.01);
            spin->SetDigits(2);
            built.second = spin;
        } else {
            built.second =
                new wxSpinCtrl(parent, wxID_ANY, "", at, size, style, row.lo, row.hi, row.lo);
        }
        BindPair(state, index);
        break;
    }
    case K::Colour:
        built.colour = BuildColourRow(parent, x, y, w, h);
        built.main = built.colour.text;
        built.colour.button->SetName(Wx(name + ".button"));
        built.colour.button->Bind(wxEVT_BUTTON, [s, index](wxCommandEvent&) {
            PickColourRow(s->rows[index].colour, s->dialog);
        });
        break;
    case K::ColourList:
        built.colourList.list =
            new wxBitmapComboBox(parent, wxID_ANY, "", wxPoint(x, y),
                                 wxSize(w - kMoreWidth - kGap, h), 0, nullptr, wxCB_READONLY);
        built.colourList.more = MakeMoreButton(parent, y);
        built.main = built.colourList.list;
        built.second = built.colourList.more;
        built.colourList.more->Bind(wxEVT_BUTTON, [s, index](wxCommandEvent&) {
            BuiltRow& r = s->rows[index];
            PickColourListEntry(r.colourList, StringSetting(r.row.other), s->dialog);
        });
        break;
    case K::FontList:
        built.fontList.list =
            new wxChoice(parent, wxID_ANY, wxPoint(x, y), wxSize(w - kMoreWidth - kGap, h));
        built.fontList.more = MakeMoreButton(parent, y);
        built.main = built.fontList.list;
        built.second = built.fontList.more;
        built.fontList.more->Bind(wxEVT_BUTTON, [s, index](wxCommandEvent&) {
            BuiltRow& r = s->rows[index];
            BuiltRow* size = FindBuiltRow(*s, F::fontSize);
            BuiltRow* style = FindBuiltRow(*s, F::fontStyle);
            if (!size || !style) return;
            PickFont(r.fontList, StringSetting(r.row.other), Field(*size), Choice(*style),
                     s->dialog);
        });
        break;
    }
    built.main->SetName(Wx(name));
    if (built.second) {
        const char* suffix = IsPairKind(row.kind)    ? ".spin"
                             : row.kind == K::Number ? ".unit"
                                                     : ".more";
        built.second->SetName(Wx(name + suffix));
    }
    if (row.flags & kHiddenRow)
        for (wxWindow* window : RowWindows(built))
            window->Hide();
}

} // namespace

std::span<const PageRow> PageRows() {
    return kRows;
}

const PageRow* FindPageRow(FieldId field) {
    for (const PageRow& row : kRows)
        if (row.field == field) return &row;
    static std::vector<PageRow> generated;
    if (generated.empty()) generated = ExpandedRows();
    for (const PageRow& row : generated)
        if (row.field == field) return &row;
    return nullptr;
}

std::string CleanText(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return "";
    const size_t last = text.find_last_not_of(" \t\r\n");
    std::string out;
    for (char c : text.substr(first, last - first + 1))
        if (c != '\t' && c != '\r' && c != '\n') out += c;
    return out;
}

int64_t ReadClampedInteger(std::string_view text, int64_t lo, int64_t hi) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    constexpr int64_t kCap = int64_t{1} << 40; // far beyond every setting's range
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(kCap, value * 10 + (text[i] - '0'));
    return std::clamp(negative ? -value : value, lo, hi);
}

int GammaPosition(std::string_view text) {
    const std::string copy(text);
    char* end = nullptr;
    double value = std::strtod(copy.c_str(), &end);
    if (end == copy.c_str() || std::isnan(value)) value = 0;
    value = std::clamp(value * 100.0, 1.0, 999.0);
    return static_cast<int>(std::lround(value));
}

std::string GammaText(int position) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d.%02d", position / 100, position % 100);
    return buf;
}

std::string DateTimeText(int32_t date) {
    time_t t = date;
    tm parts{};
    gmtime_r(&t, &parts);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min);
    return buf;
}

bool ReadDateTimeText(std::string_view text, int32_t& date) {
    const std::string copy = TrimBlanks(text);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, used = 0;
    if (std::sscanf(copy.c_str(), "%4d/%2d/%2d %2d:%2d%n", &year, &month, &day, &hour, &minute,
                    &used) != 5 ||
        used != static_cast<int>(copy.size()))
        return false;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59)
        return false;
    tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    const int64_t value = timegm(&parts);
    if (parts.tm_mday != day) return false; // 31 April and the like
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return false;
    date = static_cast<int32_t>(value);
    return true;
}

BuiltRow* FindBuiltRow(PagesState& state, FieldId field) {
    for (BuiltRow& row : state.rows)
        if (row.row.field == field) return &row;
    return nullptr;
}

void BuildPages(PagesState& state) {
    state.rows.clear();
    state.panels.clear();
    for (const PageRow& row : ExpandedRows())
        state.rows.emplace_back().row = row;
    std::map<wxWindow*, int> counts;
    for (size_t i = 0; i < state.rows.size(); ++i) {
        BuiltRow& built = state.rows[i];
        built.panel = RowParent(state, built.row);
        built.y = kFirstRowY + counts[built.panel]++ * kRowPitch;
        BuildRow(state, i, built.y);
    }
}

void FillPages(PagesState& state) {
    Updating guard(state);
    for (BuiltRow& built : state.rows) {
        const PageRow& row = built.row;
        const OptionDef* def = row.field != FieldId::Count ? &Def(row.field) : nullptr;
        built.filled = def && IsIntegerType(def->type) ? GetInt(*def, gSettings) : 0;
        const int64_t value = built.filled;
        switch (row.kind) {
        case K::List: {
            wxChoice* choice = Choice(built);
            choice->SetSelection(value >= 0 && value < choice->GetCount() ? static_cast<int>(value)
                                                                          : wxNOT_FOUND);
            break;
        }
        case K::Fixed:
        case K::Language:
            Choice(built)->SetSelection(0);
            break;
        case K::Theme: {
            wxChoice* choice = Choice(built);
            choice->Clear();
            built.themes.clear();
            for (const auto& [theme, display] : ThemeCatalogue())
                built.themes.push_back(theme);
            std::stable_sort(built.themes.begin(), built.themes.end(),
                             [](const std::string& a, const std::string& b) {
                                 return AsciiLower(a) < AsciiLower(b);
                             });
            int selected = 0;
            for (size_t i = 0; i < built.themes.size(); ++i) {
                choice->Append(Wx(ThemeCatalogue().at(built.themes[i])));
                if (built.themes[i] == gSettings.uiTheme) selected = static_cast<int>(i);
            }
            if (built.themes.empty()) choice->Append(Wx(Pref("None")));
            choice->SetSelection(selected);
            break;
        }
        case K::InputFormat: {
            wxBitmapComboBox* list = ImageList(built);
            list->Clear();
            const wxBitmap icon = SlotBitmap(SlotSet::MenuIcons, "New", 16);
            const auto formats = ActiveInputFormats();
            int selected = wxNOT_FOUND;
            for (size_t i = 0; i < formats.size(); ++i) {
                const int entry =
                    list->Append(Wx(AsciiUpper(formats[i])), icon, reinterpret_cast<void*>(i));
                if (selected == wxNOT_FOUND && formats[i] == gSettings.inputFormat)
                    selected = entry;
            }
            if (list->GetCount() > 0) list->SetSelection(selected != wxNOT_FOUND ? selected : 0);
            break;
        }
        case K::OutputFormat:
            FillOutputFormatList(ImageList(built), false);
            break;
        case K::Bpp: {
            wxChoice* choice = Choice(built);
            choice->SetSelection(value == 0 ? 0 : choice->FindString(std::to_string(value), true));
            break;
        }
        case K::Check:
            static_cast<wxCheckBox*>(built.main)->SetValue(value != 0);
            break;
        case K::Text:
        case K::ImageFile:
            Field(built)->ChangeValue(Wx(GetString(*def, gSettings)));
            break;
        case K::Number: {
            Field(built)->ChangeValue(std::to_string(value));
            auto* unit = static_cast<wxChoice*>(built.second);
            int selected = 0;
            if (row.other != FieldId::Count) {
                const int64_t stored = GetInt(Def(row.other), gSettings);
                selected = stored >= 0 && stored < unit->GetCount() ? static_cast<int>(stored)
                                                                    : wxNOT_FOUND;
            }
            unit->SetSelection(selected);
            break;
        }
        case K::Pair:
        case K::OffsetPair:
            SetPair(state, built, static_cast<int>(std::clamp<int64_t>(value, row.lo, row.hi)));
            break;
        case K::GammaPair: {
            const double gamma = GetFloat(*def, gSettings);
            double position = std::isfinite(gamma) ? std::round(gamma * 100.0) : 100.0;
            SetPair(state, built, static_cast<int>(std::clamp(position, 1.0, 999.0)));
            break;
        }
        case K::Colour:
            FillColourRow(built.colour, GetString(*def, gSettings));
            break;
        case K::ColourList:
            FillColourList(built.colourList, StringSetting(row.other), GetString(*def, gSettings));
            break;
        case K::FontList:
            FillFontList(built.fontList, StringSetting(row.other), GetString(*def, gSettings));
            break;
        case K::DateTime:
            built.filledText = DateTimeText(static_cast<int32_t>(value));
            built.validText = built.filledText;
            Field(built)->ChangeValue(Wx(built.filledText));
            break;
        }
    }
    ApplyDependencies(state);
}

void WritePages(PagesState& state) {
    for (BuiltRow& built : state.rows) {
        const PageRow& row = built.row;
        if (row.field == FieldId::Count) continue;
        const OptionDef& def = Def(row.field);
        if (row.flags & kHiddenRow) {
            SetInt(def, gSettings, built.filled);
            continue;
        }
        switch (row.kind) {
        case K::List: {
            const int selected = Choice(built)->GetSelection();
            if (selected != wxNOT_FOUND) SetInt(def, gSettings, selected);
            break;
        }
        case K::Fixed:
            break;
        case K::Language:
            SetString(def, gSettings, "en");
            break;
        case K::Theme:
            SetString(def, gSettings, ThemeChoice(state));
            break;
        case K::InputFormat:
        case K::OutputFormat: {
            const std::string format = SelectedFormat(built);
            if (!format.empty()) SetString(def, gSettings, format);
            break;
        }
        case K::Bpp: {
            const int selected = Choice(built)->GetSelection();
            SetInt(def, gSettings,
                   selected <= 0 ? 0 : std::atoi(Choice(built)->GetString(selected).utf8_str()));
            break;
        }
        case K::Check:
            SetInt(def, gSettings, static_cast<wxCheckBox*>(built.main)->IsChecked() ? 1 : 0);
            break;
        case K::Text:
        case K::ImageFile:
            SetString(def, gSettings, CleanText(Field(built)->GetValue().utf8_string()));
            break;
        case K::Number: {
            int64_t lo = 0, hi = 0;
            FieldRange(row.field, lo, hi);
            SetInt(def, gSettings,
                   ReadClampedInteger(Field(built)->GetValue().utf8_string(), lo, hi));
            const int unit = static_cast<wxChoice*>(built.second)->GetSelection();
            if (row.other != FieldId::Count && unit != wxNOT_FOUND)
                SetInt(Def(row.other), gSettings, unit);
            break;
        }
        case K::Pair:
        case K::OffsetPair:
            SetInt(def, gSettings, PairValueOfText(built, SpinText(built)));
            break;
        case K::GammaPair:
            SetFloat(def, gSettings,
                     static_cast<float>(PairValueOfText(built, SpinText(built))) / 100.0f);
            break;
        case K::Colour:
            SetString(def, gSettings, ColourRowValue(built.colour));
            break;
        case K::ColourList: {
            std::string hex;
            if (ColourListValue(built.colourList, hex)) SetString(def, gSettings, hex);
            break;
        }
        case K::FontList:
            if (built.fontList.list->GetSelection() != wxNOT_FOUND)
                SetString(def, gSettings, built.fontList.list->GetStringSelection().utf8_string());
            break;
        case K::DateTime: {
            const std::string text = Field(built)->GetValue().utf8_string();
            int32_t date = static_cast<int32_t>(built.filled);
            if (text != built.filledText && ReadDateTimeText(text, date))
                SetInt(def, gSettings, date);
            break;
        }
        }
    }
    // Colour correction runs when any of its four settings asks for it.
    gSettings.doImageColorCorrection =
        gSettings.imageBrightness != 0 || gSettings.imageContrast != 0 ||
                gSettings.imageGamma != 1.0f || gSettings.imageInvert != 0
            ? 1
            : 0;
}

void ApplyDependencies(PagesState& state) {
    for (BuiltRow& built : state.rows) {
        if (built.row.flags & kHiddenRow) continue;
        const Depend& rule = built.row.depend;
        if (rule.on == FieldId::Count) continue;
        BuiltRow* control = FindBuiltRow(state, rule.on);
        const int value = control ? ControlValue(*control) : -1;
        const bool on = value >= 0 && value < 32 && (rule.values >> value & 1u);
        for (wxWindow* window : RowWindows(built)) {
            if (rule.shows)
                window->Show(on);
            else
                window->Enable(on);
        }
    }
    // Scrolling areas get the room down to their last shown row.
    std::map<wxScrolledWindow*, int> bottoms;
    for (const BuiltRow& built : state.rows)
        if (auto* scrolled = dynamic_cast<wxScrolledWindow*>(built.panel)) {
            int& bottom = bottoms[scrolled];
            if (built.main->IsShown()) bottom = std::max(bottom, built.y + kRowPitch + 5);
        }
    for (auto& [scrolled, bottom] : bottoms)
        scrolled->SetVirtualSize(kControlX + kControlWidth, bottom);
    for (BuiltPanel& panel : state.panels) {
        bool shown = false;
        if (panel.perFormat) {
            for (BuiltRow& built : state.rows)
                if (built.row.kind == panel.formatKind) shown = SelectedFormat(built) == panel.name;
        } else if (BuiltRow* control = FindBuiltRow(state, panel.shown.on)) {
            const int value = ControlValue(*control);
            shown = value >= 0 && value < 32 && (panel.shown.values >> value & 1u);
        }
        panel.window->Show(shown);
    }
}

int IconSizeChoice(const PagesState& state) {
    for (const BuiltRow& built : state.rows)
        if (built.row.field == F::uiSize) {
            const int selected = Choice(built)->GetSelection();
            return selected != wxNOT_FOUND ? selected : gSettings.uiSize;
        }
    return gSettings.uiSize;
}

std::string ThemeChoice(const PagesState& state) {
    for (const BuiltRow& built : state.rows)
        if (built.row.kind == K::Theme) {
            if (built.themes.empty()) return "";
            const int selected = Choice(built)->GetSelection();
            return selected >= 0 && selected < static_cast<int>(built.themes.size())
                       ? built.themes[static_cast<size_t>(selected)]
                       : gSettings.uiTheme;
        }
    return gSettings.uiTheme;
}

int OutputFormatChoice(const PagesState& state) {
    for (const BuiltRow& built : state.rows)
        if (built.row.kind == K::OutputFormat) return ImageList(built)->GetSelection();
    return -1;
}
