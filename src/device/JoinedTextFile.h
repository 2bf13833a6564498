#pragma once
// Parameter and configuration files are read line by line and joined without their line
// breaks (LF or CR LF) and with nothing between the lines.

#include <cstddef>
#include <filesystem>
#include <string>

struct JoinedTextFile {
    bool ok = false;
    std::u16string text; // the joined lines, when ok
    std::string error;   // why the file could not be opened or read, when not ok
};

// Parameter and command files are a few hundred bytes; a file above this size is refused
// rather than read into memory and searched while the window waits.
inline constexpr std::size_t kMaxJoinedTextFileBytes = 1024 * 1024;

JoinedTextFile ReadJoinedTextFile(const std::filesystem::path& path);
