// Writes the user manual and the man page at build time. The prose stands in the HTML
// pages of docs/manual and in docs/brelvix.1.in; the lists of command-line options and
// filename-mask tokens are made here from the program's own option table and token
// table, so the manual, the man page and the program cannot differ about them.
//
// Usage: make_docs <docs folder> <manual folder to write> <man page to write>
//
// The manual folder receives every page of docs/manual with its markers filled in, and
// the project files from which chmcmd compiles brelvix.chm (brelvix.hhp, contents.hhc,
// index.hhk).
#include "doc_texts.h"

#include "app/identity.h"
#include "app/slot_names.h"
#include "engine/naming.h"
#include "formats/formats.h"
#include "platform/hidden_file.h"
#include "platform/platform.h"
#include "settings/keywords.h"
#include "settings/settings.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The pages of the manual in reading order, with their titles.
struct Page {
    const char* file;
    const char* title;
};
constexpr Page kPages[] = {
    {"index.html", "Contents"},
    {"getting-started.html", "Getting started"},
    {"main-window.html", "The main window"},
    {"preferences.html", "Preferences"},
    {"command-line.html", "The command line"},
    {"options.html", "Command-line options"},
    {"filename-masks.html", "Filename masks"},
    {"time-stamps.html", "Time stamps"},
    {"themes.html", "Themes"},
    {"troubleshooting.html", "Troubleshooting"},
};
// Files copied unchanged beside the pages.
constexpr const char* kSupportFiles[] = {"style.css"};

// The sample file whose token values the manual shows.
constexpr const char* kSampleInput = "/home/ann/Pictures/Summer Lake.bmp";

bool gFailed = false;

void Fail(const std::string& message) {
    std::fprintf(stderr, "make_docs: %s\n", message.c_str());
    gFailed = true;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string Upper(std::string_view text) {
    return AsciiUpper(text);
}

// ---- Plain values that the texts refer to ----

std::string InputExtensions() {
    std::string out;
    for (const std::string& format : ActiveInputFormats()) {
        std::string list = InputExtensionsOf(format);
        if (list.empty()) list = format;
        for (size_t start = 0; start <= list.size();) {
            const size_t comma = list.find(',', start);
            const std::string one = list.substr(start, comma - start);
            if (!one.empty()) out += (out.empty() ? "." : ", .") + one;
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    return out;
}

std::string PcxBitDepths() {
    return ReplaceAll(LookupOutputFormat("pcx").bitDepths, ",", ", ");
}

// Values of the markers that stand inside the prose.
std::map<std::string, std::string> InlineValues() {
    return {
        {"@PRODUCT@", ProductTitle()},   {"@VERSION@", VersionText(kProductVersion)},
        {"@WEBSITE@", WebSiteAddress()}, {"@EMAIL@", SupportEmail()},
        {"@NOTICE@", NoticeText()},      {"@INPUT-EXTENSIONS@", InputExtensions()},
        {"@PCX-BPP@", PcxBitDepths()},
    };
}

std::string FillInline(std::string text) {
    for (const auto& [marker, value] : InlineValues())
        text = ReplaceAll(text, marker, value);
    return text;
}

// ---- The two output languages ----

std::string HtmlEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A text with `code` marks, as HTML.
std::string Html(std::string_view text) {
    std::string out;
    bool code = false;
    for (char c : FillInline(std::string(text))) {
        if (c == '`') {
            out += code ? "</code>" : "<code>";
            code = !code;
        } else {
            out += HtmlEscape(std::string_view(&c, 1));
        }
    }
    if (code) out += "</code>";
    return out;
}

// Roff text: backslashes and dashes escaped, the copyright sign named.
std::string RoffEscape(std::string_view text) {
    std::string out;
    const std::string copyright = "\u00a9";
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (text.substr(i, copyright.size()) == copyright) {
            out += "\\(co";
            i += copyright.size() - 1;
            continue;
        }
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

// A text with `code` marks, as roff; a line may not begin with a dot or a quote.
std::string Roff(std::string_view text) {
    const std::string filled = FillInline(std::string(text));
    std::string out;
    bool code = false;
    size_t start = 0;
    for (size_t i = 0; i <= filled.size(); ++i) {
        if (i < filled.size() && filled[i] != '`') continue;
        out += RoffEscape(std::string_view(filled).substr(start, i - start));
        if (i < filled.size()) {
            out += code ? "\\fR" : "\\fB";
            code = !code;
        }
        start = i + 1;
    }
    if (code) out += "\\fR";
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
    return out;
}

// "Label: value." without a second full stop after a value that ends in one.
std::string Sentence(const std::string& label, const std::string& value) {
    std::string plain = value;
    while (!plain.empty() && plain.back() == '`')
        plain.pop_back();
    return label + value + (!plain.empty() && plain.back() == '.' ? "" : ".");
}

// ---- The options ----

// How one option is written and what it says.
struct OptionEntry {
    std::string group;     // the settings group, or "" for the run options
    std::string shortForm; // "-i FILE" or ""
    std::string longForm;  // "--input=FILE" or ""
    std::string text;      // with `code` marks
    std::string values;    // "one of ...", or ""
    std::string defaultValue;
    std::string setting; // "Image Width" or ""
    std::string anchor;  // id in the options page
};

const KeywordList* ListOf(const OptionDef& def) {
    return def.showList ? def.showList : def.cli.list;
}

std::string KindWord(const OptionDef& def, const char* value) {
    if (value && *value) return value;
    switch (def.cli.kind) {
    case CliKind::Int:
        return "NUMBER";
    case CliKind::Float:
        return "NUMBER";
    case CliKind::Keyword:
        return "WORD";
    case CliKind::Text:
        return "TEXT";
    case CliKind::Switch:
    case CliKind::None:
        return "";
    }
    return "";
}

std::string KeywordWords(const KeywordList& list) {
    std::string out;
    std::set<std::string> seen;
    for (const Keyword& k : list.words) {
        if (!seen.insert(k.word).second) continue;
        out += (out.empty() ? "`" : ", `") + std::string(k.word) + "`";
    }
    return out;
}

std::string DefaultText(const OptionDef& def) {
    if (def.cli.kind == CliKind::Switch) return "";
    if (def.def.rule == DefaultRule::Now) return "the time of the run";
    switch (def.type) {
    case FieldType::String:
    case FieldType::Colour: {
        const std::string& text = GetString(def, gSettings);
        return text.empty() ? "none" : "`" + text + "`";
    }
    case FieldType::Float32: {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.2f", GetFloat(def, gSettings));
        return std::string("`") + buf + "`";
    }
    default:
        break;
    }
    const int64_t value = GetInt(def, gSettings);
    if (def.cli.kind == CliKind::Keyword && ListOf(def)) {
        const std::string word = KeywordName(*ListOf(def), static_cast<int>(value));
        if (!word.empty()) return "`" + Upper(word) + "`";
    }
    return "`" + std::to_string(value) + "`";
}

// True for an option of no format, and for one of a format this edition reads (an
// Input option) or writes (an Output option).
bool FormatIsActive(const OptionDef& def) {
    if (!def.format || !*def.format) return true;
    const bool input = std::string(def.group) == "Input";
    for (const std::string& f : input ? ActiveInputFormats() : ActiveOutputFormats())
        if (f == def.format) return true;
    return false;
}

std::string Anchor(std::string_view name) {
    std::string out = "opt";
    for (char c : name)
        if (c != '-' || (!out.empty() && out.back() != '-')) out += c == '?' ? 'q' : c;
    return out;
}

OptionEntry TableEntry(const OptionDef& def, const OptionText* text) {
    OptionEntry e;
    e.group = def.group;
    const std::string word = KindWord(def, text ? text->value : "");
    e.longForm = std::string(def.cli.name) + (word.empty() ? "" : "=" + word);
    e.text = text ? text->text : "";
    if (def.cli.kind == CliKind::Keyword && ListOf(def)) e.values = KeywordWords(*ListOf(def));
    if (def.cli.kind == CliKind::Int && def.format && *def.format &&
        std::string(def.key).ends_with(" BPP")) {
        const std::string depths = LookupOutputFormat(def.format).bitDepths;
        if (!depths.empty()) e.values = "`0` or " + ReplaceAll("`" + depths + "`", ",", "`, `");
    }
    if (def.cli.kind == CliKind::Switch && !FormatIsActive(def)) e.values = "a switch";
    e.defaultValue = DefaultText(def);
    e.setting = def.key;
    e.anchor = Anchor(def.cli.name);
    if (def.cli.profileName)
        e.text += std::string(e.text.empty() ? "" : " ") + "In a profile file the key is `" +
                  def.cli.profileName + "`.";
    return e;
}

OptionEntry RunEntry(const RunOptionText& t) {
    OptionEntry e;
    const std::string value = t.value;
    if (t.shortName) {
        e.shortForm = t.shortName;
        if (!value.empty()) e.shortForm += " " + value;
    }
    if (t.longName) e.longForm = std::string(t.longName) + (value.empty() ? "" : "=" + value);
    e.text = t.text;
    e.anchor = Anchor(t.longName ? t.longName : t.shortName);
    return e;
}

// Every option, checked against the texts: the run options, the picture options by
// settings group, and the options of formats this edition does not use.
struct OptionLists {
    std::vector<OptionEntry> run;
    std::vector<OptionEntry> startModes;
    std::vector<std::pair<std::string, std::vector<OptionEntry>>> groups;
    std::vector<OptionEntry> otherFormats;
};

OptionLists CollectOptions() {
    OptionLists lists;
    for (const RunOptionText& t : kRunOptionTexts)
        lists.run.push_back(RunEntry(t));
    for (const RunOptionText& t : kStartModeTexts)
        lists.startModes.push_back(RunEntry(t));

    std::map<std::string, const OptionText*> texts;
    for (const OptionText& t : kOptionTexts)
        if (!texts.emplace(t.name, &t).second) Fail(std::string("two texts for ") + t.name);
    std::set<std::string> used;
    // The groups in the order a picture goes through them.
    const char* order[] = {"Transform", "Adjustment", "Frame", "Watermark",
                           "Advanced",  "Output",     "Input"};
    for (const char* group : order) {
        std::vector<OptionEntry> entries;
        for (const OptionDef& def : OptionTable()) {
            if (!def.cli.name || def.cli.kind == CliKind::None) continue;
            if (std::string(def.group) != group) continue;
            const bool active = FormatIsActive(def);
            auto found = texts.find(def.cli.name);
            if (found != texts.end()) used.insert(def.cli.name);
            if (active) {
                if (found == texts.end()) {
                    Fail(std::string("no text for the option ") + def.cli.name +
                         " (docs/doc_texts.h)");
                    continue;
                }
                entries.push_back(TableEntry(def, found->second));
            } else {
                lists.otherFormats.push_back(
                    TableEntry(def, found == texts.end() ? nullptr : found->second));
            }
        }
        if (!entries.empty()) lists.groups.emplace_back(group, std::move(entries));
    }
    for (const OptionText& t : kOptionTexts)
        if (!used.count(t.name)) Fail(std::string("a text for an unknown option: ") + t.name);
    for (const OptionDef& def : OptionTable())
        if (def.cli.name && def.cli.kind != CliKind::None) {
            bool placed = false;
            for (const char* group : order)
                placed = placed || std::string(def.group) == group;
            if (!placed) Fail(std::string("the option ") + def.cli.name + " has no section");
        }
    return lists;
}

std::string Heading(const std::string& group) {
    if (group == "Output") return "Output";
    if (group == "Input") return "Input";
    return group;
}

std::string HtmlSynopsis(const OptionEntry& e) {
    std::string out;
    auto form = [](const std::string& text) {
        const size_t cut = text.find_first_of("= ");
        if (cut == std::string::npos) return "<code>" + HtmlEscape(text) + "</code>";
        return "<code>" + HtmlEscape(text.substr(0, cut + 1)) + "<var>" +
               HtmlEscape(text.substr(cut + 1)) + "</var></code>";
    };
    if (!e.shortForm.empty()) out += form(e.shortForm);
    if (!e.longForm.empty()) out += (out.empty() ? "" : ", ") + form(e.longForm);
    return out;
}

std::string HtmlOptionList(const std::vector<OptionEntry>& entries, bool facts) {
    std::string out = "<dl class=\"options\">\n";
    for (const OptionEntry& e : entries) {
        out += "<dt id=\"" + e.anchor + "\">" + HtmlSynopsis(e) + "</dt>\n<dd>";
        if (!e.text.empty()) out += "<p>" + Html(e.text) + "</p>";
        if (facts) {
            std::vector<std::string> parts;
            if (!e.values.empty()) parts.push_back(Html(Sentence("Values: ", e.values)));
            if (!e.defaultValue.empty())
                parts.push_back(Html(Sentence("Default: ", e.defaultValue)));
            if (!e.setting.empty() && !e.group.empty())
                parts.push_back("Setting: <em>" + HtmlEscape(e.setting) + "</em> (" +
                                HtmlEscape(e.group) + ").");
            if (!parts.empty()) {
                out += "<p class=\"facts\">";
                for (size_t i = 0; i < parts.size(); ++i)
                    out += (i ? " " : "") + parts[i];
                out += "</p>";
            }
        }
        out += "</dd>\n";
    }
    return out + "</dl>\n";
}

std::string HtmlOptionGroups(const OptionLists& lists) {
    std::string out;
    for (const auto& [group, entries] : lists.groups) {
        out +=
            "<h3 id=\"group-" + AsciiLower(group) + "\">" + HtmlEscape(Heading(group)) + "</h3>\n";
        out += HtmlOptionList(entries, true);
    }
    return out;
}

std::string HtmlOtherFormats(const OptionLists& lists) {
    std::string out = "<table class=\"compact\">\n<tr><th>Option</th><th>Values</th>"
                      "<th>Setting</th></tr>\n";
    for (const OptionEntry& e : lists.otherFormats) {
        out += "<tr><td id=\"" + e.anchor + "\">" + HtmlSynopsis(e) + "</td><td>" +
               (e.values.empty() ? "a number" : Html(e.values)) + "</td><td><em>" +
               HtmlEscape(e.setting) + "</em> (" + HtmlEscape(e.group) + ")</td></tr>\n";
    }
    return out + "</table>\n";
}

std::string RoffSynopsis(const OptionEntry& e) {
    auto form = [](const std::string& text) {
        const size_t cut = text.find_first_of("= ");
        if (cut == std::string::npos) return "\\fB" + RoffEscape(text) + "\\fR";
        return "\\fB" + RoffEscape(text.substr(0, cut)) + "\\fR" +
               (text[cut] == '=' ? std::string("=") : std::string(" ")) + "\\fI" +
               RoffEscape(text.substr(cut + 1)) + "\\fR";
    };
    std::string out;
    if (!e.shortForm.empty()) out += form(e.shortForm);
    if (!e.longForm.empty()) out += (out.empty() ? "" : ", ") + form(e.longForm);
    return out;
}

std::string RoffOptionList(const std::vector<OptionEntry>& entries, bool facts) {
    std::string out;
    for (const OptionEntry& e : entries) {
        out += ".TP\n" + RoffSynopsis(e) + "\n";
        std::string text = e.text;
        if (facts) {
            if (!e.values.empty()) text += " " + Sentence("Values: ", e.values);
            if (!e.defaultValue.empty()) text += " " + Sentence("Default: ", e.defaultValue);
        }
        out += Roff(text) + "\n";
    }
    return out;
}

std::string RoffOptionGroups(const OptionLists& lists) {
    std::string out;
    for (const auto& [group, entries] : lists.groups) {
        out += ".SS " + Heading(group) + "\n";
        out += RoffOptionList(entries, true);
    }
    return out;
}

std::string RoffOtherFormats(const OptionLists& lists) {
    std::string out;
    for (const OptionEntry& e : lists.otherFormats) {
        out += ".TP\n" + RoffSynopsis(e) + "\n";
        out += Roff(e.values.empty() ? "A number." : Sentence("Values: ", e.values)) + "\n";
    }
    return out;
}

// ---- The tokens ----

struct TokenEntry {
    std::string token, text, example;
};

std::vector<TokenEntry> CollectTokens() {
    std::map<std::string, const TokenText*> texts;
    for (const TokenText& t : kTokenTexts)
        texts.emplace(t.token, &t);
    // The values the tokens have for a sample file.
    ResetJob();
    gJob.currentInput = kSampleInput;
    gJob.outputFormat = ActiveOutputFormats().front();
    gJob.outputBitDepth = 24;
    gJob.outputWidth = 800;
    gJob.outputHeight = 600;
    gJob.randomNumber = 4711;
    gJob.counter = 1;
    std::vector<TokenEntry> tokens;
    std::set<std::string> used;
    for (std::string_view token : MaskTokens()) {
        auto found = texts.find(std::string(token));
        if (found == texts.end()) {
            Fail("no text for the token " + std::string(token) + " (docs/doc_texts.h)");
            continue;
        }
        used.insert(found->first);
        const TokenText& t = *found->second;
        tokens.push_back({std::string(token), t.text,
                          t.example ? t.example : ReplaceMaskToken(std::string(token), token)});
    }
    for (const TokenText& t : kTokenTexts)
        if (!used.count(t.token)) Fail(std::string("a text for an unknown token: ") + t.token);
    return tokens;
}

std::string HtmlTokens(const std::vector<TokenEntry>& tokens) {
    std::string out = "<table class=\"tokens\">\n<tr><th>Token</th><th>Stands for</th>"
                      "<th>Example</th></tr>\n";
    for (const TokenEntry& t : tokens)
        out += "<tr><td><code>" + HtmlEscape(t.token) + "</code></td><td>" + Html(t.text) +
               "</td><td><code>" + HtmlEscape(t.example) + "</code></td></tr>\n";
    return out + "</table>\n";
}

std::string RoffTokens(const std::vector<TokenEntry>& tokens) {
    std::string out;
    for (const TokenEntry& t : tokens)
        out += ".TP\n\\fB" + RoffEscape(t.token) + "\\fR\n" +
               Roff(t.text + " (for example `" + t.example + "`).") + "\n";
    return out;
}

std::string HtmlThemeSlots() {
    std::string out = "<p class=\"slots\"><strong>Buttons:</strong> ";
    for (size_t i = 0; i < std::size(kButtonSlots); ++i)
        out += std::string(i ? ", " : "") + "<code>" + kButtonSlots[i] + "</code>";
    out += "<br><strong>Icons:</strong> ";
    for (size_t i = 0; i < std::size(kIconSlots); ++i)
        out += std::string(i ? ", " : "") + "<code>" + kIconSlots[i] + "</code>";
    return out + "</p>\n";
}

// ---- Pages ----

std::string Navigation(size_t index) {
    std::string out = "<nav class=\"pages\">";
    if (index > 0)
        out += "<a href=\"" + std::string(kPages[index - 1].file) + "\">&larr; " +
               kPages[index - 1].title + "</a> ";
    if (index != 0) out += "<a href=\"index.html\">Contents</a> ";
    if (index + 1 < std::size(kPages))
        out += "<a href=\"" + std::string(kPages[index + 1].file) + "\">" +
               kPages[index + 1].title + " &rarr;</a>";
    return out + "</nav>";
}

std::string Contents() {
    std::string out = "<ol class=\"contents\">\n";
    for (size_t i = 1; i < std::size(kPages); ++i)
        out += "<li><a href=\"" + std::string(kPages[i].file) + "\">" + kPages[i].title +
               "</a></li>\n";
    return out + "</ol>\n";
}

bool ReadText(const std::string& path, std::string& text) {
    if (ReadWholeFile(path, text)) return true;
    Fail("cannot read " + path);
    return false;
}

bool WriteText(const std::string& path, const std::string& text) {
    if (ReplaceFileAtomically(path, text, 0644)) return true;
    Fail("cannot write " + path);
    return false;
}

// Markers that are left after filling name nothing that exists.
void CheckFilled(const std::string& name, const std::string& text) {
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + 1)) {
        size_t end = at + 1;
        while (end < text.size() && ((text[end] >= 'A' && text[end] <= 'Z') || text[end] == '-'))
            ++end;
        if (end > at + 1 && end < text.size() && text[end] == '@')
            Fail(name + ": unknown marker " + text.substr(at, end - at + 1));
    }
}

std::string FillBlocks(std::string text, const std::map<std::string, std::string>& blocks) {
    for (const auto& [marker, value] : blocks)
        text = ReplaceAll(text, marker, value);
    return FillInline(text);
}

void WriteChmProject(const std::string& folder) {
    std::string project = "[OPTIONS]\r\nCompatibility=1.1 or later\r\nCompiled file=brelvix.chm\r\n"
                          "Contents file=contents.hhc\r\nIndex file=index.hhk\r\n"
                          "Default topic=index.html\r\nDisplay compile progress=No\r\n"
                          "Language=0x409 English (United States)\r\nTitle=" +
                          ProductTitle() + " User Manual\r\n\r\n[FILES]\r\n";
    for (const Page& page : kPages)
        project += std::string(page.file) + "\r\n";
    for (const char* file : kSupportFiles)
        project += std::string(file) + "\r\n";
    WriteText(folder + "brelvix.hhp", project);

    auto item = [](const std::string& title, const std::string& file) {
        return "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"" +
               HtmlEscape(title) + "\"><param name=\"Local\" value=\"" + file + "\"></OBJECT>\n";
    };
    std::string contents = "<HTML><BODY>\n<UL>\n";
    for (const Page& page : kPages)
        contents += item(page.title, page.file);
    WriteText(folder + "contents.hhc", contents + "</UL>\n</BODY></HTML>\n");

    std::string index = "<HTML><BODY>\n<UL>\n";
    for (const Page& page : kPages)
        if (std::string(page.file) != "index.html") index += item(page.title, page.file);
    WriteText(folder + "index.hhk", index + "</UL>\n</BODY></HTML>\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <docs folder> <manual folder> <man page>\n", argv[0]);
        return 2;
    }
    std::string docs = argv[1], manual = argv[2];
    if (docs.back() != '/') docs += '/';
    if (manual.back() != '/') manual += '/';
    const std::string manPage = argv[3];

    BuildFormatTables();
    ResetJob();
    ResetSettings(true);

    const OptionLists options = CollectOptions();
    const std::vector<TokenEntry> tokens = CollectTokens();
    if (gFailed) return 1;

    if (!MakeFolders(manual)) Fail("cannot make " + manual);
    const std::map<std::string, std::string> htmlBlocks = {
        {"<!--@RUN-OPTIONS@-->", HtmlOptionList(options.run, false)},
        {"<!--@START-MODES@-->", HtmlOptionList(options.startModes, false)},
        {"<!--@OPTIONS@-->", HtmlOptionGroups(options)},
        {"<!--@FORMAT-OPTIONS@-->", HtmlOtherFormats(options)},
        {"<!--@TOKENS@-->", HtmlTokens(tokens)},
        {"<!--@THEME-SLOTS@-->", HtmlThemeSlots()},
        {"<!--@CONTENTS@-->", Contents()},
    };
    for (size_t i = 0; i < std::size(kPages); ++i) {
        std::string text;
        if (!ReadText(docs + "manual/" + kPages[i].file, text)) continue;
        text = ReplaceAll(text, "<!--@NAVIGATION@-->", Navigation(i));
        text = FillBlocks(text, htmlBlocks);
        CheckFilled(kPages[i].file, text);
        WriteText(manual + kPages[i].file, text);
    }
    for (const char* file : kSupportFiles) {
        std::string text;
        if (ReadText(docs + "manual/" + file, text)) WriteText(manual + file, text);
    }
    WriteChmProject(manual);

    std::string roff;
    if (ReadText(docs + "brelvix.1.in", roff)) {
        const std::map<std::string, std::string> roffBlocks = {
            {"@RUN-OPTIONS@\n", RoffOptionList(options.run, false)},
            {"@START-MODES@\n", RoffOptionList(options.startModes, false)},
            {"@OPTIONS@\n", RoffOptionGroups(options)},
            {"@FORMAT-OPTIONS@\n", RoffOtherFormats(options)},
            {"@TOKENS@\n", RoffTokens(tokens)},
        };
        // Inline values in roff: dashes and backslashes escaped.
        for (const auto& [marker, value] : roffBlocks)
            roff = ReplaceAll(roff, marker, value);
        for (const auto& [marker, value] : InlineValues())
            roff = ReplaceAll(roff, marker, RoffEscape(value));
        CheckFilled("brelvix.1", roff);
        WriteText(manPage, roff);
    }
    return gFailed ? 1 : 0;
}
