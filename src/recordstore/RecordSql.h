#pragma once
// The SQL both stores share: the record's columns in the order they bind and read them, and the
// filter's conditions. Placeholders are made by the caller (SQLite "?", PostgreSQL "$n").

#include <functional>
#include <string>
#include <vector>

#include "recordstore/RecordFilter.h"

namespace record_sql {

// Written on insert, in bind order (id is given by the database).
inline constexpr const char* kInsertColumns =
    "started_at, finished_at, station, operator, imei, firmware, verdict, verdict_text, "
    "sim, gsm, gps, gsensor, acc, extpower, parameter_check, mismatches, gps_fix_seconds, "
    "parameter_file, source, app_version, run_key";
inline constexpr int kInsertColumnCount = 21;

// "WHERE ..." (or "") for the filter, its values appended to `values` in order; `placeholder`
// gives the text of the n-th value (1-based). `imeiContains` is the backend's "contains" test
// of the imei column, %2 standing for the value's placeholder; `startedAt` follows the
// placeholders compared with started_at (a cast where the backend needs one).
inline std::string Where(const RecordFilter& filter, std::vector<std::string>& values,
                         const std::function<std::string(std::size_t)>& placeholder,
                         const std::string& imeiContains, const std::string& startedAt) {
    std::vector<std::string> conditions;
    auto value = [&](std::string text) {
        values.push_back(std::move(text));
        return placeholder(values.size());
    };
    if (!filter.imeiPart.empty()) {
        std::string test = imeiContains;
        const std::string p = value(filter.imeiPart);
        test.replace(test.find("%2"), 2, p);
        conditions.push_back(test);
    }
    if (filter.verdict)
        conditions.push_back("verdict = " + value(std::string(VerdictColumnText(*filter.verdict))));
    if (!filter.station.empty())
        conditions.push_back("station = " + value(filter.station));
    if (const std::string from = StartedFrom(filter); !from.empty())
        conditions.push_back("started_at >= " + value(from) + startedAt);
    if (const std::string before = StartedBefore(filter); !before.empty())
        conditions.push_back("started_at < " + value(before) + startedAt);
    std::string where;
    for (const std::string& condition : conditions)
        where += (where.empty() ? " WHERE " : " AND ") + condition;
    return where;
}

} // namespace record_sql
