#pragma once
// The kinds of configuration reply the device sends ("AT+" key "==" value "#"), numbered as the
// configuration page and the reply record know them.

enum class ReplyType : int {
    None = 0,
    Id = 1,
    Imei = 2,
    Password = 3,
    Ip = 4,
    Port = 5,
    Apn = 6,
    TimeZone = 7,
    IntervalOn = 8,
    IntervalOff = 9,
    ExtPowerAlarm = 10,
    VibrationAlarm = 11,
};
