#pragma once
// Parameter and configuration files are read line by line and joined without their line
// breaks (LF or CR LF) and with nothing between the lines.

#include <filesystem>
#include <string>

struct JoinedTextFile {
    bool ok = false;
    std::u16string text; // the joined lines, when ok
    std::string error;   // why the file could not be opened or read, when not ok
};

JoinedTextFile ReadJoinedTextFile(const std::filesystem::path& path);
