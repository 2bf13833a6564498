#include "CommandHandler.h"

#include "DeviceTexts.h"
#include "device/DeviceCommand.h"
#include "devicetest/DeviceTestCommands.h"
#include "devicetest/ExpectedParameters.h"
#include "devicetest/TestItem.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace dt = devicetexts;

namespace {

std::string Upper(std::string_view text) {
    std::string out(text);
    for (auto& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && Upper(text.substr(0, prefix.size())) == prefix;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto next = text.find(separator, start);
        parts.emplace_back(text.substr(start, next - start));
        if (next == std::string_view::npos)
            return parts;
        start = next + 1;
    }
}

std::string Join(const std::vector<std::string>& parts, std::size_t first) {
    std::string out;
    for (std::size_t i = first; i < parts.size(); ++i) {
        if (i > first)
            out += dt::kConfigSeparator;
        out += parts[i];
    }
    return out;
}

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

bool AllDigits(std::string_view text, std::size_t length) {
    return text.size() == length &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "hhmm" with a valid hour and minute.
bool IsClockTime(std::string_view text) {
    if (!AllDigits(text, 4))
        return false;
    const int hour = (text[0] - '0') * 10 + (text[1] - '0');
    const int minute = (text[2] - '0') * 10 + (text[3] - '0');
    return hour < 24 && minute < 60;
}

bool IsKnownAlarm(int kind) {
    return std::find(dt::kAlarmKinds.begin(), dt::kAlarmKinds.end(), kind) != dt::kAlarmKinds.end();
}

std::string Reply(std::string_view key, std::string_view value) {
    std::string out(dt::kReplyPrefix);
    out += key;
    out += dt::kReplySeparator;
    out += value;
    out += dt::kReplyTerminator;
    return out;
}

// A single stored value: a write must fit the device's field and may not be empty.
bool FitsField(const std::string& value, std::size_t maxLength) {
    return !value.empty() && value.size() <= maxLength;
}

// The mode value as written: the mode number, then for the day mode one to four wake-up
// times, for the week mode a time and one to seven weekdays (1 to 7, Sunday = 7).
bool IsValidMode(const std::vector<std::string>& values) {
    if (values.empty())
        return false;
    const auto mode = ParseInt(values[0]);
    if (!mode)
        return false;
    if (*mode >= 0 && *mode <= dt::kLastPlainMode)
        return values.size() == 1;
    if (*mode == dt::kDayMode) {
        return values.size() >= 2 && values.size() <= 5 &&
               std::all_of(values.begin() + 1, values.end(), IsClockTime);
    }
    if (*mode == dt::kWeekMode) {
        if (values.size() < 3 || values.size() > 9 || !IsClockTime(values[1]))
            return false;
        return std::all_of(values.begin() + 2, values.end(), [](const std::string& day) {
            const auto n = ParseInt(day);
            return n && *n >= 1 && *n <= 7;
        });
    }
    return false;
}

std::optional<std::string> Configure(DeviceState& state, std::string_view body) {
    auto parts = Split(body, dt::kConfigSeparator);
    if (parts.size() < 2)
        return std::nullopt;
    std::string keyword = Upper(parts[0]);
    const bool query = !keyword.empty() && keyword.back() == dt::kQueryMark;
    if (query)
        keyword.pop_back();
    if (parts[1] != state.password)
        return std::nullopt;
    const std::vector<std::string> values(parts.begin() + 2, parts.end());
    const std::string joined = Join(parts, 2);

    if (keyword == dt::kKeyId) {
        if (!query && !FitsField(joined, dt::kMaxId))
            return std::nullopt;
        if (!query)
            state.id = joined;
        return Reply(dt::kKeyId, state.id);
    }
    if (keyword == dt::kKeyImei) {
        if (!query && !FitsField(joined, dt::kMaxImei))
            return std::nullopt;
        if (!query)
            state.imei = joined;
        return Reply(dt::kKeyImei, state.imei);
    }
    if (keyword == dt::kKeyPassword) {
        if (!query && !FitsField(joined, dt::kMaxPassword))
            return std::nullopt;
        if (!query)
            state.password = joined;
        return Reply(dt::kKeyPassword, state.password);
    }
    if (keyword == dt::kKeyIp) {
        if (!query) {
            if (values.size() != 2 || values[0].size() > dt::kMaxIp ||
                values[1].size() > dt::kMaxPort)
                return std::nullopt;
            state.ip = values[0];
            state.port = values[1];
        }
        return Reply(dt::kKeyIp, state.ip + dt::kConfigSeparator + state.port);
    }
    if (keyword == dt::kKeyApn) {
        if (!query && !FitsField(joined, dt::kMaxApn))
            return std::nullopt;
        if (!query)
            state.apn = joined;
        return Reply(dt::kKeyApn, state.apn);
    }
    if (keyword == dt::kKeyTimeZone) {
        if (!query && !FitsField(joined, dt::kMaxTimeZone))
            return std::nullopt;
        if (!query)
            state.timeZone = joined;
        return Reply(dt::kKeyTimeZone, state.timeZone);
    }
    if (keyword == dt::kKeyMode) {
        if (!query) {
            if (!IsValidMode(values))
                return std::nullopt;
            state.mode = joined;
        }
        return Reply(dt::kKeyMode, state.mode);
    }
    if (keyword == dt::kKeyInterval) {
        if (!query) {
            if (values.size() != 2 || !FitsField(values[0], dt::kMaxInterval) ||
                !FitsField(values[1], dt::kMaxInterval))
                return std::nullopt;
            state.intervalOn = values[0];
            state.intervalOff = values[1];
        }
        return Reply(dt::kKeyInterval, state.intervalOn + dt::kConfigSeparator + state.intervalOff);
    }
    if (keyword == dt::kKeyAlarmMode) {
        // Read: kind; write: kind and state.
        if (values.size() != (query ? 1u : 2u))
            return std::nullopt;
        const auto kind = ParseInt(values[0]);
        if (!kind || !IsKnownAlarm(*kind))
            return std::nullopt;
        if (!query) {
            const auto alarmState = ParseInt(values[1]);
            if (!alarmState || *alarmState < 0)
                return std::nullopt;
            state.alarms[*kind] = *alarmState;
        }
        return Reply(dt::kKeyAlarmMode, std::to_string(*kind) + dt::kConfigSeparator +
                                            std::to_string(state.alarms[*kind]));
    }
    if (keyword == dt::kKeyDisplace) {
        if (!query) {
            const auto value = values.size() == 1 ? ParseInt(values[0]) : std::nullopt;
            if (!value || *value < 0)
                return std::nullopt;
            state.displacement = *value;
        }
        return Reply(dt::kKeyDisplace, std::to_string(state.displacement));
    }
    if (keyword == dt::kKeyTime) {
        if (!query) {
            if (values.size() != 2 || !AllDigits(values[0], 8) || !AllDigits(values[1], 6))
                return std::nullopt;
            state.clock = joined;
        }
        if (state.clock.empty())
            return std::nullopt;
        return Reply(dt::kKeyTime, state.clock);
    }
    return std::nullopt;
}

// A program command as it arrives at the device: 8-bit, without its line end.
std::string Wire(std::u16string_view command) {
    std::string text = NarrowDeviceCommand(command).value_or(std::string());
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && Upper(a) == Upper(b);
}

std::string TestItemName(const TestItem& item) {
    // "AT+TEST_SIM==1" -> "SIM"
    std::string_view token = item.passedToken;
    token.remove_prefix(DeviceTestCommands::kItemResultGate.size());
    return std::string(token.substr(0, token.find('=')));
}

// Relay, beep, GPS test output and item tests; false when the line is none of them.
bool FactoryTest(std::string_view line, CommandOutcome& outcome, const TestConditions& conditions) {
    namespace tc = DeviceTestCommands;
    auto& state = outcome.state;
    const struct {
        std::u16string_view command;
        bool DeviceState::*output;
        bool value;
    } switches[] = {
        {tc::kRelayOn, &DeviceState::relay, true},
        {tc::kRelayOff, &DeviceState::relay, false},
        {tc::kBeepOn, &DeviceState::beep, true},
        {tc::kBeepOff, &DeviceState::beep, false},
        {tc::kGpsTestOutputOn, &DeviceState::gpsTestOutput, true},
        {tc::kGpsTestOutputOff, &DeviceState::gpsTestOutput, false},
    };
    for (const auto& s : switches) {
        if (EqualsNoCase(line, Wire(s.command))) {
            state.*s.output = s.value;
            return true;
        }
    }
    // The program keeps the device awake with one sleep value; the device takes any.
    const std::string keepAwake = Wire(tc::kKeepAwake);
    const std::string sleepPrefix = keepAwake.substr(0, keepAwake.find('=') + 1);
    if (StartsWithNoCase(line, Upper(sleepPrefix))) {
        if (const auto value = ParseInt(line.substr(sleepPrefix.size())); value && *value >= 0)
            state.sleep = *value;
        return true;
    }
    for (const auto& item : TestItems()) {
        if (!EqualsNoCase(line, Wire(item.command)))
            continue;
        const std::string name = TestItemName(item);
        if (conditions.silentItems.count(name) == 0) {
            const bool pass = conditions.failItems.count(name) == 0 &&
                              (&item != &TestItems()[kItemGps] || conditions.gpsFixed);
            outcome.replies.emplace_back(pass ? item.passedToken : item.notPassedToken);
        }
        return true;
    }
    return false;
}

} // namespace

std::vector<std::string> TestItemNames() {
    std::vector<std::string> names;
    for (const auto& item : TestItems())
        names.push_back(TestItemName(item));
    return names;
}

std::string BannerLine(const DeviceState& state) {
    return std::string(DeviceTestCommands::kNewDeviceBanner) +
           " to the Tollbrook tracker simulator, firmware " + state.version;
}

std::vector<std::string> ParameterBlock(const DeviceState& state) {
    // The values in the order of the program's label table.
    const std::string values[kParameterLabelCount] = {
        state.version,  state.id,
        state.imei,     state.ip + dt::kConfigSeparator + state.port,
        state.apn,      state.timeZone,
        state.mode,     state.gprsEnable,
        state.protocol, state.intervalOn + dt::kConfigSeparator + state.intervalOff,
    };
    std::vector<std::string> lines;
    lines.emplace_back(DeviceTestCommands::kParameterBlockOpen);
    for (std::size_t i = 0; i < kParameterLabelCount; ++i)
        lines.push_back(Wire(ParameterLabels()[i].label) + values[i]);
    lines.emplace_back(DeviceTestCommands::kParameterBlockClose);
    return lines;
}

CommandOutcome HandleCommand(const DeviceState& before, std::string_view line,
                             const TestConditions& conditions) {
    CommandOutcome outcome{{}, before};
    line = Trim(line);
    if (!StartsWithNoCase(line, dt::kCommandPrefix))
        return outcome;
    const std::string_view command = line.substr(dt::kCommandPrefix.size());

    if (StartsWithNoCase(command, dt::kConfigPrefix)) {
        // Everything after the first "#" is not part of the command.
        std::string_view body = command.substr(dt::kConfigPrefix.size());
        const auto end = body.find(dt::kConfigTerminator);
        if (end == std::string_view::npos)
            return outcome;
        DeviceState state = before;
        if (auto reply = Configure(state, body.substr(0, end))) {
            outcome.state = std::move(state);
            outcome.replies.push_back(std::move(*reply));
        }
        return outcome;
    }
    if (EqualsNoCase(line, Wire(DeviceTestCommands::kReadParameters))) {
        outcome.replies = ParameterBlock(before);
        return outcome;
    }
    FactoryTest(line, outcome, conditions);
    return outcome;
}
