// Why a file did not convert. Every step of a conversion that can refuse or fail says
// which of these it was; the front ends only print or show the reason's text.
//
// Each reason has a key in the text table's "Reason" group, where its text stands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// X(enumerator, text key)
#define BRELVIX_REASONS(X)                                                                         \
    X(kNone, "None")                                                                               \
    X(kMissing, "Missing")                                                                         \
    X(kNotRegularFile, "Not A File")                                                               \
    X(kReadDenied, "Read Denied")                                                                  \
    X(kReadError, "Read Error")                                                                    \
    X(kNotBmp, "Not BMP")                                                                          \
    X(kTruncated, "Truncated")                                                                     \
    X(kBadHeader, "Bad Header")                                                                    \
    X(kUnsupportedHeader, "Unsupported Header")                                                    \
    X(kUnsupportedDepth, "Unsupported Depth")                                                      \
    X(kUnsupportedCompression, "Unsupported Compression")                                          \
    X(kBadMasks, "Bad Masks")                                                                      \
    X(kBadPalette, "Bad Palette")                                                                  \
    X(kTooLarge, "Too Large")                                                                      \
    X(kResultTooLarge, "Result Too Large")                                                         \
    X(kPcxTooLarge, "PCX Too Large")                                                               \
    X(kOutOfMemory, "Out Of Memory")                                                               \
    X(kRotationFailed, "Rotation Failed")                                                          \
    X(kResizeFailed, "Resize Failed")                                                              \
    X(kFlipFailed, "Flip Failed")                                                                  \
    X(kColourFailed, "Colour Failed")                                                              \
    X(kGreyscaleFailed, "Greyscale Failed")                                                        \
    X(kThresholdFailed, "Threshold Failed")                                                        \
    X(kFrameFailed, "Frame Failed")                                                                \
    X(kWatermarkFailed, "Watermark Failed")                                                        \
    X(kBitDepthFailed, "Bit Depth Failed")                                                         \
    X(kReplacesInput, "Replaces Input")                                                            \
    X(kOutputFolderFailed, "Output Folder Failed")                                                 \
    X(kWriteDenied, "Write Denied")                                                                \
    X(kReadOnlyFileSystem, "Read Only File System")                                                \
    X(kDiskFull, "Disk Full")                                                                      \
    X(kWriteError, "Write Error")                                                                  \
    X(kRenameFailed, "Rename Failed")                                                              \
    X(kStopped, "Stopped")

enum class Reason : uint8_t {
#define BRELVIX_REASON_ENUM(name, key) name,
    BRELVIX_REASONS(BRELVIX_REASON_ENUM)
#undef BRELVIX_REASON_ENUM
};

// The reason's key in the text table's "Reason" group.
std::string_view ReasonKey(Reason reason);
// The reason's text from the text table ("the file is not a BMP picture").
std::string ReasonText(Reason reason);
// The reason an operating-system error number stands for, where it names one (a full
// disk, a denied permission, a read-only file system, no memory); otherwise fallback.
Reason ReasonFromErrno(int error, Reason fallback);
