#include "engine/naming.h"

#include "platform/platform.h"
#include "settings/settings.h"

#include <cstdio>
#include <ctime>

namespace {

enum class CaseRule { Keep, Upper, Lower, Title };

// Length in bytes of the UTF-8 sequence that starts the text (1 for a stray byte).
size_t FirstCharLength(std::string_view text) {
    if (text.empty()) return 0;
    unsigned char c = static_cast<unsigned char>(text[0]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (len > text.size()) return 1;
    for (size_t i = 1; i < len; ++i)
        if ((static_cast<unsigned char>(text[i]) >> 6) != 2) return 1;
    return len;
}

std::string ApplyCase(const std::string& text, CaseRule rule) {
    switch (rule) {
    case CaseRule::Keep:
        return text;
    case CaseRule::Upper:
        return ToUpperText(text);
    case CaseRule::Lower:
        return ToLowerText(text);
    case CaseRule::Title: {
        size_t first = FirstCharLength(text);
        std::string_view view(text);
        return ToUpperText(view.substr(0, first)) + ToLowerText(view.substr(first));
    }
    }
    return text;
}

// The input's file name without folder and extension.
std::string InputName() {
    const std::string& path = gJob.currentInput;
    size_t slash = path.find_last_of('/');
    return StripExtension(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::string OutputFormatName() {
    return gJob.outputFormat;
}

// One field of the current local time, two digits (four for the year).
std::string ClockField(int std::tm::*field, int offset, const char* format) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::snprintf(text, sizeof text, format, local.*field + offset);
    return text;
}

// Five characters: shorter numbers get leading zeros, longer ones are cut.
std::string FiveChars(int32_t value) {
    std::string text = std::to_string(value);
    if (text.size() < 5) return std::string(5 - text.size(), '0') + text;
    return text.substr(0, 5);
}

struct MaskToken {
    std::string_view token;
    std::string (*value)();
    CaseRule rule;
};

// The tokens, in the order they are searched for and replaced.
constexpr MaskToken kMaskTokens[] = {
    {"%filename%", InputName, CaseRule::Keep},
    {"%filename[u]%", InputName, CaseRule::Upper},
    {"%filename[l]%", InputName, CaseRule::Lower},
    {"%filename[t]%", InputName, CaseRule::Title},
    {"%ext%", OutputFormatName, CaseRule::Keep},
    {"%ext[u]%", OutputFormatName, CaseRule::Upper},
    {"%ext[t]%", OutputFormatName, CaseRule::Title},
    {"%yyyy%", [] { return ClockField(&std::tm::tm_year, 1900, "%04d"); }, CaseRule::Keep},
    {"%mm%", [] { return ClockField(&std::tm::tm_mon, 1, "%02d"); }, CaseRule::Keep},
    {"%dd%", [] { return ClockField(&std::tm::tm_mday, 0, "%02d"); }, CaseRule::Keep},
    {"%hh%", [] { return ClockField(&std::tm::tm_hour, 0, "%02d"); }, CaseRule::Keep},
    {"%ii%", [] { return ClockField(&std::tm::tm_min, 0, "%02d"); }, CaseRule::Keep},
    {"%ss%", [] { return ClockField(&std::tm::tm_sec, 0, "%02d"); }, CaseRule::Keep},
    {"%bpp%", [] { return std::to_string(gJob.outputBitDepth); }, CaseRule::Keep},
    {"%width%", [] { return std::to_string(gJob.outputWidth); }, CaseRule::Keep},
    {"%height%", [] { return std::to_string(gJob.outputHeight); }, CaseRule::Keep},
    {"%rnd%", [] { return FiveChars(gJob.randomNumber); }, CaseRule::Keep},
    {"%n%", [] { return FiveChars(gJob.counter); }, CaseRule::Keep},
};

} // namespace

std::string StripExtension(const std::string& name) {
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return name;
    return name.substr(0, dot);
}

std::string ReplaceMaskToken(const std::string& text, std::string_view token) {
    const std::string wanted = AsciiLower(token);
    const MaskToken* entry = nullptr;
    for (const MaskToken& t : kMaskTokens)
        if (t.token == wanted) entry = &t;
    if (!entry) return text;

    // Tokens are ASCII, so an ASCII lower-case copy keeps every byte position.
    const std::string lower = AsciiLower(text);
    size_t at = lower.find(wanted);
    if (at == std::string::npos) return text;
    const std::string value = ApplyCase(entry->value(), entry->rule);
    std::string out;
    size_t from = 0;
    while (at != std::string::npos) {
        out.append(text, from, at - from);
        out += value;
        from = at + wanted.size();
        at = lower.find(wanted, from);
    }
    out.append(text, from, std::string::npos);
    return out;
}

std::string ExpandFilenameMask() {
    std::string mask = ToLowerText(gSettings.filenameMask);
    if (mask.empty()) mask = "%filename%.%ext%";
    for (char& c : mask)
        if (c == '\\') c = '/';
    for (const MaskToken& t : kMaskTokens)
        if (mask.find(t.token) != std::string::npos) mask = ReplaceMaskToken(mask, t.token);
    return mask;
}

std::string ExpandWatermarkText(const std::string& text) {
    size_t percents = 0;
    for (char c : text)
        if (c == '%') ++percents;
    if (percents < 2) return text;
    const std::string lower = ToLowerText(text);
    std::string out = text;
    for (const MaskToken& t : kMaskTokens)
        if (lower.find(t.token) != std::string::npos) out = ReplaceMaskToken(out, t.token);
    return out;
}

std::string FinalOutputPath() {
    std::string path = gJob.outputFolder;
    if (gSettings.keepSubfolders != 0) path += gJob.currentSubFolder;
    return path + ExpandFilenameMask();
}

std::vector<std::string_view> MaskTokens() {
    std::vector<std::string_view> tokens;
    for (const MaskToken& t : kMaskTokens)
        tokens.push_back(t.token);
    return tokens;
}
