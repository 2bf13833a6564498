#pragma once
// The configuration texts the simulated tracker recognises and answers with: the tracker's side
// of the dialogue that Tollbrook's configuration page holds. The factory-test texts (commands,
// result tokens, banner, parameter block labels) are the program's own, from devicetest.

#include <array>
#include <cstddef>
#include <string_view>

namespace devicetexts {

// Every command starts with this prefix (matched without regard to case, as modems do).
inline constexpr std::string_view kCommandPrefix = "AT+";

// Configuration: "AT+SMS=<KEYWORD>[?],<password>[,<value>...]#".
inline constexpr std::string_view kConfigPrefix = "SMS=";
inline constexpr char kConfigTerminator = '#';
inline constexpr char kConfigSeparator = ',';
inline constexpr char kQueryMark = '?';
inline constexpr std::string_view kKeyId = "ID";
inline constexpr std::string_view kKeyImei = "IMEI";
inline constexpr std::string_view kKeyPassword = "PASSWORD";
inline constexpr std::string_view kKeyIp = "IP";
inline constexpr std::string_view kKeyApn = "APN";
inline constexpr std::string_view kKeyTimeZone = "TIMEZONE";
inline constexpr std::string_view kKeyMode = "MODE";
inline constexpr std::string_view kKeyInterval = "INTERVAL";
inline constexpr std::string_view kKeyAlarmMode = "ALARMMODE";
inline constexpr std::string_view kKeyDisplace = "DISPLACE";
inline constexpr std::string_view kKeyTime = "TIME";

// A configuration reply is "AT+<KEY>==<value>#"; the key is the command's keyword.
inline constexpr std::string_view kReplyPrefix = "AT+";
inline constexpr std::string_view kReplySeparator = "==";
inline constexpr std::string_view kReplyTerminator = "#";

// Alarm kinds the device knows: vibration, external power, low battery.
inline constexpr std::array<int, 3> kAlarmKinds = {2, 5, 12};
// Working modes: plain ones, and the two that carry a wake-up schedule.
inline constexpr int kLastPlainMode = 5;
inline constexpr int kDayMode = 8;
inline constexpr int kWeekMode = 10;

// Longest values the device stores, so that every configuration reply stays a short line
// that the program reads as a reply on its own.
inline constexpr std::size_t kMaxId = 16;
inline constexpr std::size_t kMaxImei = 16;
inline constexpr std::size_t kMaxPassword = 9;
inline constexpr std::size_t kMaxIp = 65;
inline constexpr std::size_t kMaxPort = 11;
inline constexpr std::size_t kMaxApn = 65;
inline constexpr std::size_t kMaxTimeZone = 7;
inline constexpr std::size_t kMaxInterval = 11;

} // namespace devicetexts
