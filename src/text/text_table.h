// The built-in text table: every text the windows, dialogs and messages show.
#pragma once

#include <string>
#include <string_view>

void BuildTextTable();
// The text of key in group (case-insensitive), or "%NO_STRING_ERROR%".
std::string GetText(std::string_view group, std::string_view key);
// text with %s1% to %s4% replaced by the non-empty values (letters of the
// placeholder compared without regard to case).
std::string FillTemplate(std::string text, const std::string& s1 = "", const std::string& s2 = "",
                         const std::string& s3 = "", const std::string& s4 = "");
