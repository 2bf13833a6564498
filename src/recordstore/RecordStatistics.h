#pragma once
// The figures a line manager reads over a set of records: units, runs, first-pass yield,
// retests per unit and failures per item.

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "recordstore/TestRecord.h"

struct RecordStatistics {
    std::size_t runs = 0;
    // Units are told apart by IMEI; runs without an IMEI count as runs but not as units.
    std::size_t units = 0;
    std::size_t unitsPassedFirst = 0;                 // units whose earliest run passed
    double firstPassYield = 0;                        // unitsPassedFirst / units; 0 without units
    std::map<std::string, std::size_t> retestsByImei; // runs after the first, per unit
    // Runs whose item i did not pass (a passed run has every item passed).
    std::array<std::size_t, kRecordItemCount> failuresByItem{};
};

RecordStatistics ComputeRecordStatistics(const std::vector<TestRecord>& records);
