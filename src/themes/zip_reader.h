// Reading entries of zip archives into memory.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

// Entry name to uncompressed size for every entry of the archive whose size is
// known and greater than 0. False when the archive cannot be opened.
bool ListZipEntries(const std::string& path, std::map<std::string, int64_t>& entries);

// Reads the wanted entries (by exact stored name) into memory, each at most maxSize
// bytes; an entry whose data is longer is cut when cut is true and left out otherwise.
// Entries that fail to decompress are left out. False when the archive cannot be opened.
bool ReadZipEntries(const std::string& path, const std::set<std::string>& wanted, int64_t maxSize,
                    bool cut, std::map<std::string, std::string>& data);
