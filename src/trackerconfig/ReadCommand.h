#pragma once

#include <string>
#include <string_view>

enum class ReadTarget {
    Id,
    Imei,
    Password,
    IpAndPort,
    Apn,
    TimeZone,
    Mode,
    ReportIntervals,
    ExtPowerAlarm,
    VibrationAlarm,
    LowBatteryAlarm,
    DisplacementAlarm,
};

// The read command for a setting, carrying the page's devicePassword.
std::u16string ReadCommand(ReadTarget target, std::u16string_view password);
