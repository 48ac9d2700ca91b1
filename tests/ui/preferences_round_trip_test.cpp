// OK writes every control back: opening the dialog and pressing OK changes only what
// OK is meant to change, for the defaults and for a non-default value in every key;
// every control kind on every page writes its setting.
#include "preferences_helpers.h"

#include "formats/formats.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "themes/themes.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/preferences_pages.h"

#include <wx/bmpbuttn.h>
#include <wx/bmpcbox.h>
#include <wx/spinctrl.h>
#include <wx/wx.h>

#include <filesystem>
#include <map>

namespace {

// A setting as text: integers in decimal, the float with six decimals, strings as held.
std::string RecordValue(const OptionDef& def) {
    if (IsStringType(def.type)) return GetString(def, gSettings);
    if (def.type == FieldType::Float32) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.6f", GetFloat(def, gSettings));
        return buf;
    }
    return std::to_string(GetInt(def, gSettings));
}

std::map<std::string, std::string> Record() {
    std::map<std::string, std::string> record;
    for (const OptionDef& def : OptionTable())
        record[std::string(def.group) + "/" + def.key] = RecordValue(def);
    return record;
}

std::string Key(FieldId field) {
    return std::string(Option(field).group) + "/" + Option(field).key;
}

// The value a non-default settings file gives a key: a neighbour of the default that
// the key's row offers, a changed text, or a colour; made from the option table.
std::map<FieldId, std::string> NonDefaultValues() {
    std::map<FieldId, std::string> values;
    BuildFormatTables(); // the Bits Per Pixel rows come from the output format table
    ResetSettings(false);
    for (const OptionDef& def : OptionTable()) {
        const auto field = static_cast<FieldId>(&def - OptionTable().data());
        const PageRow* row = FindPageRow(field);
        std::string value;
        if (def.type == FieldType::Colour) {
            value = "1A2B3C";
        } else if (def.type == FieldType::Float32) {
            value = "2.500000";
        } else if (IsStringType(def.type)) {
            if (row && row->kind == RowKind::Theme)
                value = "zzother";
            else if (row && row->kind == RowKind::Language)
                value = "de";
            else if (row &&
                     (row->kind == RowKind::InputFormat || row->kind == RowKind::OutputFormat))
                value = "tga"; // no other format is offered: OK writes the first one
            else
                value = GetString(def, gSettings) + "x";
        } else if (def.type == FieldType::Date) {
            value = "1700000007";
        } else {
            const int64_t d = GetInt(def, gSettings);
            int64_t lo = d - 1, hi = d + 1;
            if (row && row->kind == RowKind::List) {
                lo = 0;
                hi = static_cast<int64_t>(row->entries.size()) - 1;
            } else if (row && IsPairKind(row->kind)) {
                lo = row->lo;
                hi = row->hi;
            } else if (def.type == FieldType::Bool8 || (row && row->kind == RowKind::Check)) {
                lo = 0;
                hi = 1;
            }
            int64_t n = d + 1 <= hi ? d + 1 : d - 1 >= lo ? d - 1 : d + 1;
            if (row && row->kind == RowKind::Bpp) {
                const std::string depths = LookupOutputFormat(row->panel).bitDepths;
                n = std::atoi(depths.c_str()); // the first bit depth offered
            }
            value = std::to_string(n);
        }
        values[field] = value;
    }
    // "Never" keeps the start-up update check from asking and moving the update date.
    values[FieldId::updateRange] = "5";
    // Folder entries are stored in one form, with a trailing "/".
    values[FieldId::recentOutFolders] = "/x/";
    // The colour and font lists hold the chosen colour and font.
    for (auto [list, chosen] : {std::pair{FieldId::fontColors, FieldId::fontColor},
                                std::pair{FieldId::backColors, FieldId::backColor},
                                std::pair{FieldId::fonts, FieldId::font}})
        values[list] = Option(list).def.text + std::string(",") + values[chosen];
    return values;
}

std::string SettingsFileOf(const std::map<FieldId, std::string>& values) {
    std::string text = "\xEF\xBB\xBF\r\n";
    std::string group;
    for (const OptionDef& def : OptionTable()) {
        if (def.group != group) {
            group = def.group;
            text += "[" + group + "]\r\n";
        }
        text += std::string(def.key) + " = " +
                values.at(static_cast<FieldId>(&def - OptionTable().data())) + "\r\n";
    }
    return text;
}

class RoundTripTest : public PreferencesSession {
  protected:
    void SetUp() override { gJob.programFolder = themes.program.path; }
    // The settings file as the program writes it, and the whole record.
    void Snapshot(std::string& file, std::map<std::string, std::string>& record) {
        ASSERT_TRUE(SaveSettings());
        file = Config();
        record = Record();
    }
    ThemeProgramFolder themes;
};

// Replaces the value of one line "key = value" in group of a settings file text.
std::string WithValue(std::string text, const std::string& group, const std::string& key,
                      const std::string& value) {
    const size_t at = text.find("[" + group + "]");
    const size_t line = text.find("\r\n" + key + " = ", at);
    if (at == std::string::npos || line == std::string::npos) return text;
    const size_t start = line + 2 + key.size() + 3;
    return text.replace(start, text.find("\r\n", start) - start, value);
}

} // namespace

TEST_F(RoundTripTest, OkWithTheDefaultsChangesNothing) {
    Start();
    std::string before, after;
    std::map<std::string, std::string> recordBefore, recordAfter;
    Snapshot(before, recordBefore);
    Open();
    PressOk();
    after = Config();
    EXPECT_EQ(after, before);
    EXPECT_EQ(Record(), recordBefore);
}

TEST_F(RoundTripTest, OkWithANonDefaultValueInEveryKeyChangesOnlyWhatOkDerives) {
    const std::map<FieldId, std::string> values = NonDefaultValues();
    WriteConfig(SettingsFileOf(values));
    Start();
    gJob.programFolder = themes.program.path;
    // Every key was read as written.
    for (const auto& [field, value] : values) {
        if (field == FieldId::cfg) continue;
        EXPECT_EQ(RecordValue(Option(field)), value) << Key(field);
    }
    std::string before;
    std::map<std::string, std::string> recordBefore;
    Snapshot(before, recordBefore);
    Open();
    PressOk();

    // OK writes "en", and the first format of each format list, which offers no other.
    std::string expected = WithValue(before, "General", "Language", "en");
    expected = WithValue(expected, "Input", "Format", "bmp");
    expected = WithValue(expected, "Output", "Format", "pcx");
    EXPECT_EQ(Config(), expected);
    std::map<std::string, std::string> expectedRecord = recordBefore;
    expectedRecord[Key(FieldId::language)] = "en";
    expectedRecord[Key(FieldId::inputFormat)] = "bmp";
    expectedRecord[Key(FieldId::outputFormat)] = "pcx";
    const std::map<std::string, std::string> recordAfter = Record();
    for (const auto& [key, value] : expectedRecord)
        EXPECT_EQ(recordAfter.at(key), value) << key;
}

namespace {

// Whether the settings file holds a setting: options of a format outside the active
// lists live only in the record.
bool WrittenToFile(const OptionDef& def) {
    if (!*def.format) return true;
    const auto active =
        std::string_view(def.group) == "Input" ? ActiveInputFormats() : ActiveOutputFormats();
    return std::find(active.begin(), active.end(), def.format) != active.end();
}

struct ControlCase {
    int page;
    const char* control; // the control's name
    const char* input;   // what is put in through it
    FieldId field;       // the setting it writes
    const char* stored;  // the setting's value after OK
};

// clang-format off
const ControlCase kControlCases[] = {
    {0, "language", "English", FieldId::language, "en"},
    {0, "updateRange", "Every 6 months", FieldId::updateRange, "4"},
    {0, "saveWindowPosition", "off", FieldId::saveWindowPosition, "0"},
    {1, "uiTheme", "Other", FieldId::uiTheme, "zzother"},
    {1, "uiSize", "Small", FieldId::uiSize, "0"},
    {2, "inputFormat", "BMP", FieldId::inputFormat, "bmp"},
    {2, "ddsLoadAs", "RGB 32-bit", FieldId::ddsLoadAs, "2"},
    {2, "gifFrameLoading", "Last", FieldId::gifFrameLoading, "3"},
    {2, "icoFrameLoading", "Random", FieldId::icoFrameLoading, "4"},
    {2, "tiffFrameLoading", "Middle", FieldId::tiffFrameLoading, "2"},
    {2, "rawLoadAs", "RGB 16-bit", FieldId::rawLoadAs, "2"},
    {2, "rawHeaderSize", "512", FieldId::rawHeaderSize, "512"},
    {2, "rawImageWidth", "640", FieldId::rawImageWidth, "640"},
    {2, "rawImageHeight", "480", FieldId::rawImageHeight, "480"},
    {2, "rawToneMapping", "Gradient Domain", FieldId::rawToneMapping, "4"},
    {3, "outputFormat", "PCX", FieldId::outputFormat, "pcx"},
    {3, "pcxBpp", "24", FieldId::pcxBpp, "24"},
    {3, "bmpBpp", "16", FieldId::bmpBpp, "16"},
    {3, "bmpCompression", "RLE", FieldId::bmpCompression, "1"},
    {3, "bmpColorTable", "Exact", FieldId::bmpColorTable, "1"},
    {3, "exrCompression", "PIZ Wavelet", FieldId::exrCompression, "2"},
    {3, "jpgQuality.spin", "50", FieldId::jpgQuality, "50"},
    {3, "jpgChroma", "High", FieldId::jpgChroma, "3"},
    {3, "jpgSaveAs", "Progressive", FieldId::jpgSaveAs, "3"},
    {3, "pngCompression", "ZLib Level 9", FieldId::pngCompression, "3"},
    {3, "pngInterlaced", "on", FieldId::pngInterlaced, "1"},
    {3, "tgaCompression", "RLE", FieldId::tgaCompression, "1"},
    {3, "tiffCompression", "LZW", FieldId::tiffCompression, "6"},
    {3, "tiffColorModel", "CMYK", FieldId::tiffColorModel, "1"},
    {3, "webpBpp", "32", FieldId::webpBpp, "32"},
    {4, "doImageRotation", "on", FieldId::doImageRotation, "1"},
    {4, "imageRotationType", "Advanced", FieldId::imageRotationType, "1"},
    {4, "imageRotation.spin", "90", FieldId::imageRotation, "90"},
    {4, "imageRotationBackColor.button", "12AB34", FieldId::imageRotationBackColor, "12AB34"},
    {4, "doImageResize", "on", FieldId::doImageResize, "1"},
    {4, "imageWidth", "50", FieldId::imageWidth, "50"},
    {4, "imageWidth.unit", "percent", FieldId::imageWidthUnit, "1"},
    {4, "imageHeight", "40", FieldId::imageHeight, "40"},
    {4, "imageHeight.unit", "percent", FieldId::imageHeightUnit, "1"},
    {4, "keepAspectRatio", "off", FieldId::keepAspectRatio, "0"},
    {4, "imageResizeType", "Large Images", FieldId::imageResizeType, "1"},
    {4, "imageResizeAlgorithm", "Lanczos", FieldId::imageResizeAlgorithm, "5"},
    {4, "doImageFlipHorizontal", "on", FieldId::doImageFlipHorizontal, "1"},
    {4, "doImageFlipVertical", "on", FieldId::doImageFlipVertical, "1"},
    {5, "imageBrightness.spin", "-20", FieldId::imageBrightness, "-20"},
    {5, "imageContrast.spin", "30", FieldId::imageContrast, "30"},
    {5, "imageGamma.spin", "2.5", FieldId::imageGamma, "2.500000"},
    {5, "imageInvert", "on", FieldId::imageInvert, "1"},
    {5, "doImageGreyscale", "on", FieldId::doImageGreyscale, "1"},
    {5, "doImageThreshold", "on", FieldId::doImageThreshold, "1"},
    {5, "imageThreshold.spin", "128", FieldId::imageThreshold, "128"},
    {6, "doFrame", "Solid Color", FieldId::doFrame, "1"},
    {6, "solidLeft", "3", FieldId::solidLeft, "3"},
    {6, "solidRight", "4", FieldId::solidRight, "4"},
    {6, "solidTop", "5", FieldId::solidTop, "5"},
    {6, "solidBottom", "6", FieldId::solidBottom, "6"},
    {6, "solidLeftColor.button", "FF0000", FieldId::solidLeftColor, "FF0000"},
    {6, "solidRightColor.button", "00ff00", FieldId::solidRightColor, "00FF00"},
    {6, "solidTopColor.button", "0000FF", FieldId::solidTopColor, "0000FF"},
    {6, "solidBottomColor.button", "FFFF00", FieldId::solidBottomColor, "FFFF00"},
    {6, "solidOpacity.spin", "128", FieldId::solidOpacity, "128"},
    {7, "doWatermark", "Text", FieldId::doWatermark, "1"},
    {7, "text", "Hello", FieldId::text, "Hello"},
    {7, "font", "Verdana", FieldId::font, "Verdana"},
    {7, "fontSize", "20", FieldId::fontSize, "20"},
    {7, "fontLeading", "2", FieldId::fontLeading, "2"},
    {7, "fontColor", "Red", FieldId::fontColor, "FF0000"},
    {7, "fontStyle", "Bold Italic", FieldId::fontStyle, "3"},
    {7, "fontEffect", "Underline", FieldId::fontEffect, "1"},
    {7, "textAntialiasing", "on", FieldId::textAntialiasing, "1"},
    {7, "textAlignment", "Right", FieldId::textAlignment, "2"},
    {7, "textPadding", "7", FieldId::textPadding, "7"},
    {7, "textOpacity.spin", "200", FieldId::textOpacity, "200"},
    {7, "backColor", "Yellow", FieldId::backColor, "FFFF00"},
    {7, "backOpacity.spin", "100", FieldId::backOpacity, "100"},
    {7, "textBoundary", "Frame", FieldId::textBoundary, "1"},
    {7, "textPosition", "Middle-Center", FieldId::textPosition, "4"},
    {7, "textXOffset", "11", FieldId::textXOffset, "11"},
    {7, "textYOffset", "12", FieldId::textYOffset, "12"},
    {7, "textRotation.spin", "45", FieldId::textRotation, "45"},
    {7, "textSize", "Fixed", FieldId::textSize, "0"},
    {7, "textScale.spin", "150", FieldId::textScale, "150"},
    {7, "image", "/pictures/mark.png", FieldId::image, "/pictures/mark.png"},
    {7, "imageGreyscale", "on", FieldId::imageGreyscale, "1"},
    {7, "imageOpacity.spin", "99", FieldId::imageOpacity, "99"},
    {7, "imageBoundary", "Frame", FieldId::imageBoundary, "1"},
    {7, "imagePosition", "Top-Left", FieldId::imagePosition, "0"},
    {7, "imageXOffset", "21", FieldId::imageXOffset, "21"},
    {7, "imageYOffset", "22", FieldId::imageYOffset, "22"},
    {7, "watermarkImageRotation.spin", "180", FieldId::watermarkImageRotation, "180"},
    {7, "imageSize", "Fixed", FieldId::imageSize, "0"},
    {7, "imageScale.spin", "77", FieldId::imageScale, "77"},
    {8, "filenameMask", "%filename%_small.%ext%", FieldId::filenameMask, "%filename%_small.%ext%"},
    {8, "fileTimestamp", "Custom", FieldId::fileTimestamp, "2"},
    {8, "customTimestamp", "2024/02/29 13:45", FieldId::customTimestamp, "1709214300"},
    {8, "outFoldersHistory", "Clean on Exit", FieldId::outFoldersHistory, "0"},
    {8, "outFoldersNumber.spin", "9", FieldId::outFoldersNumber, "9"},
};
// clang-format on

} // namespace

TEST_F(RoundTripTest, EveryControlWritesItsSetting) {
    Start();
    Open();
    for (const ControlCase& c : kControlCases) {
        SelectPage(c.page);
        PutIn(c.control, c.input);
    }
    PressOk();
    for (const ControlCase& c : kControlCases) {
        const OptionDef& def = Option(c.field);
        if (WrittenToFile(def))
            EXPECT_EQ(StoredValue(folders.ConfigPath(), def.group, def.key), c.stored) << c.control;
        else
            EXPECT_EQ(RecordValue(def), c.stored) << c.control;
    }
    // Colour correction follows from brightness, contrast, gamma and invert.
    EXPECT_EQ(StoredValue(folders.ConfigPath(), "Adjustment", "Do Image Color Correction"), "1");
}
