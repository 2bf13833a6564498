#pragma once
// Factory-test commands that are not tied to one test item. Every command already ends in
// CR LF; SendLine adds one more, so the device sees an empty line after each.

#include <string_view>

namespace DeviceTestCommands {

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

// Reply tokens that are not tied to one test item.
inline constexpr std::string_view kNewDeviceBanner = "Welcome";
inline constexpr std::string_view kItemResultGate = "AT+TEST_";
inline constexpr std::string_view kParameterBlockOpen = "<SETTING";
inline constexpr std::string_view kParameterBlockClose = "SETTING>";

// Verdict and log texts of the test page.
inline constexpr std::u16string_view kPassText = u"##PASS##";
inline constexpr std::u16string_view kSoftwareNotLoadedText = u"#软件未烧录#";
inline constexpr std::u16string_view kPlaceholderImeiMessage = u"设备未烧写IMEI号";
inline constexpr std::u16string_view kNewDeviceLogLine = u"检测到新设备**********\r\n";
inline constexpr std::u16string_view kAutoTestLogLine = u"开始自动测试**********\r\n";

// Why Start refuses: no item selected; no parameter file to check the device against.
inline constexpr std::u16string_view kNoItemSelectedMessage =
    u"请选择机型或选择测试项目后再进行测试";
inline constexpr std::u16string_view kNoParameterFileMessage = u"请加载参数文件后开始测试";

} // namespace DeviceTestCommands
