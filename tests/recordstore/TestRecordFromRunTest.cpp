// A run's report as the record keeps it, with the verdict rule tollbrook-cli's JSON shares.

#include "devicetest/TestRecordFromRun.h"

#include <gtest/gtest.h>

namespace {

using VK = TestRunActions::VerdictKind;

RunRecordContext Context(bool interrupted = false) {
    RunRecordContext c;
    c.startedAt = "2026-12-10T23:30:20Z";
    c.finishedAt = "2026-12-10T23:31:40Z";
    c.station = "bench-1";
    c.operatorName = "王";
    c.parameterFile = "/p.txt";
    c.appVersion = "3.0";
    c.source = RecordSource::Cli;
    c.interrupted = interrupted;
    return c;
}

TEST(TestRecordFromRun, VerdictTable) {
    struct Case {
        std::optional<VK> verdict;
        bool interrupted;
        RecordVerdict expected;
        std::string text;
    };
    const std::vector<Case> cases = {
        {VK::Passed, false, RecordVerdict::Pass, "##PASS##"},
        {VK::Passed, true, RecordVerdict::Pass, "##PASS##"}, // a signal after the verdict
        {VK::Failed, false, RecordVerdict::Fail, "TEST FAIL"},
        {VK::Failed, true, RecordVerdict::Fail, "TEST FAIL"},
        {VK::SourceLost, false, RecordVerdict::Fail, "TEST FAIL"},
        {std::nullopt, true, RecordVerdict::Interrupted, "interrupted"},
        {std::nullopt, false, RecordVerdict::Fail, ""}, // stopped on the page: no verdict
    };
    for (const Case& c : cases) {
        RunReport report;
        report.verdict = c.verdict;
        report.verdictText =
            c.text == "interrupted" ? u"" : std::u16string(c.text.begin(), c.text.end());
        const TestRecord record = TestRecordFromRun(report, Context(c.interrupted));
        EXPECT_EQ(record.verdict, c.expected) << c.text;
        EXPECT_EQ(RunVerdict(report, c.interrupted), c.expected);
        EXPECT_EQ(record.verdictText, c.text);
    }
}

TEST(TestRecordFromRun, EveryFieldFromTheReport) {
    RunReport report;
    report.verdict = VK::Failed;
    report.verdictText = u"参数不符";
    report.passedItems = 0b100101; // SIM, GPS, EXTPOWER
    report.parameterCheck = ParameterCheck::Mismatch;
    report.mismatchText = u"APN: internet ≠ cmnet\r\nIP: a ≠ b\r\n";
    report.deviceImei = u"864209051234567";
    report.deviceVersion = u"V1.0.4\xD800"; // an unpaired surrogate from a garbled block
    report.gpsFixSeconds = 3;
    const TestRecord record = TestRecordFromRun(report, Context());
    TestRecord expected;
    expected.startedAt = "2026-12-10T23:30:20Z";
    expected.finishedAt = "2026-12-10T23:31:40Z";
    expected.station = "bench-1";
    expected.operatorName = "王";
    expected.imei = "864209051234567";
    expected.firmware = "V1.0.4\xEF\xBF\xBD";
    expected.verdict = RecordVerdict::Fail;
    expected.verdictText = "参数不符";
    expected.items = {true, false, true, false, false, true};
    expected.parameterCheck = "mismatch";
    expected.mismatches = "APN: internet ≠ cmnet\nIP: a ≠ b";
    expected.gpsFixSeconds = 3;
    expected.parameterFile = "/p.txt";
    expected.source = RecordSource::Cli;
    expected.appVersion = "3.0";
    EXPECT_EQ(record, expected);

    // No GPS pass, no time to a fix; the words of each check.
    report.passedItems = 0b000001;
    const std::vector<std::pair<ParameterCheck, std::string>> checks = {
        {ParameterCheck::Ok, "ok"},
        {ParameterCheck::PlaceholderImei, "placeholder-imei"},
        {ParameterCheck::NotRead, "not-read"},
        {ParameterCheck::NothingToCompare, "no-file"}};
    for (const auto& [check, word] : checks) {
        report.parameterCheck = check;
        const TestRecord r = TestRecordFromRun(report, Context());
        EXPECT_EQ(r.parameterCheck, word);
        EXPECT_EQ(r.mismatches, ""); // lines only with a mismatch
        EXPECT_EQ(r.gpsFixSeconds, std::nullopt);
    }
}

} // namespace
