#pragma once
// The record of a finished run, made the same way by the test page and tollbrook-cli.

#include <string>
#include <vector>

#include "devicetest/RunReport.h"
#include "recordstore/TestRecord.h"

// What the run itself does not know: when and where it ran, and how it ended.
struct RunRecordContext {
    std::string startedAt; // IsoUtc of the start
    std::string finishedAt;
    std::string station;
    std::string operatorName;
    std::string parameterFile;
    std::string appVersion;
    RecordSource source = RecordSource::Page;
    // The run was stopped (operator, signal) before it reached a verdict of its own.
    bool interrupted = false;
};

TestRecord TestRecordFromRun(const RunReport& report, const RunRecordContext& context);

// The one rule for a run's verdict word, shared by the record and tollbrook-cli's JSON: PASS
// when the run passed, INTERRUPTED when it was stopped before a verdict of its own, else FAIL.
RecordVerdict RunVerdict(const RunReport& report, bool interrupted);
// The parameter check as tollbrook-cli's JSON and the record say it.
const char* ParameterCheckWord(ParameterCheck check);
// The mismatch lines of a run whose check found a mismatch, without their line breaks.
std::vector<std::u16string> MismatchLines(const RunReport& report);
