// The option table: every option of the program, described once.
//
// Each row gives the settings-file group and key, the field of ConversionSettings,
// its type, its default, its flags, the format it belongs to (options of a format
// are written to the settings file only while that format is active), the keyword
// list by which the listing names its values, and its command-line option.
//
// Reset, load, save, option parsing, the debug listing and the Preferences dialog
// all walk this table.
#pragma once

#include "settings/keywords.h"

#include <cstdint>
#include <string>

enum class FieldType { Bool8, Int8, Int32, Float32, String, Colour, Date };

// How a default is obtained when it is not a plain constant.
enum class DefaultRule {
    Plain,        // the number or text of the row
    Now,          // the current local date value
    CentreX,      // centred on the desktop; 100 when loaded from a file without it
    CentreY,
    ByMode,       // 1 in window mode, 0 in command-line mode
    FirstInput,   // first entry of the active input format list
    FirstOutput,  // first entry of the active output format list
    Notice,       // the product's notice line
    LayoutVersion // 17 when reset, 0 when a file lacks it
};

struct OptionDefault {
    double number = 0;
    const char* text = "";
    DefaultRule rule = DefaultRule::Plain;
};

// Row flags.
enum : unsigned {
    kKeepTrailingSpaces = 1u << 0, // string read from the settings file without trimming its end
};

enum class CliKind { None, Int, Float, Keyword, Text, Switch };

enum class FieldId : int;

struct CliOption {
    const char* name = nullptr;          // long option name, lower case ("--width")
    CliKind kind = CliKind::None;
    const KeywordList* list = nullptr;   // keyword list of a Keyword option
    int switchValue = 1;                 // value a Switch stores
    int alsoField = -1;                  // FieldId of a second field the option sets
    int alsoValue = 1;                   // value stored into that field
    const char* profileName = nullptr;   // key in profile files, when it differs from name
};

#define BRELVIX_ALSO(id, value) static_cast<int>(FieldId::id), value

// X(group, key, field, type, default, flags, format, showList, cli)
#define BRELVIX_OPTION_TABLE(X)                                                                    \
    X("General", "CFG", cfg, Int32, (OptionDefault{17, "", DefaultRule::LayoutVersion}), 0, "",   \
      nullptr, CliOption{})                                                                        \
    X("General", "Language", language, String, (OptionDefault{0, "en"}), kKeepTrailingSpaces, "", \
      nullptr, CliOption{})                                                                        \
    X("General", "Update Range", updateRange, Int32, (OptionDefault{2}), 0, "", nullptr,          \
      CliOption{})                                                                                 \
    X("General", "Update Date", updateDate, Date, (OptionDefault{0, "", DefaultRule::Now}), 0, "", \
      nullptr, CliOption{})                                                                        \
    X("General", "Save Window Position", saveWindowPosition, Bool8, (OptionDefault{1}), 0, "",    \
      nullptr, CliOption{})                                                                        \
    X("Window", "IsMaximized", isMaximized, Bool8, (OptionDefault{0}), 0, "", nullptr,            \
      CliOption{})                                                                                 \
    X("Window", "X", x, Int32, (OptionDefault{0, "", DefaultRule::CentreX}), 0, "", nullptr,      \
      CliOption{})                                                                                 \
    X("Window", "Y", y, Int32, (OptionDefault{0, "", DefaultRule::CentreY}), 0, "", nullptr,      \
      CliOption{})                                                                                 \
    X("Window", "Width", width, Int32, (OptionDefault{510}), 0, "", nullptr, CliOption{})         \
    X("Window", "Height", height, Int32, (OptionDefault{260}), 0, "", nullptr, CliOption{})       \
    X("Interface", "UI Theme", uiTheme, String, (OptionDefault{0, "handdrawn"}),                  \
      kKeepTrailingSpaces, "", nullptr, CliOption{})                                               \
    X("Interface", "UI Size", uiSize, Int32, (OptionDefault{2}), 0, "", nullptr, CliOption{})     \
    X("Input", "Format", inputFormat, String, (OptionDefault{0, "", DefaultRule::FirstInput}),    \
      kKeepTrailingSpaces, "", nullptr, CliOption{})                                               \
    X("Input", "DDS Load As", ddsLoadAs, Int32, (OptionDefault{0}), 0, "dds", &kw::loadAs,        \
      (CliOption{"--dds-load-as", CliKind::Keyword, &kw::loadAs}))                                 \
    X("Input", "GIF Frame Loading", gifFrameLoading, Int32, (OptionDefault{0}), 0, "gif",         \
      &kw::frames, (CliOption{"--gif-frame-loading", CliKind::Keyword, &kw::frames}))              \
    X("Input", "ICO Frame Loading", icoFrameLoading, Int32, (OptionDefault{0}), 0, "ico",         \
      &kw::frames, (CliOption{"--ico-frame-loading", CliKind::Keyword, &kw::frames}))              \
    X("Input", "TIFF Frame Loading", tiffFrameLoading, Int32, (OptionDefault{0}), 0, "tiff",      \
      &kw::frames, (CliOption{"--tiff-frame-loading", CliKind::Keyword, &kw::frames}))             \
    X("Input", "RAW Load As", rawLoadAs, Int32, (OptionDefault{0}), 0, "raw", &kw::rawBits,       \
      (CliOption{"--raw-load-as", CliKind::Keyword, &kw::rawBits}))                                \
    X("Input", "RAW Header Size", rawHeaderSize, Int32, (OptionDefault{0}), 0, "raw", nullptr,    \
      (CliOption{"--raw-header-size", CliKind::Int}))                                              \
    X("Input", "RAW Image Width", rawImageWidth, Int32, (OptionDefault{0}), 0, "raw", nullptr,    \
      (CliOption{"--raw-width", CliKind::Int}))                                                    \
    X("Input", "RAW Image Height", rawImageHeight, Int32, (OptionDefault{0}), 0, "raw", nullptr,  \
      (CliOption{"--raw-height", CliKind::Int}))                                                   \
    X("Input", "RAW Tone Mapping", rawToneMapping, Int32, (OptionDefault{2}), 0, "raw",           \
      &kw::tone, (CliOption{"--raw-tone-mapping", CliKind::Keyword, &kw::tone}))                   \
    X("Output", "Format", outputFormat, String, (OptionDefault{0, "", DefaultRule::FirstOutput}), \
      kKeepTrailingSpaces, "", nullptr, CliOption{})                                               \
    X("Output", "BMP BPP", bmpBpp, Int32, (OptionDefault{0}), 0, "bmp", nullptr,                  \
      (CliOption{"--bmp-bpp", CliKind::Int}))                                                      \
    X("Output", "BMP Compression", bmpCompression, Int32, (OptionDefault{0}), 0, "bmp",           \
      &kw::rleCompression, (CliOption{"--bmp-compression", CliKind::Keyword, &kw::compression}))   \
    X("Output", "BMP Color Table", bmpColorTable, Int32, (OptionDefault{0}), 0, "bmp",            \
      &kw::colorTable, (CliOption{"--bmp-color-table", CliKind::Keyword, &kw::colorTable}))        \
    X("Output", "DDS BPP", ddsBpp, Int32, (OptionDefault{0}), 0, "dds", nullptr,                  \
      (CliOption{"--dds-bpp", CliKind::Int}))                                                      \
    X("Output", "EXR BPP", exrBpp, Int32, (OptionDefault{0}), 0, "exr", nullptr,                  \
      (CliOption{"--exr-bpp", CliKind::Int}))                                                      \
    X("Output", "EXR Compression", exrCompression, Int32, (OptionDefault{0}), 0, "exr",           \
      &kw::exrCompression, (CliOption{"--exr-compression", CliKind::Keyword, &kw::compression}))   \
    X("Output", "GIF BPP", gifBpp, Int32, (OptionDefault{0}), 0, "gif", nullptr,                  \
      (CliOption{"--gif-bpp", CliKind::Int}))                                                      \
    X("Output", "HDR BPP", hdrBpp, Int32, (OptionDefault{0}), 0, "hdr", nullptr,                  \
      (CliOption{"--hdr-bpp", CliKind::Int}))                                                      \
    X("Output", "ICO BPP", icoBpp, Int32, (OptionDefault{0}), 0, "ico", nullptr,                  \
      (CliOption{"--ico-bpp", CliKind::Int}))                                                      \
    X("Output", "J2K BPP", j2kBpp, Int32, (OptionDefault{0}), 0, "j2k", nullptr,                  \
      (CliOption{"--j2k-bpp", CliKind::Int}))                                                      \
    X("Output", "JNG BPP", jngBpp, Int32, (OptionDefault{0}), 0, "jng", nullptr,                  \
      (CliOption{"--jng-bpp", CliKind::Int}))                                                      \
    X("Output", "JP2 BPP", jp2Bpp, Int32, (OptionDefault{0}), 0, "jp2", nullptr,                  \
      (CliOption{"--jp2-bpp", CliKind::Int}))                                                      \
    X("Output", "JPG BPP", jpgBpp, Int32, (OptionDefault{0}), 0, "jpg", nullptr,                  \
      (CliOption{"--jpg-bpp", CliKind::Int}))                                                      \
    X("Output", "JPG Quality", jpgQuality, Int32, (OptionDefault{95}), 0, "jpg", nullptr,         \
      (CliOption{"--jpg-quality", CliKind::Int}))                                                  \
    X("Output", "JPG Chroma", jpgChroma, Int32, (OptionDefault{0}), 0, "jpg", &kw::chroma,        \
      (CliOption{"--jpg-chroma", CliKind::Keyword, &kw::chroma}))                                  \
    X("Output", "JPG Save As", jpgSaveAs, Int32, (OptionDefault{0}), 0, "jpg", &kw::jpegSave,     \
      (CliOption{"--jpg-save-as", CliKind::Keyword, &kw::jpegSave}))                               \
    X("Output", "JXR BPP", jxrBpp, Int32, (OptionDefault{0}), 0, "jxr", nullptr,                  \
      (CliOption{"--jxr-bpp", CliKind::Int}))                                                      \
    X("Output", "PBM BPP", pbmBpp, Int32, (OptionDefault{0}), 0, "pbm", nullptr,                  \
      (CliOption{"--pbm-bpp", CliKind::Int}))                                                      \
    X("Output", "PCX BPP", pcxBpp, Int32, (OptionDefault{0}), 0, "pcx", nullptr,                  \
      (CliOption{"--pcx-bpp", CliKind::Int}))                                                      \
    X("Output", "PFM BPP", pfmBpp, Int32, (OptionDefault{0}), 0, "pfm", nullptr,                  \
      (CliOption{"--pfm-bpp", CliKind::Int}))                                                      \
    X("Output", "PGM BPP", pgmBpp, Int32, (OptionDefault{0}), 0, "pgm", nullptr,                  \
      (CliOption{"--pgm-bpp", CliKind::Int}))                                                      \
    X("Output", "PNG BPP", pngBpp, Int32, (OptionDefault{0}), 0, "png", nullptr,                  \
      (CliOption{"--png-bpp", CliKind::Int}))                                                      \
    X("Output", "PNG Compression", pngCompression, Int32, (OptionDefault{0}), 0, "png",           \
      &kw::pngCompression, (CliOption{"--png-compression", CliKind::Keyword, &kw::compression}))   \
    X("Output", "PNG Interlaced", pngInterlaced, Bool8, (OptionDefault{0}), 0, "png", nullptr,    \
      (CliOption{"--png-interlaced", CliKind::Switch}))                                            \
    X("Output", "PPM BPP", ppmBpp, Int32, (OptionDefault{0}), 0, "ppm", nullptr,                  \
      (CliOption{"--ppm-bpp", CliKind::Int}))                                                      \
    X("Output", "PSD BPP", psdBpp, Int32, (OptionDefault{0}), 0, "psd", nullptr,                  \
      (CliOption{"--psd-bpp", CliKind::Int}))                                                      \
    X("Output", "TGA BPP", tgaBpp, Int32, (OptionDefault{0}), 0, "tga", nullptr,                  \
      (CliOption{"--tga-bpp", CliKind::Int}))                                                      \
    X("Output", "TGA Compression", tgaCompression, Int32, (OptionDefault{0}), 0, "tga",           \
      &kw::rleCompression, (CliOption{"--tga-compression", CliKind::Keyword, &kw::compression}))   \
    X("Output", "TIFF BPP", tiffBpp, Int32, (OptionDefault{0}), 0, "tiff", nullptr,               \
      (CliOption{"--tiff-bpp", CliKind::Int}))                                                     \
    X("Output", "TIFF Compression", tiffCompression, Int32, (OptionDefault{0}), 0, "tiff",        \
      &kw::tiffCompression,                                                                        \
      (CliOption{"--tiff-compression", CliKind::Keyword, &kw::compression}))                       \
    X("Output", "TIFF Color Model", tiffColorModel, Int32, (OptionDefault{0}), 0, "tiff",         \
      &kw::colorModel, (CliOption{"--tiff-color-model", CliKind::Keyword, &kw::colorModel}))       \
    X("Output", "WBMP BPP", wbmpBpp, Int32, (OptionDefault{0}), 0, "wbmp", nullptr,               \
      (CliOption{"--wbmp-bpp", CliKind::Int}))                                                     \
    X("Output", "WEBP BPP", webpBpp, Int32, (OptionDefault{0}), 0, "webp", nullptr,               \
      (CliOption{"--webp-bpp", CliKind::Int}))                                                     \
    X("Output", "XPM BPP", xpmBpp, Int32, (OptionDefault{0}), 0, "xpm", nullptr,                  \
      (CliOption{"--xpm-bpp", CliKind::Int}))                                                      \
    X("Transform", "Do Image Rotation", doImageRotation, Bool8, (OptionDefault{0}), 0, "",        \
      nullptr, CliOption{})                                                                        \
    X("Transform", "Image Rotation Type", imageRotationType, Int8, (OptionDefault{0}), 0, "",     \
      &kw::rotationType, (CliOption{"--rotation-type", CliKind::Keyword, &kw::rotationType}))      \
    X("Transform", "Image Rotation", imageRotation, Int32, (OptionDefault{0}), 0, "", nullptr,    \
      (CliOption{"--rotation", CliKind::Int, nullptr, 1, BRELVIX_ALSO(doImageRotation, 1)}))       \
    X("Transform", "Image Rotation Back Color", imageRotationBackColor, Colour,                    \
      (OptionDefault{0, "000000"}), 0, "", nullptr,                                                \
      (CliOption{"--rotation-back-color", CliKind::Text}))                                         \
    X("Transform", "Do Image Resize", doImageResize, Bool8, (OptionDefault{0}), 0, "", nullptr,   \
      CliOption{})                                                                                 \
    X("Transform", "Image Width", imageWidth, Int32, (OptionDefault{0}), 0, "", nullptr,          \
      (CliOption{"--width", CliKind::Int, nullptr, 1, BRELVIX_ALSO(doImageResize, 1)}))            \
    X("Transform", "Image Width Unit", imageWidthUnit, Int8, (OptionDefault{0}), 0, "",           \
      &kw::unit, (CliOption{"--width-unit", CliKind::Keyword, &kw::unit}))                         \
    X("Transform", "Image Height", imageHeight, Int32, (OptionDefault{0}), 0, "", nullptr,        \
      (CliOption{"--height", CliKind::Int, nullptr, 1, BRELVIX_ALSO(doImageResize, 1)}))           \
    X("Transform", "Image Height Unit", imageHeightUnit, Int8, (OptionDefault{0}), 0, "",         \
      &kw::unit, (CliOption{"--height-unit", CliKind::Keyword, &kw::unit}))                        \
    X("Transform", "Keep Aspect Ratio", keepAspectRatio, Bool8,                                    \
      (OptionDefault{0, "", DefaultRule::ByMode}), 0, "", nullptr,                                 \
      (CliOption{"--keep-aspect-ratio", CliKind::Switch}))                                         \
    X("Transform", "Image Resize Type", imageResizeType, Int8, (OptionDefault{0}), 0, "",         \
      &kw::resizeType, (CliOption{"--resize-type", CliKind::Keyword, &kw::resizeType}))            \
    X("Transform", "Image Resize Algorithm", imageResizeAlgorithm, Int8, (OptionDefault{3}), 0,   \
      "", &kw::resizeAlgorithm,                                                                    \
      (CliOption{"--resize-algorithm", CliKind::Keyword, &kw::resizeAlgorithm}))                   \
    X("Transform", "Do Image Flip Horizontal", doImageFlipHorizontal, Bool8, (OptionDefault{0}),  \
      0, "", nullptr, (CliOption{"--flip-horizontal", CliKind::Switch}))                           \
    X("Transform", "Do Image Flip Vertical", doImageFlipVertical, Bool8, (OptionDefault{0}), 0,   \
      "", nullptr, (CliOption{"--flip-vertical", CliKind::Switch}))                                \
    X("Adjustment", "Do Image Color Correction", doImageColorCorrection, Bool8,                    \
      (OptionDefault{0}), 0, "", nullptr, CliOption{})                                             \
    X("Adjustment", "Image Brightness", imageBrightness, Int32, (OptionDefault{0}), 0, "",        \
      nullptr,                                                                                     \
      (CliOption{"--brightness", CliKind::Int, nullptr, 1,                                         \
                 BRELVIX_ALSO(doImageColorCorrection, 1)}))                                        \
    X("Adjustment", "Image Contrast", imageContrast, Int32, (OptionDefault{0}), 0, "", nullptr,   \
      (CliOption{"--contrast", CliKind::Int, nullptr, 1,                                           \
                 BRELVIX_ALSO(doImageColorCorrection, 1)}))                                        \
    X("Adjustment", "Image Gamma", imageGamma, Float32, (OptionDefault{1.0}), 0, "", nullptr,     \
      (CliOption{"--gamma", CliKind::Float, nullptr, 1,                                            \
                 BRELVIX_ALSO(doImageColorCorrection, 1)}))                                        \
    X("Adjustment", "Image Invert", imageInvert, Bool8, (OptionDefault{0}), 0, "", nullptr,       \
      (CliOption{"--invert", CliKind::Switch, nullptr, 1,                                          \
                 BRELVIX_ALSO(doImageColorCorrection, 1)}))                                        \
    X("Adjustment", "Do Image Greyscale", doImageGreyscale, Bool8, (OptionDefault{0}), 0, "",     \
      nullptr, (CliOption{"--greyscale", CliKind::Switch}))                                        \
    X("Adjustment", "Do Image Threshold", doImageThreshold, Bool8, (OptionDefault{0}), 0, "",     \
      nullptr, CliOption{})                                                                        \
    X("Adjustment", "Image Threshold", imageThreshold, Int32, (OptionDefault{0}), 0, "", nullptr, \
      (CliOption{"--threshold", CliKind::Int, nullptr, 1, BRELVIX_ALSO(doImageThreshold, 1)}))     \
    X("Frame", "Do Frame", doFrame, Int8, (OptionDefault{0}), 0, "", &kw::frameType, CliOption{}) \
    X("Frame", "Solid Left", solidLeft, Int32, (OptionDefault{0}), 0, "", nullptr,                \
      (CliOption{"--fr-solid-left", CliKind::Int, nullptr, 1, BRELVIX_ALSO(doFrame, 1)}))          \
    X("Frame", "Solid Right", solidRight, Int32, (OptionDefault{0}), 0, "", nullptr,              \
      (CliOption{"--fr-solid-right", CliKind::Int, nullptr, 1, BRELVIX_ALSO(doFrame, 1)}))         \
    X("Frame", "Solid Top", solidTop, Int32, (OptionDefault{0}), 0, "", nullptr,                  \
      (CliOption{"--fr-solid-top", CliKind::Int, nullptr, 1, BRELVIX_ALSO(doFrame, 1)}))           \
    X("Frame", "Solid Bottom", solidBottom, Int32, (OptionDefault{0}), 0, "", nullptr,            \
      (CliOption{"--fr-solid-bottom", CliKind::Int, nullptr, 1, BRELVIX_ALSO(doFrame, 1)}))        \
    X("Frame", "Solid Left Color", solidLeftColor, Colour, (OptionDefault{0, "000000"}), 0, "",   \
      nullptr, (CliOption{"--fr-solid-left-color", CliKind::Text}))                                \
    X("Frame", "Solid Right Color", solidRightColor, Colour, (OptionDefault{0, "000000"}), 0, "", \
      nullptr, (CliOption{"--fr-solid-right-color", CliKind::Text}))                               \
    X("Frame", "Solid Top Color", solidTopColor, Colour, (OptionDefault{0, "000000"}), 0, "",     \
      nullptr, (CliOption{"--fr-solid-top-color", CliKind::Text}))                                 \
    X("Frame", "Solid Bottom Color", solidBottomColor, Colour, (OptionDefault{0, "000000"}), 0,   \
      "", nullptr, (CliOption{"--fr-solid-bottom-color", CliKind::Text}))                          \
    X("Frame", "Solid Opacity", solidOpacity, Int32, (OptionDefault{255}), 0, "", nullptr,        \
      (CliOption{"--fr-solid-opacity", CliKind::Int, nullptr, 1, -1, 1, "--wm-solid-opacity"}))    \
    X("Watermark", "Do Watermark", doWatermark, Int8, (OptionDefault{0}), 0, "",                  \
      &kw::watermarkType, CliOption{})                                                             \
    X("Watermark", "Text", text, String, (OptionDefault{0, "", DefaultRule::Notice}), 0, "",      \
      nullptr,                                                                                     \
      (CliOption{"--wm-text", CliKind::Text, nullptr, 1, BRELVIX_ALSO(doWatermark, 1)}))           \
    X("Watermark", "Fonts", fonts, String, (OptionDefault{0, "Arial,Tahoma,Verdana"}), 0, "",     \
      nullptr, CliOption{})                                                                        \
    X("Watermark", "Font", font, String, (OptionDefault{0, "Arial"}), 0, "", nullptr,             \
      (CliOption{"--wm-font", CliKind::Text}))                                                     \
    X("Watermark", "Font Size", fontSize, Int32, (OptionDefault{14}), 0, "", nullptr,             \
      (CliOption{"--wm-font-size", CliKind::Int}))                                                 \
    X("Watermark", "Font Leading", fontLeading, Int32, (OptionDefault{0}), 0, "", nullptr,        \
      (CliOption{"--wm-font-leading", CliKind::Int}))                                              \
    X("Watermark", "Font Colors", fontColors, String,                                              \
      (OptionDefault{0, "000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF"}), 0,    \
      "", nullptr, CliOption{})                                                                    \
    X("Watermark", "Font Color", fontColor, Colour, (OptionDefault{0, "FFFFFF"}), 0, "", nullptr, \
      (CliOption{"--wm-font-color", CliKind::Text}))                                               \
    X("Watermark", "Font Style", fontStyle, Int8, (OptionDefault{0}), 0, "", &kw::fontStyle,      \
      (CliOption{"--wm-font-style", CliKind::Keyword, &kw::fontStyle}))                            \
    X("Watermark", "Font Effect", fontEffect, Int8, (OptionDefault{0}), 0, "", &kw::fontEffect,   \
      (CliOption{"--wm-font-effect", CliKind::Keyword, &kw::fontEffect}))                          \
    X("Watermark", "Text Antialiasing", textAntialiasing, Bool8, (OptionDefault{0}), 0, "",       \
      nullptr, (CliOption{"--wm-text-antialiasing", CliKind::Switch}))                             \
    X("Watermark", "Text Alignment", textAlignment, Int8, (OptionDefault{0}), 0, "",              \
      &kw::alignment, (CliOption{"--wm-text-alignment", CliKind::Keyword, &kw::alignment}))        \
    X("Watermark", "Text Padding", textPadding, Int32, (OptionDefault{0}), 0, "", nullptr,        \
      (CliOption{"--wm-text-padding", CliKind::Int}))                                              \
    X("Watermark", "Text Opacity", textOpacity, Int32, (OptionDefault{255}), 0, "", nullptr,      \
      (CliOption{"--wm-text-opacity", CliKind::Int}))                                              \
    X("Watermark", "Back Colors", backColors, String,                                              \
      (OptionDefault{0, "000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF"}), 0,    \
      "", nullptr, CliOption{})                                                                    \
    X("Watermark", "Back Color", backColor, Colour, (OptionDefault{0, "000000"}), 0, "", nullptr, \
      (CliOption{"--wm-back-color", CliKind::Text}))                                               \
    X("Watermark", "Back Opacity", backOpacity, Int32, (OptionDefault{1}), 0, "", nullptr,        \
      (CliOption{"--wm-back-opacity", CliKind::Int}))                                              \
    X("Watermark", "Text Boundary", textBoundary, Int8, (OptionDefault{0}), 0, "", &kw::boundary, \
      (CliOption{"--wm-text-boundary", CliKind::Keyword, &kw::boundary}))                          \
    X("Watermark", "Text Position", textPosition, Int8, (OptionDefault{8}), 0, "", &kw::position, \
      (CliOption{"--wm-text-position", CliKind::Keyword, &kw::position}))                          \
    X("Watermark", "Text X Offset", textXOffset, Int32, (OptionDefault{10}), 0, "", nullptr,      \
      (CliOption{"--wm-text-x-offset", CliKind::Int}))                                             \
    X("Watermark", "Text Y Offset", textYOffset, Int32, (OptionDefault{10}), 0, "", nullptr,      \
      (CliOption{"--wm-text-y-offset", CliKind::Int}))                                             \
    X("Watermark", "Text Rotation", textRotation, Int32, (OptionDefault{0}), 0, "", nullptr,      \
      (CliOption{"--wm-text-rotation", CliKind::Int}))                                             \
    X("Watermark", "Text Size", textSize, Int8, (OptionDefault{0}), 0, "", &kw::size,             \
      (CliOption{"--wm-text-size", CliKind::Keyword, &kw::size}))                                  \
    X("Watermark", "Text Scale", textScale, Int32, (OptionDefault{10}), 0, "", nullptr,           \
      CliOption{})                                                                                 \
    X("Watermark", "Image", image, String, (OptionDefault{0, ""}), 0, "", nullptr,                \
      (CliOption{"--wm-image", CliKind::Text, nullptr, 1, BRELVIX_ALSO(doWatermark, 2)}))          \
    X("Watermark", "Image Greyscale", imageGreyscale, Bool8, (OptionDefault{0}), 0, "", nullptr,  \
      (CliOption{"--wm-image-greyscale", CliKind::Switch}))                                        \
    X("Watermark", "Image Opacity", imageOpacity, Int32, (OptionDefault{255}), 0, "", nullptr,    \
      (CliOption{"--wm-image-opacity", CliKind::Int}))                                             \
    X("Watermark", "Image Boundary", imageBoundary, Int8, (OptionDefault{0}), 0, "",              \
      &kw::boundary, (CliOption{"--wm-image-boundary", CliKind::Keyword, &kw::boundary}))          \
    X("Watermark", "Image Position", imagePosition, Int8, (OptionDefault{8}), 0, "",              \
      &kw::position, (CliOption{"--wm-image-position", CliKind::Keyword, &kw::position}))          \
    X("Watermark", "Image X Offset", imageXOffset, Int32, (OptionDefault{10}), 0, "", nullptr,    \
      (CliOption{"--wm-image-x-offset", CliKind::Int}))                                            \
    X("Watermark", "Image Y Offset", imageYOffset, Int32, (OptionDefault{10}), 0, "", nullptr,    \
      (CliOption{"--wm-image-y-offset", CliKind::Int}))                                            \
    X("Watermark", "Image Rotation", watermarkImageRotation, Int32, (OptionDefault{0}), 0, "",    \
      nullptr, (CliOption{"--wm-image-rotation", CliKind::Int}))                                   \
    X("Watermark", "Image Size", imageSize, Int8, (OptionDefault{0}), 0, "", &kw::size,           \
      (CliOption{"--wm-image-size", CliKind::Keyword, &kw::size}))                                 \
    X("Watermark", "Image Scale", imageScale, Int32, (OptionDefault{10}), 0, "", nullptr,         \
      CliOption{})                                                                                 \
    X("Advanced", "Filename Mask", filenameMask, String, (OptionDefault{0, "%filename%.%ext%"}),  \
      0, "", nullptr, (CliOption{"--filename-mask", CliKind::Text}))                               \
    X("Advanced", "File Timestamp", fileTimestamp, Int8, (OptionDefault{0}), 0, "",               \
      &kw::timestamp, (CliOption{"--file-timestamp", CliKind::Keyword, &kw::timestamp}))           \
    X("Advanced", "Custom Timestamp", customTimestamp, Date,                                       \
      (OptionDefault{0, "", DefaultRule::Now}), 0, "", nullptr,                                    \
      (CliOption{"--file-timestamp-custom", CliKind::Int}))                                        \
    X("Advanced", "Out Folders History", outFoldersHistory, Bool8, (OptionDefault{1}), 0, "",     \
      nullptr, CliOption{})                                                                        \
    X("Advanced", "Out Folders Number", outFoldersNumber, Int8, (OptionDefault{5}), 0, "",        \
      nullptr, CliOption{})                                                                        \
    X("Advanced", "Keep Subfolders", keepSubfolders, Bool8, (OptionDefault{1}), 0, "", nullptr,   \
      (CliOption{"--no-subfolders", CliKind::Switch, nullptr, 0}))                                 \
    X("File", "Recent Out Folders", recentOutFolders, String, (OptionDefault{0, ""}),             \
      kKeepTrailingSpaces, "", nullptr, CliOption{})                                               \
    X("File", "Recent Files", recentFiles, String, (OptionDefault{0, ""}), kKeepTrailingSpaces,   \
      "", nullptr, CliOption{})                                                                    \
    X("Privacy", "Clean Recent Files", cleanRecentFiles, Bool8, (OptionDefault{0}), 0, "",        \
      nullptr, CliOption{})

enum class FieldId : int {
#define BRELVIX_FIELD_ID(group, key, field, type, def, flags, format, show, cli) field,
    BRELVIX_OPTION_TABLE(BRELVIX_FIELD_ID)
#undef BRELVIX_FIELD_ID
        Count
};
