#include "themes/themes.h"

#include "app/image_slots.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "themes/zip_reader.h"

#include <algorithm>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <vector>

namespace {

std::map<std::string, std::string> gCatalogue;
std::string gLastListed;

// Position of needle in text at or after from, compared without regard to ASCII case.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    if (text.size() < needle.size()) return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); ++i)
        if (EqualsNoCase(text.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
}

std::string_view TrimChars(std::string_view s, char c) {
    while (!s.empty() && s.front() == c)
        s.remove_prefix(1);
    while (!s.empty() && s.back() == c)
        s.remove_suffix(1);
    return s;
}

constexpr const char* kDefaultTheme = "handdrawn";

std::string ArchivePath(const std::string& theme) {
    return ThemeFolder() + theme + ".zip";
}

bool UsableArchive(const std::string& path) {
    return IsFile(path) && FileSize(path) > 0;
}

// Entry name of a slot's picture: the value itself when it names a PNG file, else the
// base name with the pixel size.
std::string EntryName(const std::string& value, int pixelSize) {
    if (FindNoCase(value, ".png", 0) != std::string_view::npos) return value;
    return value + "_" + std::to_string(pixelSize) + ".png";
}

} // namespace

std::string ThemeFolder() {
    std::string folder = gJob.programFolder.empty() ? ProgramFolder() : gJob.programFolder;
    if (folder.back() != '/') folder += '/';
    if (!IsFolder(folder + "gfx") && IsFolder(folder + "../share/brelvix/gfx"))
        return folder + "../share/brelvix/gfx/";
    return folder + "gfx/";
}

void ListThemes() {
    gCatalogue.clear();
    gLastListed.clear();
    const std::string folder = ThemeFolder();
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name == "." || name == ".." || name.size() <= 4) continue;
            if (!EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".zip")) continue;
            struct stat st {};
            if (stat((folder + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            names.push_back(name.substr(0, name.size() - 4));
        }
        closedir(dir);
    }
    // The listing is taken in name order so that "found last" does not depend on the
    // file system's order.
    std::sort(names.begin(), names.end());
    for (const std::string& theme : names) {
        gCatalogue[theme] = ThemeDisplayName(theme);
        gLastListed = theme;
    }
}

const std::map<std::string, std::string>& ThemeCatalogue() {
    return gCatalogue;
}
const std::string& LastListedTheme() {
    return gLastListed;
}

bool IsBareThemeName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string ThemeDisplayName(const std::string& themeName) {
    std::string result = themeName;
    if (!IsBareThemeName(themeName)) return result;
    const std::string path = ArchivePath(themeName);
    std::map<std::string, std::string> data;
    if (!UsableArchive(path) || !ReadZipEntries(path, {"theme.cfg"}, 255, true, data))
        return result;
    std::string text = data["theme.cfg"];
    text = text.substr(0, text.find('\0'));
    return ThemeConfigValue(text, "Theme", "Name");
}

std::string ThemeConfigValue(std::string_view text, std::string_view section,
                             std::string_view key) {
    std::string header(1, '[');
    header.append(section).push_back(']');
    const size_t start = FindNoCase(text, header, 0);
    if (start == std::string_view::npos) return "";
    size_t end = text.find('[', start + header.size());
    if (end == std::string_view::npos) end = text.size();
    std::string keyLine("\r\n");
    keyLine.append(key);
    const size_t line = FindNoCase(text, keyLine, start);
    if (line == std::string_view::npos || line >= end) return "";
    const size_t lineStart = line + 2;
    const size_t lineEnd = text.find("\r\n", lineStart);
    if (lineEnd == std::string_view::npos) return "";
    std::string_view lineText = text.substr(lineStart, lineEnd - lineStart);
    const size_t eq1 = lineText.find('=');
    if (eq1 == std::string_view::npos) return "";
    std::string_view value = lineText.substr(eq1 + 1);
    value = value.substr(0, value.find('='));
    for (char c : {' ', '\t', '\r', '\n'})
        value = TrimChars(value, c);
    return std::string(value);
}

int IconPixelSize(int uiSize) {
    static constexpr int kSizes[] = {16, 24, 32, 48, 64};
    return uiSize >= 0 && uiSize < 5 ? kSizes[uiSize] : 16;
}

void LoadTheme(bool buttons, bool menuIcons, bool toolbarIcons) {
    // A theme is an archive of the theme folder named by a bare file name; any other
    // text (a path, a name with a NUL byte) stands for the default theme. No name at all
    // is kept when no theme is installed: the pictures are then the built-in ones.
    const bool noneInstalled = gSettings.uiTheme.empty() && gCatalogue.empty();
    if (!IsBareThemeName(gSettings.uiTheme) && !noneInstalled) gSettings.uiTheme = kDefaultTheme;
    std::string path = ArchivePath(gSettings.uiTheme);
    if (!IsFile(path) && !gCatalogue.empty()) {
        gSettings.uiTheme = gLastListed;
        path = ArchivePath(gSettings.uiTheme);
    }
    if (!UsableArchive(path)) return;
    std::map<std::string, int64_t> entries;
    if (!ListZipEntries(path, entries)) return;

    std::string cfg;
    if (auto it = entries.find("theme.cfg"); it != entries.end()) {
        std::map<std::string, std::string> data;
        if (ReadZipEntries(path, {"theme.cfg"}, std::min(it->second, kMaxThemeEntrySize), true,
                           data))
            cfg = data["theme.cfg"];
    }

    struct Wanted {
        SlotSet set;
        const char* slot;
        std::string entry;
    };
    std::vector<Wanted> wanted;
    auto plan = [&](bool chosen, SlotSet set, int pixelSize) {
        if (!chosen) return;
        for (const char* slot : SlotNames(set)) {
            std::string entry =
                EntryName(ThemeConfigValue(cfg, SlotSetSection(set), slot), pixelSize);
            auto it = entries.find(entry);
            if (it != entries.end() && it->second <= kMaxThemeEntrySize)
                wanted.push_back({set, slot, entry});
        }
    };
    plan(buttons, SlotSet::Buttons, 16);
    plan(menuIcons, SlotSet::MenuIcons, 16);
    plan(toolbarIcons, SlotSet::ToolbarIcons, IconPixelSize(gSettings.uiSize));
    if (wanted.empty()) return;

    std::set<std::string> names;
    for (const Wanted& w : wanted)
        names.insert(w.entry);
    std::map<std::string, std::string> data;
    if (!ReadZipEntries(path, names, kMaxThemeEntrySize, false, data)) return;
    for (const Wanted& w : wanted) {
        auto it = data.find(w.entry);
        RgbaImage image;
        if (it != data.end() && DecodePng(it->second, image))
            SetSlotImage(w.set, w.slot, std::move(image));
    }
}
