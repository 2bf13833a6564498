#pragma once

#include <filesystem>
#include <string>

#include "devicetest/ExpectedParameters.h"

struct LoadParameterFileResult {
    bool ok = false;
    std::string error; // the reason, when the file could not be opened or read
};

// Reads the parameter file and replaces `expected` as a whole. When the file cannot be opened
// or read, `expected` keeps its previous values (never partly filled) and the reason is returned.
LoadParameterFileResult LoadParameterFile(const std::filesystem::path& path,
                                          ExpectedParameters& expected);
