// Keyword vocabularies: the upper-case words by which the command line and the
// debug listing name the values of enumerated options.
#pragma once

#include <span>
#include <string>
#include <string_view>

struct Keyword {
    const char* word;
    int value;
};

struct KeywordList {
    const char* name;
    std::span<const Keyword> words;
};

namespace kw {
#define BRELVIX_KEYWORDS(name, ...)                                                                \
    inline constexpr Keyword name##Words[] = {__VA_ARGS__};                                        \
    inline constexpr KeywordList name{#name, name##Words};

BRELVIX_KEYWORDS(loadAs, {"AUTO", 0}, {"BGRA", 1}, {"RGBA", 2})
BRELVIX_KEYWORDS(rawBits, {"AUTO", 0}, {"8", 1}, {"16", 2}, {"24", 3}, {"48HS", 4}, {"48", 5})
BRELVIX_KEYWORDS(frames, {"ALL", 0}, {"FIRST", 1}, {"MIDDLE", 2}, {"LAST", 3}, {"RANDOM", 4})
BRELVIX_KEYWORDS(tone, {"NONE", 0}, {"LINEAR", 1}, {"AL", 2}, {"DRR", 3}, {"GD", 4})
// One list serves every compression option on the command line.
BRELVIX_KEYWORDS(compression, {"NONE", 0}, {"RLE", 1}, {"ZIP", 1}, {"PIZ", 2}, {"PXR24", 3},
                 {"B44", 4}, {"ZLIB1", 1}, {"ZLIB6", 2}, {"ZLIB9", 3}, {"CCITTFAX3", 1},
                 {"CCITTFAX4", 2}, {"PACKBITS", 3}, {"DEFLATE", 4}, {"ADOBEDEFLATE", 5},
                 {"LZW", 6}, {"JPEG", 7}, {"LOGLUV", 8})
// Each format's own compression values, as the listing names them.
BRELVIX_KEYWORDS(rleCompression, {"NONE", 0}, {"RLE", 1})
BRELVIX_KEYWORDS(exrCompression, {"NONE", 0}, {"ZIP", 1}, {"PIZ", 2}, {"PXR24", 3}, {"B44", 4})
BRELVIX_KEYWORDS(pngCompression, {"NONE", 0}, {"ZLIB1", 1}, {"ZLIB6", 2}, {"ZLIB9", 3})
BRELVIX_KEYWORDS(tiffCompression, {"NONE", 0}, {"CCITTFAX3", 1}, {"CCITTFAX4", 2},
                 {"PACKBITS", 3}, {"DEFLATE", 4}, {"ADOBEDEFLATE", 5}, {"LZW", 6}, {"JPEG", 7},
                 {"LOGLUV", 8})
BRELVIX_KEYWORDS(colorTable, {"AUTO", 0}, {"EXACT", 1})
BRELVIX_KEYWORDS(colorModel, {"RGB", 0}, {"CMYK", 1}, {"LAB", 2})
BRELVIX_KEYWORDS(chroma, {"NONE", 0}, {"LOW", 1}, {"MEDIUM", 2}, {"HIGH", 3})
BRELVIX_KEYWORDS(jpegSave, {"STANDARD", 0}, {"SIMPLE", 1}, {"OPTIMIZED", 2}, {"PROGRESSIVE", 3})
BRELVIX_KEYWORDS(rotationType, {"SIMPLE", 0}, {"ADVANCED", 1})
BRELVIX_KEYWORDS(unit, {"PIXELS", 0}, {"PERCENT", 1})
BRELVIX_KEYWORDS(resizeType, {"ALLIMAGES", 0}, {"LARGEIMAGES", 1})
BRELVIX_KEYWORDS(resizeAlgorithm, {"BOX", 0}, {"BILINEAR", 1}, {"BSPLINE", 2}, {"BICUBIC", 3},
                 {"CATMULLROM", 4}, {"LANCZOS", 5})
BRELVIX_KEYWORDS(fontStyle, {"REGULAR", 0}, {"BOLD", 1}, {"ITALIC", 2}, {"BOLDITALIC", 3})
BRELVIX_KEYWORDS(fontEffect, {"NONE", 0}, {"UNDERLINE", 1}, {"STRIKETHROUGHT", 2})
BRELVIX_KEYWORDS(alignment, {"LEFT", 0}, {"CENTER", 1}, {"RIGHT", 2})
BRELVIX_KEYWORDS(boundary, {"IMAGE", 0}, {"FRAME", 1})
BRELVIX_KEYWORDS(position, {"TOPLEFT", 0}, {"TOPCENTER", 1}, {"TOPRIGHT", 2}, {"MIDDLELEFT", 3},
                 {"MIDDLECENTER", 4}, {"MIDDLERIGHT", 5}, {"BOTTOMLEFT", 6},
                 {"BOTTOMCENTER", 7}, {"BOTTOMRIGHT", 8})
BRELVIX_KEYWORDS(size, {"FIXED", 0})
BRELVIX_KEYWORDS(timestamp, {"CURRENT", 0}, {"ORIGINAL", 1}, {"CUSTOM", 2})
BRELVIX_KEYWORDS(frameType, {"NONE", 0}, {"SOLID", 1})
BRELVIX_KEYWORDS(watermarkType, {"NONE", 0}, {"TEXT", 1}, {"IMAGE", 2})

#undef BRELVIX_KEYWORDS
} // namespace kw

// The number of a keyword: the text is upper-cased and compared with the words of
// the list in order; no match gives 0.
int KeywordValue(const KeywordList& list, std::string_view text);

// The lower-case keyword of a value (the first word with that number), or "" when
// the list has none.
std::string KeywordName(const KeywordList& list, int value);
