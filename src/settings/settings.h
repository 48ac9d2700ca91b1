// The settings record of all options, the per-job state, and their defaults.
#pragma once

#include "settings/option_table.h"

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

template <FieldType T> struct FieldStorage;
template <> struct FieldStorage<FieldType::Bool8> { using type = int8_t; };
template <> struct FieldStorage<FieldType::Int8> { using type = int8_t; };
template <> struct FieldStorage<FieldType::Int32> { using type = int32_t; };
template <> struct FieldStorage<FieldType::Float32> { using type = float; };
template <> struct FieldStorage<FieldType::String> { using type = std::string; };
template <> struct FieldStorage<FieldType::Colour> { using type = std::string; };
template <> struct FieldStorage<FieldType::Date> { using type = int32_t; };

struct ConversionSettings {
    // Run-time fields, never stored.
    std::string settingsPath;
    bool keepSettingsFile = false; // the file was there but refused at load: never saved over
    int instanceLock = -1;
    int menuHeight = 0;
    int toolbarHeight = 0;
    int layoutValue1 = 0;
    int layoutValue2 = 0;
    int statusBarHeight = 0;

#define BRELVIX_FIELD(group, key, field, kind, def, flags, format, show, cli)                      \
    FieldStorage<FieldType::kind>::type field{};
    BRELVIX_OPTION_TABLE(BRELVIX_FIELD)
#undef BRELVIX_FIELD
};

// One row of the option table, as the code walks it.
struct OptionDef {
    const char* group;
    const char* key;
    const char* fieldName;
    FieldType type;
    OptionDefault def;
    unsigned flags;
    const char* format; // "" or the format whose options these are
    const KeywordList* showList;
    CliOption cli;
    void* (*ref)(ConversionSettings&);
};

std::span<const OptionDef> OptionTable();
const OptionDef& Option(FieldId id);
// The row of a group and key (compared without regard to case), or nullptr.
const OptionDef* FindOption(std::string_view group, std::string_view key);
// The row whose long command-line option (or profile key, when profile is true)
// equals the name, compared without regard to case; or nullptr.
const OptionDef* FindCliOption(std::string_view name, bool profile);

// Typed access to a field through its row.
int64_t GetInt(const OptionDef& def, const ConversionSettings& s);
void SetInt(const OptionDef& def, ConversionSettings& s, int64_t value); // truncates to the field
double GetFloat(const OptionDef& def, const ConversionSettings& s);
void SetFloat(const OptionDef& def, ConversionSettings& s, double value);
const std::string& GetString(const OptionDef& def, const ConversionSettings& s);
void SetString(const OptionDef& def, ConversionSettings& s, std::string value);
bool IsStringType(FieldType t);
bool IsIntegerType(FieldType t);

// The file map entry of one input file.
struct FileEntry {
    bool flag = false;
    std::string subFolder;
};

struct JobState {
    std::string programFolder;
    std::string jobFileName;
    std::string currentInput;
    std::string inputArgument;
    std::string currentSubFolder;
    std::string outputPath;
    std::string temporaryPath;
    std::string outputFolder;
    int32_t randomNumber = 0;
    int32_t counter = 1;
    std::string inputFormat;
    int32_t sourceBitDepth = 0;
    std::string outputFormat;
    int32_t outputBitDepth = 0;
    int8_t keepBitDepth = 0;
    int32_t restartRequest = 0;
    int8_t commandLineJob = 0;
    std::string mode;          // not reset
    int32_t outputWidth = 0;   // not reset
    int32_t outputHeight = 0;  // not reset
    std::string searchSource;  // not reset
    std::string searchTarget;  // not reset
    int8_t preferencesStartPage = 0;
    std::map<std::string, FileEntry> fileMap;
    std::vector<std::string> acceptedInputExtensions;
};

// The process-wide records.
extern ConversionSettings gSettings;
extern JobState gJob;

// The active format lists: only these formats are used, written and validated.
std::span<const std::string> ActiveInputFormats();
std::span<const std::string> ActiveOutputFormats();

// Sets every option field to its default; commandLineMode only decides Keep Aspect Ratio.
void ResetSettings(bool commandLineMode);
// The value a row takes when the settings file lacks it.
void SetLoadDefault(const OptionDef& def, ConversionSettings& s);
void ResetJob();

// The BPP field of an output format (lower-case name), or nullptr.
const OptionDef* OutputBppSlot(const std::string& format);

// The desktop that window positions are centred on; a window sets it before loading.
void SetDesktopSize(int width, int height);
// Centred default position of the main window on a desktop of the given size.
void CentredWindowPosition(int desktopWidth, int desktopHeight, int& x, int& y);

// The product's notice line (also the default watermark text).
const char* NoticeText();
