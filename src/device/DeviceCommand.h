#pragma once
// The pages compose commands as UTF-16; the device speaks 8-bit text. Each UTF-16 unit goes out
// as its low byte (all commands of this program are ASCII), at most 255 of them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class ILineSender;

inline constexpr std::size_t kMaxDeviceCommandLength = 255;

// The 8-bit text of a command, or nothing when it has 256 characters or more: such a command
// would not fit the device's line buffer, and a cut one could configure the device wrongly.
std::optional<std::string> NarrowDeviceCommand(std::u16string_view text);

// Narrows the command and hands it to SendLine (which adds CR LF). Returns false, sending
// nothing, when the command is too long; the caller decides how to tell the operator.
bool SendDeviceCommand(ILineSender& sender, std::u16string_view text);
