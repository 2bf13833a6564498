// tollbrook-cli: the factory test and the tracker settings without a screen, for line
// automation and scripts. See CliUsage() (--help) for the commands.

#include "CliOptions.h"
#include "ConfigSession.h"
#include "Json.h"
#include "RunRecording.h"
#include "RunReportJson.h"
#include "TestRunner.h"
#include "devicetest/LoadParameterFile.h"
#include "devicetest/TestRecordFromRun.h"
#include "recordstore/PasswordKeyring.h"
#include "recordstore/RecordDelivery.h"
#include "recordstore/RecordsCsv.h"
#include "serial/CSio.h"
#include "serial/PortOpenFailure.h"
#include "version/TollbrookVersion.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
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

RecordSettings ProgramSettings() {
    return ReadRecordSettings(ProgramSettingsPath());
}

// The options over the program's settings; a server's password from the keyring when neither
// gives one (libpq then still looks in PGPASSWORD and ~/.pgpass).
RecordSettings Settings(const CliOptions& options) {
    RecordSettings settings = ResolveRecordSettings(options, ProgramSettings());
    StoreLocation& location = settings.location;
    if (location.kind == StoreLocation::Kind::Postgres && location.password.empty())
        location.password = PasswordKeyring::Lookup(location).value_or(std::string());
    return settings;
}

// The run's record, after its verdict is out: whatever happens here, the verdict stands.
void Record(const CliOptions& options, const RunOutcome& outcome,
            std::chrono::system_clock::time_point started,
            std::chrono::system_clock::time_point finished) {
    const RecordSettings settings = Settings(options);
    RunRecordContext context;
    context.startedAt = IsoUtc(started);
    context.finishedAt = IsoUtc(finished);
    context.station = settings.station;
    context.operatorName = settings.operatorName;
    context.parameterFile = options.paramsPath;
    context.appVersion = kTollbrookVersion;
    context.source = RecordSource::Cli;
    context.interrupted = outcome.interrupted;
    const std::string problem = DeliverRecord(settings.location, DefaultSpoolPath(),
                                              TestRecordFromRun(outcome.report, context));
    if (!problem.empty())
        std::fprintf(stderr, "tollbrook-cli: %s\n", problem.c_str());
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
    const auto started = std::chrono::system_clock::now();
    const RunOutcome outcome = runner.Run(run, expected);
    const auto finished = std::chrono::system_clock::now();
    port.Close();
    const bool printed = WriteOut(RunReportJson(outcome));
    if (!options.noRecord)
        Record(options, outcome, started, finished);
    if (!printed)
        return 1;
    return outcome.report.verdict == TestRunActions::VerdictKind::Passed ? 0 : 1;
}

int RunRecords(const CliOptions& options) {
    const RecordSettings settings = Settings(options);
    // What waits in the spool belongs in the list: deliver it first, when the store answers.
    {
        RecordDelivery delivery(settings.location, DefaultSpoolPath());
        if (delivery.WaitingCount() > 0)
            delivery.DeliverWaiting();
    }
    auto store = MakeRecordStore(settings.location);
    const StoreStatus opened = store->Open();
    if (!opened.Ok() && opened.code != StoreStatus::Code::ReadOnly) {
        std::fprintf(stderr, "tollbrook-cli: %s\n", opened.message.c_str());
        return 1;
    }
    if (opened.code != StoreStatus::Code::Ok)
        std::fprintf(stderr, "tollbrook-cli: %s\n", opened.message.c_str());
    std::vector<TestRecord> records;
    if (const StoreStatus status = store->Query(options.filter, records); !status.Ok()) {
        std::fprintf(stderr, "tollbrook-cli: %s\n", status.message.c_str());
        return 1;
    }
    if (options.format == RecordsFormat::Csv) {
        const std::string csv = RecordsCsv(records);
        const bool ok = std::fwrite(csv.data(), 1, csv.size(), stdout) == csv.size() &&
                        std::fflush(stdout) == 0;
        if (!ok)
            std::fprintf(stderr, "tollbrook-cli: cannot write the records\n");
        return ok ? 0 : 1;
    }
    return WriteOut(RecordsJson(records)) ? 0 : 1;
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
    case CliCommand::Records:
        return RunRecords(options);
    }
    return 2;
}
