// The figures of the records window over tables of runs.

#include "recordstore/RecordStatistics.h"
#include "RecordSamples.h"

#include <gtest/gtest.h>

namespace {

using record_samples::Record;
constexpr auto kPass = RecordVerdict::Pass;
constexpr auto kFail = RecordVerdict::Fail;
constexpr auto kStop = RecordVerdict::Interrupted;

TestRecord MakeRun(const std::string& imei, const std::string& at, RecordVerdict verdict,
                   std::array<bool, kRecordItemCount> items = {true, true, true, true, true, true},
                   std::int64_t id = 0) {
    TestRecord r = Record(imei, at, verdict);
    r.items = items;
    r.id = id;
    return r;
}

TEST(RecordStatistics, Table) {
    struct Case {
        const char* name;
        std::vector<TestRecord> runs; // in any order, as a query returns them
        std::size_t units;
        std::size_t passedFirst;
        double yield;
        std::map<std::string, std::size_t> retests;
        std::array<std::size_t, kRecordItemCount> failures;
    };
    const std::array<bool, 6> noGps = {true, true, false, true, true, true};
    const std::array<bool, 6> noGsmAcc = {true, false, true, true, false, true};
    const std::vector<Case> cases = {
        {"nothing", {}, 0, 0, 0.0, {}, {}},
        {"one unit passed at once",
         {MakeRun("A", "2026-12-10T08:00:00Z", kPass)},
         1,
         1,
         1.0,
         {{"A", 0}},
         {}},
        {"failed first, passed on retest (newest first in the list)",
         {MakeRun("A", "2026-12-10T09:00:00Z", kPass),
          MakeRun("A", "2026-12-10T08:00:00Z", kFail, noGps)},
         1,
         0,
         0.0,
         {{"A", 1}},
         {0, 0, 1, 0, 0, 0}},
        {"an interrupted first run is no first pass",
         {MakeRun("A", "2026-12-10T08:00:00Z", kStop, {}),
          MakeRun("A", "2026-12-10T08:05:00Z", kPass), MakeRun("B", "2026-12-10T08:10:00Z", kPass)},
         2,
         1,
         0.5,
         {{"A", 1}, {"B", 0}},
         {1, 1, 1, 1, 1, 1}},
        {"same second: the lower id came first",
         {MakeRun("A", "2026-12-10T08:00:00Z", kPass, {true, true, true, true, true, true}, 8),
          MakeRun("A", "2026-12-10T08:00:00Z", kFail, noGsmAcc, 7)},
         1,
         0,
         0.0,
         {{"A", 1}},
         {0, 1, 0, 0, 1, 0}},
        {"runs without IMEI count as runs only",
         {MakeRun("", "2026-12-10T08:00:00Z", kFail, noGps),
          MakeRun("B", "2026-12-10T08:00:00Z", kPass),
          MakeRun("C", "2026-12-10T08:00:00Z", kFail, noGsmAcc),
          MakeRun("C", "2026-12-10T09:00:00Z", kFail, noGps)},
         2,
         1,
         0.5,
         {{"B", 0}, {"C", 1}},
         {0, 1, 2, 0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RecordStatistics stats = ComputeRecordStatistics(c.runs);
        EXPECT_EQ(stats.runs, c.runs.size());
        EXPECT_EQ(stats.units, c.units);
        EXPECT_EQ(stats.unitsPassedFirst, c.passedFirst);
        EXPECT_DOUBLE_EQ(stats.firstPassYield, c.yield);
        EXPECT_EQ(stats.retestsByImei, c.retests);
        EXPECT_EQ(stats.failuresByItem, c.failures);
    }
}

} // namespace
