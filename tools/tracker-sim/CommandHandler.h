#pragma once
// The tracker's answer to one command line, as a pure function: the line and the device
// state before it in, the reply lines and the state after it out.

#include "DeviceState.h"

#include <set>
#include <string>
#include <string_view>
#include <vector>

// How the factory test items behave in this run.
struct TestConditions {
    std::set<std::string> failItems;   // by TestItemNames(): answered "==0"
    std::set<std::string> silentItems; // by TestItemNames(): never answered
    bool gpsFixed = true;              // false: GPS answers "==0" whatever else is set
};

struct CommandOutcome {
    std::vector<std::string> replies; // each without its line end
    DeviceState state;
};

// line: one received line without its line end. Unknown commands, commands with the wrong
// password and malformed commands get no reply and leave the state unchanged.
CommandOutcome HandleCommand(const DeviceState& before, std::string_view line,
                             const TestConditions& conditions);

// The item names of the factory test as the device knows them: SIM, GSM, GPS, GSENSOR, ACC,
// EXTPOWER.
std::vector<std::string> TestItemNames();

// The start-up banner, sent at power-up and after a reboot.
std::string BannerLine(const DeviceState& state);

// The lines of the parameter block, markers included.
std::vector<std::string> ParameterBlock(const DeviceState& state);
