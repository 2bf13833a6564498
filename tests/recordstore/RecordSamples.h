#pragma once
// Records for the store tests: every column set, with the texts that trouble stores and
// exports (UTF-8, quotes, commas, line breaks) and each kind of verdict.

#include "recordstore/TestRecord.h"

#include <string>
#include <vector>

namespace record_samples {

inline TestRecord Record(const std::string& imei, const std::string& startedAt,
                         RecordVerdict verdict = RecordVerdict::Pass) {
    TestRecord r;
    r.startedAt = startedAt;
    r.finishedAt = startedAt.substr(0, 17) + "59Z";
    r.station = "bench-1";
    r.operatorName = "Li";
    r.imei = imei;
    r.firmware = "V1.0.4";
    r.verdict = verdict;
    r.verdictText = verdict == RecordVerdict::Pass ? "##PASS##" : "TEST FAIL";
    r.items = {true, true, true, true, true, true};
    if (verdict != RecordVerdict::Pass)
        r.items[3] = false;
    r.parameterCheck = "ok";
    r.gpsFixSeconds = 3;
    r.parameterFile = "/srv/params/y202.txt";
    r.source = RecordSource::Cli;
    r.appVersion = "3.0";
    return r;
}

// Every column with a value that a careless store would change.
inline std::vector<TestRecord> EveryColumn() {
    std::vector<TestRecord> records;
    TestRecord full = Record("864209051234567", "2026-12-10T23:30:20Z");
    full.station = "线体 2 / bench \"A\", left";
    full.operatorName = "王小明";
    full.verdictText = "参数不符: APN";
    full.verdict = RecordVerdict::Fail;
    full.items = {true, false, true, false, true, false};
    full.parameterCheck = "mismatch";
    full.mismatches = "APN: internet ≠ cmnet\nIP: 203.0.113.10,9000 ≠ 10.0.0.1,80";
    full.gpsFixSeconds = std::nullopt;
    full.parameterFile = "C:\\参数\\y202, v2.txt";
    full.source = RecordSource::Page;
    full.appVersion = "3.0";
    records.push_back(full);

    TestRecord empty = Record("", "2026-12-10T23:31:00Z", RecordVerdict::Interrupted);
    empty.operatorName.clear();
    empty.firmware.clear();
    empty.verdictText = "interrupted";
    empty.items = {};
    empty.parameterCheck = "not-read";
    empty.gpsFixSeconds = std::nullopt;
    empty.parameterFile.clear();
    empty.appVersion.clear();
    records.push_back(empty);

    TestRecord pass = Record("864209051234568", "2026-12-11T00:00:00Z");
    pass.gpsFixSeconds = 0;
    records.push_back(pass);

    TestRecord late = Record("864209051234569", "2027-01-01T23:59:59Z");
    late.gpsFixSeconds = 86400;
    records.push_back(late);
    return records;
}

} // namespace record_samples
