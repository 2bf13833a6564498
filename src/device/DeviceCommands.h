#pragma once
// Commands that more than one part of the program sends to the device. Every command already
// ends in CR LF; SendLine adds one more, so the device sees an empty line after each.

#include <string_view>

namespace DeviceCommands {

// Asks the device for its parameter block ("<SETTING" ... "SETTING>").
inline constexpr std::u16string_view kReadParameters = u"AT+TEST=1\r\n";
inline constexpr std::u16string_view kRelayOn = u"AT+TEST_RELAY=1\r\n";
inline constexpr std::u16string_view kRelayOff = u"AT+TEST_RELAY=0\r\n";
inline constexpr std::u16string_view kBeepOn = u"AT+TEST_BEEP=1\r\n";
inline constexpr std::u16string_view kBeepOff = u"AT+TEST_BEEP=0\r\n";
// Keeps the device awake during a run.
inline constexpr std::u16string_view kKeepAwake = u"AT+ESLP=0\r\n";
// The device's GPS test output interleaves NMEA with replies; the pages switch it off while
// they are on screen and the front panel switches it back on.
inline constexpr std::u16string_view kGpsTestOutputOff = u"AT+GPSTEST=0\r\n";
inline constexpr std::u16string_view kGpsTestOutputOn = u"AT+GPSTEST=1\r\n";

// A command as the operator types it into a send field: without its line ending.
constexpr std::u16string_view TypedForm(std::u16string_view command) {
    return command.ends_with(u"\r\n") ? command.substr(0, command.size() - 2) : command;
}

} // namespace DeviceCommands
