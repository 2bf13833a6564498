#include "recordstore/RecordStatistics.h"

#include <algorithm>
#include <tuple>

RecordStatistics ComputeRecordStatistics(const std::vector<TestRecord>& records) {
    RecordStatistics stats;
    stats.runs = records.size();
    // The earliest run of each unit decides its first pass: by start time, then by id for two
    // runs in the same second.
    std::map<std::string, const TestRecord*> first;
    std::map<std::string, std::size_t> runsByImei;
    for (const TestRecord& record : records) {
        if (record.verdict != RecordVerdict::Pass) {
            for (std::size_t i = 0; i < kRecordItemCount; ++i) {
                if (!record.items[i])
                    ++stats.failuresByItem[i];
            }
        }
        if (record.imei.empty())
            continue;
        ++runsByImei[record.imei];
        const TestRecord*& earliest = first[record.imei];
        if (!earliest ||
            std::tie(record.startedAt, record.id) < std::tie(earliest->startedAt, earliest->id))
            earliest = &record;
    }
    stats.units = first.size();
    for (const auto& [imei, record] : first) {
        if (record->verdict == RecordVerdict::Pass)
            ++stats.unitsPassedFirst;
        stats.retestsByImei[imei] = runsByImei[imei] - 1;
    }
    if (stats.units > 0)
        stats.firstPassYield =
            static_cast<double>(stats.unitsPassedFirst) / static_cast<double>(stats.units);
    return stats;
}
