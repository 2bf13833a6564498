#include "RunReportJson.h"

#include "CliOptions.h"
#include "Json.h"

#include <string_view>

namespace {

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

void StringOrNull(Json& json, const std::u16string& text) {
    if (text.empty())
        json.Null();
    else
        json.String(text.c_str());
}

} // namespace

const char* VerdictWord(const RunOutcome& outcome) {
    if (outcome.report.verdict == TestRunActions::VerdictKind::Passed)
        return "PASS";
    if (outcome.interrupted && !outcome.report.verdict)
        return "INTERRUPTED";
    return "FAIL";
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
    if (report.parameterCheck == ParameterCheck::Mismatch) {
        // One entry per mismatch line, without its line break.
        std::u16string_view rest = report.mismatchText;
        while (!rest.empty()) {
            const auto end = rest.find(u"\r\n");
            const std::u16string line(rest.substr(0, end));
            if (!line.empty())
                json.String(line.c_str());
            rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 2);
        }
    }
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
