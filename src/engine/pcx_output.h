// The writing of the PCX file.
#pragma once

#include "engine/pcx_picture.h"

#include <cstdint>
#include <string>

// Writes the picture as a PCX file under a new name (an existing file is never
// touched). True only when every byte reached the file; after a failure nothing is
// left under that name.
bool SavePcx(const PcxPicture& pcx, const std::string& path);

// For tests: once this many bytes have gone into a PCX file, every further write
// fails, as on a full disk. Negative turns it off.
void SetPcxWriteLimit(int64_t bytes);
