// Option parsing: the start modes, the option loop over the arguments, the value
// rules and readers, and profile files.
#include "cli/command_line.h"

#include "formats/formats.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "text/text_table.h"

#include <charconv>
#include <limits>
#include <string_view>

namespace {

// The options that steer the run itself rather than fill a setting. Every other
// option comes from the option table.
enum class RunOption { Input, Output, Conversion, Profile, Debug, Quiet, Pause };

struct RunControlOption {
    const char* shortName; // upper case, or nullptr
    const char* longName;  // upper case
    RunOption what;
};

constexpr RunControlOption kRunControlOptions[] = {
    {"-I", "--INPUT", RunOption::Input},           {"-O", "--OUTPUT", RunOption::Output},
    {"-C", "--CONVERSION", RunOption::Conversion}, {nullptr, "--PROFILE", RunOption::Profile},
    {"-D", "--DEBUG", RunOption::Debug},           {"-Q", "--QUIET", RunOption::Quiet},
    {"-P", "--PAUSE", RunOption::Pause},
};

const RunControlOption* FindRunControl(const std::string& name) {
    for (const RunControlOption& option : kRunControlOptions)
        if (name == option.longName || (option.shortName && name == option.shortName))
            return &option;
    return nullptr;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool ClosesQuote(const std::string& value) {
    return value.size() >= 2 && value.back() == '"';
}

// A value that opens a double quote takes the following arguments, each after one
// space, until one closes the quote or none is left.
void JoinQuoted(const Arguments& args, int& position, std::string& value) {
    if (value.empty() || value.front() != '"') return;
    while (!ClosesQuote(value) && position + 1 < static_cast<int>(args.size())) {
        ++position;
        value += ' ';
        value += OptionValue(args, position);
    }
}

std::string StripQuotes(const std::string& value) {
    size_t begin = value.find_first_not_of('"');
    if (begin == std::string::npos) return "";
    size_t end = value.find_last_not_of('"');
    return value.substr(begin, end - begin + 1);
}

// Stores a value into the option's field (and its second field).
void ApplyOption(const OptionDef& def, const std::string& value) {
    switch (def.cli.kind) {
    case CliKind::Int:
        SetInt(def, gSettings, ParseIntegerValue(TrimBlanks(value)));
        break;
    case CliKind::Float:
        SetFloat(def, gSettings, ParseDecimalValue(TrimBlanks(value)));
        break;
    case CliKind::Keyword:
        if (def.cli.list) SetInt(def, gSettings, KeywordValue(*def.cli.list, TrimBlanks(value)));
        break;
    case CliKind::Text:
        SetString(def, gSettings, value);
        break;
    case CliKind::Switch:
        SetInt(def, gSettings, def.cli.switchValue);
        break;
    case CliKind::None:
        return;
    }
    if (def.cli.alsoField >= 0)
        SetInt(Option(static_cast<FieldId>(def.cli.alsoField)), gSettings, def.cli.alsoValue);
}

int DigitValue(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return d < base ? d : -1;
}

// The start modes, chosen by the first argument alone.
enum class StartMode { None, Version, Help, Window };

struct StartModeName {
    const char* name; // upper case
    StartMode mode;
};

constexpr StartModeName kStartModes[] = {
    {"-V", StartMode::Version},
    {"--VERSION", StartMode::Version},
    {"-H", StartMode::Help},
    {"-?", StartMode::Help},
    {"--HELP", StartMode::Help},
    // The screenshot and uninstall-page modes need windows: the window module runs
    // them from the same arguments.
    {"-T", StartMode::Window},
    {"-U", StartMode::Window},
};

StartMode FindStartMode(const Arguments& args) {
    const std::string first = OptionName(args, 0);
    for (const StartModeName& entry : kStartModes)
        if (first == entry.name) return entry.mode;
    return StartMode::None;
}

constexpr const char* kIncorrectParameters = "Incorrect number of parameters";
constexpr const char* kInvalidProfile = "Invalid profile file";

} // namespace

std::string OptionName(const Arguments& args, int position) {
    if (position < 0 || position >= static_cast<int>(args.size())) return "";
    std::string arg = TrimSpaces(args[static_cast<size_t>(position)]);
    if (!StartsWith(arg, "-")) return "";
    if (StartsWith(arg, "--")) arg = arg.substr(0, arg.find('='));
    return AsciiUpper(arg);
}

std::string OptionValue(const Arguments& args, int position) {
    if (position < 0 || position >= static_cast<int>(args.size())) return "";
    std::string arg = TrimSpaces(args[static_cast<size_t>(position)]);
    size_t equals = arg.find('=');
    if (StartsWith(arg, "--") && equals != std::string::npos) return arg.substr(equals + 1);
    return arg;
}

int32_t ParseIntegerValue(const std::string& text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$')
        base = 16, ++i;
    else if (i < text.size() && text[i] == '%')
        base = 2, ++i;
    uint32_t value = 0; // kept to 32 bits: larger numbers wrap around
    for (; i < text.size(); ++i) {
        int digit = DigitValue(text[i], base);
        if (digit < 0) break;
        value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

double ParseDecimalValue(const std::string& text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
    }
    std::string_view number(text.data() + start, i - start);
    if (number.find_first_of("0123456789") == std::string_view::npos) return 0;
    double value = 0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                  std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range)
        value = std::numeric_limits<float>::max(); // far outside every range we check
    else if (result.ec != std::errc())
        value = 0;
    return negative ? -value : value;
}

RunValues ParseOptions(const Arguments& args) {
    RunValues run;
    const int count = static_cast<int>(args.size());
    for (int position = 0; position < count; ++position) {
        const std::string name = OptionName(args, position);
        if (name.empty()) continue;

        if (const RunControlOption* option = FindRunControl(name)) {
            switch (option->what) {
            case RunOption::Input:
            case RunOption::Output:
            case RunOption::Conversion: {
                // The short name takes the next argument, the long name its "=" part.
                const bool isShort = option->shortName && name == option->shortName;
                const int at = isShort ? position + 1 : position;
                std::string value = OptionValue(args, at);
                if (value.empty() || value.front() == '-') {
                    run.errorText = kIncorrectParameters;
                    return run;
                }
                position = at;
                if (option->what != RunOption::Conversion) JoinQuoted(args, position, value);
                value = StripQuotes(value);
                if (option->what == RunOption::Input) {
                    gJob.inputArgument = value;
                    gJob.commandLineJob = 1;
                } else if (option->what == RunOption::Output) {
                    gJob.outputFolder = value;
                } else {
                    gJob.outputFormat = value;
                }
                break;
            }
            case RunOption::Profile: {
                std::string value = OptionValue(args, position);
                if (value.empty() || StartsWith(value, "--")) {
                    run.errorText = kIncorrectParameters;
                    return run;
                }
                JoinQuoted(args, position, value);
                if (!LoadProfile(StripQuotes(value))) {
                    run.errorText = kInvalidProfile;
                    return run;
                }
                break;
            }
            case RunOption::Debug:
                gJob.mode = "DEBUG";
                break;
            case RunOption::Quiet:
                run.quiet = true;
                break;
            case RunOption::Pause:
                run.pause = true;
                break;
            }
            continue;
        }

        const OptionDef* def = FindCliOption(name, false);
        if (!def || def->cli.kind == CliKind::None) continue; // unknown words are skipped
        std::string value;
        if (def->cli.kind != CliKind::Switch) {
            value = OptionValue(args, position);
            if (value.empty() || StartsWith(value, "--")) {
                run.errorText = kIncorrectParameters;
                return run;
            }
            if (def->cli.kind == CliKind::Text) {
                JoinQuoted(args, position, value);
                value = StripQuotes(value);
            }
        }
        ApplyOption(*def, value);
    }
    return run;
}

bool LoadProfile(const std::string& path) {
    if (path.empty()) return false;
    IniFile ini;
    if (!ReadIniFile(path, ini)) return false;
    const IniGroup* group = FindGroup(ini, "CLI");
    if (!group) return true;
    const OptionDef* mask = &Option(FieldId::filenameMask);
    for (const IniEntry& entry : group->entries) {
        // Profile keys are the long option names; run-control options are not among them.
        const OptionDef* def = FindCliOption(entry.key, true);
        if (!def || def->cli.kind == CliKind::None) continue;
        std::string value = entry.value;
        if (def->cli.kind == CliKind::Text)
            value = def == mask ? StripQuotes(value) : TrimSpaces(value);
        ApplyOption(*def, value);
    }
    return true;
}

int RunCommandLine(int argc, char** argv) {
    if (argc <= 1 || !argv) return kContinueToWindowMode;
    Arguments args(argv + 1, argv + argc);

    BuildFormatTables();
    ResetJob();
    ResetSettings(true);
    BuildTextTable();

    switch (FindStartMode(args)) {
    case StartMode::Version:
        return PrintVersion();
    case StartMode::Help:
        return PrintHelp();
    case StartMode::Window:
        return kContinueToWindowMode;
    case StartMode::None:
        break;
    }
    return FinishCommandLine(ParseOptions(args));
}

std::string WordLookingLikeAFile(const Arguments& args) {
    const int count = static_cast<int>(args.size());
    for (int position = 0; position < count; ++position) {
        const std::string name = OptionName(args, position);
        std::string word;
        if (name.empty()) {
            word = OptionValue(args, position);
        } else if (const RunControlOption* option = FindRunControl(name)) {
            // The short names of the input, output and conversion take the next word.
            if (option->shortName && name == option->shortName &&
                option->what <= RunOption::Conversion)
                ++position;
            continue;
        } else if (StartsWith(name, "--") && !FindCliOption(name, false)) {
            const std::string& arg = args[static_cast<size_t>(position)];
            if (arg.find('=') == std::string::npos) continue;
            word = OptionValue(args, position);
        }
        word = StripQuotes(word);
        if (word.empty()) continue;
        const std::string file = FilePart(word);
        const size_t dot = file.find_last_of('.');
        if (IsFile(word) || (dot != std::string::npos && dot > 0 && dot + 1 < file.size()))
            return word;
    }
    return "";
}

bool NeedsInstanceLock(int argc, char** argv) {
    if (argc <= 1 || !argv) return true;
    const StartMode mode = FindStartMode(Arguments(argv + 1, argv + 2));
    return mode != StartMode::Version && mode != StartMode::Help;
}
