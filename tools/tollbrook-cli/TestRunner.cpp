#include "TestRunner.h"

#include "CliOptions.h"
#include "PortLineSender.h"
#include "device/DeviceCommand.h"
#include "device/Utf8.h"
#include "devicetest/DeviceTestCommands.h"

#include <algorithm>
#include <cstdio>
#include <type_traits>
#include <variant>

namespace {

// The longest wait between two looks at the port: short enough that a cut reply is put back
// together and a lost port is seen well within the run's 500 ms verdict step.
constexpr std::int64_t kMaxWaitMs = 50;
// Before the run starts, the line settles: a device announces itself when its port is opened
// and stops its GPS test output at the first command. A banner read in the same chunk as the
// parameter block would hide the block from the run (a chunk with the banner means only that a
// device came), so the run waits for this much quiet, but never longer than kMaxSettleMs.
constexpr std::int64_t kSettleQuietMs = 300;
constexpr std::int64_t kMaxSettleMs = 1500;

} // namespace

TestRunner::TestRunner(CSio& port, Progress progress, const volatile std::sig_atomic_t& stop)
    : m_port(port), m_reader(port), m_progress(std::move(progress)), m_stop(stop) {}

RunOutcome TestRunner::Run(const TestRunOptions& options, const ExpectedParameters& expected) {
    RunOutcome outcome;
    m_run.SetOptions(options);
    m_run.SetExpectedParameters(expected);
    // What the page sends when it comes on screen: the device's GPS test output would bury the
    // test replies.
    PortLineSender sender(m_port);
    SendDeviceCommand(sender, DeviceTestCommands::kGpsTestOutputOff);
    const bool settled = Settle();
    m_startMs = m_reader.NowMs();
    if (!settled) {
        outcome.interrupted = m_stop != 0;
        if (outcome.interrupted) {
            outcome.report.parameterCheck = HasComparedValue(expected)
                                                ? ParameterCheck::NotRead
                                                : ParameterCheck::NothingToCompare;
        } else {
            // The port went away before the run began: the run ends as a lost one would.
            Carry(m_run.Start());
            Carry(m_run.SourceLost());
            outcome.report = m_run.Report();
        }
        return outcome;
    }
    std::int64_t reachedMs = m_startMs;
    m_results.fill(std::nullopt);
    m_started = false;
    Carry(m_run.Start());
    m_started = true;
    while (m_run.GetState() == TestRun::State::Running) {
        if (m_stop) {
            Say("interrupted: the run is stopped");
            Carry(m_run.Stop());
            outcome.interrupted = true;
            break;
        }
        const std::int64_t wait = std::min(m_run.MsToNextDue().value_or(kMaxWaitMs), kMaxWaitMs);
        const PortReader::Step step = m_reader.Next(wait);
        // Time first, as the page catches up with its timers before it reads a chunk.
        const std::int64_t now = m_reader.NowMs();
        Carry(m_run.Advance(now - reachedMs));
        reachedMs = now;
        if (m_run.GetState() != TestRun::State::Running)
            break;
        if (!step.ready.empty())
            Carry(m_run.Receive(step.ready));
        if (step.lost && m_run.GetState() == TestRun::State::Running)
            Carry(m_run.SourceLost());
    }
    outcome.report = m_run.Report();
    outcome.runMs = m_reader.NowMs() - m_startMs;
    return outcome;
}

bool TestRunner::Settle() {
    const std::int64_t begin = m_reader.NowMs();
    std::int64_t lastBytes = begin;
    for (;;) {
        const std::int64_t now = m_reader.NowMs();
        if (now - lastBytes >= kSettleQuietMs || now - begin >= kMaxSettleMs)
            return true;
        if (m_stop)
            return false;
        const PortReader::Step step = m_reader.Next(kMaxWaitMs);
        if (!step.ready.empty()) {
            lastBytes = m_reader.NowMs();
            Carry(m_run.Receive(step.ready));
        }
        if (step.lost)
            return false;
    }
}

void TestRunner::Say(std::string_view text) {
    char stamp[32];
    const std::int64_t ms = m_reader.NowMs() - m_startMs;
    std::snprintf(stamp, sizeof stamp, "[%4lld.%01lld s] ", static_cast<long long>(ms / 1000),
                  static_cast<long long>((ms % 1000) / 100));
    m_progress(std::string(stamp) + std::string(text));
}

// Each line of a multi-line text on its own progress line, without CR.
void TestRunner::SayLines(const std::u16string& text, std::string_view prefix) {
    std::string rest = Utf8(text);
    std::erase(rest, '\r');
    std::size_t start = 0;
    while (start < rest.size()) {
        const auto end = rest.find('\n', start);
        const std::string line = rest.substr(start, end - start);
        if (!line.empty())
            Say(std::string(prefix) + line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

void TestRunner::Carry(const TestRun::Actions& actions) {
    for (const TestRunAction& action : actions)
        Carry(action);
}

void TestRunner::Carry(const TestRunAction& action) {
    using namespace TestRunActions;
    std::visit(
        [this](const auto& a) {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, Send>) {
                SayLines(a.command, "> ");
                PortLineSender sender(m_port);
                if (!SendDeviceCommand(sender, a.command))
                    Say("command too long for the device, not sent");
            } else if constexpr (std::is_same_v<A, Log>) {
                SayLines(a.text);
            } else if constexpr (std::is_same_v<A, SetIcon>) {
                // Only what the device changed: an item answers again every six seconds.
                if (m_started && m_results[a.item] != a.passed) {
                    m_results[a.item] = a.passed;
                    Say(std::string(CliItemNames()[a.item]) +
                        (a.passed ? " passed" : " not passed"));
                }
            } else if constexpr (std::is_same_v<A, ShowSeconds>) {
                if (a.kind == SecondsKind::GpsFixTime)
                    Say("GPS fix after " + std::to_string(a.seconds) + " s");
            } else if constexpr (std::is_same_v<A, ShowParameterBlock>) {
                if (a.block != m_lastBlock) {
                    m_lastBlock = a.block;
                    Say("parameter block:");
                    SayLines(a.block, "    ");
                }
            } else if constexpr (std::is_same_v<A, ShowVerdict>) {
                SayLines(a.text, "verdict: ");
            } else if constexpr (std::is_same_v<A, ShowFault>) {
                SayLines(a.text, "fault: ");
            }
            // The start button's caption, the cleared displays and an automatic start (never
            // asked for: a new device's banner does not start a run here) show nothing.
        },
        action);
}
