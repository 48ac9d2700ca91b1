// Helpers shared by the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh folder below the system's temporary folder, removed with its contents
// when the object goes.
struct TempFolder {
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string path; // ends with "/"
    std::string File(const std::string& name) const { return path + name; }
};

// Runs a shell command; returns its exit status and its standard output and error.
struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};
CommandResult RunCommand(const std::string& command);
std::string ShellQuote(const std::string& text);

bool WriteFile(const std::string& path, const std::string& data);
std::string ReadFile(const std::string& path);

// An RGB picture held top-down, three bytes per pixel in the order red, green, blue.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    uint8_t* At(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 3]; }
    const uint8_t* At(int x, int y) const {
        return &pixels[(static_cast<size_t>(y) * width + x) * 3];
    }
};

// Decodes a picture with an independent reader: ImageMagick ("magick") or netpbm
// ("netpbm", PCX files only). An empty image when the reader fails.
RgbImage DecodeWith(const std::string& reader, const std::string& path);

// Path of the brelvix executable under test.
std::string BrelvixPath();

// Failure reasons print as their text-table key in test messages.
#include "engine/reason.h"
#include <ostream>
inline void PrintTo(Reason reason, std::ostream* os) { *os << ReasonKey(reason); }
