#pragma once
// The command line of tollbrook-cli, parsed without touching anything: which command, which
// port, and the run's or the settings' choices. Refused command lines say why.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ConfigField.h"
#include "devicetest/TestItem.h"
#include "recordstore/RecordFilter.h"
#include "recordstore/StoreLocation.h"

enum class CliCommand {
    Help,
    Test,
    Read,
    Write,
    Records,
};

enum class RecordsFormat {
    Json,
    Csv,
};

struct ConfigWrite {
    ConfigField field = ConfigField::Id;
    std::u16string value; // as typed, from the locale's 8-bit text

    bool operator==(const ConfigWrite&) const = default;
};

struct CliOptions {
    CliCommand command = CliCommand::Help;
    std::string port;
    int baud = 9600;

    // test
    std::string paramsPath;
    bool checkImei = false;
    std::int64_t limitSeconds = 80;
    std::array<bool, kTestItemCount> items{true, true, true, true, true, true};

    // test and records: where the records are (none: the program's setting)
    std::optional<StoreLocation> db;
    // test: no record of the run; the bench's name and the operator instead of the settings'
    bool noRecord = false;
    std::optional<std::string> station;
    std::optional<std::string> operatorName;

    // records
    RecordFilter filter;
    RecordsFormat format = RecordsFormat::Json;

    // read and write
    std::u16string password;       // the factory password unless --password is given
    std::int64_t timeoutMs = 3000; // how long to wait for each reply
    std::vector<ConfigField> reads;
    std::vector<ConfigWrite> writes;

    bool operator==(const CliOptions&) const = default;
};

struct CliParse {
    std::optional<CliOptions> options; // when the command line was good
    std::string error;                 // why it was refused
};

// args: the arguments without the program name.
CliParse ParseCliOptions(const std::vector<std::string>& args);

// The --items names, in item order: SIM, GSM, GPS, GSENSOR, ACC, EXTPOWER.
const std::array<std::string_view, kTestItemCount>& CliItemNames();

std::string CliUsage();
