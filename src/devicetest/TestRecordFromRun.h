#pragma once
// The record of a finished run, made the same way by the test page and tollbrook-cli.

#include <string>

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
