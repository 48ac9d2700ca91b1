// The input and output format tables.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct InputFormat {
    std::string format;
    std::string description;
};

struct OutputFormat {
    int32_t libraryId = 0;
    std::string extension;
    std::string description;
    std::string bitDepths;
};

// Fills both tables; filling again overwrites the same entries.
void BuildFormatTables();

const std::map<std::string, InputFormat>& InputFormatTable();
const std::map<std::string, OutputFormat>& OutputFormatTable();
// Lookups; a missing key gives an entry with identifier 0 and empty strings.
InputFormat LookupInputFormat(const std::string& extension);
OutputFormat LookupOutputFormat(const std::string& format);
// The extensions of an input format, in the order they were entered.
std::string InputExtensionsOf(const std::string& format); // comma-separated

// True when bpp is 0 or one of the format's permitted bit depths.
bool IsBppPermitted(const std::string& format, int64_t bpp);
