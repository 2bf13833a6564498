#pragma once
// A configuration command file: up to 20 commands, each from "AT+" to the first "#" after it.
// The page sends them one by one from importCommands until the slot that reads "end".

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxImportCommands = 20;
inline constexpr std::u16string_view kImportEnd = u"end";
inline constexpr std::u16string_view kTooManyCommandsMessage = u"配置文件命令可连续设条数最大为20";
// Followed by the commands, one a line.
inline constexpr std::u16string_view kMissingHashMessage =
    u"配置文件中以下命令缺少结尾的“#”，不会发送：";
// Most commands without "#" a result lists, and most characters of each.
inline constexpr std::size_t kMaxReportedCommands = 20;
inline constexpr std::size_t kMaxReportedCommandLength = 80;

// 20 commands and the closing "end".
using ImportCommands = std::array<std::u16string, kMaxImportCommands + 1>;

struct ConfigFileResult {
    std::size_t commandCount = 0; // commands stored before "end"
    bool tooManyCommands = false; // more than 20: only the first 20 were kept; show the message
    // Commands that would not fit the device's line (255 characters with their CR LF). They
    // are left out rather than cut, since a cut command could configure the device wrongly.
    std::size_t overlongSkipped = 0;
    // Commands that lost their "#": a command runs into the next "AT+" or the end of the file
    // without one. They are left out and reported, never joined to the next command. The first
    // kMaxReportedCommands, each cut to kMaxReportedCommandLength ("…" marks a cut).
    std::vector<std::u16string> missingHash;
    std::size_t missingHashCount = 0;
};

// text: the file's lines joined without line breaks. Replaces the whole list: every command
// found, followed by "\r\n", then "end"; text before an "AT+" is skipped, and a command
// without its "#" is skipped and reported.
ConfigFileResult ParseConfigFile(std::u16string_view text, ImportCommands& importCommands);

// One tick of the import sender: the command at importIndex, advancing it, or nothing (and
// importIndex back to 0) at "end", at an empty slot (no file imported yet) or past the last slot.
std::optional<std::u16string_view> NextImportCommand(const ImportCommands& importCommands,
                                                     int& importIndex);
