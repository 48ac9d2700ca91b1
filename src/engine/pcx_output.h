// The writing of the PCX file.
#pragma once

#include "engine/pcx_picture.h"
#include "engine/reason.h"

#include <cstdint>
#include <string>

// Writes the picture as a PCX file into the open file descriptor, from its current
// position. Reason::kNone only when every byte reached the file; else why not, from the
// system's error number where there is one (a full disk, a denied write).
Reason SavePcx(const PcxPicture& pcx, int fd);
// Writes the picture as a PCX file under a new name (an existing file is never
// touched). After a failure nothing is left under that name.
Reason SavePcx(const PcxPicture& pcx, const std::string& path);

// For tests: once this many bytes have gone into a PCX file, every further write
// fails with ENOSPC, as on a full disk. Negative turns it off.
void SetPcxWriteLimit(int64_t bytes);
