#pragma once
// What the factory test run asks of whoever shows it (the test page today, a command-line
// runner later): every input of the run answers with a list of these, to be carried out in order.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

namespace TestRunActions {

// Insert the command in the test log (nothing when it is empty), then send it to the device. An
// empty command still goes out: the device receives a bare line, which it ignores.
struct Send {
    std::u16string command;
    bool operator==(const Send&) const = default;
};

// Insert a line in the test log only.
struct Log {
    std::u16string text;
    bool operator==(const Log&) const = default;
};

// A run starts: empty the parameter box and the test log.
struct ClearRunDisplays {
    bool operator==(const ClearRunDisplays&) const = default;
};

// The result icon of one item: "passed" or "not passed".
struct SetIcon {
    std::size_t item = 0;
    bool passed = false;
    bool operator==(const SetIcon&) const = default;
};

enum class SecondsKind {
    RunTime,    // the run's seconds so far, shown as "V %d sec"
    GpsFixTime, // the seconds the GPS took to a fix, shown as "A %d sec"
};

struct ShowSeconds {
    SecondsKind kind = SecondsKind::RunTime;
    std::int64_t seconds = 0;
    bool operator==(const ShowSeconds&) const = default;
};

// The Start button now reads "Stop Test" (stopTest) or the start caption.
struct StartButtonCaption {
    bool stopTest = false;
    bool operator==(const StartButtonCaption&) const = default;
};

// The device's parameter block, converted to UTF-16, for the parameter box.
struct ShowParameterBlock {
    std::u16string block;
    bool operator==(const ShowParameterBlock&) const = default;
};

enum class VerdictKind {
    Passed,
    Failed,     // the time limit ran out first
    SourceLost, // the device's port went away: nothing is known about the device
};

// The run ended with this verdict, for the log (when it says so) and the verdict box. After
// showing one that is not a pass, the view calls TestRun::FailVerdictDismissed once the
// operator has seen it.
struct ShowVerdict {
    std::u16string text;
    VerdictKind kind = VerdictKind::Failed;
    bool operator==(const ShowVerdict&) const = default;
};

// A fault the operator must see (parameter mismatch, IMEI not written).
struct ShowFault {
    std::u16string text;
    bool operator==(const ShowFault&) const = default;
};

// The automatic start after a new device's banner is due: start a run exactly as the Start
// button would (with its checks), or stop the running one if the button reads "Stop Test".
struct RequestStart {
    bool operator==(const RequestStart&) const = default;
};

} // namespace TestRunActions

using TestRunAction = std::variant<TestRunActions::Send, TestRunActions::Log,
                                   TestRunActions::ClearRunDisplays, TestRunActions::SetIcon,
                                   TestRunActions::ShowSeconds, TestRunActions::StartButtonCaption,
                                   TestRunActions::ShowParameterBlock, TestRunActions::ShowVerdict,
                                   TestRunActions::ShowFault, TestRunActions::RequestStart>;

// One line of UTF-8 text naming the action, with CR and LF escaped: for test failures and logs.
std::string Describe(const TestRunAction& action);
