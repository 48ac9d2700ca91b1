// The settings file (config.ini) and the INI reader that profile files share.
#pragma once

#include "platform/platform.h"

#include <cstddef>
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

// The largest settings or profile file that is read. A real one holds a few kilobytes;
// anything larger is no such file and is refused rather than read into memory.
inline constexpr size_t kMaxIniFileBytes = 4 * 1024 * 1024;

// Reads and parses a regular file of at most kMaxIniFileBytes (UTF-8 mark, or ANSI
// fallback). False when it is missing or refused (a FIFO, a device, a folder, a larger
// or unreadable file); result, when given, tells the two apart.
bool ReadIniFile(const std::string& path, IniFile& ini, FileRead* result = nullptr);
// Parses text that has already been decoded to UTF-8.
IniFile ParseIni(std::string_view text);
// The first group of that name (case-insensitive), or nullptr.
const IniGroup* FindGroup(const IniFile& ini, std::string_view name);
// The first value of key in the group (case-insensitive), or nullptr.
const std::string* FindValue(const IniGroup* group, std::string_view key);

// Fills gSettings from the settings file (or the defaults) and applies the migrations.
// A settings file that is there but refused by the reader is kept as it is: the run
// starts from the defaults and never saves over it.
void LoadSettings();
// Writes gSettings to the settings file, through a temporary file. False, and nothing
// written, when the file was refused at load.
bool SaveSettings();
