#pragma once
// Which records to list: every condition that is set must hold. Used by the records window,
// `tollbrook-cli records` and the stores' queries alike.

#include <optional>
#include <string>

#include "recordstore/TestRecord.h"

struct RecordFilter {
    std::string imeiPart; // the IMEI contains this text; empty: any
    std::optional<RecordVerdict> verdict;
    std::string station; // exactly this station; empty: any
    // Dates "YYYY-MM-DD" (UTC), both inclusive, compared with the day the run started; empty:
    // open on that side.
    std::string sinceDate;
    std::string untilDate;

    bool operator==(const RecordFilter&) const = default;
};

// The record passes the filter (the stores filter in SQL; this is the same rule in C++ for
// the spool and the tests).
bool Matches(const RecordFilter& filter, const TestRecord& record);
