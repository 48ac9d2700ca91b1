#include "engine/convert.h"

#include "engine/bmp_reader.h"
#include "engine/colour.h"
#include "engine/drawing_library.h"
#include "engine/naming.h"
#include "engine/pcx_output.h"
#include "engine/transform.h"
#include "platform/platform.h"
#include "settings/settings.h"

namespace {

// Moves the written file to its final name in one step, so that an older file of
// that name is replaced without a moment of having neither. Folders that the
// filename mask names are made first. On failure the written file is removed.
Reason MoveIntoPlace(const std::string& written, const std::string& target) {
    const std::string folder = FolderPart(target);
    if (!folder.empty() && !IsFolder(folder)) MakeFolders(folder);
    if (RenameFile(written, target)) return Reason::kNone;
    RemoveFile(written);
    return Reason::kRenameFailed;
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
    std::string path = gJob.outputFolder;
    if (gSettings.keepSubfolders != 0) path += gJob.currentSubFolder;
    return path + UniqueStem("brelvix", "") + "." + gJob.outputFormat;
}

Reason ConvertFile() {
    Reason why = Reason::kNone;
    // A 16-bit file loads as 24 bits; its own depth is the one the job reports.
    Image image = LoadBmp(gJob.currentInput, &why, &gJob.sourceBitDepth);
    int width = image.Width();
    int height = image.Height();
    if (width == 0 || height == 0) return why == Reason::kNone ? Reason::kNotBmp : why;

    image = ApplyRotation(std::move(image));
    width = image.Width();
    height = image.Height();
    image = ApplyResize(std::move(image), width, height);
    width = image.Width();
    height = image.Height();
    image = ApplyFlip(std::move(image));
    image = ApplyColorAdjustment(std::move(image));
    image = ApplyGreyscale(std::move(image));
    image = ApplyThreshold(std::move(image));
    // The frame and the watermark take the size read after the resize.
    image = drawlib::ApplyFrame(std::move(image), width, height);
    image = drawlib::ApplyWatermark(std::move(image), width, height);
    image = ApplyBitDepth(std::move(image));

    width = image.Width();
    height = image.Height();
    if (width == 0 || height == 0) return Reason::kBitDepthFailed;
    DevilImage pcx = HandOverToDevil(std::move(image));
    if (!pcx) return Reason::kPcxTooLarge;

    gJob.outputWidth = width;
    gJob.outputHeight = height;
    gJob.outputPath = FinalOutputPath();
    gJob.temporaryPath = TemporaryOutputPath();
    for (int tries = 0; tries < 8 && PathExists(gJob.temporaryPath); ++tries)
        gJob.temporaryPath = TemporaryOutputPath();

    const bool saved = SavePcx(pcx, gJob.temporaryPath);
    pcx.Reset();
    if (!saved) return Reason::kWriteError;
    return MoveIntoPlace(gJob.temporaryPath, gJob.outputPath);
}
