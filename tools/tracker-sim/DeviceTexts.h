#pragma once
// The texts the simulated tracker recognises and answers with, in one place. They are the
// tracker's side of the dialogue that Tollbrook's factory test and configuration pages hold.

#include <array>
#include <string_view>

namespace devicetexts {

// Every command starts with this prefix (matched without regard to case, as modems do).
inline constexpr std::string_view kCommandPrefix = "AT+";

// Factory test. "AT+TEST_<ITEM>=1" is answered "AT+TEST_<ITEM>==<result>".
inline constexpr std::string_view kTestItemPrefix = "TEST_";
inline constexpr std::array<std::string_view, 6> kTestItems = {"SIM",     "GSM", "GPS",
                                                               "GSENSOR", "ACC", "EXTPOWER"};
inline constexpr std::string_view kTestRelay = "RELAY";
inline constexpr std::string_view kTestBeep = "BEEP";
inline constexpr std::string_view kTestReplyPrefix = "AT+TEST_";
inline constexpr std::string_view kTestReplySeparator = "==";
inline constexpr std::string_view kReadParameters = "TEST=1";
inline constexpr std::string_view kGpsTestOutput = "GPSTEST=";
inline constexpr std::string_view kSleep = "ESLP=";

// Parameter block sent for "AT+TEST=1": the markers and the labels, in the device's order.
inline constexpr std::string_view kBlockBegin = "<SETTING";
inline constexpr std::string_view kBlockEnd = "SETTING>";
inline constexpr std::string_view kLabelVersion = "Ver: ";
inline constexpr std::string_view kLabelId = "ID: ";
inline constexpr std::string_view kLabelImei = "IMEI: ";
inline constexpr std::string_view kLabelIp = "IP: ";
inline constexpr std::string_view kLabelApn = "APN:";
inline constexpr std::string_view kLabelTimeZone = "TimeZone: ";
inline constexpr std::string_view kLabelMode = "MODE:";
inline constexpr std::string_view kLabelGprsEnable = "GPRS ENABLE:";
inline constexpr std::string_view kLabelProtocol = "PROTOCOL:";
inline constexpr std::string_view kLabelInterval = "INTERVAL:";

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

// Start-up banner; the test page treats any chunk holding "Welcome" as a new device.
inline constexpr std::string_view kBannerStart = "Welcome";

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
