#pragma once
// The one JSON object that `tollbrook-cli test` prints at the end of a run.

#include <cstdint>
#include <string>

#include "devicetest/RunReport.h"

struct RunOutcome {
    RunReport report;
    std::int64_t runMs = 0;   // from the start of the run to its end
    bool interrupted = false; // stopped by a signal before it reached a verdict
};

// "PASS", "FAIL" or "INTERRUPTED".
const char* VerdictWord(const RunOutcome& outcome);
// One line, without its line break.
std::string RunReportJson(const RunOutcome& outcome);
