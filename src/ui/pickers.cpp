#include "ui/pickers.h"
#include "ui/selection.h"

#include "platform/platform.h"
#include "text/text_table.h"
#include "ui/dialogs.h"

#include <wx/bmpbuttn.h>
#include <wx/bmpcbox.h>
#include <wx/wx.h>

// After the toolkit: the picture library's header defines names the toolkit tests for.
#include "engine/transform.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

wxString Wx(const std::string& text) {
    return wxString::FromUTF8(text);
}

struct NamedColour {
    const char* key; // group "Preferences"
    const char* hex;
};

constexpr NamedColour kNamedColours[] = {
    {"Black", "000000"},  {"Silver", "C0C0C0"}, {"Gray", "808080"},   {"White", "FFFFFF"},
    {"Maroon", "800000"}, {"Red", "FF0000"},    {"Purple", "800080"}, {"Fuchsia", "FF00FF"},
    {"Green", "008000"},  {"Lime", "00FF00"},   {"Olive", "808000"},  {"Yellow", "FFFF00"},
    {"Navy", "000080"},   {"Blue", "0000FF"},   {"Teal", "008080"},   {"Aqua", "00FFFF"},
    {"Orange", "FF8000"}, {"Brown", "804000"},  {"Violet", "8000FF"},
};

constexpr int kFontStyleFlags[] = {0, 256, 512, 768};

constexpr int kBold = 256, kItalic = 512, kUnderline = 4, kStrikeOut = 8;

// A colour as the item data of a list entry.
void* ColourData(const wxColour& colour) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(colour.GetRGB()));
}

wxColour ColourOfData(void* data) {
    wxColour colour;
    colour.SetRGB(static_cast<wxUint32>(reinterpret_cast<uintptr_t>(data)));
    return colour;
}

wxBitmap Swatch(const wxColour& colour, int width, int height) {
    wxImage image(width, height);
    image.SetRGB(wxRect(0, 0, width, height), colour.Red(), colour.Green(), colour.Blue());
    return wxBitmap(image);
}

std::vector<std::string> ListItems(const std::string& items) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= items.size()) {
        const size_t comma = items.find(',', start);
        std::string item =
            TrimBlanks(items.substr(start, comma == std::string::npos ? comma : comma - start));
        if (!item.empty()) out.push_back(item);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

void AppendItem(std::string& items, const std::string& item) {
    if (!items.empty()) items += ",";
    items += item;
}

int FindColourEntry(wxBitmapComboBox* list, const wxColour& colour) {
    for (unsigned i = 0; i < list->GetCount(); ++i)
        if (ColourOfData(list->GetClientData(i)).GetRGB() == colour.GetRGB())
            return static_cast<int>(i);
    return wxNOT_FOUND;
}

int AppendColourEntry(wxBitmapComboBox* list, const wxColour& colour) {
    const std::string hex = HexTextOf(colour);
    return list->Append(Wx(ColourCaption(hex)), Swatch(colour, 16, 16), ColourData(colour));
}

} // namespace

std::string HexTextOf(const wxColour& colour) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", colour.Red(), colour.Green(), colour.Blue());
    return buf;
}

wxColour ColourOfHexText(const std::string& hex) {
    const uint32_t value = ColorFromHex(hex);
    return wxColour(static_cast<unsigned char>(value & 0xFF),
                    static_cast<unsigned char>(value >> 8 & 0xFF),
                    static_cast<unsigned char>(value >> 16 & 0xFF));
}

std::string NormalHexText(const std::string& hex) {
    return HexTextOf(ColourOfHexText(hex));
}

std::string ColourCaption(const std::string& hex) {
    const std::string normal = NormalHexText(hex);
    for (const NamedColour& named : kNamedColours)
        if (normal == named.hex) return GetText("Preferences", named.key);
    return GetText("Preferences", "Color") + " #" + normal;
}

std::span<const int> FontStyleFlags() {
    return kFontStyleFlags;
}

int FontFlagsOf(const FontChoice& font) {
    return (font.bold ? kBold : 0) | (font.italic ? kItalic : 0) |
           (font.underline ? kUnderline : 0) | (font.strikeOut ? kStrikeOut : 0);
}

ColourRow BuildColourRow(wxWindow* parent, int x, int y, int width, int height) {
    ColourRow row;
    constexpr int kButtonWidth = 44, kGap = 6;
    row.button = new wxBitmapButton(parent, wxID_ANY, Swatch(*wxBLACK, 34, 12), wxPoint(x, y),
                                    wxSize(kButtonWidth, height));
    row.text = new wxTextCtrl(parent, wxID_ANY, "", wxPoint(x + kButtonWidth + kGap, y),
                              wxSize(width - kButtonWidth - kGap, height), wxTE_READONLY);
    return row;
}

void FillColourRow(const ColourRow& row, const std::string& hex) {
    const wxColour colour = ColourOfHexText(hex);
    row.button->SetBitmap(Swatch(colour, 34, 12));
    row.text->ChangeValue(Wx(HexTextOf(colour)));
}

void PickColourRow(const ColourRow& row, wxWindow* dialog) {
    const std::string current = ColourRowValue(row);
    std::string chosen = current;
    if (!ChooseColour(chosen, dialog)) return;
    chosen = NormalHexText(chosen);
    if (chosen != current) FillColourRow(row, chosen);
}

std::string ColourRowValue(const ColourRow& row) {
    return NormalHexText(row.text->GetValue().utf8_string());
}

void FillColourList(const ColourList& list, const std::string& items, const std::string& colour) {
    list.list->Clear();
    for (const std::string& item : ListItems(items))
        AppendColourEntry(list.list, ColourOfHexText(item));
    if (list.list->GetCount() == 0) return;
    list.list->SetSelection(0);
    const int match = FindColourEntry(list.list, ColourOfHexText(colour));
    if (match != wxNOT_FOUND) list.list->SetSelection(match);
}

void PickColourListEntry(const ColourList& list, std::string& items, wxWindow* dialog) {
    std::string chosen;
    if (!ColourListValue(list, chosen)) chosen = "000000";
    if (!ChooseColour(chosen, dialog)) return;
    const wxColour colour = ColourOfHexText(chosen);
    int entry = FindColourEntry(list.list, colour);
    if (entry == wxNOT_FOUND) {
        entry = AppendColourEntry(list.list, colour);
        AppendItem(items, HexTextOf(colour));
    }
    list.list->SetSelection(entry);
}

bool ColourListValue(const ColourList& list, std::string& hex) {
    const int selected = list.list->GetSelection();
    if (selected == wxNOT_FOUND) return false;
    hex = HexTextOf(ColourOfData(list.list->GetClientData(static_cast<unsigned>(selected))));
    return true;
}

void FillFontList(const FontList& list, std::string& fonts, const std::string& font) {
    if (fonts.empty()) fonts = font;
    list.list->Clear();
    int match = wxNOT_FOUND;
    for (const std::string& name : ListItems(fonts)) {
        const int index = list.list->Append(Wx(name));
        if (match == wxNOT_FOUND && EqualsNoCase(name, font)) match = index;
    }
    if (list.list->GetCount() == 0) return;
    list.list->SetSelection(match != wxNOT_FOUND ? match : 0);
}

void PickFont(const FontList& list, std::string& fonts, wxTextCtrl* sizeField, wxChoice* styleList,
              wxWindow* dialog) {
    FontChoice choice;
    choice.family = list.list->GetStringSelection().utf8_string();
    choice.points = std::atoi(sizeField->GetValue().utf8_str());
    if (!ChooseFont(choice, dialog)) return;

    std::string name;
    for (char c : choice.family)
        if (c != ',') name += c;
    bool listed = false;
    for (const std::string& item : ListItems(fonts))
        listed = listed || item == name;
    if (!listed) {
        list.list->Append(Wx(name));
        AppendItem(fonts, name);
    }
    for (unsigned i = 0; i < list.list->GetCount(); ++i)
        if (EqualsNoCase(list.list->GetString(i).utf8_string(), name)) {
            list.list->SetSelection(static_cast<int>(i));
            break;
        }
    sizeField->ChangeValue(std::to_string(choice.points));
    const int flags = FontFlagsOf(choice);
    for (size_t i = 0; i < std::size(kFontStyleFlags); ++i)
        if (kFontStyleFlags[i] == flags) styleList->SetSelection(static_cast<int>(i));
}

void PickWatermarkImage(wxTextCtrl* field, wxWindow* dialog) {
    const std::string chosen =
        ChooseOpenFile(GetText("Dialog", "Select Watermark Image"),
                       TrimBlanks(field->GetValue().utf8_string()), WatermarkImageFilter(), dialog);
    if (!chosen.empty()) field->ChangeValue(Wx(chosen));
}
