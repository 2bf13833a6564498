#pragma once
// Runs one factory test over an open port without a screen: the same TestRun as the test page,
// fed with the port's bytes and a steady clock, its commands written to the port and what the
// page would show written as progress lines. Ends at the run's verdict, when the port goes away,
// or when asked to stop (a signal), whichever comes first.

#include <array>
#include <csignal>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "PortReader.h"
#include "RunReportJson.h"
#include "devicetest/TestRun.h"
#include "serial/CSio.h"

class TestRunner {
public:
    using Progress = std::function<void(std::string_view line)>;

    // `stop` is set from a signal handler; the run stops at its next step after it is set.
    TestRunner(CSio& port, Progress progress, const volatile std::sig_atomic_t& stop);

    RunOutcome Run(const TestRunOptions& options, const ExpectedParameters& expected);

private:
    // Reads the line until it is quiet before the run starts; false when the port went away or
    // a stop was asked for meanwhile.
    bool Settle();
    void Carry(const TestRun::Actions& actions);
    void Carry(const TestRunAction& action);
    void Say(std::string_view text);
    void SayLines(const std::u16string& text, std::string_view prefix = {});

    CSio& m_port;
    PortReader m_reader;
    Progress m_progress;
    const volatile std::sig_atomic_t& m_stop;
    TestRun m_run;
    std::int64_t m_startMs = 0;
    // The last result each item reported in this run (none yet: the start's reset is no result).
    std::array<std::optional<bool>, kTestItemCount> m_results{};
    bool m_started = false;
    std::u16string m_lastBlock;
};
