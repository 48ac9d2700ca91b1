#include "settings/settings.h"

#include "formats/formats.h"
#include "platform/platform.h"

#include <cmath>

ConversionSettings gSettings;
JobState gJob;

namespace {

constexpr OptionDef kTable[] = {
#define BRELVIX_ROW(group, key, field, type, def, flags, format, show, cli)                        \
    OptionDef{group,                                                                               \
              key,                                                                                 \
              #field,                                                                              \
              FieldType::type,                                                                     \
              def,                                                                                 \
              flags,                                                                               \
              format,                                                                              \
              show,                                                                                \
              cli,                                                                                 \
              [](ConversionSettings& s) -> void* { return &s.field; }},
    BRELVIX_OPTION_TABLE(BRELVIX_ROW)
#undef BRELVIX_ROW
};
static_assert(std::size(kTable) == static_cast<size_t>(FieldId::Count));

int gDesktopWidth = 0;
int gDesktopHeight = 0;

const std::string kInputFormats[] = {"bmp"};
const std::string kOutputFormats[] = {"pcx"};

void* FieldPtr(const OptionDef& def, const ConversionSettings& s) {
    return def.ref(const_cast<ConversionSettings&>(s));
}

void SetDefault(const OptionDef& def, ConversionSettings& s, bool commandLineMode, bool loading) {
    int x = 100, y = 100;
    if (!loading) CentredWindowPosition(gDesktopWidth, gDesktopHeight, x, y);
    switch (def.def.rule) {
    case DefaultRule::Plain:
        if (IsStringType(def.type))
            SetString(def, s, def.def.text);
        else if (def.type == FieldType::Float32)
            SetFloat(def, s, def.def.number);
        else
            SetInt(def, s, static_cast<int64_t>(def.def.number));
        break;
    case DefaultRule::Now: SetInt(def, s, LocalDateNow()); break;
    case DefaultRule::CentreX: SetInt(def, s, x); break;
    case DefaultRule::CentreY: SetInt(def, s, y); break;
    case DefaultRule::ByMode: SetInt(def, s, commandLineMode ? 0 : 1); break;
    case DefaultRule::FirstInput: SetString(def, s, ActiveInputFormats().front()); break;
    case DefaultRule::FirstOutput: SetString(def, s, ActiveOutputFormats().front()); break;
    case DefaultRule::Notice: SetString(def, s, NoticeText()); break;
    case DefaultRule::LayoutVersion:
        SetInt(def, s, loading ? 0 : static_cast<int64_t>(def.def.number));
        break;
    }
}

} // namespace

std::span<const OptionDef> OptionTable() { return kTable; }

const OptionDef& Option(FieldId id) { return kTable[static_cast<int>(id)]; }

const OptionDef* FindOption(std::string_view group, std::string_view key) {
    for (const OptionDef& def : kTable)
        if (EqualsNoCase(def.group, group) && EqualsNoCase(def.key, key)) return &def;
    return nullptr;
}

const OptionDef* FindCliOption(std::string_view name, bool profile) {
    for (const OptionDef& def : kTable) {
        const char* own = profile && def.cli.profileName ? def.cli.profileName : def.cli.name;
        if (own && EqualsNoCase(own, name)) return &def;
    }
    return nullptr;
}

bool IsStringType(FieldType t) { return t == FieldType::String || t == FieldType::Colour; }

bool IsIntegerType(FieldType t) { return !IsStringType(t) && t != FieldType::Float32; }

int64_t GetInt(const OptionDef& def, const ConversionSettings& s) {
    void* p = FieldPtr(def, s);
    switch (def.type) {
    case FieldType::Bool8:
    case FieldType::Int8: return *static_cast<int8_t*>(p);
    case FieldType::Int32:
    case FieldType::Date: return *static_cast<int32_t*>(p);
    case FieldType::Float32: return static_cast<int64_t>(*static_cast<float*>(p));
    default: return 0;
    }
}

void SetInt(const OptionDef& def, ConversionSettings& s, int64_t value) {
    void* p = def.ref(s);
    switch (def.type) {
    case FieldType::Bool8:
    case FieldType::Int8: *static_cast<int8_t*>(p) = static_cast<int8_t>(value); break;
    case FieldType::Int32:
    case FieldType::Date: *static_cast<int32_t*>(p) = static_cast<int32_t>(value); break;
    case FieldType::Float32: *static_cast<float*>(p) = static_cast<float>(value); break;
    default: break;
    }
}

double GetFloat(const OptionDef& def, const ConversionSettings& s) {
    if (def.type == FieldType::Float32) return *static_cast<float*>(FieldPtr(def, s));
    return static_cast<double>(GetInt(def, s));
}

void SetFloat(const OptionDef& def, ConversionSettings& s, double value) {
    if (def.type == FieldType::Float32)
        *static_cast<float*>(def.ref(s)) = static_cast<float>(value);
    else if (std::isfinite(value))
        SetInt(def, s, static_cast<int64_t>(value));
}

const std::string& GetString(const OptionDef& def, const ConversionSettings& s) {
    static const std::string empty;
    if (!IsStringType(def.type)) return empty;
    return *static_cast<std::string*>(FieldPtr(def, s));
}

void SetString(const OptionDef& def, ConversionSettings& s, std::string value) {
    if (IsStringType(def.type)) *static_cast<std::string*>(def.ref(s)) = std::move(value);
}

std::span<const std::string> ActiveInputFormats() { return kInputFormats; }
std::span<const std::string> ActiveOutputFormats() { return kOutputFormats; }

void ResetSettings(bool commandLineMode) {
    for (const OptionDef& def : kTable) SetDefault(def, gSettings, commandLineMode, false);
}

void SetLoadDefault(const OptionDef& def, ConversionSettings& s) {
    SetDefault(def, s, false, true);
}

void ResetJob() {
    gJob.programFolder = ProgramFolder();
    gJob.jobFileName = "untitled.tqz";
    gJob.currentInput.clear();
    gJob.inputArgument.clear();
    gJob.currentSubFolder.clear();
    gJob.outputPath.clear();
    gJob.temporaryPath.clear();
    gJob.outputFolder.clear();
    gJob.randomNumber = RandomInt(1, 99999);
    gJob.counter = 1;
    gJob.inputFormat.clear();
    gJob.sourceBitDepth = 0;
    gJob.outputFormat.clear();
    gJob.outputBitDepth = 0;
    gJob.keepBitDepth = 0;
    gJob.restartRequest = 0;
    gJob.commandLineJob = 0;
    gJob.preferencesStartPage = 0;
    gJob.fileMap.clear();

    std::string extensions;
    for (const std::string& format : ActiveInputFormats()) {
        std::string list = InputExtensionsOf(format);
        if (!list.empty()) extensions += list + ",";
    }
    if (!extensions.empty() && extensions.back() == ',') extensions.pop_back();
    gJob.acceptedInputExtensions.clear();
    size_t start = 0;
    while (!extensions.empty()) {
        size_t comma = extensions.find(',', start);
        gJob.acceptedInputExtensions.push_back(extensions.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
}

const OptionDef* OutputBppSlot(const std::string& format) {
    for (const OptionDef& def : kTable)
        if (EqualsNoCase(def.group, "Output") && def.format == format &&
            std::string_view(def.key).ends_with(" BPP"))
            return &def;
    return nullptr;
}

void SetDesktopSize(int width, int height) {
    gDesktopWidth = width;
    gDesktopHeight = height;
}

void CentredWindowPosition(int desktopWidth, int desktopHeight, int& x, int& y) {
    x = 510 < desktopWidth ? (desktopWidth - 510) / 2 : 100;
    y = 260 < desktopHeight ? (desktopHeight - 260) / 2 : 100;
}

const char* NoticeText() { return BRELVIX_NOTICE; }
