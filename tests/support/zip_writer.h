// Writes small zip archives for the theme tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

using ZipEntries = std::vector<std::pair<std::string, std::string>>; // name, bytes
void WriteZip(const std::string& path, const ZipEntries& entries);
