#include "trackerconfig/ParseConfigFile.h"

#include "device/DeviceCommand.h"

ConfigFileResult ParseConfigFile(std::u16string_view text, ImportCommands& importCommands) {
    ConfigFileResult result;
    importCommands.fill(std::u16string());
    std::size_t p = 0;
    while (p < text.size()) {
        // Every device command starts "AT+": looking for the "+" too keeps words such as
        // "DATA" or "STATUS" in a note from starting a command the device would misread.
        const auto start = text.find(u"AT+", p);
        if (start == std::u16string_view::npos) {
            break;
        }
        const auto hash = text.find(u'#', start + 3);
        if (hash == std::u16string_view::npos) {
            break;
        }
        p = hash + 1;
        const std::u16string_view command = text.substr(start, hash - start + 1);
        if (command.size() + 2 > kMaxDeviceCommandLength) {
            ++result.overlongSkipped;
            continue;
        }
        if (result.commandCount == kMaxImportCommands) {
            result.tooManyCommands = true;
            break;
        }
        importCommands[result.commandCount] = std::u16string(command) + u"\r\n";
        ++result.commandCount;
    }
    importCommands[result.commandCount] = std::u16string(kImportEnd);
    return result;
}

std::optional<std::u16string_view> NextImportCommand(const ImportCommands& importCommands,
                                                     int& importIndex) {
    if (importIndex < 0 || static_cast<std::size_t>(importIndex) >= importCommands.size() ||
        importCommands[static_cast<std::size_t>(importIndex)] == kImportEnd ||
        importCommands[static_cast<std::size_t>(importIndex)].empty()) {
        importIndex = 0;
        return std::nullopt;
    }
    return importCommands[static_cast<std::size_t>(importIndex++)];
}
