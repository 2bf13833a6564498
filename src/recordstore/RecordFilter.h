#pragma once
// Which records to list: every condition that is set must hold. Used by the records window,
// `tollbrook-cli records` and the stores' queries alike.

#include <optional>
#include <string>
#include <string_view>

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

// "YYYY-MM-DD" naming a day of the calendar.
bool IsRecordDate(std::string_view text);
// The filter's date range as started_at texts (which compare as text in time order): runs from
// `StartedFrom` on and before `StartedBefore`; empty when that side is open. A date that is no
// day of the calendar gives an error text in `error` (the stores refuse such a filter).
std::string StartedFrom(const RecordFilter& filter);
std::string StartedBefore(const RecordFilter& filter);
std::string FilterError(const RecordFilter& filter);
