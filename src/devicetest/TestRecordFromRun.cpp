#include "devicetest/TestRecordFromRun.h"

#include "device/Utf8.h"
#include "devicetest/TestItem.h"

static_assert(kTestItemCount == kRecordItemCount, "a record has a column per test item");

RecordVerdict RunVerdict(const RunReport& report, bool interrupted) {
    if (report.verdict == TestRunActions::VerdictKind::Passed)
        return RecordVerdict::Pass;
    if (interrupted && !report.verdict)
        return RecordVerdict::Interrupted;
    return RecordVerdict::Fail;
}

const char* ParameterCheckWord(ParameterCheck check) {
    switch (check) {
    case ParameterCheck::Ok:
        return "ok";
    case ParameterCheck::Mismatch:
        return "mismatch";
    case ParameterCheck::PlaceholderImei:
        return "placeholder-imei";
    case ParameterCheck::NotRead:
        return "not-read";
    case ParameterCheck::NothingToCompare:
        break;
    }
    // The file gave nothing to compare: for the device's parameters it is as if there were none.
    return "no-file";
}

std::vector<std::u16string> MismatchLines(const RunReport& report) {
    std::vector<std::u16string> lines;
    if (report.parameterCheck != ParameterCheck::Mismatch)
        return lines;
    std::u16string_view rest = report.mismatchText;
    while (!rest.empty()) {
        const auto end = rest.find(u"\r\n");
        std::u16string line(rest.substr(0, end));
        if (!line.empty())
            lines.push_back(std::move(line));
        rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 2);
    }
    return lines;
}

TestRecord TestRecordFromRun(const RunReport& report, const RunRecordContext& context) {
    TestRecord record;
    record.startedAt = context.startedAt;
    record.finishedAt = context.finishedAt;
    record.station = context.station;
    record.operatorName = context.operatorName;
    record.imei = Utf8(report.deviceImei);
    record.firmware = Utf8(report.deviceVersion);
    record.verdict = RunVerdict(report, context.interrupted);
    record.verdictText = record.verdict == RecordVerdict::Interrupted ? std::string("interrupted")
                                                                      : Utf8(report.verdictText);
    for (std::size_t i = 0; i < kRecordItemCount; ++i)
        record.items[i] = (report.passedItems & (1u << i)) != 0;
    record.parameterCheck = ParameterCheckWord(report.parameterCheck);
    for (const std::u16string& line : MismatchLines(report)) {
        if (!record.mismatches.empty())
            record.mismatches += '\n';
        record.mismatches += Utf8(line);
    }
    // The time to a fix means something only when the GPS item passed.
    if (record.items[2])
        record.gpsFixSeconds = report.gpsFixSeconds;
    record.parameterFile = context.parameterFile;
    record.source = context.source;
    record.appVersion = context.appVersion;
    return record;
}
