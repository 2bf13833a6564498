#include "device/DeviceCommand.h"

#include "device/ILineSender.h"

std::optional<std::string> NarrowDeviceCommand(std::u16string_view text) {
    if (text.size() > kMaxDeviceCommandLength) {
        return std::nullopt;
    }
    std::string bytes(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[i] = static_cast<char>(static_cast<unsigned char>(text[i] & 0xFFu));
    }
    return bytes;
}

bool SendDeviceCommand(ILineSender& sender, std::u16string_view text) {
    const auto bytes = NarrowDeviceCommand(text);
    if (!bytes) {
        return false;
    }
    sender.SendLine(bytes->c_str());
    return true;
}
