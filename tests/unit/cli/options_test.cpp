// Option parsing: names and values, the value rules, quoted values, value readers,
// keywords and profile files.
#include "cli/command_line.h"
#include "formats/formats.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

void ResetState() {
    BuildFormatTables();
    ResetJob();
    ResetSettings(true);
    gJob.mode.clear();
}

RunValues Parse(const Arguments& args) {
    ResetState();
    return ParseOptions(args);
}

} // namespace

TEST(OptionNames, NameAndValueOfAnArgument) {
    const Arguments args = {"  -i ",   "--Input=a.bmp", "--width",          "plain",
                            "--x=1=2", "-o=out",        "--wm-text= hello "};
    struct Case {
        int position;
        const char* name;
        const char* value;
    } cases[] = {
        {0, "-I", "-i"},   {1, "--INPUT", "a.bmp"}, {2, "--WIDTH", "--width"},  {3, "", "plain"},
        {4, "--X", "1=2"}, {5, "-O=OUT", "-o=out"}, {6, "--WM-TEXT", " hello"}, {7, "", ""},
        {-1, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(OptionName(args, c.position), c.name);
        EXPECT_EQ(OptionValue(args, c.position), c.value);
    }
}

TEST(OptionValues, IntegerReader) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"42", 42},        {"  \t-7", -7},    {"+5", 5},
        {"$FF", 255},      {"$ff", 255},      {"-$10", -16},
        {"%101", 5},       {"%102", 2},       {"12abc", 12},
        {"abc", 0},        {"", 0},           {"-", 0},
        {"4294967297", 1}, {"$FFFFFFFF", -1}, {"2147483648", INT32_MIN},
        {"$", 0},          {"1 2", 1},        {"0x10", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseIntegerValue(c.text), c.value);
    }
}

TEST(OptionValues, DecimalReader) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"0.01", 0.01}, {"9.99", 9.99}, {"2", 2},        {" 1.5x", 1.5}, {"-0.5", -0.5},
        {".5", 0.5},    {"abc", 0},     {"nan", 0},      {"inf", 0},     {"1,5", 1},
        {"", 0},        {"1e3", 1},     {"+3.25", 3.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(ParseDecimalValue(c.text), c.value);
    }
    EXPECT_TRUE(std::isfinite(ParseDecimalValue(std::string(400, '9'))));
    EXPECT_GT(ParseDecimalValue(std::string(400, '9')), 1e30);
}

TEST(OptionLoop, ValueRules) {
    struct Case {
        const char* name;
        Arguments args;
        const char* error;
        std::function<void()> check;
    } cases[] = {
        {"short form takes the next argument",
         {"-i", "a.bmp", "-o", "out", "-c", "pcx"},
         "",
         [] {
             EXPECT_EQ(gJob.inputArgument, "a.bmp");
             EXPECT_EQ(gJob.outputFolder, "out");
             EXPECT_EQ(gJob.outputFormat, "pcx");
             EXPECT_EQ(gJob.commandLineJob, 1);
         }},
        {"long form takes its = part",
         {"--input=a.bmp", "--output=out", "--conversion=pcx"},
         "",
         [] {
             EXPECT_EQ(gJob.inputArgument, "a.bmp");
             EXPECT_EQ(gJob.outputFolder, "out");
             EXPECT_EQ(gJob.outputFormat, "pcx");
         }},
        {"names ignore case, values keep theirs",
         {"-I", "A.BMP", "-O", "OUT"},
         "",
         [] {
             EXPECT_EQ(gJob.inputArgument, "A.BMP");
             EXPECT_EQ(gJob.outputFolder, "OUT");
         }},
        {"long form with the value apart fails",
         {"--input", "a.bmp"},
         "Incorrect number of parameters",
         [] { EXPECT_EQ(gJob.commandLineJob, 0); }},
        {"short value starting with a dash fails",
         {"-i", "a.bmp", "-o", "-out"},
         "Incorrect number of parameters",
         [] { EXPECT_EQ(gJob.outputFolder, ""); }},
        {"short option at the end fails", {"-c"}, "Incorrect number of parameters", [] {}},
        {"empty long value fails", {"--output="}, "Incorrect number of parameters", [] {}},
        {"negative number is a value",
         {"--brightness=-20"},
         "",
         [] {
             EXPECT_EQ(gSettings.imageBrightness, -20);
             EXPECT_EQ(gSettings.doImageColorCorrection, 1);
         }},
        {"long option without = fails",
         {"--brightness", "20"},
         "Incorrect number of parameters",
         [] { EXPECT_EQ(gSettings.doImageColorCorrection, 0); }},
        {"value starting with -- fails",
         {"--width=--height"},
         "Incorrect number of parameters",
         [] {}},
        {"a switch ignores its value",
         {"--invert=0", "--no-subfolders=1", "--png-interlaced"},
         "",
         [] {
             EXPECT_EQ(gSettings.imageInvert, 1);
             EXPECT_EQ(gSettings.doImageColorCorrection, 1);
             EXPECT_EQ(gSettings.keepSubfolders, 0);
             EXPECT_EQ(gSettings.pngInterlaced, 1);
         }},
        {"later options overwrite earlier ones",
         {"--width=640", "--width=800"},
         "",
         [] {
             EXPECT_EQ(gSettings.imageWidth, 800);
             EXPECT_EQ(gSettings.doImageResize, 1);
         }},
        {"an error stops parsing",
         {"--width", "--input=a.bmp", "-d"},
         "Incorrect number of parameters",
         [] {
             EXPECT_EQ(gJob.inputArgument, "");
             EXPECT_EQ(gJob.commandLineJob, 0);
             EXPECT_EQ(gJob.mode, "");
         }},
        {"unknown words are skipped",
         {"-x", "--foo=1", "photo.bmp", "-V"},
         "",
         [] {
             EXPECT_EQ(gJob.commandLineJob, 0);
             EXPECT_EQ(gJob.inputArgument, "");
         }},
        {"run switches", {"-d", "--QUIET", "-p"}, "", [] { EXPECT_EQ(gJob.mode, "DEBUG"); }},
        {"options set their second field",
         {"--rotation=90", "--fr-solid-top=4", "--threshold=7"},
         "",
         [] {
             EXPECT_EQ(gSettings.doImageRotation, 1);
             EXPECT_EQ(gSettings.imageRotation, 90);
             EXPECT_EQ(gSettings.doFrame, 1);
             EXPECT_EQ(gSettings.solidTop, 4);
             EXPECT_EQ(gSettings.doImageThreshold, 1);
             EXPECT_EQ(gSettings.imageThreshold, 7);
         }},
        {"the last watermark kind wins",
         {"--wm-text=Hi", "--wm-image=logo.png"},
         "",
         [] {
             EXPECT_EQ(gSettings.doWatermark, 2);
             EXPECT_EQ(gSettings.text, "Hi");
             EXPECT_EQ(gSettings.image, "logo.png");
         }},
        {"gamma is a decimal fraction",
         {"--gamma=2.5"},
         "",
         [] { EXPECT_FLOAT_EQ(gSettings.imageGamma, 2.5f); }},
        {"integers in hex and binary",
         {"--width=$40", "--height=%1000"},
         "",
         [] {
             EXPECT_EQ(gSettings.imageWidth, 64);
             EXPECT_EQ(gSettings.imageHeight, 8);
         }},
        {"an option that no switch names is not settable",
         {"--do-frame=1", "--fonts=x"},
         "",
         [] {
             EXPECT_EQ(gSettings.doFrame, 0);
             EXPECT_EQ(gSettings.fonts, "Arial,Tahoma,Verdana");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunValues run = Parse(c.args);
        EXPECT_EQ(run.errorText, c.error);
        c.check();
    }
}

TEST(OptionLoop, RunSwitches) {
    RunValues run = Parse({"-q", "-p"});
    EXPECT_TRUE(run.quiet);
    EXPECT_TRUE(run.pause);
    run = Parse({"--pause=0"});
    EXPECT_FALSE(run.quiet);
    EXPECT_TRUE(run.pause);
}

TEST(OptionLoop, QuotedValues) {
    struct Case {
        Arguments args;
        const char* text;  // watermark text
        const char* input; // input argument
        const char* error;
    } cases[] = {
        {{"--wm-text=\"Hello", "big", "world\""}, "Hello big world", "", ""},
        {{"--wm-text=\"Hello", "big", "world\"", "-i", "a.bmp"}, "Hello big world", "a.bmp", ""},
        {{"--wm-text=\"Hello", "big"}, "Hello big", "", ""},
        {{"--wm-text=\"\"Quoted\"\""}, "Quoted", "", ""},
        {{"--wm-text=\"One\""}, "One", "", ""},
        {{"--wm-text=\"", "two\""}, " two", "", ""},
        {{"--wm-text=\"a", "--width=5\""}, "a 5", "", ""}, // joined parts are values
        {{"-i", "\"My", "Pictures/a.bmp\"", "--wm-text=x"}, "x", "My Pictures/a.bmp", ""},
        {{"--input=\"My", "File.bmp\""}, "", "My File.bmp", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        RunValues run = Parse(c.args);
        EXPECT_EQ(run.errorText, c.error);
        if (*c.text) {
            EXPECT_EQ(gSettings.text, c.text);
        }
        EXPECT_EQ(gJob.inputArgument, c.input);
    }

    // The conversion only loses its quotes, and joins nothing.
    RunValues run = Parse({"-c", "\"pcx", "--width=3"});
    EXPECT_EQ(run.errorText, "");
    EXPECT_EQ(gJob.outputFormat, "pcx");
    EXPECT_EQ(gSettings.imageWidth, 3);

    // Integer options take no quotes: a quote makes the number 0.
    Parse({"--width=\"12\""});
    EXPECT_EQ(gSettings.imageWidth, 0);
}

TEST(OptionLoop, KeywordValues) {
    struct Case {
        const char* arg;
        FieldId field;
        int value;
    } cases[] = {
        {"--resize-algorithm=lanczos", FieldId::imageResizeAlgorithm, 5},
        {"--resize-algorithm=LANCZOS3", FieldId::imageResizeAlgorithm, 0},
        {"--resize-algorithm= Bilinear ", FieldId::imageResizeAlgorithm, 1},
        {"--wm-text-size=PROPORTIONAL", FieldId::textSize, 0},
        {"--wm-text-position=bottomLeft", FieldId::textPosition, 6},
        {"--wm-image-position=middlecenter", FieldId::imagePosition, 4},
        {"--file-timestamp=custom", FieldId::fileTimestamp, 2},
        {"--tiff-compression=LZW", FieldId::tiffCompression, 6},
        {"--bmp-compression=ZIP", FieldId::bmpCompression, 1}, // one list serves every format
        {"--png-compression=LOGLUV", FieldId::pngCompression, 8},
        {"--raw-load-as=48HS", FieldId::rawLoadAs, 4},
        {"--wm-font-effect=STRIKETHROUGHT", FieldId::fontEffect, 2},
        {"--wm-font-style=bolditalic", FieldId::fontStyle, 3},
        {"--width-unit=percent", FieldId::imageWidthUnit, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arg);
        Parse({c.arg});
        EXPECT_EQ(GetInt(Option(c.field), gSettings), c.value);
    }
}

TEST(OptionLoop, EveryTableOptionIsReachable) {
    // Each row with a command-line option takes a value of its kind and sets its field.
    for (const OptionDef& def : OptionTable()) {
        if (!def.cli.name) continue;
        SCOPED_TRACE(def.cli.name);
        std::string arg = def.cli.name;
        switch (def.cli.kind) {
        case CliKind::Int:
            arg += "=7";
            break;
        case CliKind::Float:
            arg += "=0.5";
            break;
        case CliKind::Keyword:
            arg += "=" + std::string(def.cli.list->words.back().word);
            break;
        case CliKind::Text:
            arg += "=\"text";
            break;
        default:
            break;
        }
        Arguments args = {AsciiUpper(arg), "value\""};
        RunValues run = Parse(args);
        EXPECT_EQ(run.errorText, "");
        switch (def.cli.kind) {
        case CliKind::Int:
            EXPECT_EQ(GetInt(def, gSettings), 7);
            break;
        case CliKind::Float:
            EXPECT_FLOAT_EQ(GetFloat(def, gSettings), 0.5);
            break;
        case CliKind::Keyword:
            EXPECT_EQ(GetInt(def, gSettings), def.cli.list->words.back().value);
            break;
        case CliKind::Text:
            EXPECT_EQ(GetString(def, gSettings), "TEXT value");
            break;
        case CliKind::Switch:
            EXPECT_EQ(GetInt(def, gSettings), def.cli.switchValue);
            break;
        default:
            break;
        }
    }
}

TEST(Profile, ReadsTheCliGroup) {
    TempFolder temp;
    const std::string profile = temp.File("p.ini");
    WriteFile(profile, "; options\r\n"
                       "[Other]\r\n--width = 11\r\n"
                       "[cli]\r\n"
                       "--WIDTH = 640\r\n"
                       "  --resize-algorithm = lanczos \r\n"
                       "--wm-text =   Hello there   \r\n"
                       "--filename-mask = \"%filename% copy \"\r\n"
                       "--invert = 0\r\n"
                       "--gamma = 1.25\r\n"
                       "--fr-solid-opacity = 100\r\n"
                       "--input = x.bmp\r\n"
                       "-d = 1\r\n"
                       "--pause = 1\r\n"
                       "--unknown = 5\r\n"
                       "--wm-text-x-offset =\r\n");
    ResetState();
    gSettings.textXOffset = 99;
    ASSERT_TRUE(LoadProfile(profile));
    EXPECT_EQ(gSettings.imageWidth, 640);
    EXPECT_EQ(gSettings.doImageResize, 1);
    EXPECT_EQ(gSettings.imageResizeAlgorithm, 5);
    EXPECT_EQ(gSettings.text, "Hello there");
    EXPECT_EQ(gSettings.doWatermark, 1);
    EXPECT_EQ(gSettings.filenameMask, "%filename% copy ");
    EXPECT_EQ(gSettings.imageInvert, 1);
    EXPECT_FLOAT_EQ(gSettings.imageGamma, 1.25f);
    EXPECT_EQ(gSettings.solidOpacity, 255); // the profile names it --wm-solid-opacity
    EXPECT_EQ(gJob.inputArgument, "");      // run-control options are not profile keys
    EXPECT_EQ(gJob.mode, "");
    EXPECT_EQ(gSettings.textXOffset, 0); // an empty value is taken whole
}

TEST(Profile, FrameOpacityKey) {
    TempFolder temp;
    WriteFile(temp.File("p.ini"), "[CLI]\n--wm-solid-opacity = 100\n");
    ResetState();
    ASSERT_TRUE(LoadProfile(temp.File("p.ini")));
    EXPECT_EQ(gSettings.solidOpacity, 100);
    // ... which is not an option of the command line.
    Parse({"--wm-solid-opacity=50"});
    EXPECT_EQ(gSettings.solidOpacity, 255);
}

TEST(Profile, OrderWithTheCommandLine) {
    TempFolder temp;
    const std::string profile = temp.File("p.ini");
    WriteFile(profile, "[CLI]\n--width = 300\n--height = 200\n");
    struct Case {
        Arguments args;
        int width;
        const char* error;
    } cases[] = {
        {{"--profile=" + profile, "--width=800"}, 800, ""},
        {{"--width=800", "--profile=" + profile}, 300, ""},
        {{"--width=800", "--PROFILE=" + profile, "--width=900"}, 900, ""},
        {{"--profile=" + temp.File("missing.ini"), "--width=800"}, 0, "Invalid profile file"},
        {{"--profile=" + temp.path, "--width=800"}, 0, "Invalid profile file"},
        {{"--profile=\"\""}, 0, "Invalid profile file"},
        {{"--profile"}, 0, "Incorrect number of parameters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        RunValues run = Parse(c.args);
        EXPECT_EQ(run.errorText, c.error);
        EXPECT_EQ(gSettings.imageWidth, c.width);
    }
}

TEST(Profile, QuotedPathIsJoined) {
    TempFolder temp;
    const std::string profile = temp.File("my profile.ini");
    WriteFile(profile, "[CLI]\n--height = 42\n");
    RunValues run = Parse({"--profile=\"" + temp.path + "my", "profile.ini\""});
    EXPECT_EQ(run.errorText, "");
    EXPECT_EQ(gSettings.imageHeight, 42);
}

TEST(Profile, WithoutTheGroupChangesNothing) {
    TempFolder temp;
    WriteFile(temp.File("p.ini"), "[General]\n--width = 5\n");
    ResetState();
    EXPECT_TRUE(LoadProfile(temp.File("p.ini")));
    EXPECT_EQ(gSettings.imageWidth, 0);
    EXPECT_EQ(gSettings.doImageResize, 0);
    WriteFile(temp.File("empty.ini"), "");
    EXPECT_TRUE(LoadProfile(temp.File("empty.ini")));
    EXPECT_FALSE(LoadProfile(""));
}

TEST(StartModes, ArgumentsWithoutAnInputFileGoOnToTheWindow) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"-x", "--foo=1", "photo.bmp"},
        {"-p"},
        {"-q", "-V"}, // a start mode only counts first
        {"-d", "--help"},
        {"-T", "-i", "a.bmp"}, // screenshot and uninstall pages belong to the window module
        {"-u", "-i", "a.bmp"},
        {"--width=5", "-o", "out"},
    };
    for (const std::vector<std::string>& args : cases) {
        std::vector<std::string> all = {"brelvix"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        SCOPED_TRACE(args.empty() ? "(none)" : args.front());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunCommandLine(static_cast<int>(all.size()), argv.data()), kContinueToWindowMode);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}
