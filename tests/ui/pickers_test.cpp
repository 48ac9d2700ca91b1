// The colour rows, colour lists, font list and watermark image picker of the
// Preferences dialog, answered through the dialog seam.
#include "preferences_helpers.h"

#include "settings/settings.h"
#include "settings/settings_file.h"
#include "text/text_table.h"
#include "ui/main_window.h"
#include "ui/pickers.h"
#include "ui/selection.h"
#include "ui/preferences.h"
#include "ui/window_mode.h"

#include <wx/bmpbuttn.h>
#include <wx/bmpcbox.h>
#include <wx/wx.h>

namespace {

uint32_t Centre(const wxBitmap& bitmap) {
    const wxImage image = bitmap.ConvertToImage();
    const int x = image.GetWidth() / 2, y = image.GetHeight() / 2;
    return (image.GetRed(x, y) << 16) | (image.GetGreen(x, y) << 8) | image.GetBlue(x, y);
}

std::vector<std::string> Entries(wxItemContainerImmutable* list) {
    std::vector<std::string> entries;
    for (unsigned i = 0; i < list->GetCount(); ++i)
        entries.push_back(list->GetString(i).utf8_string());
    return entries;
}

std::string Selected(wxItemContainerImmutable* list) {
    return list->GetStringSelection().utf8_string();
}

const std::string kColours = "000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF";

class PickersTest : public PreferencesSession {
  protected:
    void SetUp() override { Start(); }
    void OpenWatermarkText() {
        Open();
        SelectPage(7);
        Choose("doWatermark", "Text");
    }
    wxBitmapComboBox* FontColours() { return Ctrl<wxBitmapComboBox>(FieldId::fontColor); }
};

} // namespace

TEST(ColourCaptions, NamedColoursAndOthers) {
    BuildTextTable();
    struct Case {
        const char* hex;
        const char* caption;
    } cases[] = {
        {"FFFFFF", "White"},
        {"ffffff", "White"},
        {"FF8000", "Orange"},
        {"1A2B3C", "Color #1A2B3C"},
        {"1a2b3c", "Color #1A2B3C"},
        {"FFF", "Black"}, // any other length is black
        {"", "Black"},
        {"8000FF", "Violet"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ColourCaption(c.hex), c.caption) << c.hex;
    EXPECT_EQ(NormalHexText("ff0000"), "FF0000");
    EXPECT_EQ(NormalHexText("12345"), "000000");
}

TEST(FontFlags, StyleFlagsOfTheFontDialogsChoice) {
    struct Case {
        bool bold, italic, underline, strikeOut;
        int flags;
    } cases[] = {
        {false, false, false, false, 0},  {true, false, false, false, 256},
        {false, true, false, false, 512}, {true, true, false, false, 768},
        {true, false, true, false, 260},  {false, false, false, true, 8},
    };
    for (const Case& c : cases) {
        FontChoice font;
        font.bold = c.bold;
        font.italic = c.italic;
        font.underline = c.underline;
        font.strikeOut = c.strikeOut;
        EXPECT_EQ(FontFlagsOf(font), c.flags);
    }
}

TEST_F(PickersTest, ColourListSelectsTheSettingsColour) {
    gSettings.fontColor = "ffffff";
    gSettings.backColor = "123456"; // not listed: the first entry
    OpenWatermarkText();
    EXPECT_EQ(Selected(FontColours()), "White");
    EXPECT_EQ(Selected(Ctrl<wxBitmapComboBox>(FieldId::backColor)), "Black");
    const std::vector<std::string> captions = Entries(FontColours());
    EXPECT_EQ(captions, (std::vector<std::string>{"Black", "White", "Red", "Orange", "Yellow",
                                                  "Green", "Aqua", "Blue", "Violet"}));
    EXPECT_EQ(Centre(FontColours()->GetItemBitmap(3)), 0xFF8000u);
    EXPECT_EQ(FontColours()->GetItemBitmap(3).GetWidth(), 16);
    PressOk();
    EXPECT_EQ(gSettings.fontColor, "FFFFFF");
    EXPECT_EQ(gSettings.backColor, "000000");
}

TEST_F(PickersTest, ColourPickedTwiceIsAddedOnce) {
    OpenWatermarkText();
    dialogs.colourAnswer = "1a2b3c";
    Press("fontColor.more");
    Press("fontColor.more");
    EXPECT_EQ(gSettings.fontColors, kColours + ",1A2B3C");
    EXPECT_EQ(Entries(FontColours()).size(), 10u);
    EXPECT_EQ(Selected(FontColours()), "Color #1A2B3C");
    // The colour dialog starts at the selected entry's colour.
    ASSERT_EQ(dialogs.colourStarts.size(), 2u);
    EXPECT_EQ(dialogs.colourStarts[0], "FFFFFF");
    EXPECT_EQ(dialogs.colourStarts[1], "1A2B3C");
    // A listed colour is selected, not added; a cancelled dialog changes nothing.
    dialogs.colourAnswer = "FF0000";
    Press("fontColor.more");
    EXPECT_EQ(Selected(FontColours()), "Red");
    dialogs.colourAnswer = "";
    Press("fontColor.more");
    EXPECT_EQ(Selected(FontColours()), "Red");
    EXPECT_EQ(gSettings.fontColors, kColours + ",1A2B3C");
    EXPECT_EQ(gSettings.backColors, kColours);
    PressOk();
    EXPECT_EQ(StoredValue(folders.ConfigPath(), "Watermark", "Font Color"), "FF0000");
}

TEST_F(PickersTest, CancelKeepsTheAddedColoursAndFonts) {
    ASSERT_TRUE(SaveSettings());
    const std::string file = Config();
    OpenWatermarkText();
    dialogs.colourAnswer = "ABCDEF";
    Press("backColor.more");
    FontChoice chosen;
    chosen.family = "DejaVu Serif";
    chosen.points = 30;
    dialogs.fontAnswer = chosen;
    Press("font.more");
    PressCancel();
    // The file is as it was; the lists keep the additions and the next save writes them.
    EXPECT_EQ(Config(), file);
    EXPECT_EQ(gSettings.backColors, kColours + ",ABCDEF");
    EXPECT_EQ(gSettings.fonts, "Arial,Tahoma,Verdana,DejaVu Serif");
    EXPECT_EQ(gSettings.backColor, "000000");
    EXPECT_EQ(gSettings.font, "Arial");
    EXPECT_EQ(gSettings.fontSize, 14);
    Main().frame->Close();
    ASSERT_TRUE(RunUntil([] { return QuitRequested(); }));
    FinishWindowMode();
    EXPECT_EQ(StoredValue(folders.ConfigPath(), "Watermark", "Back Colors"), kColours + ",ABCDEF");
    EXPECT_EQ(StoredValue(folders.ConfigPath(), "Watermark", "Fonts"),
              "Arial,Tahoma,Verdana,DejaVu Serif");
}

TEST_F(PickersTest, ColourRow) {
    Open();
    SelectPage(6);
    Choose("doFrame", "Solid Color");
    auto* text = Ctrl<wxTextCtrl>(FieldId::solidLeftColor);
    auto* button = Ctrl<wxBitmapButton>(FieldId::solidLeftColor, ".button");
    EXPECT_EQ(text->GetValue(), "000000");
    EXPECT_EQ(Centre(button->GetBitmapLabel()), 0x000000u);
    EXPECT_EQ(button->GetBitmapLabel().GetWidth(), 34);
    EXPECT_EQ(button->GetBitmapLabel().GetHeight(), 12);
    struct Case {
        const char* answer; // "" cancels
        const char* text;
        uint32_t swatch;
    } cases[] = {
        {"abcdef", "ABCDEF", 0xABCDEFu},
        {"", "ABCDEF", 0xABCDEFu},
        {"ABCDEF", "ABCDEF", 0xABCDEFu},
        {"00FF00", "00FF00", 0x00FF00u},
    };
    for (const Case& c : cases) {
        dialogs.colourAnswer = c.answer;
        Press("solidLeftColor.button");
        EXPECT_EQ(text->GetValue().utf8_string(), c.text) << c.answer;
        EXPECT_EQ(Centre(button->GetBitmapLabel()), c.swatch) << c.answer;
    }
    // The dialog starts at the row's colour.
    ASSERT_EQ(dialogs.colourStarts.size(), 4u);
    EXPECT_EQ(dialogs.colourStarts[0], "000000");
    EXPECT_EQ(dialogs.colourStarts[3], "ABCDEF");
    PressOk();
    EXPECT_EQ(gSettings.solidLeftColor, "00FF00");
}

TEST_F(PickersTest, ColourRowShowsAWrongLengthAsBlack) {
    gSettings.imageRotationBackColor = "ff00";
    gSettings.solidTopColor = "ff0000";
    Open();
    EXPECT_EQ(Ctrl<wxTextCtrl>(FieldId::imageRotationBackColor)->GetValue(), "000000");
    EXPECT_EQ(Ctrl<wxTextCtrl>(FieldId::solidTopColor)->GetValue(), "FF0000");
    PressOk();
    EXPECT_EQ(gSettings.imageRotationBackColor, "000000");
    EXPECT_EQ(gSettings.solidTopColor, "FF0000");
}

TEST_F(PickersTest, FontDialogChoices) {
    OpenWatermarkText();
    auto* fonts = Ctrl<wxChoice>(FieldId::font);
    auto* size = Ctrl<wxTextCtrl>(FieldId::fontSize);
    auto* style = Ctrl<wxChoice>(FieldId::fontStyle);
    auto* effect = Ctrl<wxChoice>(FieldId::fontEffect);
    EXPECT_EQ(Entries(fonts), (std::vector<std::string>{"Arial", "Tahoma", "Verdana"}));
    PutIn("fontStyle", "Italic");
    PutIn("fontEffect", "Strikethrough");
    struct Case {
        const char* family;
        int points;
        bool bold, italic, underline;
        const char* selected;
        const char* style;
        const char* fonts; // the Fonts setting afterwards
    } cases[] = {
        // A comma in the name is removed; bold italic selects "Bold Italic".
        {"Foo, Bar", 22, true, true, false, "Foo Bar", "Bold Italic",
         "Arial,Tahoma,Verdana,Foo Bar"},
        // Bold with underline is no Font Style entry: the style list keeps its entry.
        {"Tahoma", 9, true, false, true, "Tahoma", "Bold Italic", "Arial,Tahoma,Verdana,Foo Bar"},
        // A name that differs only in case is added, and the first match selected.
        {"arial", 12, false, false, false, "Arial", "Regular",
         "Arial,Tahoma,Verdana,Foo Bar,arial"},
        {"Verdana", 40, true, false, false, "Verdana", "Bold",
         "Arial,Tahoma,Verdana,Foo Bar,arial"},
    };
    for (const Case& c : cases) {
        FontChoice chosen;
        chosen.family = c.family;
        chosen.points = c.points;
        chosen.bold = c.bold;
        chosen.italic = c.italic;
        chosen.underline = c.underline;
        dialogs.fontAnswer = chosen;
        Press("font.more");
        EXPECT_EQ(Selected(fonts), c.selected) << c.family;
        EXPECT_EQ(size->GetValue().utf8_string(), std::to_string(c.points)) << c.family;
        EXPECT_EQ(Selected(style), c.style) << c.family;
        EXPECT_EQ(Selected(effect), "Strikethrough") << c.family;
        EXPECT_EQ(gSettings.fonts, c.fonts) << c.family;
    }
    // The font dialog starts with the selected name and the Font Size field's size.
    ASSERT_EQ(dialogs.fontStarts.size(), 4u);
    EXPECT_EQ(dialogs.fontStarts[0].family, "Arial");
    EXPECT_EQ(dialogs.fontStarts[0].points, 14);
    EXPECT_EQ(dialogs.fontStarts[1].family, "Foo Bar");
    EXPECT_EQ(dialogs.fontStarts[1].points, 22);
    // A cancelled font dialog changes nothing.
    dialogs.fontAnswer.reset();
    Press("font.more");
    EXPECT_EQ(Selected(fonts), "Verdana");
    EXPECT_EQ(size->GetValue(), "40");
    PressOk();
    EXPECT_EQ(gSettings.font, "Verdana");
    EXPECT_EQ(gSettings.fontSize, 40);
    EXPECT_EQ(gSettings.fontStyle, 1);
    EXPECT_EQ(gSettings.fontEffect, 2);
}

TEST_F(PickersTest, EmptyFontsListTakesTheFont) {
    gSettings.fonts = "";
    gSettings.font = "DejaVu Sans";
    OpenWatermarkText();
    EXPECT_EQ(Entries(Ctrl<wxChoice>(FieldId::font)), std::vector<std::string>{"DejaVu Sans"});
    EXPECT_EQ(gSettings.fonts, "DejaVu Sans");
    // A font that is not listed leaves the first entry selected.
    PressCancel();
    gSettings.fonts = " Tahoma , Verdana ";
    gSettings.font = "verdana";
    OpenWatermarkText();
    auto* fonts = Ctrl<wxChoice>(FieldId::font);
    EXPECT_EQ(Entries(fonts), (std::vector<std::string>{"Tahoma", "Verdana"}));
    EXPECT_EQ(Selected(fonts), "Verdana");
    PressOk();
    EXPECT_EQ(gSettings.font, "Verdana");
}

TEST_F(PickersTest, WatermarkImageDialog) {
    Open();
    SelectPage(7);
    Choose("doWatermark", "Image");
    auto* field = Ctrl<wxTextCtrl>(FieldId::image);
    field->ChangeValue("  /start/mark.png ");
    dialogs.fileAnswer = "/chosen/picture.jpg";
    Press("image.more");
    EXPECT_EQ(field->GetValue(), "/chosen/picture.jpg");
    ASSERT_EQ(dialogs.fileTitles.size(), 1u);
    EXPECT_EQ(dialogs.fileTitles[0], "Select Watermark Image");
    EXPECT_EQ(dialogs.fileStarts[0], "/start/mark.png");
    EXPECT_EQ(dialogs.fileFilters[0], WatermarkImageFilter());
    dialogs.fileAnswer = "";
    Press("image.more");
    EXPECT_EQ(field->GetValue(), "/chosen/picture.jpg");
    PressOk();
    EXPECT_EQ(gSettings.image, "/chosen/picture.jpg");
}
