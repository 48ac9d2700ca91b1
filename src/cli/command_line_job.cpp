// The command-line run: checks the request in a fixed order, prints the debug
// listing when asked, and converts the input file on the worker thread.
#include "cli/command_line.h"

#include "engine/batch_job.h"
#include "engine/drawing_library.h"
#include "engine/watermark_picture.h"
#include "formats/formats.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"

#include <cstdio>
#include <pthread.h>
#include <unistd.h>

namespace {

const OptionDef& Row(FieldId id) {
    return Option(id);
}

// A value as the listing shows it: keywords in lower case, numbers in decimal,
// colours and texts as stored.
std::string Shown(const OptionDef& def) {
    if (IsStringType(def.type)) return GetString(def, gSettings);
    if (def.showList) return KeywordName(*def.showList, static_cast<int>(GetInt(def, gSettings)));
    if (def.type == FieldType::Float32) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", GetFloat(def, gSettings));
        return text;
    }
    return std::to_string(GetInt(def, gSettings));
}

std::string Shown(FieldId id) {
    return Shown(Row(id));
}

// The listing label of a format option: its key, except where the listing names it
// more fully.
std::string FormatLabel(const OptionDef& def) {
    if (std::string_view(def.key) == "JPG Chroma") return "JPG Chroma Subsampling";
    return def.key;
}

std::string Extension(const std::string& path) {
    std::string name = FilePart(path);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? "" : name.substr(dot + 1);
}

std::string CurrentFolder() {
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer)) return "";
    std::string folder = buffer;
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

bool Contains(std::span<const std::string> list, const std::string& entry) {
    for (const std::string& item : list)
        if (item == entry) return true;
    return false;
}

void* WorkerThread(void*) {
    RunBatchJob();
    return nullptr;
}

// Runs the worker on its own thread and waits for it; on the calling thread when no
// thread can be started.
void RunWorkerAndWait() {
    pthread_t thread;
    if (pthread_create(&thread, nullptr, WorkerThread, nullptr) == 0)
        pthread_join(thread, nullptr);
    else
        RunBatchJob();
}

} // namespace

bool RunCommandLineJob(bool quiet) {
    const bool debug = gJob.mode == "DEBUG";
    auto status = [&](const std::string& line) {
        if (!quiet) PrintLine(line);
    };
    auto show = [&](const std::string& line) {
        if (debug) PrintLine(line);
    };
    auto fail = [](const char* message) {
        PrintError(message);
        return false;
    };
    // The watermark font made for the job is freed when the run ends, on every path.
    struct FontRelease {
        ~FontRelease() { drawlib::FreeWatermarkFont(); }
    } fontRelease;

    status(GetText("General", "Preparing"));
    show("Input: " + gJob.inputArgument);

    // The input file.
    if (Extension(gJob.inputArgument).empty()) {
        gJob.inputArgument.clear();
        return fail("Error: Invalid input file");
    }
    gJob.currentInput = gJob.inputArgument;
    gJob.inputArgument.clear();
    if (FileSize(gJob.currentInput) < 1) return fail("Error: Invalid input file");

    // The output folder: the input's own folder by default; a relative folder is
    // taken from the current folder.
    if (gJob.outputFolder.empty()) gJob.outputFolder = FolderPart(gJob.currentInput);
    show("Output: " + gJob.outputFolder);
    if (gJob.outputFolder.starts_with("..")) return fail("Error: Incorrect output folder");
    if (!gJob.outputFolder.starts_with("/")) {
        std::string relative = gJob.outputFolder;
        if (relative.starts_with("./")) relative.erase(0, 2);
        gJob.outputFolder = CurrentFolder() + relative;
    }
    if (gJob.outputFolder.empty() || gJob.outputFolder.back() != '/') gJob.outputFolder += '/';
    if (!IsFolder(gJob.outputFolder)) return fail("Error: Invalid output folder");

    // Formats.
    if (gJob.inputFormat.empty()) gJob.inputFormat = ActiveInputFormats().front();
    if (gJob.outputFormat.empty()) gJob.outputFormat = ActiveOutputFormats().front();
    show("Conversion: " + gJob.outputFormat);
    if (!Contains(ActiveOutputFormats(), gJob.outputFormat))
        return fail("Error: Invalid conversion type");

    for (const OptionDef& def : OptionTable())
        if (std::string_view(def.group) == "Input" && def.format == gJob.inputFormat)
            show(std::string(def.key) + ": " + Shown(def));
    for (const OptionDef& def : OptionTable())
        if (std::string_view(def.group) == "Output" && def.format == gJob.outputFormat)
            show(FormatLabel(def) + ": " + Shown(def));
    if (const OptionDef* bpp = OutputBppSlot(gJob.outputFormat)) {
        int64_t value = GetInt(*bpp, gSettings);
        if (value != 0 && !IsBppPermitted(gJob.outputFormat, value)) {
            std::string message = "Error: Invalid " + AsciiLower(gJob.outputFormat) + "-bpp value";
            return fail(message.c_str());
        }
    }
    if (gJob.outputFormat == "jpg" && (gSettings.jpgQuality < 1 || gSettings.jpgQuality > 100))
        return fail("Error: Invalid jpg-quality value");

    // Transform.
    if (gSettings.doImageRotation) {
        show("Image Rotation Type: " + Shown(FieldId::imageRotationType));
        show("Image Rotation: " + Shown(FieldId::imageRotation));
        show("Image Rotation Back Color: " + Shown(FieldId::imageRotationBackColor));
    }
    if (gSettings.doImageResize) {
        show("Width: " + Shown(FieldId::imageWidth) + " " + Shown(FieldId::imageWidthUnit));
        if (gSettings.imageWidth == 0) return fail("Error: Invalid width value");
        show("Height: " + Shown(FieldId::imageHeight) + " " + Shown(FieldId::imageHeightUnit));
        if (gSettings.imageHeight == 0) return fail("Error: Invalid height value");
        show("Keep Aspect Ratio: " + Shown(FieldId::keepAspectRatio));
        show("Image Resize Type: " + Shown(FieldId::imageResizeType));
        show("Image Resize Algorithm: " + Shown(FieldId::imageResizeAlgorithm));
    }
    show("Flip Horizontal: " + Shown(FieldId::doImageFlipHorizontal));
    show("Flip Vertical: " + Shown(FieldId::doImageFlipVertical));

    // Adjustment.
    if (gSettings.doImageColorCorrection) {
        show("Brightness: " + Shown(FieldId::imageBrightness));
        if (gSettings.imageBrightness < -100 || gSettings.imageBrightness > 100)
            return fail("Error: Invalid brightness value");
        show("Contrast: " + Shown(FieldId::imageContrast));
        if (gSettings.imageContrast < -100 || gSettings.imageContrast > 100)
            return fail("Error: Invalid contrast value");
        show("Gamma: " + Shown(FieldId::imageGamma));
        // Written so that a value that is no number fails as well.
        if (!(gSettings.imageGamma >= 0.01f && gSettings.imageGamma <= 9.99f))
            return fail("Error: Invalid gamma value");
        show("Invert: " + Shown(FieldId::imageInvert));
    }
    show("Greyscale: " + Shown(FieldId::doImageGreyscale));
    if (gSettings.doImageThreshold) show("Image Threshold: " + Shown(FieldId::imageThreshold));

    // Frame.
    show("Frame: " + Shown(FieldId::doFrame));
    if (gSettings.doFrame == 1) {
        show("Frame left: " + Shown(FieldId::solidLeft));
        show("Frame right: " + Shown(FieldId::solidRight));
        show("Frame top: " + Shown(FieldId::solidTop));
        show("Frame bottom: " + Shown(FieldId::solidBottom));
        show("Frame left color: " + Shown(FieldId::solidLeftColor));
        show("Frame right color: " + Shown(FieldId::solidRightColor));
        show("Frame top color: " + Shown(FieldId::solidTopColor));
        show("Frame bottom color: " + Shown(FieldId::solidBottomColor));
        show("Frame opacity: " + Shown(FieldId::solidOpacity));
    }

    // Watermark.
    show("Watermark: " + Shown(FieldId::doWatermark));
    if (gSettings.doWatermark == 1) {
        show("Watermark text: " + Shown(FieldId::text));
        show("Watermark font: " + Shown(FieldId::font));
        show("Watermark font size: " + Shown(FieldId::fontSize));
        show("Watermark font leading: " + Shown(FieldId::fontLeading));
        show("Watermark font color: " + Shown(FieldId::fontColor));
        show("Watermark font style: " + Shown(FieldId::fontStyle));
        show("Watermark font effect: " + Shown(FieldId::fontEffect));
        show("Watermark text antialiasing: " + Shown(FieldId::textAntialiasing));
        show("Watermark text alignment: " + Shown(FieldId::textAlignment));
        show("Watermark text padding: " + Shown(FieldId::textPadding));
        show("Watermark text opacity: " + Shown(FieldId::textOpacity));
        show("Watermark background color: " + Shown(FieldId::backColor));
        show("Watermark background opacity: " + Shown(FieldId::backOpacity));
        show("Watermark boundary: " + Shown(FieldId::textBoundary));
        show("Watermark position: " + Shown(FieldId::textPosition));
        show("Watermark offset (x/y): " + Shown(FieldId::textXOffset) + "/" +
             Shown(FieldId::textYOffset));
        show("Watermark rotation: " + Shown(FieldId::textRotation));
        show("Watermark size/mode: " + Shown(FieldId::textSize));
        if (!drawlib::CreateWatermarkFont()) return fail("Error: Invalid watermark font");
    }
    if (gSettings.doWatermark == 2) {
        show("Watermark image: " + Shown(FieldId::image));
        show("Watermark greyscale: " + Shown(FieldId::imageGreyscale));
        show("Watermark opacity: " + Shown(FieldId::imageOpacity));
        show("Watermark boundary: " + Shown(FieldId::imageBoundary));
        show("Watermark position: " + Shown(FieldId::imagePosition));
        show("Watermark offset (x/y): " + Shown(FieldId::imageXOffset) + "/" +
             Shown(FieldId::imageYOffset));
        show("Watermark rotation: " + Shown(FieldId::watermarkImageRotation));
        show("Watermark size/mode: " + Shown(FieldId::imageSize));
        if (WatermarkPictureFormat(gSettings.image) == FIF_UNKNOWN)
            return fail("Error: Invalid watermark image");
    }

    // Advanced.
    show("Filename Mask: " + Shown(FieldId::filenameMask));
    show("File Timestamp: " + Shown(FieldId::fileTimestamp));
    if (gSettings.fileTimestamp == 2) show("Custom Timestamp: " + Shown(FieldId::customTimestamp));
    show("Keep Subfolders: " + Shown(FieldId::keepSubfolders));

    // The job.
    const OptionDef* bpp = OutputBppSlot(gJob.outputFormat);
    gJob.outputBitDepth = bpp ? static_cast<int32_t>(GetInt(*bpp, gSettings)) : 0;
    gJob.keepBitDepth = gJob.outputBitDepth == 0 ? 1 : 0;

    status(GetText("General", "Importing"));
    int added = 0;
    const std::string extension = AsciiLower(Extension(gJob.currentInput));
    if (extension != "txt" && extension != "lst") added = AddInputFile(gJob.currentInput) ? 1 : 0;
    status(FillTemplate(GetText("Msg", "Import complete"), std::to_string(added)));
    if (added == 0) {
        PrintLine(GetText("Msg", "Conversion is not complete"));
        PrintLine(GetText("Msg", "Empty input files"));
        return false;
    }

    status(GetText("General", "Converting"));
    ResetJobProgress();
    SetJobLineSink(debug ? JobLineSink(PrintLine) : JobLineSink());
    RunWorkerAndWait();
    SetJobLineSink({});
    int converted = 0;
    std::vector<FileFailure> failures;
    {
        std::lock_guard<std::mutex> guard(gJobLock);
        converted = gJobProgress.convertedCount;
        failures = gJobProgress.failures;
    }
    for (const FileFailure& failure : failures)
        PrintError("Error: " + FillTemplate(GetText("Reason", "Cannot Convert"), failure.file,
                                            ReasonText(failure.reason)));
    if (converted != 0) {
        status(GetText("Msg", "Conversion complete"));
        status(FillTemplate(GetText("Msg", "Files converted"), std::to_string(converted),
                            std::to_string(added)));
    } else {
        PrintLine(GetText("Msg", "Conversion is not complete"));
    }
    return converted > 0 && converted == added;
}
