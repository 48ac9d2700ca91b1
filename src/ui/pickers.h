// The colour, font and watermark-image pickers of the Preferences dialog: the colour
// row (a swatch button and its hexadecimal text), the colour list with its "..." button,
// the font list with its "..." button, and the watermark image dialog. Each picker asks
// through the common dialogs (ui/dialogs.h), so tests answer them.
#pragma once

#include <span>
#include <string>

class wxBitmapButton;
class wxBitmapComboBox;
class wxButton;
class wxChoice;
class wxColour;
class wxTextCtrl;
class wxWindow;
struct FontChoice;

// Six upper-case hexadecimal digits of a colour, red first ("0080FF").
std::string HexTextOf(const wxColour& colour);
// The colour of a hex text: exactly six digits, else black.
wxColour ColourOfHexText(const std::string& hex);
// The colour's hex text as the pickers keep it: "ff0000" gives "FF0000", a text of
// another length "000000".
std::string NormalHexText(const std::string& hex);
// The caption of a colour: its localised name when it is one of the named colours,
// else "Color #" and its hex text.
std::string ColourCaption(const std::string& hex);

// The font flags of the Font Style entries, in list order (regular, bold, italic,
// bold italic).
std::span<const int> FontStyleFlags();
// The flags of a font chosen in the font dialog: bold 256, italic 512, underline 4,
// strike-out 8.
int FontFlagsOf(const FontChoice& font);

// Colour row: a swatch button and a read-only text holding the hex text.
struct ColourRow {
    wxBitmapButton* button = nullptr;
    wxTextCtrl* text = nullptr;
};
ColourRow BuildColourRow(wxWindow* parent, int x, int y, int width, int height);
void FillColourRow(const ColourRow& row, const std::string& hex);
// The button: the colour dialog, starting at the row's colour.
void PickColourRow(const ColourRow& row, wxWindow* dialog);
std::string ColourRowValue(const ColourRow& row);

// Colour list: swatch entries from a comma-separated list setting, and "...".
struct ColourList {
    wxBitmapComboBox* list = nullptr;
    wxButton* more = nullptr;
};
void FillColourList(const ColourList& list, const std::string& items, const std::string& colour);
// "...": a colour not yet listed is appended to the entries and, at once, to items.
void PickColourListEntry(const ColourList& list, std::string& items, wxWindow* dialog);
// The hex text of the selected entry; false when none is selected.
bool ColourListValue(const ColourList& list, std::string& hex);

// Font list: the names of a comma-separated list setting, and "...".
struct FontList {
    wxChoice* list = nullptr;
    wxButton* more = nullptr;
};
// Fills the entries from fonts (which first takes font when it is empty).
void FillFontList(const FontList& list, std::string& fonts, const std::string& font);
// "...": the font dialog with the selected name and the size of sizeField. A new name
// is appended to the entries and, at once, to fonts; the size goes to sizeField and the
// style to styleList when one of its entries carries the chosen flags.
void PickFont(const FontList& list, std::string& fonts, wxTextCtrl* sizeField, wxChoice* styleList,
              wxWindow* dialog);

// The "..." button of the Image field: a chosen file replaces the field's text.
void PickWatermarkImage(wxTextCtrl* field, wxWindow* dialog);
