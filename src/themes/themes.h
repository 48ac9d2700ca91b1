// Themes: zip archives in the "gfx" folder beside the program that replace the
// pictures of the image slots, described by their "theme.cfg".
#pragma once

#include <map>
#include <string>
#include <string_view>

// The folder of the theme archives, ending in "/": "gfx/" in the program folder of
// the job; when that folder is missing, the installed "../share/brelvix/gfx/".
std::string ThemeFolder();

// Fills the theme catalogue from the archives of the theme folder.
void ListThemes();
// Theme name (archive name without folder and ".zip") to display name.
const std::map<std::string, std::string>& ThemeCatalogue();
// The theme found last by the folder listing ("" when none was found).
const std::string& LastListedTheme();

// True for a theme name that is a bare file name: not empty, not "." or "..", without
// "/", a backslash or a NUL byte. Only such a name is looked up in the theme folder.
bool IsBareThemeName(std::string_view name);

// The display name of a theme: the Name of the [Theme] section in the first 255 bytes
// of its theme.cfg; the theme name itself when the archive cannot be read.
std::string ThemeDisplayName(const std::string& themeName);

// The value of key in section of theme.cfg text ("" when absent).
std::string ThemeConfigValue(std::string_view text, std::string_view section, std::string_view key);

// Refills the chosen slot sets from the theme named by UI Theme. A theme that is
// missing falls back to the catalogue's last theme (stored in UI Theme); slots that
// the theme does not provide keep their pictures.
void LoadTheme(bool buttons, bool menuIcons, bool toolbarIcons);

// Pixel size of the toolbar icons for a UI Size value: 16, 24, 32, 48 or 64.
int IconPixelSize(int uiSize);

// Limits on what is read from an archive.
inline constexpr int64_t kMaxThemeEntrySize = 16 * 1024 * 1024;
