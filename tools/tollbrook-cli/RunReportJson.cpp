#include "RunReportJson.h"

#include "CliOptions.h"
#include "Json.h"
#include "devicetest/TestRecordFromRun.h"

#include <string_view>

namespace {

void StringOrNull(Json& json, const std::u16string& text) {
    if (text.empty())
        json.Null();
    else
        json.String(text.c_str());
}

} // namespace

const char* VerdictWord(const RunOutcome& outcome) {
    return VerdictColumnText(RunVerdict(outcome.report, outcome.interrupted)).data();
}

std::string RunReportJson(const RunOutcome& outcome) {
    const RunReport& report = outcome.report;
    std::string out;
    Json json(out);
    json.BeginObject();
    json.Key("verdict");
    json.String(VerdictWord(outcome));
    json.Key("text");
    if (!report.verdict && outcome.interrupted)
        json.String("interrupted");
    else
        json.String(report.verdictText.c_str());
    json.Key("items");
    json.BeginObject();
    for (std::size_t i = 0; i < kTestItemCount; ++i) {
        json.Key(std::string(CliItemNames()[i]).c_str());
        json.Bool((report.passedItems & (1u << i)) != 0);
    }
    json.EndObject();
    json.Key("imei");
    StringOrNull(json, report.deviceImei);
    json.Key("version");
    StringOrNull(json, report.deviceVersion);
    json.Key("parameterCheck");
    json.String(ParameterCheckWord(report.parameterCheck));
    json.Key("mismatches");
    json.BeginArray();
    // One entry per mismatch line, without its line break.
    for (const std::u16string& line : MismatchLines(report))
        json.String(line.c_str());
    json.EndArray();
    json.Key("seconds");
    json.Thousandths(outcome.runMs);
    json.Key("gpsFixSeconds");
    if (report.gpsFixSeconds)
        json.Integer(*report.gpsFixSeconds);
    else
        json.Null();
    json.EndObject();
    return out;
}
