#pragma once
// The factory test run as plain C++: it takes the operator's inputs, received chunks and the
// passing of time, and answers with actions for whoever shows it (the test page, later a
// command-line runner). It never reads a clock itself: Advance tells it how much time passed,
// so a run can be replayed and tested step by step.
//
// During a run the items are polled in turn, one per second (each selected item every six
// seconds), the relay and the buzzer are toggled every 700 ms, the device is kept awake every
// 2 s, its parameter block is requested at the start (when the parameter file has a value to
// compare) and every 10 s, the run seconds are counted until the GPS has a fix, and every
// 500 ms the verdict is checked: all six items passed and, when the file has a value to
// compare, a block of this run matched it; or the time limit ran out.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "devicetest/ExpectedParameters.h"
#include "devicetest/RunReport.h"
#include "devicetest/TestItem.h"
#include "devicetest/TestRunAction.h"

// The operator's choices; they may change during a run and count from the next step on.
// A run that came to its end, as it stood then: the report for the test records, and whether
// it ended without a verdict of its own (stopped by the operator, or replaced by the automatic
// start of a new device).
struct EndedRun {
    RunReport report;
    bool interrupted = false;
    bool operator==(const EndedRun&) const = default;
};

struct TestRunOptions {
    std::array<bool, kTestItemCount> selectedItems{}; // items polled during a run
    // Seconds a run may take; none for an empty field: then a run never times out and the
    // seconds label stands still. A run needs all six items, selected or not, to pass.
    std::optional<std::int64_t> timeLimitSeconds = 80;
    bool autoTest = false;  // a new device's banner starts a run two seconds later
    bool checkImei = false; // a parameter block with a placeholder IMEI is a fault

    bool operator==(const TestRunOptions&) const = default;
};

class TestRun {
public:
    enum class State {
        Idle,    // no run; the Start button starts one
        Running, // polling; the Start button stops the run
        // A new device announced itself (Auto Test on) during a run: the Start button starts a
        // fresh run again, and the old run keeps polling until that start (or its verdict).
        Superseded,
        // The device reported a placeholder IMEI during a run: polling stopped, but the Start
        // button still reads "Stop Test" and a click of it only sets it back.
        Halted,
    };
    using Actions = std::vector<TestRunAction>;

    void SetOptions(const TestRunOptions& options) { m_options = options; }
    const TestRunOptions& Options() const { return m_options; }
    // The values of a parameter file that was read, against which every parameter block is
    // verified. Changed values during a run void a block verified against the old ones.
    void SetExpectedParameters(const ExpectedParameters& expected);
    const ExpectedParameters& Expected() const { return m_expected; }
    // A parameter file has been read at some time (its values are in Expected()).
    bool HasParameterFile() const { return m_haveParameterFile; }

    // Why a run cannot start now (the message for the operator), or nothing when it can:
    // no item selected, or no parameter file path given.
    std::optional<std::u16string_view> StartRefusal(bool haveParameterFilePath) const;
    // The file named at Start could not be read: a run without any file would check nothing,
    // so it is refused; after an earlier file was read, the run goes on with its values.
    std::optional<std::u16string_view> UnreadableFileRefusal() const;
    // Begins a fresh run at the current time, whatever the state; the caller has checked
    // StartRefusal and loaded the parameter file.
    Actions Start();
    // The operator's stop: polling ends, icons and labels stay. A pending automatic start stays.
    Actions Stop();
    // elapsedMs more time has passed. Every step that falls due is taken in time order, as if
    // time had passed in small steps; after a RequestStart the rest of the time is kept for the
    // next call, so that the caller's start comes first.
    Actions Advance(std::int64_t elapsedMs);
    // One received chunk, read by ReadChunk; in a run or outside one.
    Actions Receive(std::string_view chunk);
    // The device's port went away. A run in progress ends at once with the verdict
    // "#串口已断开#" and no item reported failed; a pending automatic start is dropped, since the
    // device that announced itself is gone.
    Actions SourceLost();
    // The operator's single item test and Read Parameter, at any time.
    Actions SingleTest(std::size_t item) const;
    Actions ReadParameter() const;
    // The operator has dismissed a failed verdict: replies that arrived meanwhile belong to the
    // finished run.
    void FailVerdictDismissed() { m_passFlags = 0; }

    State GetState() const { return m_state; }
    bool StartButtonReadsStop() const { return ReadsStop(m_state); }
    std::uint8_t PassFlags() const { return m_passFlags; }
    // Run time counted by the verdict check, 500 ms a step.
    std::int64_t ElapsedMs() const { return m_elapsedMs; }
    std::int64_t RunSeconds() const { return m_runSeconds; }
    // What the current or last run found.
    const RunReport& Report() const { return m_report; }
    // The runs that ended since the last call, oldest first, each handed out once. The view
    // asks after each input, before carrying out the actions (a verdict box waits for the
    // operator; the record of the run must not).
    std::vector<EndedRun> TakeEndedRuns() { return std::exchange(m_ended, {}); }
    // Time until the next step falls due (0 when one is already due), or nothing when no step
    // is pending.
    std::optional<std::int64_t> MsToNextDue() const;

private:
    enum Step : std::size_t {
        KeepAwake,
        ItemPoll,
        SecondsCount,
        ParameterRequest,
        VerdictCheck,
        RelayToggle,
        BeepToggle,
        AutoStart,
        kStepCount
    };
    struct Due {
        std::optional<std::int64_t> at;
        std::uint64_t order = 0; // steps due at the same time go in the order they were scheduled
    };

    static bool ReadsStop(State state) { return state == State::Running || state == State::Halted; }
    // The run's steps are being taken (a superseded run polls until the automatic start).
    bool Polling() const { return m_state == State::Running || m_state == State::Superseded; }
    bool ParametersAllowPass() const;
    std::u16string TimeLimitText() const;
    void EndWithVerdict(TestRunActions::VerdictKind kind, std::u16string text, Actions& actions);
    void Schedule(Step step, std::int64_t at);
    void Cancel(Step step) { m_due[step].at.reset(); }
    void CancelPolling();
    std::optional<Step> NextDue() const;
    void Take(Step step, Actions& actions);
    void CheckVerdict(Actions& actions);
    void EndRun(State next, Actions& actions);
    void NoteEnded(bool interrupted) { m_ended.push_back(EndedRun{m_report, interrupted}); }
    void SetState(State next, Actions& actions);
    void ResetIcons(Actions& actions) const;
    void OnNewDevice(Actions& actions);
    void OnParameterBlock(const std::u16string& block, Actions& actions);

    TestRunOptions m_options;
    ExpectedParameters m_expected;
    bool m_haveParameterFile = false;
    RunReport m_report;
    State m_state = State::Idle;
    std::uint8_t m_passFlags = 0;
    std::int64_t m_elapsedMs = 0;
    std::int64_t m_runSeconds = 0;
    std::size_t m_nextItem = 0;
    std::int64_t m_now = 0;     // time up to which steps have been taken
    std::int64_t m_reached = 0; // time the caller has reported so far
    std::array<Due, kStepCount> m_due{};
    std::uint64_t m_scheduled = 0;
    std::vector<EndedRun> m_ended;
};
