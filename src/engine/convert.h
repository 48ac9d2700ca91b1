// The conversion of one file: the pipeline steps and the PCX output.
#pragma once

#include "engine/image.h"
#include "engine/reason.h"

#include <string>

// Converts the job's current input into a PCX file in the job's output folder.
// Reason::kNone when the file was written under its final name, else why not.
Reason ConvertFile();

std::string TemporaryOutputPath();
std::string UniqueStem(const std::string& prefix, const std::string& suffix);
