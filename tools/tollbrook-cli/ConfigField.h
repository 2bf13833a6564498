#pragma once
// The tracker settings that `tollbrook-cli read` and `write` know, by the names the command line
// uses: how each is read, which reply answers it, and how a write of it is composed (with the
// configuration page's checks).

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "device/ReplyType.h"
#include "trackerconfig/CommandCheck.h"
#include "trackerconfig/ReadCommand.h"

enum class ConfigField {
    Id,
    Imei,
    Password,
    Ip,
    Apn,
    TimeZone,
    Interval,
    ExtPowerAlarm,
    VibrationAlarm,
};

struct ConfigFieldInfo {
    ConfigField field;
    std::string_view name; // on the command line
    ReadTarget read;
    ReplyType reply;      // the reply that answers a read or a write of it
    std::string_view key; // the JSON key of the reply's value
    // The second value of a two-value reply (the port, the ACC OFF interval) and its JSON key.
    ReplyType second = ReplyType::None;
    std::string_view secondKey = {};
};

inline constexpr std::size_t kConfigFieldCount = 9;

const std::array<ConfigFieldInfo, kConfigFieldCount>& ConfigFields();
const ConfigFieldInfo& InfoOf(ConfigField field);
// By its command-line name (exact, lower case); none for an unknown name.
std::optional<ConfigField> ConfigFieldNamed(std::string_view name);
// "id, imei, ..." for messages and the usage text.
std::string ConfigFieldNames();

// The write command for `value` as typed on the command line, or the page's message when the
// value does not pass its checks. The IP and the intervals take two values, split at the first
// comma ("203.0.113.10,9000", "30,300"); the alarms take "on" or "off".
CommandCheck WriteCommand(ConfigField field, std::u16string_view value,
                          std::u16string_view password);

// A reply field as the command line reports it: the alarms as "on" / "off" (the page's radio
// buttons), every other value as the device sent it.
std::u16string ReportedValue(ReplyType type, std::u16string_view text);
// What a write of `value` should read back as, in the form of ReportedValue: the first and,
// for two-value settings, the second value.
std::pair<std::u16string, std::u16string> WrittenValues(ConfigField field,
                                                        std::u16string_view value);
