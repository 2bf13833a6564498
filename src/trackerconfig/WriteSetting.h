#pragma once

#include <string_view>

#include "trackerconfig/CommandCheck.h"

// The value writes; the numbers are the kinds the page's Write buttons use.
enum class SettingKind : int {
    Id = 1,
    Imei = 2,
    IpAndPort = 3,
    Password = 4,
    Apn = 5,
    TimeZone = 8,
    ReportIntervals = 13,
};

// keyword "," password "," values joined by "," "#\r\n". Values go as typed, not trimmed.
// value: the setting's edit (for IpAndPort the IP, for ReportIntervals the ACC ON value);
// second: the port, or the ACC OFF interval; ignored by the other kinds.
CommandCheck WriteSetting(SettingKind kind, std::u16string_view password, std::u16string_view value,
                          std::u16string_view second = {});
