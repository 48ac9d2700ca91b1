// The conversion of one file: the pipeline steps and the PCX output.
#pragma once

#include "engine/image.h"

#include <string>

// Converts the job's current input into a PCX file in the job's output folder.
bool ConvertFile();

std::string TemporaryOutputPath();
std::string UniqueStem(const std::string& prefix, const std::string& suffix);
