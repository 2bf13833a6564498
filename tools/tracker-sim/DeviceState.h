#pragma once
// What the simulated tracker remembers: its settings (as its flash would keep them) and the
// outputs the factory test switches.

#include "trackerconfig/DevicePassword.h"

#include <map>
#include <string>

struct DeviceState {
    // Settings, as the device reports them.
    std::string version = "V1.0.4";
    std::string id = "2026121001";
    std::string imei = "864209051234567"; // a valid check digit, and no placeholder
    std::string password = std::string(kFactoryPassword.begin(), kFactoryPassword.end());
    std::string ip = "203.0.113.10";
    std::string port = "9000";
    std::string apn = "internet";
    std::string timeZone = "8";
    std::string mode = "1"; // mode number, followed by its schedule for the day and week modes
    std::string gprsEnable = "1";
    std::string protocol = "2";
    std::string intervalOn = "30";
    std::string intervalOff = "300";
    std::map<int, int> alarms = {{2, 0}, {5, 0}, {12, 0}}; // alarm kind -> state (0 off)
    int displacement = 0;
    std::string clock; // last time calibration, "yyyymmdd,hhmmss"; empty until one arrives

    // Outputs and switches of the factory test.
    bool gpsTestOutput = true; // NMEA output on the line
    bool relay = false;
    bool beep = false;
    int sleep = 0;

    bool operator==(const DeviceState&) const = default;
};
