// The rules of the pages: value pairs under typing, track-bar moves and spin arrows
// (real input events), dependent controls, the RAW rule, Bits Per Pixel lists, lists
// holding a value outside their entries, number fields, text cleaning, the theme list,
// the hidden Keep Subfolders row and the date-and-time field.
#include "preferences_helpers.h"

#include "settings/settings.h"
#include "settings/settings_file.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/preferences_pages.h"
#include "ui/window_mode.h"

#include <wx/bmpcbox.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/uiaction.h>
#include <wx/wx.h>

#include <filesystem>

namespace {

wxSlider* TrackOf(FieldId field) {
    return Ctrl<wxSlider>(field);
}

wxSpinCtrlBase* SpinOf(FieldId field) {
    return Ctrl<wxSpinCtrlBase>(field, ".spin");
}

std::string SpinText(FieldId field) {
    return SpinOf(field)->GetTextValue().utf8_string();
}

// Shows one sub-panel of a page, as choosing its format or type does.
void ShowSubPanel(const char* name) {
    wxWindow* panel = Prefs()->FindWindow(wxString("panel.") + name);
    for (wxWindow* sibling : panel->GetParent()->GetChildren())
        if (sibling->GetName().StartsWith("panel.")) sibling->Show(sibling == panel);
}

// Types into a spin field and ends the edit with Tab, as a user does; shown is what the
// field holds after the typing.
void TypeIntoSpin(FieldId field, const std::string& text,
                  const std::optional<std::string>& shown = std::nullopt) {
    wxWindow* spin = SpinOf(field);
    TypeOver(spin, text, shown);
    wxUIActionSimulator sim;
    sim.Char(WXK_TAB);
    ASSERT_TRUE(RunUntil([spin] { return !spin->HasFocus(); }, 5000));
}

class PreferencesRulesTest : public PreferencesSession {
  protected:
    void SetUp() override {
        Start();
        Open();
        Prefs()->Move(10, 10);
    }
    bool Enabled(FieldId field) { return ControlOf(field)->IsEnabled(); }
};

} // namespace

TEST_F(PreferencesRulesTest, TypedValuePairIsClampedToItsRange) {
    SelectPage(3);
    ShowSubPanel("jpg");
    struct Case {
        const char* typed;
        const char* shown; // the spin field takes digits only
        int value;
    } cases[] = {{"150", "150", 100}, {"abc", "", 1}, {"42", "42", 42}, {"0", "0", 1}};
    for (const Case& c : cases) {
        TypeIntoSpin(FieldId::jpgQuality, c.typed, c.shown);
        EXPECT_EQ(SpinText(FieldId::jpgQuality), std::to_string(c.value)) << c.typed;
        EXPECT_EQ(TrackOf(FieldId::jpgQuality)->GetValue(), c.value) << c.typed;
    }
    PressOk();
    EXPECT_EQ(gSettings.jpgQuality, 1);
}

TEST_F(PreferencesRulesTest, TypedGammaIsRoundedToTwoDecimals) {
    SelectPage(5);
    struct Case {
        const char* typed;
        const char* shown; // the spin field takes two decimals
        int position;
        const char* text;
    } cases[] = {{"2.5", "2.5", 250, "2.50"},
                 {"0", "0", 1, "0.01"},
                 {"12", "12", 999, "9.99"},
                 {"1.234", "1.23", 123, "1.23"}};
    for (const Case& c : cases) {
        TypeIntoSpin(FieldId::imageGamma, c.typed, c.shown);
        EXPECT_EQ(TrackOf(FieldId::imageGamma)->GetValue(), c.position) << c.typed;
        EXPECT_EQ(SpinText(FieldId::imageGamma), c.text) << c.typed;
    }
    PressOk();
    EXPECT_FLOAT_EQ(gSettings.imageGamma, 1.23f);
    EXPECT_EQ(gSettings.doImageColorCorrection, 1);
}

TEST_F(PreferencesRulesTest, BrightnessTrackBarIsOffsetByAHundred) {
    SelectPage(5);
    EXPECT_EQ(TrackOf(FieldId::imageBrightness)->GetValue(), 100);
    TypeIntoSpin(FieldId::imageBrightness, "-30");
    EXPECT_EQ(TrackOf(FieldId::imageBrightness)->GetValue(), 70);
    TypeIntoSpin(FieldId::imageBrightness, "-250");
    EXPECT_EQ(SpinText(FieldId::imageBrightness), "-100");
    EXPECT_EQ(TrackOf(FieldId::imageBrightness)->GetValue(), 0);
    // Track-bar moves with the keyboard: End to the right end, Left one step back.
    wxSlider* track = TrackOf(FieldId::imageContrast);
    PressKeyIn(track, WXK_END);
    ASSERT_TRUE(RunUntil([track] { return track->GetValue() == 200; }, 5000));
    EXPECT_EQ(SpinText(FieldId::imageContrast), "100");
    PressKeyIn(track, WXK_LEFT);
    ASSERT_TRUE(RunUntil([track] { return track->GetValue() == 199; }, 5000));
    EXPECT_EQ(SpinText(FieldId::imageContrast), "99");
    PressOk();
    EXPECT_EQ(gSettings.imageBrightness, -100);
    EXPECT_EQ(gSettings.imageContrast, 99);
}

TEST_F(PreferencesRulesTest, TrackBarMovesAndSpinArrows) {
    SelectPage(5);
    // The gamma track bar: the spin field follows with two decimals.
    wxSlider* gamma = TrackOf(FieldId::imageGamma);
    PressKeyIn(gamma, WXK_END);
    ASSERT_TRUE(RunUntil([gamma] { return gamma->GetValue() == 999; }, 5000));
    EXPECT_EQ(SpinText(FieldId::imageGamma), "9.99");
    PressKeyIn(gamma, WXK_HOME);
    ASSERT_TRUE(RunUntil([gamma] { return gamma->GetValue() == 1; }, 5000));
    EXPECT_EQ(SpinText(FieldId::imageGamma), "0.01");

    // The spin arrows: "+" is the right-hand button of the field, "-" the one beside it.
    struct Case {
        FieldId field;
        int dx; // from the right edge of the spin field
        int track;
        const char* text;
    } cases[] = {
        {FieldId::imageGamma, 10, 2, "0.02"},     {FieldId::imageGamma, 10, 3, "0.03"},
        {FieldId::imageGamma, 36, 2, "0.02"},     {FieldId::imageBrightness, 10, 101, "1"},
        {FieldId::imageBrightness, 36, 100, "0"}, {FieldId::imageBrightness, 36, 99, "-1"},
    };
    for (const Case& c : cases) {
        wxWindow* spin = SpinOf(c.field);
        wxSlider* track = TrackOf(c.field);
        ClickAt(spin, spin->GetSize().x - c.dx, spin->GetSize().y / 2);
        EXPECT_TRUE(RunUntil([&] { return track->GetValue() == c.track; }, 5000))
            << c.text << ": the track bar shows " << track->GetValue();
        EXPECT_EQ(SpinText(c.field), c.text);
    }
    PressOk();
    EXPECT_FLOAT_EQ(gSettings.imageGamma, 0.02f);
    EXPECT_EQ(gSettings.imageBrightness, -1);
}

TEST_F(PreferencesRulesTest, TypedNumberFieldsAreClampedToTheirSetting) {
    SelectPage(6);
    Choose("doFrame", "Solid Color");
    ASSERT_TRUE(Prefs()->FindWindow("panel.frame")->IsShown());
    struct Case {
        FieldId field;
        const char* typed;
        const char* shown; // digits only: other characters are not taken
    } cases[] = {
        {FieldId::solidLeft, "99999999999", "99999999999"},
        {FieldId::solidRight, "12ab3", "123"},
        {FieldId::solidTop, "-5", "5"},
    };
    for (const Case& c : cases) {
        wxTextCtrl* field = Ctrl<wxTextCtrl>(c.field);
        ASSERT_TRUE(FocusAndWait(field));
        wxUIActionSimulator sim;
        sim.Char('a', wxMOD_CONTROL);
        sim.Text(c.typed);
        EXPECT_TRUE(RunUntil([&] { return field->GetValue() == c.shown; }, 5000))
            << c.typed << " shows " << field->GetValue();
    }
    Ctrl<wxTextCtrl>(FieldId::solidBottom)->ChangeValue("");
    PressOk();
    EXPECT_EQ(gSettings.solidLeft, 2147483647);
    EXPECT_EQ(gSettings.solidRight, 123);
    EXPECT_EQ(gSettings.solidTop, 5);
    EXPECT_EQ(gSettings.solidBottom, 0);
}

TEST_F(PreferencesRulesTest, DependentRowsAreGreyedOutButWritten) {
    SelectPage(4);
    Choose("doImageRotation", "on");
    for (FieldId f :
         {FieldId::imageRotationType, FieldId::imageRotation, FieldId::imageRotationBackColor})
        EXPECT_TRUE(Enabled(f));
    PutIn("imageRotation.spin", "90");
    PutIn("imageRotationType", "Advanced");
    Choose("doImageRotation", "off");
    for (FieldId f :
         {FieldId::imageRotationType, FieldId::imageRotation, FieldId::imageRotationBackColor}) {
        EXPECT_FALSE(Enabled(f));
        EXPECT_FALSE(ControlOf(f, ".label")->IsEnabled());
    }
    EXPECT_FALSE(ControlOf(FieldId::imageRotation, ".spin")->IsEnabled());
    EXPECT_FALSE(ControlOf(FieldId::imageRotationBackColor, ".button")->IsEnabled());
    EXPECT_TRUE(Enabled(FieldId::doImageResize));
    EXPECT_FALSE(Enabled(FieldId::imageWidth));
    SelectPage(5);
    EXPECT_FALSE(Enabled(FieldId::imageThreshold));
    Choose("doImageThreshold", "on");
    EXPECT_TRUE(Enabled(FieldId::imageThreshold));
    SelectPage(8);
    EXPECT_FALSE(Enabled(FieldId::customTimestamp));
    Choose("fileTimestamp", "Custom");
    EXPECT_TRUE(Enabled(FieldId::customTimestamp));
    Choose("fileTimestamp", "Original");
    EXPECT_FALSE(Enabled(FieldId::customTimestamp));
    PressOk();
    EXPECT_EQ(gSettings.doImageRotation, 0);
    EXPECT_EQ(gSettings.imageRotation, 90);
    EXPECT_EQ(gSettings.imageRotationType, 1);
}

TEST_F(PreferencesRulesTest, TypeListsShowTheirSubPanels) {
    auto shown = [](const char* name) {
        return Prefs()->FindWindow(wxString("panel.") + name)->IsShown();
    };
    SelectPage(6);
    EXPECT_FALSE(shown("frame"));
    Choose("doFrame", "Solid Color");
    EXPECT_TRUE(shown("frame"));
    SelectPage(7);
    struct Case {
        const char* type;
        bool text, image;
    } cases[] = {{"Text", true, false}, {"Image", false, true}, {"None", false, false}};
    for (const Case& c : cases) {
        Choose("doWatermark", c.type);
        EXPECT_EQ(shown("text"), c.text) << c.type;
        EXPECT_EQ(shown("image"), c.image) << c.type;
    }
    // The Scale rows stay hidden: their Size lists offer only "Fixed".
    EXPECT_FALSE(ControlOf(FieldId::textScale)->IsShown());
    EXPECT_FALSE(ControlOf(FieldId::imageScale)->IsShown());
    // With the type "None" both sub-panels' values are still written.
    PutIn("text", "kept");
    PutIn("imageOpacity.spin", "7");
    // The Input page shows only the Input Format row for "bmp"; the Output page the
    // sub-panel of "pcx".
    SelectPage(2);
    for (const char* format : {"dds", "gif", "ico", "raw", "tiff"})
        EXPECT_FALSE(shown(format)) << format;
    SelectPage(3);
    EXPECT_TRUE(shown("pcx"));
    EXPECT_FALSE(shown("bmp"));
    PressOk();
    EXPECT_EQ(gSettings.text, "kept");
    EXPECT_EQ(gSettings.imageOpacity, 7);
    EXPECT_EQ(gSettings.doWatermark, 0);
}

TEST_F(PreferencesRulesTest, RawLoadAsEnablesItsRows) {
    SelectPage(2);
    ShowSubPanel("raw");
    struct Case {
        const char* loadAs;
        bool sizes, toneMapping;
    } cases[] = {
        {"Auto", false, false},       {"RGB 8-bit", true, false},       {"RGB 16-bit", true, false},
        {"RGB 24-bit", false, false}, {"RGB 48-bit (HS)", false, true}, {"RGB 48-bit", false, true},
    };
    for (const Case& c : cases) {
        Choose("rawLoadAs", c.loadAs);
        for (FieldId f :
             {FieldId::rawHeaderSize, FieldId::rawImageWidth, FieldId::rawImageHeight}) {
            EXPECT_EQ(Enabled(f), c.sizes) << c.loadAs;
            EXPECT_EQ(ControlOf(f, ".unit")->IsEnabled(), c.sizes) << c.loadAs;
            EXPECT_EQ(ControlOf(f, ".label")->IsEnabled(), c.sizes) << c.loadAs;
        }
        EXPECT_EQ(Enabled(FieldId::rawToneMapping), c.toneMapping) << c.loadAs;
    }
    // Disabled rows are written back too.
    PutIn("rawHeaderSize", "64");
    PutIn("rawToneMapping", "Linear");
    PressOk();
    EXPECT_EQ(gSettings.rawLoadAs, 5);
    EXPECT_EQ(gSettings.rawHeaderSize, 64);
    EXPECT_EQ(gSettings.rawToneMapping, 1);
}

TEST_F(PreferencesRulesTest, CleanedTexts) {
    struct Case {
        FieldId field;
        int page;
        const char* typed;
        const char* stored;
    } cases[] = {
        {FieldId::text, 7, "  Hello\r\nWorld\t ", "HelloWorld"},
        {FieldId::image, 7, "\t/pictures/mark.png  ", "/pictures/mark.png"},
        {FieldId::filenameMask, 8, " %filename%\n.%ext% ", "%filename%.%ext%"},
    };
    for (const Case& c : cases) {
        SelectPage(c.page);
        Ctrl<wxTextCtrl>(c.field)->ChangeValue(wxString::FromUTF8(c.typed));
    }
    PressOk();
    for (const Case& c : cases)
        EXPECT_EQ(GetString(Option(c.field), gSettings), c.stored) << c.typed;
}

TEST(CleanText, RemovesBlanksAtTheEndsAndLineBreaksAndTabs) {
    struct Case {
        const char* text;
        const char* cleaned;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {"plain", "plain"},
        {"  a b  ", "a b"},
        {"\r\n a\tb\r\nc \n", "abc"},
        {"\n  lead", "lead"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CleanText(c.text), c.cleaned) << c.text;
}

TEST(ValueTexts, NumbersGammaAndDates) {
    struct IntCase {
        const char* text;
        int64_t value;
    } ints[] = {{"", 0},
                {"abc", 0},
                {"42", 42},
                {"-7", -7},
                {"12ab3", 12},
                {"+5", 5},
                {"99999999999", 1000},
                {"-99999999999", -1000}};
    for (const IntCase& c : ints)
        EXPECT_EQ(ReadClampedInteger(c.text, -1000, 1000), c.value) << c.text;
    struct GammaCase {
        const char* text;
        int position;
    } gammas[] = {{"2.5", 250},  {"0", 1},   {"12", 999},  {"abc", 1}, {"1.006", 101},
                  {"0.994", 99}, {"nan", 1}, {"inf", 999}, {"-3", 1}};
    for (const GammaCase& c : gammas)
        EXPECT_EQ(GammaPosition(c.text), c.position) << c.text;
    EXPECT_EQ(GammaText(250), "2.50");
    EXPECT_EQ(GammaText(1), "0.01");
    EXPECT_EQ(GammaText(999), "9.99");

    EXPECT_EQ(DateTimeText(1709214300), "2024/02/29 13:45");
    EXPECT_EQ(DateTimeText(0), "1970/01/01 00:00");
    struct DateCase {
        const char* text;
        bool valid;
        int32_t date;
    } dates[] = {{"2024/02/29 13:45", true, 1709214300}, {" 1970/01/01 00:00 ", true, 0},
                 {"2023/02/29 13:45", false, 0},         {"2024/13/01 00:00", false, 0},
                 {"2024/01/01 24:00", false, 0},         {"2024/01/01", false, 0},
                 {"2024/01/01 10:00x", false, 0},        {"2100/01/01 00:00", false, 0}};
    for (const DateCase& c : dates) {
        int32_t date = -1;
        EXPECT_EQ(ReadDateTimeText(c.text, date), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(date, c.date) << c.text;
        }
    }
}

TEST_F(PreferencesRulesTest, DateTimeFieldStepsAndKeepsItsValue) {
    SelectPage(8);
    Choose("fileTimestamp", "Custom");
    wxTextCtrl* field = Ctrl<wxTextCtrl>(FieldId::customTimestamp);
    const int32_t filled = gSettings.customTimestamp;
    ASSERT_EQ(field->GetValue().utf8_string(), DateTimeText(filled));
    // Up on the minutes steps one minute; Down on the year one year back.
    ASSERT_TRUE(FocusAndWait(field));
    field->SetInsertionPoint(15);
    const std::string before = field->GetValue().utf8_string();
    PressKeyIn(field, WXK_UP);
    ASSERT_TRUE(RunUntil([&] { return field->GetValue().utf8_string() != before; }, 5000));
    int32_t stepped = 0;
    ASSERT_TRUE(ReadDateTimeText(field->GetValue().utf8_string(), stepped));
    EXPECT_EQ(stepped, filled - filled % 60 + 60);
    // Text that is no date gives way to the last date when the edit ends.
    TypeOver(field, "soon");
    const std::string valid = DateTimeText(stepped);
    PressKeyIn(field, WXK_TAB);
    ASSERT_TRUE(RunUntil([&] { return field->GetValue().utf8_string() == valid; }, 5000))
        << field->GetValue();
    PressOk();
    EXPECT_EQ(gSettings.customTimestamp, stepped);
}

TEST_F(PreferencesRulesTest, UnchangedDateKeepsItsSeconds) {
    PressCancel();
    gSettings.customTimestamp = 1709214333;
    Open();
    PressOk();
    EXPECT_EQ(gSettings.customTimestamp, 1709214333);
}

TEST_F(PreferencesRulesTest, BitsPerPixelLists) {
    PressCancel();
    struct Case {
        int stored;
        const char* shown; // "" for no selection
        int written;
    } cases[] = {{24, "24", 24}, {0, "Auto", 0}, {16, "", 0}, {-3, "", 0}};
    for (const Case& c : cases) {
        gSettings.pcxBpp = c.stored;
        Open();
        auto* list = Ctrl<wxChoice>(FieldId::pcxBpp);
        ASSERT_EQ(list->GetCount(), 2u);
        EXPECT_EQ(list->GetString(0), "Auto");
        EXPECT_EQ(list->GetString(1), "24");
        EXPECT_EQ(list->GetStringSelection().utf8_string(), c.shown) << c.stored;
        PressOk();
        EXPECT_EQ(gSettings.pcxBpp, c.written) << c.stored;
    }
    // Every format's list offers the depths of the output format table.
    Open();
    auto* bmp = Ctrl<wxChoice>(FieldId::bmpBpp);
    std::vector<std::string> entries;
    for (unsigned i = 0; i < bmp->GetCount(); ++i)
        entries.push_back(bmp->GetString(i).utf8_string());
    EXPECT_EQ(entries, (std::vector<std::string>{"Auto", "1", "4", "8", "16", "24", "32"}));
}

TEST_F(PreferencesRulesTest, ListsOutsideTheirEntriesKeepTheStoredValue) {
    PressCancel();
    struct Case {
        FieldId field;
        int stored;
    } cases[] = {
        {FieldId::fontStyle, 9},         {FieldId::textPosition, 12},
        {FieldId::updateRange, 7},       {FieldId::uiSize, 4},
        {FieldId::doWatermark, -1},      {FieldId::imageWidthUnit, 5},
        {FieldId::outFoldersHistory, 3}, {FieldId::textSize, 1},
    };
    for (const Case& c : cases)
        SetInt(Option(c.field), gSettings, c.stored);
    Open();
    for (const Case& c : cases) {
        const char* suffix = c.field == FieldId::imageWidthUnit ? ".unit" : "";
        const FieldId control = c.field == FieldId::imageWidthUnit ? FieldId::imageWidth : c.field;
        EXPECT_EQ(Ctrl<wxChoice>(control, suffix)->GetSelection(), wxNOT_FOUND)
            << Option(c.field).key;
    }
    EXPECT_FALSE(ControlOf(FieldId::textScale)->IsShown());
    PressOk();
    for (const Case& c : cases)
        EXPECT_EQ(GetInt(Option(c.field), gSettings), c.stored) << Option(c.field).key;
    EXPECT_EQ(gJob.restartRequest, 0);
}

TEST_F(PreferencesRulesTest, KeepSubfoldersIsHiddenAndWrittenAsFilled) {
    PressCancel();
    for (int stored : {0, 1}) {
        gSettings.keepSubfolders = static_cast<int8_t>(stored);
        Open();
        EXPECT_FALSE(ControlOf(FieldId::keepSubfolders)->IsShown());
        EXPECT_FALSE(ControlOf(FieldId::keepSubfolders, ".label")->IsShown());
        PressOk();
        EXPECT_EQ(StoredValue(folders.ConfigPath(), "Advanced", "Keep Subfolders"),
                  std::to_string(stored));
    }
}

TEST_F(PreferencesRulesTest, LanguageIsAlwaysWrittenAsEn) {
    PressCancel();
    gSettings.language = "de";
    Open();
    auto* list = Ctrl<wxChoice>(FieldId::language);
    ASSERT_EQ(list->GetCount(), 1u);
    EXPECT_EQ(list->GetStringSelection(), "English");
    PressOk();
    EXPECT_EQ(StoredValue(folders.ConfigPath(), "General", "Language"), "en");
}

TEST(PreferencesThemes, NoInstalledThemeGivesNone) {
    SessionFolders folders;
    PrefsDialogs dialogs;
    TempFolder program;
    std::filesystem::create_directory(program.File("gfx"));
    gJob.programFolder = program.path;
    StartWindowMode();
    ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
    RunCommand(kCmdPreferences);
    ASSERT_NE(Prefs(), nullptr);
    auto* list = Ctrl<wxChoice>(FieldId::uiTheme);
    ASSERT_EQ(list->GetCount(), 1u);
    EXPECT_EQ(list->GetStringSelection(), "None");
    PreferencesEvent(PreferencesEventKind::Ok);
    EXPECT_EQ(gSettings.uiTheme, "");
    EXPECT_EQ(StoredValue(folders.ConfigPath(), "Interface", "UI Theme"), "");
    FinishWindowMode();
}

TEST(PreferencesThemes, ThemesAreSortedWithoutRegardToCase) {
    SessionFolders folders;
    PrefsDialogs dialogs;
    ThemeProgramFolder themes;
    std::filesystem::copy_file(themes.program.File("gfx/zzother.zip"),
                               themes.program.File("gfx/Middle.zip"));
    gJob.programFolder = themes.program.path;
    std::filesystem::create_directories(folders.config.File("Vextara/brelvix"));
    WriteFile(folders.ConfigPath(), "[Interface]\r\nUI Theme = zzother\r\n");
    StartWindowMode();
    ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
    RunCommand(kCmdPreferences);
    ASSERT_NE(Prefs(), nullptr);
    auto* list = Ctrl<wxChoice>(FieldId::uiTheme);
    ASSERT_EQ(list->GetCount(), 3u);
    EXPECT_EQ(list->GetString(0), "Hand-drawn"); // handdrawn
    EXPECT_EQ(list->GetString(1), "Other");      // Middle
    EXPECT_EQ(list->GetString(2), "Other");      // zzother
    EXPECT_EQ(list->GetSelection(), 2);
    list->SetSelection(1);
    gJob.programFolder = themes.program.path; // New set it to the test program's folder
    PreferencesEvent(PreferencesEventKind::Ok);
    EXPECT_EQ(gSettings.uiTheme, "Middle");
    FinishWindowMode();
}
