// The built-in pictures, drawn at build time and compiled into the program.
#pragma once

#include <cstddef>
#include <span>

struct BuiltinPicture {
    const char* set;  // "Buttons", "Icons" or "Banner"
    const char* name; // slot name
    int size;         // pixel size of an icon; 0 for buttons and the banner
    const unsigned char* data;
    size_t length;
    const char* type; // "png" or "bmp"
};

std::span<const BuiltinPicture> BuiltinPictures();
