#pragma once
// What a factory test run found, for whoever reports it (the test page shows it as it happens;
// a command-line runner prints it at the end). Reset at every start.

#include <cstdint>
#include <optional>
#include <string>

#include "devicetest/TestRunAction.h"

enum class ParameterCheck {
    NothingToCompare, // the parameter file holds no compared value: blocks are only shown
    NotRead,          // no parameter block has come in this run yet
    Ok,               // a block of this run matched the parameter file
    Mismatch,         // a block differed from the file: see mismatchText
    PlaceholderImei,  // a block carried a placeholder IMEI ("Check IMEI" on)
};

struct RunReport {
    // How the run ended; none while it runs, or when the operator stopped it. A parameter fault
    // that ends the run counts as failed, with its message as the text.
    std::optional<TestRunActions::VerdictKind> verdict;
    std::u16string verdictText;
    std::uint8_t passedItems = 0; // bit i: item i reported a pass during the run
    ParameterCheck parameterCheck = ParameterCheck::NothingToCompare;
    std::u16string mismatchText; // the mismatch lines, when parameterCheck is Mismatch
    // From the last parameter block of the run, without surrounding spaces and line breaks;
    // empty when no block came or it lacked the label.
    std::u16string deviceImei;
    std::u16string deviceVersion;
    std::optional<std::int64_t> gpsFixSeconds; // run seconds until the GPS item passed

    bool operator==(const RunReport&) const = default;
};
