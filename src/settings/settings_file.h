// The settings file (config.ini) and the INI reader that profile files share.
#pragma once

#include <string>
#include <vector>

// A parsed INI-style file: groups in file order, each with its lines in file order.
struct IniEntry {
    std::string key;   // as written, trailing blanks removed
    std::string value; // leading blanks removed, trailing part as written
};
struct IniGroup {
    std::string name;
    std::vector<IniEntry> entries;
};
struct IniFile {
    std::vector<IniGroup> groups;
};

// Reads and parses a file (UTF-8 mark, or ANSI fallback). False when it cannot be opened.
bool ReadIniFile(const std::string& path, IniFile& ini);
// Parses text that has already been decoded to UTF-8.
IniFile ParseIni(std::string_view text);
// The first group of that name (case-insensitive), or nullptr.
const IniGroup* FindGroup(const IniFile& ini, std::string_view name);
// The first value of key in the group (case-insensitive), or nullptr.
const std::string* FindValue(const IniGroup* group, std::string_view key);

// Fills gSettings from the settings file (or the defaults) and applies the migrations.
void LoadSettings();
// Writes gSettings to the settings file, through a temporary file.
bool SaveSettings();
