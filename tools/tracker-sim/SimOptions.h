#pragma once
// Command-line options of tracker-sim.

#include "CommandHandler.h"
#include "NmeaEmitter.h"
#include "ReceiverModel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SimOptions {
    std::string linkPath;   // --link: symbolic link to the pseudo-terminal
    std::string portDevice; // --port: a real serial device instead of a pseudo-terminal
    int baud = 115200;      // --baud, for --port only
    int pace = 0;           // --pace: baud rate the output keeps to; 0: written at once
    double rate = 1.0;      // epochs per second
    double latitude = ReceiverConfig{}.latitude;
    double longitude = ReceiverConfig{}.longitude;
    std::optional<std::uint64_t> seed; // none: a different run each time
    LineFaults faults;
    std::set<std::string> failItems;
    std::set<std::string> silentItems;
    double gpsFixAfter = 0.0;
    std::string version; // --firmware; empty: the device's default
    std::string imei;    // empty: the device's default
    std::string logPath;
};

struct OptionsParse {
    std::optional<SimOptions> options; // set when the arguments were good
    bool help = false;                 // --help was given
    bool version = false;              // --version was given
    std::string error;                 // why the arguments were refused
};

// args: the arguments without the program name.
OptionsParse ParseSimOptions(const std::vector<std::string>& args);

std::string SimUsage();
