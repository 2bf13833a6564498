#include "trackerconfig/ParseConfigFile.h"

#include "device/DeviceCommand.h"

namespace {

void ReportMissingHash(std::u16string_view command, ConfigFileResult& result) {
    // The lines were joined: blanks at the end of a line are not part of the command.
    while (!command.empty() && (command.back() == u' ' || command.back() == u'\t')) {
        command.remove_suffix(1);
    }
    ++result.missingHashCount;
    if (result.missingHash.size() == kMaxReportedCommands) {
        return;
    }
    std::u16string shown(command.substr(0, kMaxReportedCommandLength));
    if (command.size() > kMaxReportedCommandLength) {
        shown += u'…';
    }
    result.missingHash.push_back(std::move(shown));
}

} // namespace

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
        // The "#" must come before the next command: a command that lost its "#" would
        // otherwise take the next one in with it, and the device would read both as one
        // malformed command.
        const auto next = text.find(u"AT+", start + 3);
        const std::size_t end = next == std::u16string_view::npos ? text.size() : next;
        const auto hash = text.substr(0, end).find(u'#', start + 3);
        if (hash == std::u16string_view::npos) {
            ReportMissingHash(text.substr(start, end - start), result);
            p = end;
            continue;
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
