#pragma once
// Fuzz cases for the device protocol parsers: the factory test's chunk reader, the parameter
// file text, the configuration reply recogniser and the configuration command file. Besides
// the sanitizers, each case checks the limits the pages rely on.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "device/DeviceCommand.h"
#include "device/Local8Bit.h"
#include "device/ReplyReassembler.h"
#include "devicetest/ExpectedParameters.h"
#include "devicetest/ReadChunk.h"
#include "devicetest/VerifyDeviceParameters.h"
#include "trackerconfig/ParseConfigFile.h"
#include "trackerconfig/ParseDeviceReply.h"

namespace protocol_fuzz {

inline void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Bit 2 of the selector feeds the UTF-16 parsers raw code-unit pairs instead of decoded text.
inline std::u16string Utf16Input(std::uint8_t selector, const std::uint8_t* data,
                                 std::size_t size) {
    if ((selector & 4u) == 0) {
        return DecodeLocal8Bit(std::string_view(reinterpret_cast<const char*>(data), size));
    }
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    return text;
}

inline void FieldIsTerminated(const char* field, std::size_t width) {
    Require(std::memchr(field, '\0', width) != nullptr);
}

} // namespace protocol_fuzz

// selector % 4: 0 reassembly and chunk reader, 1 parameter file text, 2 configuration reply, 3
// command file.
inline void FuzzProtocolParsers(std::uint8_t selector, const std::uint8_t* data, std::size_t size) {
    using namespace protocol_fuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    switch (selector % 4) {
    case 0: {
        // The reassembly in front of the readers: reads of a few bytes each, a tick apart,
        // must come out as the same bytes in the same order, never held beyond its bounds.
        ReplyReassembler reassembler;
        std::string passed;
        const std::size_t step = 1 + selector / 4;
        std::int64_t now = 0;
        for (std::size_t at = 0; at < bytes.size(); at += step, now += 100) {
            passed += reassembler.Take(bytes.substr(at, step), now);
            Require(reassembler.HeldBytes() <= ReplyReassembler::kHoldLimitBytes + step);
        }
        passed += reassembler.Take({}, now + ReplyReassembler::kHoldLimitMs);
        Require(passed == bytes && reassembler.HeldBytes() == 0);
        const ChunkMeaning meaning = ReadChunk(bytes);
        Require(meaning.parameterBlock.size() <= kMaxParameterBlockBytes);
        Require(meaning.hasParameterBlock || meaning.parameterBlock.empty());
        Require(!meaning.hasParameterBlock || meaning.kind == ChunkKind::ParameterBlock ||
                meaning.kind == ChunkKind::ItemResults);
        const std::uint8_t flags = meaning.ApplyTo(0);
        Require(flags <= 63);
        if (meaning.hasParameterBlock) {
            // The page converts the block and verifies it against values from the same input.
            const std::u16string block = DecodeLocal8Bit(meaning.parameterBlock);
            const ExpectedParameters expected = ParseParameterText(block);
            (void)VerifyDeviceParameters(block, expected, true);
        }
        break;
    }
    case 1: {
        const std::u16string text = Utf16Input(selector, data, size);
        const ExpectedParameters expected = ParseParameterText(text);
        for (const auto& row : ParameterLabels()) {
            Require((expected.*row.field).size() <= text.size());
        }
        // Each value is checked under its own label only: the text's own values, split the way
        // a device block is, always verify against the text.
        const auto verdict = VerifyDeviceParameters(text, SplitDeviceBlock(text).values, false);
        Require(verdict.kind == ParameterVerdictKind::AllGood);
        break;
    }
    case 2: {
        DeviceReplyRecord record{};
        ReplyType type = ReplyType::None;
        const bool recognised = ParseDeviceReply(bytes, type, record);
        const char* field = nullptr;
        Require(!recognised || GetReplyField(type, field, record));
        FieldIsTerminated(record.id, sizeof record.id);
        FieldIsTerminated(record.imei, sizeof record.imei);
        FieldIsTerminated(record.password, sizeof record.password);
        FieldIsTerminated(record.ip, sizeof record.ip);
        FieldIsTerminated(record.port, sizeof record.port);
        FieldIsTerminated(record.apn, sizeof record.apn);
        FieldIsTerminated(record.timeZone, sizeof record.timeZone);
        FieldIsTerminated(record.intervalOn, sizeof record.intervalOn);
        FieldIsTerminated(record.intervalOff, sizeof record.intervalOff);
        FieldIsTerminated(record.extPowerAlarm, sizeof record.extPowerAlarm);
        FieldIsTerminated(record.vibrationAlarm, sizeof record.vibrationAlarm);
        break;
    }
    default: {
        ImportCommands commands;
        const ConfigFileResult result = ParseConfigFile(Utf16Input(selector, data, size), commands);
        Require(result.commandCount <= kMaxImportCommands);
        Require(commands[result.commandCount] == kImportEnd);
        for (std::size_t i = 0; i < result.commandCount; ++i) {
            Require(NarrowDeviceCommand(commands[i]).has_value());
            Require(commands[i].substr(0, 3) == u"AT+");
        }
        int index = 0;
        std::size_t sent = 0;
        while (NextImportCommand(commands, index)) {
            ++sent;
        }
        Require(sent == result.commandCount && index == 0);
        Require(result.missingHash.size() <= kMaxReportedCommands &&
                result.missingHash.size() <= result.missingHashCount);
        for (const std::u16string& reported : result.missingHash) {
            Require(reported.substr(0, 3) == u"AT+" &&
                    reported.find(u'#') == std::u16string::npos &&
                    reported.size() <= kMaxReportedCommandLength + 1);
        }
        break;
    }
    }
}
