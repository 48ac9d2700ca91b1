#include "engine/convert.h"

#include "engine/bmp_reader.h"
#include "engine/colour.h"
#include "engine/drawing_library.h"
#include "engine/naming.h"
#include "engine/pcx_output.h"
#include "engine/transform.h"
#include "platform/hidden_file.h"
#include "platform/platform.h"
#include "settings/settings.h"

#include <cerrno>
#include <iterator>

namespace {

// The steps between the geometry and the drawing, each with the reason it fails with.
struct ImageStep {
    Image (*apply)(Image image);
    Reason failure;
};
constexpr ImageStep kImageSteps[] = {
    {ApplyFlip, Reason::kFlipFailed},
    {ApplyColorAdjustment, Reason::kColourFailed},
    {ApplyGreyscale, Reason::kGreyscaleFailed},
    {ApplyThreshold, Reason::kThresholdFailed},
};

Reason Either(Reason given, Reason fallback) {
    return given != Reason::kNone ? given : fallback;
}

// Makes the folders of the final path that the filename mask names.
Reason MakeOutputFolder(const std::string& target) {
    const std::string folder = FolderPart(target);
    if (folder.empty() || IsFolder(folder)) return Reason::kNone;
    errno = 0;
    if (MakeFolders(folder)) return Reason::kNone;
    return ReasonFromErrno(errno, Reason::kOutputFolderFailed);
}

// Writes the PCX file beside its final name, unseen until it is complete, and gives it
// that name in one step, so that an older file of the name is replaced without a moment
// of having neither. After a failure nothing is left and an older file stays as it was.
Reason WriteOutput(const PcxPicture& pcx, const std::string& target) {
    HiddenFile file;
    if (!file.Open(target, 0666, TemporaryOutputPath))
        return ReasonFromErrno(errno, Reason::kWriteError);
    gJob.temporaryPath = file.temporaryPath();
    const Reason written = SavePcx(pcx, file.fd());
    if (written != Reason::kNone) return written;
    if (!file.Commit()) return ReasonFromErrno(errno, Reason::kRenameFailed);
    gJob.temporaryPath = file.temporaryPath();
    return Reason::kNone;
}

} // namespace

std::string UniqueStem(const std::string& prefix, const std::string& suffix) {
    std::string stem = prefix;
    for (char c : std::to_string(LocalDateNow()))
        if (c >= '0' && c <= '9') stem += static_cast<char>('a' + (c - '0'));
    for (int i = 0; i < 5; ++i)
        stem += static_cast<char>('a' + RandomInt(0, 25));
    return stem + suffix;
}

std::string TemporaryOutputPath() {
    return FolderPart(gJob.outputPath) + UniqueStem("brelvix", "") + "." + gJob.outputFormat;
}

Reason ConvertFile() {
    Reason why = Reason::kNone;
    // A 16-bit file loads as 24 bits; its own depth is the one the job reports.
    Image image = LoadBmp(gJob.currentInput, &why, &gJob.sourceBitDepth);
    int width = image.Width();
    int height = image.Height();
    if (width == 0 || height == 0) return Either(why, Reason::kNotBmp);

    image = ApplyRotation(std::move(image), &why);
    if (!image) return Either(why, Reason::kRotationFailed);
    width = image.Width();
    height = image.Height();
    image = ApplyResize(std::move(image), width, height, &why);
    if (!image) return Either(why, Reason::kResizeFailed);
    width = image.Width();
    height = image.Height();
    for (const ImageStep& step : kImageSteps) {
        image = step.apply(std::move(image));
        if (!image) return step.failure;
    }
    // The frame and the watermark take the size read after the resize.
    image = drawlib::ApplyFrame(std::move(image), width, height);
    if (!image) return Reason::kFrameFailed;
    image = drawlib::ApplyWatermark(std::move(image), width, height);
    if (!image) return Reason::kWatermarkFailed;
    image = ApplyBitDepth(std::move(image));
    if (!image) return Reason::kBitDepthFailed;

    gJob.outputWidth = image.Width();
    gJob.outputHeight = image.Height();
    gJob.outputPath = FinalOutputPath();
    gJob.temporaryPath.clear();
    // The output never takes the place of the picture it is made from, whatever names
    // lead to it (the same path, a hard link, a symbolic link).
    if (IsSameFile(gJob.currentInput, gJob.outputPath)) return Reason::kReplacesInput;
    if (const Reason folder = MakeOutputFolder(gJob.outputPath); folder != Reason::kNone)
        return folder;

    PcxPicture pcx = HandOverToPcx(std::move(image), &why);
    if (!pcx) return Either(why, Reason::kOutOfMemory);
    return WriteOutput(pcx, gJob.outputPath);
}
