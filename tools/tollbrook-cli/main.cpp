// tollbrook-cli: the factory test and the tracker settings without a screen, for line
// automation and scripts. See CliUsage() (--help) for the commands.

#include "CliOptions.h"
#include "ConfigSession.h"
#include "Json.h"
#include "RunReportJson.h"
#include "TestRunner.h"
#include "devicetest/LoadParameterFile.h"
#include "serial/CSio.h"
#include "serial/PortOpenFailure.h"
#include "version/TollbrookVersion.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnStopSignal(int) {
    stopRequested = 1;
}

// Without SA_RESTART, so that a wait on the port ends at once.
void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int BadUse(const std::string& message) {
    std::fprintf(stderr, "tollbrook-cli: %s (try --help)\n", message.c_str());
    return 2;
}

void Progress(std::string_view line) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

// The reason on one line: the group advice of a permission error follows the system's text.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

bool OpenPort(CSio& port, const CliOptions& options) {
    if (port.Open(options.port, options.baud) >= 0)
        return true;
    std::fprintf(stderr, "tollbrook-cli: cannot open %s: %s\n", options.port.c_str(),
                 OneLine(DescribeOpenFailure(options.port, port.LastError())).c_str());
    return false;
}

bool WriteOut(const std::string& line) {
    const bool ok = std::fputs((line + "\n").c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    if (!ok)
        std::fprintf(stderr, "tollbrook-cli: cannot write the result\n");
    return ok;
}

int RunTest(const CliOptions& options) {
    // The page refuses a start without a readable file: there would be nothing to check.
    ExpectedParameters expected;
    const LoadParameterFileResult loaded = LoadParameterFile(options.paramsPath, expected);
    if (!loaded.ok)
        return BadUse("cannot read the parameter file " + options.paramsPath + ": " + loaded.error);
    if (!HasComparedValue(expected))
        Progress("warning: the parameter file holds no value to compare; the device's "
                 "parameters are not checked");
    CSio port;
    if (!OpenPort(port, options))
        return 2;
    TestRunOptions run;
    run.selectedItems = options.items;
    run.timeLimitSeconds = options.limitSeconds;
    run.checkImei = options.checkImei;
    run.autoTest = false;
    TestRunner runner(port, Progress, stopRequested);
    const RunOutcome outcome = runner.Run(run, expected);
    port.Close();
    if (!WriteOut(RunReportJson(outcome)))
        return 1;
    return outcome.report.verdict == TestRunActions::VerdictKind::Passed ? 0 : 1;
}

int RunConfig(const CliOptions& options) {
    CSio port;
    if (!OpenPort(port, options))
        return 2;
    ConfigSession session(port, options.password, options.timeoutMs, Progress, stopRequested);
    const ConfigSession::Result result = options.command == CliCommand::Read
                                             ? session.Read(options.reads)
                                             : session.Write(options.writes);
    port.Close();
    std::string out;
    Json json(out);
    json.BeginObject();
    for (const auto& [key, value] : result.values) {
        json.Key(key.c_str());
        if (value)
            json.String(value->c_str());
        else
            json.Null();
    }
    json.EndObject();
    if (!WriteOut(out))
        return 1;
    if (result.interrupted)
        Progress("interrupted");
    return result.allAnswered && result.allAsWritten && !result.interrupted ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("tollbrook-cli (Tollbrook) %s\n", kTollbrookVersion);
        return 0;
    }
    const CliParse parsed = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options)
        return BadUse(parsed.error);
    const CliOptions& options = *parsed.options;
    switch (options.command) {
    case CliCommand::Help:
        std::fputs(CliUsage().c_str(), stdout);
        return 0;
    case CliCommand::Test:
        CatchStopSignals();
        return RunTest(options);
    case CliCommand::Read:
    case CliCommand::Write:
        CatchStopSignals();
        return RunConfig(options);
    }
    return 2;
}
