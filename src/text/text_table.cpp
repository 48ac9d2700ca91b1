// The built-in text table and its lookup.
//
// The table is one sequence of key/text pairs: "_GROUP_" opens a group (its text is
// the group's name), "_END_" ends the sequence, every other pair is an entry of the
// group opened last. BuildTextTable turns it into per-group sorted arrays with an
// index by first letter, so a lookup is one group comparison, a jump and a short scan.
#include "text/text_table.h"

#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace {

struct TextPair {
    const char* key;
    const char* text;
};

// clang-format off
constexpr TextPair kBuiltInTexts[] = {
    {"_GROUP_", "Menu"},
    {"File", "File"},
    {"New", "New"},
    {"Open", "Open..."},
    {"Save As", "Save As..."},
    {"Select Input File", "Add Input File..."},
    {"Select Input Files", "Add Input Files..."},
    {"Select Input Folder", "Add Input Folder..."},
    {"Delete Input Files", "Delete Files From the List"},
    {"Select Output Folder", "Select Output Folder..."},
    {"Output Format Options", "Options..."},
    {"Import Input Files", "Import Files..."},
    {"Export Input Files", "Export Files..."},
    {"Exit", "Exit"},
    {"Edit", "Edit"},
    {"Copy", "Copy"},
    {"Delete", "Delete"},
    {"Select All", "Select All"},
    {"Converter", "Converter"},
    {"Convert", "Convert"},
    {"Custom Converter", "Find a File Converter..."},
    {"Preferences", "Preferences..."},
    {"Help", "Help"},
    {"Manual", "User Manual..."},
    {"Send Feedback", "Send Feedback"},
    {"Visit Homepage", "Visit the Program's Homepage"},
    {"Check For New Version", "Check For a New Version"},
    {"About", "About..."},
    {"_GROUP_", "General"},
    {"Input File", "Input File:"},
    {"Input Files", "Input Files:"},
    {"Filename", "Filename"},
    {"Output Folder", "Output Folder:"},
    {"Output Format", "Output Format:"},
    {"Convert", "Convert"},
    {"Ready", "Ready"},
    {"Preparing", "Preparing..."},
    {"Importing", "Importing..."},
    {"Converting", "Converting..."},
    {"_GROUP_", "Msg"},
    {"Error", "Error"},
    {"Warning", "Warning"},
    {"Insufficient memory", "Insufficient Memory"},
    {"Unable to open file", "Unable to open the file: %s1%!"},
    {"Unable to save file", "Unable to save the file: %s1%!"},
    {"Empty input files", "No input file(s) found. Please, add valid file(s) and try again!"},
    {"Empty input folder", "The input folder's field is empty. Please, check the existed input folder and try again!"},
    {"Invalid input folder", "The following input folder is invalid or doesn't exist:\r\n%s1%\r\n\r\nPlease, correct the input path and try again!"},
    {"Empty output folder", "The output folder's field is empty. Please, select existed output folder and try again!"},
    {"Invalid output folder", "The following output folder is invalid or doesn't exist:\r\n%s1%\r\n\r\nPlease, correct the output path and try again!"},
    {"Invalid width", "Invalid resize width value!"},
    {"Invalid height", "Invalid resize height value!"},
    {"Invalid conversion type", "Invalid conversion type!"},
    {"Invalid watermark font", "Unable to load selected font for a watermark: %s1%"},
    {"Empty watermark image", "Selected watermark image is invalid/empty!"},
    {"Invalid watermark image", "Unable to load selected file as a watermark image: %s1%"},
    {"Import complete", "Import complete, new files added: %s1%"},
    {"Import is not complete", "Import stopped"},
    {"Export complete", "Export complete, entries saved: %s1%"},
    {"Export is not complete", "Export stopped"},
    {"Conversion complete", "Conversion complete"},
    {"Conversion is not complete", "Conversion stopped"},
    {"Conversion failed", "Conversion failed"},
    {"Progress", "(%s1%/%s2%)"},
    {"Files converted", "Files converted: %s1% of %s2%"},
    {"New Update", "New Update"},
    {"New Update Text", "A new version of Vextara BMP to PCX is available! Are you ready to download it right now?"},
    {"No Update", "No Update"},
    {"No Update Text", "There is no update of Vextara BMP to PCX yet. You're using the most recent version."},
    {"Check for Updates", "Check for Updates"},
    {"Ask check for updates", "Do you want to check for updates?"},
    {"Reset to Defaults", "Reset to Defaults"},
    {"Ask reset to defaults", "Are you sure you want to reset all your settings to the default values?"},
    {"Internet connection problems", "Internet connection problems!"},
    {"Ask overwrite file", "The file already exist. Do you want to overwrite it?"},
    {"Clean recent files", "Clean Recent Files"},
    {"Ask clean recent files", "Do you want to clean the recent files list?"},
    {"Ask continue to find", "No matches of %s1% found!\r\n\r\nDo you want to search from the start of the list?"},
    {"Ask break import", "Do you want to break the import?"},
    {"Ask break export", "Do you want to break the export?"},
    {"Ask break conversion", "Do you want to break the conversion?"},
    {"Empty extensions", "Please, fill all required fields and try again!"},
    {"_GROUP_", "Dialog"},
    {"Select Input Files", "Select Input Files"},
    {"Select Input Folder", "Select Input Folder"},
    {"Select Output Folder", "Select Output Folder"},
    {"Import Input Files", "Import Input Files From A List"},
    {"Export Input Files", "Export Input Files"},
    {"Select Watermark Image", "Select Watermark Image"},
    {"All Supported Files", "All Supported Files"},
    {"Text Files", "Text Files"},
    {"All Files", "All Files"},
    {"Import Progress", "Importing"},
    {"Export Progress", "Exporting"},
    {"Convert Progress", "Converting"},
    {"OK", "OK"},
    {"Cancel", "Cancel"},
    {"Help", "Help"},
    {"Defaults", "Defaults"},
    {"_GROUP_", "Preferences"},
    {"Title", "Preferences..."},
    {"None", "None"},
    {"Auto", "Auto"},
    {"General", "General"},
    {"Language", "Language:"},
    {"Check for Updates", "Check for Updates:"},
    {"Every day", "Every day"},
    {"Every week", "Every week"},
    {"Every month", "Every month"},
    {"Every 3 months", "Every 3 months"},
    {"Every 6 months", "Every 6 months"},
    {"Never", "Never"},
    {"Save window position", "Save Window's Coords:"},
    {"Interface", "Interface"},
    {"UI Theme", "Theme:"},
    {"UI Size", "Icon Size:"},
    {"Small", "Small"},
    {"Medium", "Medium"},
    {"Large", "Large"},
    {"Extra Large", "Extra Large"},
    {"Huge", "Huge"},
    {"Input", "Input"},
    {"Input Format", "Input Format:"},
    {"Header Size", "Header Size:"},
    {"Bytes", "bytes"},
    {"Load As", "Load As:"},
    {"RGB8", "RGB 8-bit"},
    {"RGB16", "RGB 16-bit"},
    {"RGB24", "RGB 24-bit"},
    {"RGB48HS", "RGB 48-bit (HS)"},
    {"RGB48", "RGB 48-bit"},
    {"BGRA", "BGR 32-bit"},
    {"RGBA", "RGB 32-bit"},
    {"Frame Loading", "Frame Loading:"},
    {"All Frames", "All"},
    {"First Frame", "First"},
    {"Middle Frame", "Middle"},
    {"Last Frame", "Last"},
    {"Random Frame", "Random"},
    {"Tone Mapping", "HDR Tone Mapping:"},
    {"Linear", "Linear"},
    {"Adaptive Logarithmic", "Adaptive Logarithmic"},
    {"DR Reduction", "DR Reduction"},
    {"Gradient Domain", "Gradient Domain"},
    {"Output", "Output"},
    {"Output Format", "Output Format:"},
    {"Bits Per Pixel", "Bits Per Pixel:"},
    {"Compression", "Compression:"},
    {"RLE", "RLE"},
    {"ZIP", "ZIP"},
    {"PIZ", "PIZ Wavelet"},
    {"PXR24", "PXR24"},
    {"B44", "B44"},
    {"ZLIB1", "ZLib Level 1"},
    {"ZLIB6", "ZLib Level 6"},
    {"ZLIB9", "ZLib Level 9"},
    {"CCITTFAX3", "CCITT Group 3 Fax"},
    {"CCITTFAX4", "CCITT Group 4 Fax"},
    {"PACKBITS", "PackBits"},
    {"DEFLATE", "Deflate (ZLib)"},
    {"ADOBEDEFLATE", "Adobe Deflate"},
    {"LZW", "LZW"},
    {"JPEG", "JPEG"},
    {"LOGLUV", "LogLuv"},
    {"Color Table", "Color Table:"},
    {"Exact", "Exact"},
    {"Color Model", "Color Model:"},
    {"RGB", "RGB"},
    {"CMYK", "CMYK"},
    {"LAB", "LAB"},
    {"Image Quality", "Image Quality:"},
    {"Chroma Subsampling", "Chroma Subsampling:"},
    {"Low", "Low"},
    {"Medium", "Medium"},
    {"High", "High"},
    {"Save As", "Save As:"},
    {"Baseline Standard", "Baseline Standard"},
    {"Baseline Simple", "Baseline Simple"},
    {"Baseline Optimized", "Baseline Optimized"},
    {"Progressive", "Progressive"},
    {"Interlaced", "Interlaced:"},
    {"Transform", "Transform"},
    {"Image Rotation", "Image Rotation:"},
    {"Rotation Type", "Rotation Type:"},
    {"Simple Rotation", "Simple"},
    {"Advanced Rotation", "Advanced"},
    {"Rotation Angle", "Rotation Angle:"},
    {"Background Color", "Background Color:"},
    {"Image Resize", "Image Resize:"},
    {"Image Width", "Image Width:"},
    {"Image Height", "Image Height:"},
    {"Pixels", "pixels"},
    {"Percent", "percent"},
    {"Keep Aspect Ratio", "Keep Proportions:"},
    {"Resize Type", "Resize Type:"},
    {"All Images", "All Images"},
    {"Large Images", "Large Images"},
    {"Resize Algorithm", "Resize Algorithm:"},
    {"Box", "Box"},
    {"Bilinear", "Bilinear"},
    {"Bspline", "B-Spline"},
    {"Bicubic", "Bicubic"},
    {"Catmullrom", "Catmull-Rom Spline"},
    {"Lanczos", "Lanczos"},
    {"Image Flip Horizontal", "Flip Horizontal:"},
    {"Image Flip Vertical", "Flip Vertical:"},
    {"Adjustment", "Adjustment"},
    {"Image Brightness", "Image Brightness:"},
    {"Image Contrast", "Image Contrast:"},
    {"Image Gamma", "Gamma Correction:"},
    {"Image Invert", "Invert Image:"},
    {"Image Greyscale", "Greyscale Image:"},
    {"Image Threshold", "Image Threshold:"},
    {"Threshold Level", "Threshold Level:"},
    {"Frame", "Frame"},
    {"Frame Type", "Frame:"},
    {"Frame Solid", "Solid Color"},
    {"Left", "Left:"},
    {"Right", "Right:"},
    {"Top", "Top:"},
    {"Bottom", "Bottom:"},
    {"Left Color", "Left Color:"},
    {"Right Color", "Right Color:"},
    {"Top Color", "Top Color:"},
    {"Bottom Color", "Bottom Color:"},
    {"Watermark", "Watermark"},
    {"Watermark Type", "Watermark:"},
    {"Watermark Text", "Text"},
    {"Watermark Image", "Image"},
    {"Text", "Text:"},
    {"Image", "Image:"},
    {"Font", "Font:"},
    {"Font Size", "Font Size:"},
    {"Points", "points"},
    {"Font Leading", "Font Leading:"},
    {"Font Color", "Font Color:"},
    {"Color", "Color"},
    {"Black", "Black"},
    {"Silver", "Silver"},
    {"Gray", "Gray"},
    {"White", "White"},
    {"Maroon", "Maroon"},
    {"Red", "Red"},
    {"Purple", "Purple"},
    {"Fuchsia", "Fuchsia"},
    {"Green", "Green"},
    {"Lime", "Lime"},
    {"Olive", "Olive"},
    {"Yellow", "Yellow"},
    {"Navy", "Navy"},
    {"Blue", "Blue"},
    {"Teal", "Teal"},
    {"Aqua", "Aqua"},
    {"Orange", "Orange"},
    {"Brown", "Brown"},
    {"Violet", "Violet"},
    {"Font Style", "Font Style:"},
    {"Regular", "Regular"},
    {"Bold", "Bold"},
    {"Italic", "Italic"},
    {"Bold Italic", "Bold Italic"},
    {"Font Effect", "Font Effect:"},
    {"Underline", "Underline"},
    {"Strikeout", "Strikethrough"},
    {"Antialiasing", "Antialiasing:"},
    {"Text Alignment", "Text Alignment:"},
    {"Align Left", "Left"},
    {"Align Center", "Center"},
    {"Align Right", "Right"},
    {"Text Padding", "Text Padding:"},
    {"Text Opacity", "Text Opacity:"},
    {"Background Opacity", "Background Opacity:"},
    {"Opacity", "Opacity:"},
    {"Boundary", "Boundary:"},
    {"Bound Image", "Image"},
    {"Bound Frame", "Frame"},
    {"Position", "Position:"},
    {"Top-Left", "Top-Left"},
    {"Top-Center", "Top-Center"},
    {"Top-Right", "Top-Right"},
    {"Middle-Left", "Middle-Left"},
    {"Middle-Center", "Middle-Center"},
    {"Middle-Right", "Middle-Right"},
    {"Bottom-Left", "Bottom-Left"},
    {"Bottom-Center", "Bottom-Center"},
    {"Bottom-Right", "Bottom-Right"},
    {"X-Offset", "X-Offset:"},
    {"Y-Offset", "Y-Offset:"},
    {"Size", "Size:"},
    {"Fixed", "Fixed"},
    {"Proportional", "Proportional"},
    {"Fit", "Fit"},
    {"Fill", "Fill"},
    {"Scale", "Scale:"},
    {"Advanced", "Advanced"},
    {"Filename Mask", "Filename Mask:"},
    {"File Timestamp", "File Timestamp:"},
    {"Current", "Current"},
    {"Original", "Original"},
    {"Custom", "Custom"},
    {"Custom Timestamp", "Custom Timestamp:"},
    {"Out Folders History", "Output Folders History:"},
    {"Clean On Exit", "Clean on Exit"},
    {"Keep Folders", "Keep Recent"},
    {"Out Folders Number", "Output Folders Number:"},
    {"Keep Subfolders", "Keep Subfolders:"},
    {"Export", "Export"},
    {"Txt", "TXT"},
    {"Txt Export", "Export to TXT"},
    {"Csv Export", "Export to CSV"},
    {"Csv", "CSV"},
    {"Csv Delimiter", "CSV Delimiter:"},
    {"Privacy", "Privacy"},
    {"Clean Recent Files", "Clean Recent Files List on Exit"},
    {"_GROUP_", "About"},
    {"Title", "About..."},
    {"Version", "Version:"},
    {"Website", "Web:"},
    {"Email", "E-mail:"},
    {"_GROUP_", "Custom-Converter"},
    {"Title", "Find a File Converter"},
    {"From", "From:"},
    {"To", "To:"},
    {"Search", "Search"},
    {"_GROUP_", "Uninstall"},
    {"Title", "Uninstall"},
    {"Uninstall Text", "Full Uninstall - Visit Uninstall Center"},
    {"Next", "Next"},
    {"_GROUP_", "Reason"},
    {"None", "no error"},
    {"Missing", "the file does not exist"},
    {"Not A File", "it is not a regular file"},
    {"Read Denied", "permission to read the file is denied"},
    {"Read Error", "the file cannot be read"},
    {"Not BMP", "the file is not a BMP picture"},
    {"Truncated", "the BMP file is truncated"},
    {"Bad Header", "the BMP header is damaged"},
    {"Unsupported Header", "it is a BMP with a header form this program cannot read"},
    {"Unsupported Depth", "it is a BMP with a bit depth this program cannot read"},
    {"Unsupported Compression", "it is a BMP with a compression this program cannot read"},
    {"Bad Masks", "the BMP's colour masks are invalid"},
    {"Bad Palette", "the BMP's palette is damaged"},
    {"Too Large", "the picture is larger than 65535 pixels a side or 256 megapixels"},
    {"Result Too Large", "the rotated or resized picture would be larger than 65535 pixels a side or 256 megapixels"},
    {"PCX Too Large", "the picture is wider than 65534 or higher than 65535 pixels, which PCX cannot store"},
    {"Out Of Memory", "there is not enough memory"},
    {"Rotation Failed", "the picture could not be rotated"},
    {"Resize Failed", "the picture could not be resized"},
    {"Flip Failed", "the picture could not be flipped"},
    {"Colour Failed", "the picture's colours could not be adjusted"},
    {"Greyscale Failed", "the picture could not be turned to greyscale"},
    {"Threshold Failed", "the picture could not be turned to black and white"},
    {"Frame Failed", "the frame could not be drawn"},
    {"Watermark Failed", "the watermark could not be drawn"},
    {"Bit Depth Failed", "the picture could not be brought to the output bit depth"},
    {"Replaces Input", "the output file would replace the input file"},
    {"Output Folder Failed", "the output folder could not be made"},
    {"Write Denied", "permission to write the output file is denied"},
    {"Read Only File System", "the output folder is on a read-only file system"},
    {"Disk Full", "the disk is full"},
    {"Write Error", "the output file could not be written"},
    {"Rename Failed", "the output file could not be given its final name"},
    {"Stopped", "the conversion was stopped"},
    {"Cannot Convert", "Cannot convert %s1%: %s2%"},
    {"_END_", ""},
};
// clang-format on

constexpr std::string_view kNoString = "%NO_STRING_ERROR%";
constexpr char kSeparator = '\x01';

struct TextGroup {
    std::string name; // upper case
    int32_t first = 0;
    int32_t last = -1;
    std::array<int32_t, 256> firstLetter{};
};

// Index 0 of each array is never used, so that 0 can mean "none".
std::vector<std::string> gKeys;
std::vector<std::string> gTexts;
std::vector<TextGroup> gGroups;
// The group found by the last lookup (0: none).
std::atomic<int32_t> gCachedGroup{0};

unsigned char FirstCode(std::string_view key) {
    return static_cast<unsigned char>(key.front());
}

} // namespace

void BuildTextTable() {
    // First pass: count groups and entries.
    size_t groupCount = 0, entryCount = 0;
    for (const TextPair& pair : kBuiltInTexts) {
        std::string key = AsciiUpper(pair.key);
        if (key == "_END_") break;
        if (key == "_GROUP_")
            ++groupCount;
        else
            ++entryCount;
    }

    gGroups.assign(groupCount + 1, TextGroup{});
    gKeys.assign(entryCount + 1, std::string());
    gTexts.assign(entryCount + 1, std::string());
    gCachedGroup.store(0, std::memory_order_relaxed);

    // Second pass: group records and the combined "KEY" U+0001 "text" strings.
    std::vector<std::string> combined(entryCount + 1);
    size_t g = 0;
    int32_t n = 0;
    for (const TextPair& pair : kBuiltInTexts) {
        std::string key = AsciiUpper(pair.key);
        if (key == "_END_") break;
        if (key == "_GROUP_") {
            gGroups[g].last = n;
            TextGroup& next = gGroups[g + 1];
            next.name = AsciiUpper(pair.text);
            next.first = n + 1;
            next.firstLetter.fill(0);
            ++g;
            continue;
        }
        combined[static_cast<size_t>(n) + 1] = key + kSeparator + pair.text;
        ++n;
    }
    gGroups[g].last = n;
    // Group 0 stands for "no group" and owns no entries.
    gGroups[0] = TextGroup{};

    // Sort each group's entries in ordinal order and index them by first letter.
    for (size_t i = 1; i < gGroups.size(); ++i) {
        TextGroup& group = gGroups[i];
        if (group.last < group.first) continue;
        auto begin = combined.begin() + group.first;
        auto end = combined.begin() + group.last + 1;
        std::sort(begin, end);
        int previous = -1;
        for (int32_t k = group.first; k <= group.last; ++k) {
            const std::string& entry = combined[static_cast<size_t>(k)];
            size_t cut = entry.find(kSeparator);
            gKeys[static_cast<size_t>(k)] = entry.substr(0, cut);
            gTexts[static_cast<size_t>(k)] = entry.substr(cut + 1);
            const std::string& key = gKeys[static_cast<size_t>(k)];
            if (key.empty()) continue;
            int code = FirstCode(key);
            if (code != previous) {
                group.firstLetter[static_cast<size_t>(code)] = k;
                previous = code;
            }
        }
    }
}

std::string GetText(std::string_view group, std::string_view key) {
    std::string result(kNoString);
    if (gGroups.empty()) return result;
    std::string wantedGroup = AsciiUpper(group);
    std::string wantedKey = AsciiUpper(key);

    int32_t cached = gCachedGroup.load(std::memory_order_relaxed);
    if (cached < 0 || static_cast<size_t>(cached) >= gGroups.size()) cached = 0;
    if (gGroups[static_cast<size_t>(cached)].name != wantedGroup) {
        cached = 0;
        for (size_t i = 1; i < gGroups.size(); ++i)
            if (gGroups[i].name == wantedGroup) {
                cached = static_cast<int32_t>(i);
                break;
            }
        gCachedGroup.store(cached, std::memory_order_relaxed);
    }
    if (cached == 0 || wantedKey.empty()) return result;

    const TextGroup& found = gGroups[static_cast<size_t>(cached)];
    int32_t start = found.firstLetter[FirstCode(wantedKey)];
    if (start == 0) return result;
    for (int32_t k = start; k <= found.last; ++k) {
        int order = wantedKey.compare(gKeys[static_cast<size_t>(k)]);
        if (order == 0) return gTexts[static_cast<size_t>(k)];
        if (order < 0) break;
    }
    return result;
}

namespace {

// Replaces every occurrence of placeholder (letters compared without regard to case)
// by value; the inserted value is not searched again.
void ReplaceAllNoCase(std::string& text, std::string_view placeholder, const std::string& value) {
    std::string out;
    size_t pos = 0;
    bool replaced = false;
    while (pos + placeholder.size() <= text.size()) {
        if (EqualsNoCase(std::string_view(text).substr(pos, placeholder.size()), placeholder)) {
            out += value;
            pos += placeholder.size();
            replaced = true;
        } else {
            out += text[pos++];
        }
    }
    if (!replaced) return;
    out.append(text, pos, std::string::npos);
    text = std::move(out);
}

} // namespace

std::string FillTemplate(std::string text, const std::string& s1, const std::string& s2,
                         const std::string& s3, const std::string& s4) {
    if (text.empty()) return text;
    const std::string* values[] = {&s1, &s2, &s3, &s4};
    const char* placeholders[] = {"%s1%", "%s2%", "%s3%", "%s4%"};
    for (size_t i = 0; i < 4; ++i)
        if (!values[i]->empty()) ReplaceAllNoCase(text, placeholders[i], *values[i]);
    return text;
}
