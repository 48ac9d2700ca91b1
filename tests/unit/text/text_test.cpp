#include "text/text_table.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kNoString = "%NO_STRING_ERROR%";

class TextTable : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { BuildTextTable(); }
};

struct Lookup {
    const char* group;
    const char* key;
    const char* expected;
};

TEST_F(TextTable, LooksUpTexts) {
    const Lookup cases[] = {
        // Case of group and key does not matter.
        {"menu", "exit", "Exit"},
        {"MSG", "Progress", "(%s1%/%s2%)"},
        {"Preferences", "Language", "Language:"},
        {"General", "Input File", "Input File:"},
        {"gEnErAl", "iNPUT fILES", "Input Files:"},
        // One key that begins with another.
        {"Preferences", "Top", "Top:"},
        {"Preferences", "Top Color", "Top Color:"},
        {"Preferences", "Top-Left", "Top-Left"},
        {"Preferences", "Txt", "TXT"},
        {"Preferences", "Txt Export", "Export to TXT"},
        {"Preferences", "Image", "Image:"},
        {"Preferences", "Image Width", "Image Width:"},
        {"Preferences", "Watermark Image", "Image"},
        // The key listed twice.
        {"Preferences", "Medium", "Medium"},
        // The same key in several groups.
        {"Msg", "Check for Updates", "Check for Updates"},
        {"Preferences", "Check for Updates", "Check for Updates:"},
        {"Menu", "Convert", "Convert"},
        {"Menu", "Preferences", "Preferences..."},
        {"Preferences", "Title", "Preferences..."},
        {"About", "Title", "About..."},
        {"Custom-Converter", "Title", "Find a File Converter"},
        {"Uninstall", "Title", "Uninstall"},
        // A sample of every group.
        {"Menu", "File", "File"},
        {"Menu", "Open", "Open..."},
        {"Menu", "Select Input Files", "Add Input Files..."},
        {"Menu", "Delete Input Files", "Delete Files From the List"},
        {"Menu", "Output Format Options", "Options..."},
        {"Menu", "Custom Converter", "Find a File Converter..."},
        {"Menu", "Manual", "User Manual..."},
        {"Menu", "Visit Homepage", "Visit the Program's Homepage"},
        {"Menu", "Check For New Version", "Check For a New Version"},
        {"Menu", "About", "About..."},
        {"General", "Preparing", "Preparing..."},
        {"General", "Importing", "Importing..."},
        {"General", "Converting", "Converting..."},
        {"Msg", "Insufficient memory", "Insufficient Memory"},
        {"Msg", "Unable to open file", "Unable to open the file: %s1%!"},
        {"Msg", "Unable to save file", "Unable to save the file: %s1%!"},
        {"Msg", "Empty input files",
         "No input file(s) found. Please, add valid file(s) and try again!"},
        {"Msg", "Invalid input folder",
         "The following input folder is invalid or doesn't exist:\r\n%s1%\r\n\r\nPlease, correct "
         "the input path and try again!"},
        {"Msg", "Invalid output folder",
         "The following output folder is invalid or doesn't exist:\r\n%s1%\r\n\r\nPlease, correct "
         "the output path and try again!"},
        {"Msg", "Ask continue to find",
         "No matches of %s1% found!\r\n\r\nDo you want to search from the start of the list?"},
        {"Msg", "Invalid watermark font", "Unable to load selected font for a watermark: %s1%"},
        {"Msg", "Conversion is not complete", "Conversion stopped"},
        {"Msg", "Files converted", "Files converted: %s1% of %s2%"},
        {"Msg", "New Update Text",
         "A new version of Vextara BMP to PCX is available! Are you ready to download it right "
         "now?"},
        {"Msg", "No Update Text",
         "There is no update of Vextara BMP to PCX yet. You're using the most recent version."},
        {"Msg", "Ask overwrite file", "The file already exist. Do you want to overwrite it?"},
        {"Msg", "Clean recent files", "Clean Recent Files"},
        {"Msg", "Empty extensions", "Please, fill all required fields and try again!"},
        {"Dialog", "Import Input Files", "Import Input Files From A List"},
        {"Dialog", "Import Progress", "Importing"},
        {"Dialog", "Export Progress", "Exporting"},
        {"Dialog", "Convert Progress", "Converting"},
        {"Preferences", "Save window position", "Save Window's Coords:"},
        {"Preferences", "UI Theme", "Theme:"},
        {"Preferences", "UI Size", "Icon Size:"},
        {"Preferences", "Bytes", "bytes"},
        {"Preferences", "RGB48HS", "RGB 48-bit (HS)"},
        {"Preferences", "BGRA", "BGR 32-bit"},
        {"Preferences", "All Frames", "All"},
        {"Preferences", "Random Frame", "Random"},
        {"Preferences", "Tone Mapping", "HDR Tone Mapping:"},
        {"Preferences", "PIZ", "PIZ Wavelet"},
        {"Preferences", "ZLIB9", "ZLib Level 9"},
        {"Preferences", "CCITTFAX4", "CCITT Group 4 Fax"},
        {"Preferences", "DEFLATE", "Deflate (ZLib)"},
        {"Preferences", "ADOBEDEFLATE", "Adobe Deflate"},
        {"Preferences", "LOGLUV", "LogLuv"},
        {"Preferences", "Advanced Rotation", "Advanced"},
        {"Preferences", "Percent", "percent"},
        {"Preferences", "Keep Aspect Ratio", "Keep Proportions:"},
        {"Preferences", "Bspline", "B-Spline"},
        {"Preferences", "Catmullrom", "Catmull-Rom Spline"},
        {"Preferences", "Image Flip Vertical", "Flip Vertical:"},
        {"Preferences", "Image Gamma", "Gamma Correction:"},
        {"Preferences", "Image Greyscale", "Greyscale Image:"},
        {"Preferences", "Frame Type", "Frame:"},
        {"Preferences", "Frame Solid", "Solid Color"},
        {"Preferences", "Watermark Type", "Watermark:"},
        {"Preferences", "Points", "points"},
        {"Preferences", "Strikeout", "Strikethrough"},
        {"Preferences", "Align Center", "Center"},
        {"Preferences", "Bound Frame", "Frame"},
        {"Preferences", "Out Folders History", "Output Folders History:"},
        {"Preferences", "Clean On Exit", "Clean on Exit"},
        {"Preferences", "Keep Folders", "Keep Recent"},
        {"Preferences", "Out Folders Number", "Output Folders Number:"},
        {"Preferences", "Csv Delimiter", "CSV Delimiter:"},
        {"Preferences", "Clean Recent Files", "Clean Recent Files List on Exit"},
        {"About", "Website", "Web:"},
        {"About", "Email", "E-mail:"},
        {"Uninstall", "Uninstall Text", "Full Uninstall - Visit Uninstall Center"},
    };
    for (const Lookup& c : cases)
        EXPECT_EQ(GetText(c.group, c.key), c.expected) << c.group << " / " << c.key;
}

TEST_F(TextTable, MissingGroupsAndKeysGiveTheErrorText) {
    const std::pair<const char*, const char*> cases[] = {
        {"Nope", "Exit"},            // unknown group
        {"", "Exit"},                // empty group
        {"Menu", "Nope"},            // unknown key of a known letter
        {"Menu", ""},                // empty key
        {"Menu", "Quit"},            // no key of the group starts with Q
        {"Menu", "Filename"},        // a key of another group
        {"Menu", "A"},               // sorts before every key of its letter
        {"Menu", "Exi"},             // a prefix of a key
        {"Menu", "Exit "},           // a key with a trailing blank
        {"Dialog", "Txt"},           // sorts after the group's last key: the next group's key
        {"Preferences", "Zzz"},      // past the last key of the group
        {"About", "Version:"},       // the text is not a key
        {"Preferences", "\xC3\x89"}, // a key that begins outside ASCII
        {"Msg", "\x01"},             // the separator of the built table
        {"Menu ", "Exit"},           // group names are compared whole
    };
    for (const auto& [group, key] : cases)
        EXPECT_EQ(GetText(group, key), kNoString) << "'" << group << "' / '" << key << "'";
}

// Every entry whose text is its key followed by a colon, and every entry whose text is
// its key, group by group ("|" separates the keys).
struct GroupKeys {
    const char* group;
    const char* colon;
    const char* same;
};

std::vector<std::string> SplitKeys(const std::string& list) {
    std::vector<std::string> keys;
    size_t start = 0;
    while (!list.empty()) {
        size_t bar = list.find('|', start);
        keys.push_back(list.substr(start, bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return keys;
}

TEST_F(TextTable, PlainAndColonEntriesOfEveryGroup) {
    const GroupKeys groups[] = {
        {"Menu", "",
         "File|New|Exit|Edit|Copy|Delete|Select All|Converter|Convert|Help|Send Feedback"},
        {"General", "Input File|Input Files|Output Folder|Output Format", "Filename|Convert|Ready"},
        {"Msg", "",
         "Error|Warning|Conversion complete|New Update|No Update|Check for Updates|"
         "Reset to Defaults"},
        {"Dialog", "",
         "Select Input Files|Select Input Folder|Select Output Folder|"
         "Export Input Files|Select Watermark Image|All Supported Files|Text Files|"
         "All Files|OK|Cancel|Help|Defaults"},
        {"Preferences",
         "Language|Check for Updates|Input Format|Header Size|Load As|Frame Loading|"
         "Output Format|Bits Per Pixel|Compression|Color Table|Color Model|"
         "Image Quality|Chroma Subsampling|Save As|Interlaced|Image Rotation|"
         "Rotation Type|Rotation Angle|Background Color|Image Resize|Image Width|"
         "Image Height|Resize Type|Resize Algorithm|Image Brightness|Image Contrast|"
         "Image Threshold|Threshold Level|Left|Right|Top|Bottom|Left Color|Right Color|"
         "Top Color|Bottom Color|Text|Image|Font|Font Size|Font Leading|Font Color|"
         "Font Style|Font Effect|Antialiasing|Text Alignment|Text Padding|Text Opacity|"
         "Background Opacity|Opacity|Boundary|Position|X-Offset|Y-Offset|Size|Scale|"
         "Filename Mask|File Timestamp|Custom Timestamp|Keep Subfolders",
         "None|Auto|General|Every day|Every week|Every month|Every 3 months|"
         "Every 6 months|Never|Interface|Small|Medium|Large|Extra Large|Huge|Input|"
         "Linear|Adaptive Logarithmic|DR Reduction|Gradient Domain|Output|RLE|ZIP|PXR24|"
         "B44|LZW|JPEG|Exact|RGB|CMYK|LAB|Low|Medium|High|Baseline Standard|"
         "Baseline Simple|Baseline Optimized|Progressive|Transform|All Images|"
         "Large Images|Box|Bilinear|Bicubic|Lanczos|Adjustment|Frame|Watermark|Color|"
         "Black|Silver|Gray|White|Maroon|Red|Purple|Fuchsia|Green|Lime|Olive|Yellow|"
         "Navy|Blue|Teal|Aqua|Orange|Brown|Violet|Regular|Bold|Italic|Bold Italic|"
         "Underline|Top-Left|Top-Center|Top-Right|Middle-Left|Middle-Center|"
         "Middle-Right|Bottom-Left|Bottom-Center|Bottom-Right|Fixed|Proportional|Fit|"
         "Fill|Advanced|Current|Original|Custom|Export|Privacy"},
        {"About", "Version", ""},
        {"Custom-Converter", "From|To", "Search"},
        {"Uninstall", "", "Next"},
    };
    size_t checked = 0;
    for (const GroupKeys& g : groups) {
        for (const std::string& key : SplitKeys(g.colon)) {
            std::string text = GetText(g.group, key);
            EXPECT_EQ(text, key + ":") << g.group << " / " << key;
            EXPECT_TRUE(!text.empty() && text.back() == ':') << g.group << " / " << key;
            ++checked;
        }
        for (const std::string& key : SplitKeys(g.same)) {
            EXPECT_EQ(GetText(g.group, key), key) << g.group << " / " << key;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 194u); // 67 with a colon, 127 plain: the lists were split right
}

TEST_F(TextTable, AlternatingGroupsGiveTheSameTexts) {
    const std::pair<const char*, const char*> lookups[] = {
        {"Menu", "Exit"},         {"Preferences", "Top Color"}, {"Menu", "Open"},
        {"Msg", "Progress"},      {"Preferences", "Top"},       {"Nope", "Exit"},
        {"Menu", "About"},        {"About", "Title"},           {"Msg", "Error"},
        {"Preferences", "Title"}, {"Uninstall", "Next"},        {"Menu", "Exit"},
    };
    // Each lookup alone, after a lookup in the same group...
    std::vector<std::string> alone;
    for (const auto& [group, key] : lookups) {
        GetText(group, "");
        alone.push_back(GetText(group, key));
    }
    // ...gives what it gives when the groups alternate, twice over.
    for (int round = 0; round < 2; ++round)
        for (size_t i = 0; i < std::size(lookups); ++i)
            EXPECT_EQ(GetText(lookups[i].first, lookups[i].second), alone[i]) << i;
    EXPECT_EQ(alone[0], "Exit");
    EXPECT_EQ(alone[1], "Top Color:");
    EXPECT_EQ(alone[5], kNoString);
    EXPECT_EQ(alone[7], "About...");
}

TEST_F(TextTable, ResultIsACopyAndRebuildingChangesNothing) {
    std::string text = GetText("Msg", "Error");
    text += " changed";
    EXPECT_EQ(GetText("Msg", "Error"), "Error");
    BuildTextTable();
    EXPECT_EQ(GetText("Msg", "Error"), "Error");
    EXPECT_EQ(GetText("Preferences", "Top Color"), "Top Color:");
    EXPECT_EQ(GetText("Menu", "Nope"), kNoString);
}

struct Fill {
    std::string text;
    std::vector<std::string> values; // s1 to s4; missing ones are empty
    std::string expected;
};

TEST(FillTemplate, ReplacesPlaceholdersInOrder) {
    const Fill cases[] = {
        {"(%s1%/%s2%)", {"3", "10"}, "(3/10)"},
        {"(%s1%/%s2%)", {"3", ""}, "(3/%s2%)"},
        {"(%s1%/%s2%)", {"", "10"}, "(%s1%/10)"},
        {"(%S1%/%S2%)", {"3", "10"}, "(3/10)"},
        {"%s1% and %S1% and %s1%", {"x"}, "x and x and x"},
        {"%s1%%s1%", {"ab"}, "abab"},
        {"%s1%-%s2%-%s3%-%s4%", {"a", "b", "c", "d"}, "a-b-c-d"},
        {"%s4%%s3%%s2%%s1%", {"1", "2", "3", "4"}, "4321"},
        // A value holding a later placeholder has it replaced too...
        {"%s1%", {"[%s2%]", "two"}, "[two]"},
        {"%s1%", {"%s4%", "", "", "four"}, "four"},
        // ...but not an earlier one, nor its own.
        {"%s2%", {"one", "<%s1%>"}, "<%s1%>"},
        {"%s1%", {"<%s1%>"}, "<%s1%>"},
        // Nothing to replace.
        {"", {"x"}, ""},
        {"no placeholders", {"x", "y"}, "no placeholders"},
        {"%s5% %s1 s1% %s 1%", {"x"}, "%s5% %s1 s1% %s 1%"},
        {"%s1%", {}, "%s1%"},
        {"100%s1%%", {"5"}, "1005%"},
    };
    for (const Fill& c : cases) {
        std::vector<std::string> v = c.values;
        v.resize(4);
        EXPECT_EQ(FillTemplate(c.text, v[0], v[1], v[2], v[3]), c.expected) << c.text;
    }
}

TEST_F(TextTable, FillsTableMessages) {
    EXPECT_EQ(FillTemplate(GetText("Msg", "Files converted"), "1", "1"), "Files converted: 1 of 1");
    EXPECT_EQ(FillTemplate(GetText("Msg", "Unable to open file"), "/tmp/a b.bmp"),
              "Unable to open the file: /tmp/a b.bmp!");
    EXPECT_EQ(FillTemplate(GetText("Msg", "Invalid output folder"), "/out"),
              "The following output folder is invalid or doesn't exist:\r\n/out\r\n\r\nPlease, "
              "correct the output path and try again!");
}

} // namespace
