// The nine pages of the Preferences dialog, described as data: one table of rows that
// building, filling, the dependent-control rules and writing back all walk.
#pragma once

#include "settings/option_table.h"
#include "ui/pickers.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class wxChoice;
class wxPanel;
class wxStaticText;
class wxWindow;

inline constexpr int kPageCount = 9;

enum class RowKind {
    List,         // drop-down list of entries; the setting is the entry's index
    Language,     // the one entry "English"; OK writes "en"
    Theme,        // the installed themes, by display name; the setting is the theme name
    InputFormat,  // the active input formats, with an icon; the setting is the format
    OutputFormat, // the active output formats, with an icon; the setting is the format
    Bpp,          // "Auto" and the bit depths the sub-panel's format permits
    Fixed,        // one entry, always selected, writes nothing
    Check,        // check box: 1 or 0
    Text,         // text field; OK writes the cleaned text
    Number,       // digits field and a unit list (a second setting when it has two units)
    Pair,         // track bar and spin field over one range
    OffsetPair,   // track bar 0 to 2·hi, spin field lo to hi (brightness, contrast)
    GammaPair,    // track bar and spin field over 1 to 999: the gamma times 100
    Colour,       // colour row
    ColourList,   // colour list; other names the list setting
    FontList,     // font list; other names the list setting
    ImageFile,    // text field with "..." (the watermark image dialog)
    DateTime,     // date-and-time field holding a date value
};

// The rule by which another row enables or shows a row (or a sub-panel): the row is
// enabled (shown) while the control of the row that edits `on` holds one of the values.
struct Depend {
    FieldId on = FieldId::Count;
    unsigned values = 0; // bit v: value v
    bool shows = false;  // shows and hides instead of enabling and disabling
};

inline constexpr unsigned kHiddenRow = 1u << 0; // created, never shown

// Track bar and spin field.
bool IsPairKind(RowKind kind);

struct PageRow {
    int page = 0;
    const char* panel = ""; // "" for the page area, else the sub-panel's name
    const char* label = ""; // label key, group "Preferences"
    RowKind kind = RowKind::List;
    FieldId field = FieldId::Count;            // the setting it edits (Count: none)
    std::span<const char* const> entries = {}; // list entries or unit entries (text keys)
    FieldId other = FieldId::Count;            // unit setting, or the list setting of a picker
    int lo = 0, hi = 0;                        // range of value pairs
    Depend depend = {};
    unsigned flags = 0;
};

// The rows of the table as written; the Output page's Bits Per Pixel rows, one per
// output format, are made from the output format table when the dialog is built.
std::span<const PageRow> PageRows();
// The table's row that edits a setting (also a generated Bits Per Pixel row), or nullptr.
const PageRow* FindPageRow(FieldId field);

// Text cleaning: blanks removed at both ends, then every tab, CR and LF.
std::string CleanText(std::string_view text);
// An integer as a number field reads it: optional sign and digits up to the first other
// character (no digits give 0), held within lo to hi.
int64_t ReadClampedInteger(std::string_view text, int64_t lo, int64_t hi);
// The gamma spin field: text to position (1 to 999), position to text ("2.50").
int GammaPosition(std::string_view text);
std::string GammaText(int position);
// Date values and the date-and-time field's text "yyyy/mm/dd hh:mm".
std::string DateTimeText(int32_t date);
// False when the text is no valid date and time.
bool ReadDateTimeText(std::string_view text, int32_t& date);

// The controls built for one row.
struct BuiltRow {
    PageRow row;
    wxWindow* panel = nullptr;
    int y = 0; // the row's place in its panel
    wxStaticText* label = nullptr;
    wxWindow* main = nullptr;   // list, check box, field, track bar, colour text
    wxWindow* second = nullptr; // unit list, spin field, "..." or date-and-time parts
    ColourRow colour;
    ColourList colourList;
    FontList fontList;
    int64_t filled = 0;              // the value the row was filled with
    std::string filledText;          // the text a date-and-time field was filled with
    std::string validText;           // its last text that was a date and time
    std::vector<std::string> themes; // theme names in list order
};

struct BuiltPanel {
    int page = 0;
    std::string name;
    wxWindow* window = nullptr;
    Depend shown;       // for the frame and watermark sub-panels
    RowKind formatKind; // InputFormat or OutputFormat for the per-format sub-panels
    bool perFormat = false;
};

struct PagesState {
    wxWindow* dialog = nullptr;
    wxWindow* areas[kPageCount] = {};
    std::vector<BuiltRow> rows;
    std::vector<BuiltPanel> panels;
    bool updating = false; // the program is setting controls: no user-edit rules
};

// Page areas: size of the page area and the row scheme, for the frame.
inline constexpr int kPageWidth = 450;
inline constexpr int kPageHeight = 255;

// Builds every page's rows into the page areas (which the frame has made).
void BuildPages(PagesState& state);
// Fills every page from the settings record, then applies the dependent-control rules.
void FillPages(PagesState& state);
// Writes every page's controls into the settings record, in page order.
void WritePages(PagesState& state);
// The dependent-control rules and the visible sub-panels, from the controls.
void ApplyDependencies(PagesState& state);

// The choices that OK and Defaults compare with the record.
int IconSizeChoice(const PagesState& state);
std::string ThemeChoice(const PagesState& state);
// Index of the selected entry of the Output Format list (-1 for none).
int OutputFormatChoice(const PagesState& state);

// The built row that edits a setting, or nullptr.
BuiltRow* FindBuiltRow(PagesState& state, FieldId field);
