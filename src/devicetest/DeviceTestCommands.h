#pragma once
// Factory-test commands that are not tied to one test item, the reply tokens the run looks
// for and the texts of its verdicts.

#include <string_view>

#include "device/DeviceCommands.h"

namespace DeviceTestCommands {

// The commands themselves are shared with the other pages.
using namespace ::DeviceCommands;

// Reply tokens that are not tied to one test item.
inline constexpr std::string_view kNewDeviceBanner = "Welcome";
inline constexpr std::string_view kItemResultGate = "AT+TEST_";
inline constexpr std::string_view kParameterBlockOpen = "<SETTING";
inline constexpr std::string_view kParameterBlockClose = "SETTING>";

// Verdict and log texts of the test page.
inline constexpr std::u16string_view kPassText = u"##PASS##";
inline constexpr std::u16string_view kSoftwareNotLoadedText = u"#软件未烧录#";
// Time-limit verdict line when no parameter block came although the file has values to check.
inline constexpr std::u16string_view kParametersNotReadLine = u"#参数未读取\r\n";
// Verdict when the device's port went away during a run: no item is known to have failed.
inline constexpr std::u16string_view kSourceLostText = u"#串口已断开#";
inline constexpr std::u16string_view kPlaceholderImeiMessage = u"设备未烧写IMEI号";
inline constexpr std::u16string_view kNewDeviceLogLine = u"检测到新设备**********\r\n";
inline constexpr std::u16string_view kAutoTestLogLine = u"开始自动测试**********\r\n";

// Why Start refuses: no item selected; no parameter file to check the device against.
inline constexpr std::u16string_view kNoItemSelectedMessage =
    u"请选择机型或选择测试项目后再进行测试";
inline constexpr std::u16string_view kNoParameterFileMessage = u"请加载参数文件后开始测试";

} // namespace DeviceTestCommands
