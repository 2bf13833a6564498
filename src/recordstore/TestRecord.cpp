#include "recordstore/TestRecord.h"

#include <cstdio>
#include <ctime>
#include <random>

std::string_view VerdictColumnText(RecordVerdict verdict) {
    switch (verdict) {
    case RecordVerdict::Pass:
        return "PASS";
    case RecordVerdict::Fail:
        return "FAIL";
    case RecordVerdict::Interrupted:
        return "INTERRUPTED";
    }
    return "FAIL";
}

std::optional<RecordVerdict> VerdictFromColumnText(std::string_view text) {
    for (RecordVerdict v : {RecordVerdict::Pass, RecordVerdict::Fail, RecordVerdict::Interrupted}) {
        if (VerdictColumnText(v) == text)
            return v;
    }
    return std::nullopt;
}

std::string_view SourceColumnText(RecordSource source) {
    return source == RecordSource::Cli ? "cli" : "page";
}

std::optional<RecordSource> SourceFromColumnText(std::string_view text) {
    if (text == "page")
        return RecordSource::Page;
    if (text == "cli")
        return RecordSource::Cli;
    return std::nullopt;
}

std::string IsoUtc(std::chrono::system_clock::time_point time) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(time));
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

RecordColumnType RecordColumnTypeOf(std::size_t column) {
    if (column == 0 || column == 17)
        return RecordColumnType::Integer;
    if (column >= 9 && column < 9 + kRecordItemCount)
        return RecordColumnType::Boolean;
    return RecordColumnType::Text;
}

std::optional<std::string> RecordColumnText(const TestRecord& r, std::size_t column) {
    if (column >= 9 && column < 9 + kRecordItemCount)
        return r.items[column - 9] ? "true" : "false";
    switch (column) {
    case 0:
        return std::to_string(r.id);
    case 1:
        return r.startedAt;
    case 2:
        return r.finishedAt;
    case 3:
        return r.station;
    case 4:
        return r.operatorName;
    case 5:
        return r.imei;
    case 6:
        return r.firmware;
    case 7:
        return std::string(VerdictColumnText(r.verdict));
    case 8:
        return r.verdictText;
    case 15:
        return r.parameterCheck;
    case 16:
        return r.mismatches;
    case 17:
        if (r.gpsFixSeconds)
            return std::to_string(*r.gpsFixSeconds);
        return std::nullopt;
    case 18:
        return r.parameterFile;
    case 19:
        return std::string(SourceColumnText(r.source));
    case 20:
        return r.appVersion;
    default:
        return std::nullopt;
    }
}

std::string NewRunKey() {
    // random_device reads the kernel's generator: keys made at once by two benches differ.
    std::random_device device;
    std::string key;
    static constexpr char kHex[] = "0123456789abcdef";
    for (int i = 0; i < 4; ++i) {
        const unsigned value = device();
        for (int nibble = 0; nibble < 8; ++nibble)
            key += kHex[(value >> (nibble * 4)) & 0xF];
    }
    return key;
}
