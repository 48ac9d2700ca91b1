// Output file names: the filename mask, its tokens, and the same tokens inside a
// watermark text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Output folder, the current sub-folder when sub-folders are kept, and the expanded mask.
std::string FinalOutputPath();
// The file name of the current file from the filename mask. The mask's "\" separators
// come out as "/", so a mask may name a sub-folder either way.
std::string ExpandFilenameMask();
// A watermark text with its tokens replaced; its literal text keeps its letter case.
std::string ExpandWatermarkText(const std::string& text);
// Every occurrence of the token, found without regard to letter case, replaced by its
// value. A text that is no token leaves the text unchanged.
std::string ReplaceMaskToken(const std::string& text, std::string_view token);
// The name without its last extension and dot.
std::string StripExtension(const std::string& name);
// The filename-mask tokens, in the order they are searched for and replaced.
std::vector<std::string_view> MaskTokens();
