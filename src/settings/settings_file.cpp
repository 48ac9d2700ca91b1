// The settings file config.ini: an INI-style reader (shared with profile files) and
// the load and save of gSettings, both walking the option table.
#include "settings/settings_file.h"

#include "platform/hidden_file.h"
#include "platform/platform.h"
#include "settings/settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

// The Window group is written sizes first, then the position.
constexpr std::array<std::string_view, 5> kWindowWriteOrder = {"IsMaximized", "Width", "Height",
                                                               "X", "Y"};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeadingBlanks(std::string_view text) {
    size_t b = 0;
    while (b < text.size() && IsBlank(text[b]))
        ++b;
    return text.substr(b);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    size_t e = text.size();
    while (e > 0 && IsBlank(text[e - 1]))
        --e;
    return text.substr(0, e);
}

std::string_view TrimTrailingSpaces(std::string_view text) {
    size_t e = text.size();
    while (e > 0 && text[e - 1] == ' ')
        --e;
    return text.substr(0, e);
}

// An optional sign and decimal digits, stopping at the first other character; no
// digits give 0. The value wraps like the fields it is truncated into.
int64_t ParseIniInteger(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
    if (negative) value = 0 - value;
    return static_cast<int64_t>(value);
}

// Decimal notation, or "+Infinity", "-Infinity", "NaN" in any case. False when the
// text is none of these.
bool ParseIniFloat(std::string_view text, double& value) {
    text = TrimTrailingBlanks(text);
    if (EqualsNoCase(text, "+Infinity") || EqualsNoCase(text, "Infinity")) {
        value = std::numeric_limits<double>::infinity();
        return true;
    }
    if (EqualsNoCase(text, "-Infinity")) {
        value = -std::numeric_limits<double>::infinity();
        return true;
    }
    if (EqualsNoCase(text, "NaN")) {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    double parsed = 0;
    auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    // Beyond the range of the single-precision field: the nearest value is infinity.
    if (std::isfinite(parsed) && std::fabs(parsed) > FLT_MAX)
        parsed = std::copysign(std::numeric_limits<double>::infinity(), parsed);
    value = parsed;
    return true;
}

std::string FormatFloat(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "+Infinity" : "-Infinity";
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (ec != std::errc()) return "0.000000";
    return std::string(buffer, end);
}

void AssignValue(const OptionDef& def, const std::string& value) {
    if (IsStringType(def.type)) {
        if (def.flags & kKeepTrailingSpaces)
            SetString(def, gSettings, value);
        else
            SetString(def, gSettings, std::string(TrimTrailingSpaces(value)));
    } else if (def.type == FieldType::Float32) {
        double number = 0;
        if (ParseIniFloat(value, number))
            SetFloat(def, gSettings, number);
        else
            SetLoadDefault(def, gSettings);
    } else {
        SetInt(def, gSettings, ParseIniInteger(value));
    }
}

// A value is written on one line: line breaks inside it would end the line and turn
// the rest into lines of their own.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string FormatValue(const OptionDef& def) {
    if (def.def.rule == DefaultRule::LayoutVersion)
        return std::to_string(static_cast<int64_t>(def.def.number));
    if (IsStringType(def.type)) return OneLine(GetString(def, gSettings));
    if (def.type == FieldType::Float32) return FormatFloat(GetFloat(def, gSettings));
    return std::to_string(GetInt(def, gSettings));
}

// The formats whose option rows a group writes: the active input formats for the
// Input group, the active output formats for the Output group, none elsewhere.
std::span<const std::string> ActiveFormatsOf(std::string_view group) {
    if (group == "Input") return ActiveInputFormats();
    if (group == "Output") return ActiveOutputFormats();
    return {};
}

size_t WindowRank(const OptionDef& def) {
    auto it = std::find(kWindowWriteOrder.begin(), kWindowWriteOrder.end(), def.key);
    return static_cast<size_t>(it - kWindowWriteOrder.begin());
}

// The rows of one group in the order they are written: the rows of no format, then
// the rows of each active format in the order of the active list.
std::vector<const OptionDef*> RowsToWrite(std::string_view group) {
    std::vector<const OptionDef*> rows;
    for (const OptionDef& def : OptionTable())
        if (group == def.group && *def.format == '\0') rows.push_back(&def);
    for (const std::string& format : ActiveFormatsOf(group))
        for (const OptionDef& def : OptionTable())
            if (group == def.group && format == def.format) rows.push_back(&def);
    if (group == "Window") {
        if (gSettings.saveWindowPosition != 1) return {};
        std::stable_sort(rows.begin(), rows.end(), [](const OptionDef* a, const OptionDef* b) {
            return WindowRank(*a) < WindowRank(*b);
        });
    }
    return rows;
}

} // namespace

IniFile ParseIni(std::string_view text) {
    IniFile ini;
    if (text.starts_with(kUtf8Mark)) text.remove_prefix(kUtf8Mark.size());
    IniGroup* current = nullptr;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        line = TrimLeadingBlanks(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            size_t close = line.find(']', 1);
            ini.groups.push_back(IniGroup{std::string(line.substr(1, close - 1)), {}});
            current = &ini.groups.back();
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string_view::npos || current == nullptr) continue;
        current->entries.push_back(
            IniEntry{std::string(TrimTrailingBlanks(line.substr(0, equals))),
                     std::string(TrimLeadingBlanks(line.substr(equals + 1)))});
    }
    return ini;
}

bool ReadIniFile(const std::string& path, IniFile& ini, FileRead* result) {
    ini = IniFile{};
    std::string bytes;
    const FileRead read =
        path.empty() ? FileRead::kMissing : ReadRegularFile(path, kMaxIniFileBytes, bytes);
    if (result) *result = read;
    if (read != FileRead::kRead) return false;
    if (std::string_view(bytes).starts_with(kUtf8Mark))
        ini = ParseIni(std::string_view(bytes).substr(kUtf8Mark.size()));
    else
        ini = ParseIni(DecodeAnsiOrUtf8(bytes));
    return true;
}

const IniGroup* FindGroup(const IniFile& ini, std::string_view name) {
    for (const IniGroup& group : ini.groups)
        if (EqualsNoCase(group.name, name)) return &group;
    return nullptr;
}

const std::string* FindValue(const IniGroup* group, std::string_view key) {
    if (group == nullptr) return nullptr;
    for (const IniEntry& entry : group->entries)
        if (EqualsNoCase(entry.key, key)) return &entry.value;
    return nullptr;
}

void LoadSettings() {
    IniFile ini;
    FileRead read = FileRead::kMissing;
    const bool loaded = ReadIniFile(gSettings.settingsPath, ini, &read);
    gSettings.keepSettingsFile = read == FileRead::kRefused;
    if (!loaded) {
        ResetSettings(false);
    } else {
        for (const OptionDef& def : OptionTable()) {
            const std::string* value = FindValue(FindGroup(ini, def.group), def.key);
            if (value)
                AssignValue(def, *value);
            else
                SetLoadDefault(def, gSettings);
        }
    }

    // Files of older layouts.
    if (gSettings.cfg < 11 && gSettings.filenameMask.find("%ext%") == std::string::npos)
        gSettings.filenameMask += ".%ext%";
    if (gSettings.cfg < 14 && gSettings.rawLoadAs != 0) gSettings.rawLoadAs += 2;
}

bool SaveSettings() {
    if (gSettings.settingsPath.empty() || gSettings.keepSettingsFile) return false;
    std::string out(kUtf8Mark);
    out += kLineEnd;
    std::vector<std::string_view> written;
    for (const OptionDef& def : OptionTable()) {
        std::string_view group = def.group;
        if (std::find(written.begin(), written.end(), group) != written.end()) continue;
        written.push_back(group);
        out += "[";
        out += group;
        out += "]";
        out += kLineEnd;
        for (const OptionDef* row : RowsToWrite(group)) {
            out += row->key;
            out += " = ";
            out += FormatValue(*row);
            out += kLineEnd;
        }
        out += "; ";
        out += kLineEnd;
    }
    // A new file gets the usual mode under the umask.
    const mode_t mask = umask(0);
    umask(mask);
    return ReplaceFileAtomically(gSettings.settingsPath, out, 0666 & ~mask);
}
