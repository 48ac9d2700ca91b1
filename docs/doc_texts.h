// The words of the manual and the man page about each command-line option and each
// filename-mask token. The lists themselves come from the program's tables; the
// generator refuses to run when an option or a token has no entry here, or an entry
// names none.
//
// In the texts, `...` marks a name to be shown as code.
#pragma once

struct RunOptionText {
    const char* shortName; // "-i", or nullptr
    const char* longName;  // "--input", or nullptr
    const char* value;     // "FILE", or "" for none
    const char* text;
};

// The options that steer the run itself, and the start modes.
inline constexpr RunOptionText kRunOptionTexts[] = {
    {"-i", "--input", "FILE",
     "The picture to convert: a BMP file (@INPUT-EXTENSIONS@). This option "
     "starts a conversion; without it the window opens. The short form takes the next argument "
     "(`-i photo.bmp`), the long form the text after `=` (`--input=photo.bmp`)."},
    {"-o", "--output", "FOLDER",
     "The folder the PCX file is written to; without it the file goes beside the picture. A "
     "folder that does not begin with `/` is taken from the current folder; one beginning with "
     "`..` is refused, and the folder must exist."},
    {"-c", "--conversion", "EXT",
     "The output format. The only one is `pcx`, written exactly so (`-c PCX` is refused)."},
    {nullptr, "--profile", "FILE",
     "Reads options from the `[CLI]` group of a profile file, at this place among the other "
     "options: later options overwrite what the profile set, and the profile overwrites what "
     "came before it."},
    {"-d", "--debug", "",
     "Lists every setting the run uses and, for the file, the lines `Processing:`, "
     "`Saving As:` and `OK` or `Not OK`."},
    {"-q", "--quiet", "",
     "Prints only the error lines and the outcome of a run that converted nothing."},
    {"-p", "--pause", "",
     "Waits for a key before the program ends. The end of standard input counts as a key, so a "
     "pause never holds up a script."},
    {"-h, -?", "--help", "", "Prints a short help text and ends. Only as the first argument."},
    {"-v", "--version", "", "Prints the version, @VERSION@, and ends. Only as the first argument."},
};

inline constexpr RunOptionText kStartModeTexts[] = {
    {"-T", nullptr, "[FOLDER]",
     "Screenshot mode: opens the main window with sample contents, saves a picture of it as "
     "`brelvix1.jpg` and a copy 180 pixels wide as `brelvix1x.jpg` in FOLDER (else in the "
     "program's folder) and ends. It needs a display and never reads or writes the settings "
     "file."},
    {"-U", nullptr, "",
     "Shows the uninstall page, a small window that offers to open the program's uninstall "
     "page on the maker's web site, and ends."},
};

struct OptionText {
    const char* name;  // the long option, as in the option table
    const char* value; // the word shown for the value; "" for a switch or the kind's word
    const char* text;
};

// Every option of the option table that belongs to no format or to a format this
// edition reads or writes.
inline constexpr OptionText kOptionTexts[] = {
    // Transform
    {"--rotation", "DEGREES",
     "Turns the picture counter-clockwise by this many degrees. Only 1 to 359 turn it; 0, 360, "
     "negative and larger angles leave it as it is."},
    {"--rotation-type", "",
     "`SIMPLE` enlarges the canvas so that the whole turned picture fits and fills the uncovered "
     "corners with the background colour; `ADVANCED` turns the picture about its centre and "
     "keeps its size."},
    {"--rotation-back-color", "COLOUR",
     "The colour of the corners that a simple rotation uncovers, as six hexadecimal digits for "
     "red, green and blue (`FF0000` is red); any other length counts as black."},
    {"--width", "NUMBER",
     "Resizes the picture to this width, counted in pixels or in percent of the picture's width "
     "(`--width-unit`). Resizing needs both `--width` and `--height`, and neither may be 0."},
    {"--width-unit", "", "How `--width` is counted."},
    {"--height", "NUMBER",
     "Resizes the picture to this height, in pixels or in percent of the picture's height "
     "(`--height-unit`)."},
    {"--height-unit", "", "How `--height` is counted."},
    {"--keep-aspect-ratio", "",
     "Keeps the picture's proportions when it is resized: the target of the picture's longer "
     "side counts and the other side follows. On the command line proportions are kept only "
     "with this option."},
    {"--resize-type", "",
     "`ALLIMAGES` resizes every picture; `LARGEIMAGES` only a picture that is larger than the "
     "target in at least one direction."},
    {"--resize-algorithm", "",
     "The resampling filter, from the blocky `BOX` to the sharp `LANCZOS` (Lanczos 3). A word "
     "that is not in the list gives `BOX`."},
    {"--flip-horizontal", "", "Mirrors the picture left to right."},
    {"--flip-vertical", "", "Mirrors the picture top to bottom."},
    // Adjustment
    {"--brightness", "NUMBER",
     "Makes the picture brighter or darker, in percent from -100 to 100."},
    {"--contrast", "NUMBER", "Raises or lowers the contrast, in percent from -100 to 100."},
    {"--gamma", "NUMBER",
     "Gamma correction from 0.01 to 9.99, written with a point (`--gamma=1.8`): below 1 darkens "
     "the middle tones, above 1 lightens them, 1 leaves them."},
    {"--invert", "", "Turns the picture into its negative."},
    {"--greyscale", "", "Turns the picture into shades of grey."},
    {"--threshold", "LEVEL",
     "Turns the picture into black and white: pixels darker than the level (0 to 255) become "
     "black, the others white."},
    // Frame
    {"--fr-solid-left", "PIXELS",
     "Width of the frame's left side. Any of the four widths switches the frame on; the frame "
     "is painted over the picture's edges, and the picture keeps its size."},
    {"--fr-solid-right", "PIXELS", "Width of the frame's right side."},
    {"--fr-solid-top", "PIXELS", "Width of the frame's top side."},
    {"--fr-solid-bottom", "PIXELS", "Width of the frame's bottom side."},
    {"--fr-solid-left-color", "COLOUR", "Colour of the left side, six hexadecimal digits."},
    {"--fr-solid-right-color", "COLOUR", "Colour of the right side."},
    {"--fr-solid-top-color", "COLOUR", "Colour of the top side."},
    {"--fr-solid-bottom-color", "COLOUR", "Colour of the bottom side."},
    {"--fr-solid-opacity", "NUMBER",
     "Opacity of the whole frame, from 0 (invisible) to 255 (solid)."},
    // Watermark
    {"--wm-text", "TEXT",
     "Writes this text over the picture and switches the text watermark on. `%eol%` starts a "
     "new line, and the filename-mask tokens (`%filename%`, `%yyyy%` and the others) are "
     "replaced. Give a text with spaces in quotes: `--wm-text=\"Summer 2026\"`."},
    {"--wm-font", "FONT",
     "The font family of the text, for example `\"DejaVu Sans\"`. The system's font aliases "
     "count (Arial gives Liberation Sans); a font the system does not have ends the run with "
     "`Invalid watermark font`."},
    {"--wm-font-size", "POINTS", "The size of the text in points."},
    {"--wm-font-leading", "PIXELS", "Extra space between the lines of a text of several lines."},
    {"--wm-font-color", "COLOUR", "The colour of the text, six hexadecimal digits."},
    {"--wm-font-style", "", "The style of the letters."},
    {"--wm-font-effect", "", "A line under or through the letters (`STRIKETHROUGHT` is spelt so)."},
    {"--wm-text-antialiasing", "", "Draws the text with smooth edges."},
    {"--wm-text-alignment", "", "How the lines of a text of several lines line up."},
    {"--wm-text-padding", "PIXELS", "Space between the text and the edge of its background box."},
    {"--wm-text-opacity", "NUMBER", "Opacity of the text, from 0 to 255."},
    {"--wm-back-color", "COLOUR", "Colour of the box behind the text."},
    {"--wm-back-opacity", "NUMBER",
     "Opacity of the box behind the text, from 0 to 255; the default 1 leaves it nearly "
     "invisible, 255 makes it solid."},
    {"--wm-text-boundary", "",
     "`IMAGE` places the text within the whole picture, `FRAME` within the frame."},
    {"--wm-text-position", "", "Where the text goes on the picture."},
    {"--wm-text-x-offset", "PIXELS",
     "Distance from the left edge for the left positions, from the right edge for the right "
     "positions; not used for the centred ones."},
    {"--wm-text-y-offset", "PIXELS",
     "Distance from the top edge for the top positions, from the bottom edge for the bottom "
     "positions; not used for the middle ones."},
    {"--wm-text-rotation", "DEGREES", "Turns the text counter-clockwise; 1 to 359 turn it."},
    {"--wm-text-size", "", "The text keeps its size in points; `FIXED` is the only size."},
    {"--wm-image", "FILE",
     "Lays this picture (BMP, PNG or JPEG) over the picture and switches the picture "
     "watermark on instead of a text. A PNG keeps its own transparency."},
    {"--wm-image-greyscale", "", "Draws the watermark picture in shades of grey."},
    {"--wm-image-opacity", "NUMBER", "Opacity of the watermark picture, from 0 to 255."},
    {"--wm-image-boundary", "",
     "`IMAGE` places the watermark picture within the whole picture, `FRAME` within the frame."},
    {"--wm-image-position", "", "Where the watermark picture goes."},
    {"--wm-image-x-offset", "PIXELS", "As `--wm-text-x-offset`, for the watermark picture."},
    {"--wm-image-y-offset", "PIXELS", "As `--wm-text-y-offset`, for the watermark picture."},
    {"--wm-image-rotation", "DEGREES", "Turns the watermark picture counter-clockwise."},
    {"--wm-image-size", "", "The watermark picture keeps its size; `FIXED` is the only size."},
    // Advanced
    {"--filename-mask", "MASK",
     "The name of the output file, made of text and tokens (see Filename masks). The default "
     "`%filename%.%ext%` keeps the picture's name; a mask without `%ext%` gives a name without "
     "extension, and a `/` names a sub-folder of the output folder (made when missing)."},
    {"--file-timestamp", "",
     "The modification time of the new file: `CURRENT` (the time it was written), `ORIGINAL` "
     "(copied from the picture) or `CUSTOM` (`--file-timestamp-custom`)."},
    {"--file-timestamp-custom", "SECONDS",
     "The modification time for `CUSTOM`, as seconds since 1 January 1970 counted in local "
     "time; `date -u -d '2026-05-01 12:00' +%s` prints the value for that local time."},
    {"--no-subfolders", "",
     "Writes the file straight into the output folder, never into a sub-folder of it."},
    // Output
    {"--pcx-bpp", "NUMBER",
     "Bits per pixel of the colours written: 0 (chosen from the picture) or @PCX-BPP@. The "
     "file is always a 24-bit PCX file."},
};

struct TokenText {
    const char* token;
    const char* text;
    const char* example; // nullptr: the generator shows the token's value for a sample file
};

inline constexpr TokenText kTokenTexts[] = {
    {"%filename%", "the picture's file name without folder and extension, letters as they are",
     nullptr},
    {"%filename[u]%", "the same name in capitals", nullptr},
    {"%filename[l]%", "the same name in small letters", nullptr},
    {"%filename[t]%", "the same name with a capital first letter and the rest small", nullptr},
    {"%ext%", "the output format", nullptr},
    {"%ext[u]%", "the output format in capitals", nullptr},
    {"%ext[t]%", "the output format with a capital first letter", nullptr},
    {"%yyyy%", "the year of the conversion, four digits", "2026"},
    {"%mm%", "the month, 01 to 12", "05"},
    {"%dd%", "the day of the month, 01 to 31", "24"},
    {"%hh%", "the hour, 00 to 23", "14"},
    {"%ii%", "the minute, 00 to 59", "07"},
    {"%ss%", "the second, 00 to 59", "09"},
    {"%bpp%", "the bits per pixel of the colours written", nullptr},
    {"%width%", "the width of the written picture in pixels", nullptr},
    {"%height%", "the height of the written picture in pixels", nullptr},
    {"%rnd%", "a random number from 1 to 99999, five digits with leading zeros, new for every file",
     nullptr},
    {"%n%",
     "a running number, five digits: 00001 for the first file converted after the program "
     "started or after New, one more for every file converted since",
     nullptr},
};
