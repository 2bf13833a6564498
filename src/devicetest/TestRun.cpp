#include "devicetest/TestRun.h"

#include <algorithm>
#include <limits>
#include <string>

#include "device/Local8Bit.h"
#include "devicetest/BuildFailText.h"
#include "devicetest/DeviceTestCommands.h"
#include "devicetest/PassFlags.h"
#include "devicetest/ReadChunk.h"
#include "devicetest/ToggleAlternation.h"
#include "devicetest/VerifyDeviceParameters.h"

namespace {

using namespace TestRunActions;

// Period of each step, in the order of TestRun::Step. The automatic start happens once.
constexpr std::array<std::int64_t, 8> kPeriodMs{
    2000,  // keep the device awake
    1000,  // poll the next item
    1000,  // count a run second
    10000, // request the parameter block
    500,   // check the verdict
    700,   // toggle the relay
    700,   // toggle the buzzer
    2000,  // automatic start after a new device's banner
};
constexpr std::int64_t kVerdictStepMs = 500;

std::u16string Decimal(std::size_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// The block is kept in a fixed buffer; the operator is told when the device sent more.
std::u16string TruncatedBlockLine() {
    const std::u16string bytes = Decimal(kMaxParameterBlockBytes);
    return u"#参数块超过" + bytes + u"字节, 只取前" + bytes + u"字节\r\n";
}

// A value from the device's block as the operator would read it: without the line break and
// the spaces around it.
std::u16string Trimmed(std::u16string_view text) {
    constexpr std::u16string_view kBlank = u" \t\r\n";
    const auto first = text.find_first_not_of(kBlank);
    if (first == std::u16string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlank);
    return std::u16string(text.substr(first, last - first + 1));
}

ParameterCheck CheckBeforeAnyBlock(const ExpectedParameters& expected) {
    return HasComparedValue(expected) ? ParameterCheck::NotRead : ParameterCheck::NothingToCompare;
}

} // namespace

void TestRun::SetExpectedParameters(const ExpectedParameters& expected) {
    m_haveParameterFile = true;
    if (expected == m_expected) {
        return;
    }
    m_expected = expected;
    // A block verified against other values says nothing about these: the next one decides.
    if (Polling() && m_report.parameterCheck != ParameterCheck::PlaceholderImei) {
        m_report.parameterCheck = CheckBeforeAnyBlock(m_expected);
        m_report.mismatchText.clear();
    }
}

std::optional<std::u16string_view> TestRun::StartRefusal(bool haveParameterFilePath) const {
    const auto& selected = m_options.selectedItems;
    if (std::none_of(selected.begin(), selected.end(), [](bool on) { return on; })) {
        return DeviceTestCommands::kNoItemSelectedMessage;
    }
    if (!haveParameterFilePath) {
        return DeviceTestCommands::kNoParameterFileMessage;
    }
    return std::nullopt;
}

std::optional<std::u16string_view> TestRun::UnreadableFileRefusal() const {
    if (!m_haveParameterFile) {
        return DeviceTestCommands::kNoParameterFileMessage;
    }
    return std::nullopt;
}

TestRun::Actions TestRun::Start() {
    Actions actions;
    // A superseded run still polls until this start: it ends here without a verdict.
    if (Polling()) {
        NoteEnded(true);
    }
    m_elapsedMs = 0;
    m_passFlags = 0;
    m_report = RunReport{};
    m_report.parameterCheck = CheckBeforeAnyBlock(m_expected);
    actions.emplace_back(ClearRunDisplays{});
    ResetIcons(actions);
    // A fresh run polls from the first item again, whatever an earlier run left pending.
    m_nextItem = 0;
    m_runSeconds = 0;
    for (const Step step : {KeepAwake, ItemPoll, SecondsCount, ParameterRequest, VerdictCheck,
                            RelayToggle, BeepToggle}) {
        Schedule(step, m_now + kPeriodMs[step]);
    }
    actions.emplace_back(ShowSeconds{SecondsKind::RunTime, 0});
    SetState(State::Running, actions);
    // A prompt device answers every item within seconds: its block must be on its way before
    // the verdict can pass, not only after the first ten seconds.
    if (m_report.parameterCheck == ParameterCheck::NotRead) {
        actions.emplace_back(Send{std::u16string(DeviceTestCommands::kReadParameters)});
    }
    return actions;
}

TestRun::Actions TestRun::Stop() {
    Actions actions;
    // A halted run already ended with its fault; only a polling run is cut short here.
    if (Polling()) {
        NoteEnded(true);
    }
    EndRun(State::Idle, actions);
    return actions;
}

TestRun::Actions TestRun::Advance(std::int64_t elapsedMs) {
    Actions actions;
    m_reached += std::max<std::int64_t>(elapsedMs, 0);
    while (const auto step = NextDue()) {
        const std::int64_t at = *m_due[*step].at;
        if (at > m_reached) {
            break;
        }
        m_now = std::max(m_now, at);
        Take(*step, actions);
        if (*step == AutoStart) {
            // The caller starts (or stops) a run now; what follows must see that start.
            return actions;
        }
    }
    m_now = m_reached;
    return actions;
}

std::optional<std::int64_t> TestRun::MsToNextDue() const {
    const auto step = NextDue();
    if (!step) {
        return std::nullopt;
    }
    return std::max<std::int64_t>(*m_due[*step].at - m_reached, 0);
}

TestRun::Actions TestRun::Receive(std::string_view chunk) {
    Actions actions;
    const ChunkMeaning meaning = ReadChunk(chunk);
    switch (meaning.kind) {
    case ChunkKind::NewDevice:
        OnNewDevice(actions);
        break;
    case ChunkKind::ItemResults:
        m_passFlags = meaning.ApplyTo(m_passFlags);
        if (Polling()) {
            m_report.passedItems = meaning.ApplyTo(m_report.passedItems);
        }
        for (std::size_t i = 0; i < kTestItemCount; ++i) {
            if (meaning.itemResults[i] == ItemResult::NotPassed) {
                actions.emplace_back(SetIcon{i, false});
            } else if (meaning.itemResults[i] == ItemResult::Passed) {
                actions.emplace_back(SetIcon{i, true});
                if (i == kItemGps) {
                    // The seconds label now tells how long the GPS took to a fix.
                    Cancel(SecondsCount);
                    actions.emplace_back(ShowSeconds{SecondsKind::GpsFixTime, m_runSeconds});
                    if (Polling() && !m_report.gpsFixSeconds) {
                        m_report.gpsFixSeconds = m_runSeconds;
                    }
                }
            }
        }
        [[fallthrough]];
    case ChunkKind::ParameterBlock:
        if (meaning.hasParameterBlock) {
            if (meaning.parameterBlockTruncated) {
                actions.emplace_back(Log{TruncatedBlockLine()});
            }
            OnParameterBlock(DecodeLocal8Bit(meaning.parameterBlock), actions);
        }
        break;
    case ChunkKind::Nothing:
        break;
    }
    return actions;
}

TestRun::Actions TestRun::SourceLost() {
    Actions actions;
    Cancel(AutoStart);
    if (!Polling()) {
        return actions;
    }
    m_elapsedMs = 0;
    // Not a failed device: the items that did not answer could not answer.
    actions.emplace_back(Log{std::u16string(DeviceTestCommands::kSourceLostText) + u"\r\n"});
    EndWithVerdict(VerdictKind::SourceLost, std::u16string(DeviceTestCommands::kSourceLostText),
                   actions);
    return actions;
}

TestRun::Actions TestRun::SingleTest(std::size_t item) const {
    if (item >= kTestItemCount) {
        return {};
    }
    return {Send{std::u16string(TestItems()[item].command)}};
}

TestRun::Actions TestRun::ReadParameter() const {
    return {Send{std::u16string(DeviceTestCommands::kReadParameters)}};
}

void TestRun::Schedule(Step step, std::int64_t at) {
    m_due[step] = Due{at, ++m_scheduled};
}

void TestRun::CancelPolling() {
    // A pending automatic start is not part of the run: it outlives a stop.
    for (std::size_t step = 0; step < kStepCount; ++step) {
        if (step != AutoStart) {
            m_due[step].at.reset();
        }
    }
}

std::optional<TestRun::Step> TestRun::NextDue() const {
    std::optional<Step> next;
    for (std::size_t i = 0; i < kStepCount; ++i) {
        const Due& due = m_due[i];
        if (!due.at) {
            continue;
        }
        if (!next || *due.at < *m_due[*next].at ||
            (*due.at == *m_due[*next].at && due.order < m_due[*next].order)) {
            next = static_cast<Step>(i);
        }
    }
    return next;
}

void TestRun::Take(Step step, Actions& actions) {
    static_assert(kPeriodMs.size() == kStepCount);
    const std::int64_t at = *m_due[step].at;
    if (step == AutoStart) {
        Cancel(AutoStart);
    } else {
        Schedule(step, at + kPeriodMs[step]);
    }
    // Every step but the automatic start and the parameter request ends with the step command:
    // the item's command on a selected item's turn, else an empty line.
    std::u16string stepCommand;
    switch (step) {
    case KeepAwake:
        actions.emplace_back(Send{std::u16string(DeviceTestCommands::kKeepAwake)});
        break;
    case ItemPoll: {
        const std::size_t item = m_nextItem;
        m_nextItem = (m_nextItem + 1) % kTestItemCount;
        if (m_options.selectedItems[item]) {
            stepCommand = TestItems()[item].command;
        }
        break;
    }
    case SecondsCount:
        if (!m_options.timeLimitSeconds) {
            return; // an empty time limit freezes the label, and nothing is sent
        }
        actions.emplace_back(ShowSeconds{SecondsKind::RunTime, m_runSeconds});
        m_runSeconds += 1;
        break;
    case ParameterRequest:
        actions.emplace_back(Send{std::u16string(DeviceTestCommands::kReadParameters)});
        return;
    case VerdictCheck:
        m_elapsedMs += kVerdictStepMs;
        CheckVerdict(actions);
        break;
    case RelayToggle:
        actions.emplace_back(Send{std::u16string(RelayToggleStep())});
        break;
    case BeepToggle:
        actions.emplace_back(Send{std::u16string(BeepToggleStep())});
        break;
    case AutoStart:
        actions.emplace_back(RequestStart{});
        return;
    case kStepCount:
        return;
    }
    actions.emplace_back(Send{std::move(stepCommand)});
}

bool TestRun::ParametersAllowPass() const {
    return m_report.parameterCheck == ParameterCheck::NothingToCompare ||
           m_report.parameterCheck == ParameterCheck::Ok;
}

// The fail lines of the items that did not pass, then what is wrong with the parameters.
std::u16string TestRun::TimeLimitText() const {
    std::u16string text;
    if (!AllItemsPassed(m_passFlags)) {
        text = BuildFailText(m_passFlags);
    }
    std::u16string_view parameters;
    if (m_report.parameterCheck == ParameterCheck::NotRead) {
        parameters = DeviceTestCommands::kParametersNotReadLine;
    } else if (m_report.parameterCheck == ParameterCheck::Mismatch) {
        parameters = m_report.mismatchText;
    }
    if (!parameters.empty()) {
        // "#软件未烧录#" has no line break of its own: keep each finding on its own line.
        if (!text.empty() && !text.ends_with(u"\r\n")) {
            text += u"\r\n";
        }
        text += parameters;
    }
    return text.empty() ? BuildFailText(m_passFlags) : text;
}

void TestRun::EndWithVerdict(VerdictKind kind, std::u16string text, Actions& actions) {
    EndRun(State::Idle, actions);
    m_report.verdict = kind;
    m_report.verdictText = text;
    NoteEnded(false);
    actions.emplace_back(ShowVerdict{std::move(text), kind});
}

void TestRun::CheckVerdict(Actions& actions) {
    // No pass before the parameters were checked, when the file has any to check.
    if (AllItemsPassed(m_passFlags) && ParametersAllowPass()) {
        m_elapsedMs = 0;
        m_passFlags = 0;
        EndWithVerdict(VerdictKind::Passed, std::u16string(DeviceTestCommands::kPassText), actions);
        return;
    }
    if (!m_options.timeLimitSeconds) {
        return; // no limit: the run goes on until the operator stops it
    }
    constexpr std::int64_t kLargestLimit = std::numeric_limits<std::int64_t>::max() / 1000;
    const std::int64_t limit =
        std::clamp<std::int64_t>(*m_options.timeLimitSeconds, 0, kLargestLimit);
    if (limit * 1000 < m_elapsedMs) {
        m_elapsedMs = 0;
        // passFlags stays until the operator dismisses the verdict (FailVerdictDismissed).
        EndWithVerdict(VerdictKind::Failed, TimeLimitText(), actions);
    }
}

void TestRun::EndRun(State next, Actions& actions) {
    CancelPolling();
    SetState(next, actions);
}

void TestRun::SetState(State next, Actions& actions) {
    if (ReadsStop(next) != ReadsStop(m_state)) {
        actions.emplace_back(StartButtonCaption{ReadsStop(next)});
    }
    m_state = next;
}

void TestRun::ResetIcons(Actions& actions) const {
    for (std::size_t i = 0; i < kTestItemCount; ++i) {
        actions.emplace_back(SetIcon{i, false});
    }
}

void TestRun::OnNewDevice(Actions& actions) {
    actions.emplace_back(Log{std::u16string(DeviceTestCommands::kNewDeviceLogLine)});
    if (!m_options.autoTest) {
        return;
    }
    ResetIcons(actions);
    // A run in progress keeps polling until the automatic start replaces it; the Start button
    // starts again at once.
    if (m_state == State::Running) {
        SetState(State::Superseded, actions);
    } else if (m_state == State::Halted) {
        SetState(State::Idle, actions);
    }
    actions.emplace_back(Log{std::u16string(DeviceTestCommands::kAutoTestLogLine)});
    Schedule(AutoStart, m_now + kPeriodMs[AutoStart]);
}

void TestRun::OnParameterBlock(const std::u16string& block, Actions& actions) {
    actions.emplace_back(ShowParameterBlock{block});
    const ParameterVerdict verdict = VerifyDeviceParameters(block, m_expected, m_options.checkImei);
    // Only a block that comes while the run polls belongs to it; one read by the operator
    // after the verdict leaves the finished run's report alone.
    const bool ofThisRun = Polling();
    if (ofThisRun) {
        const auto& device = verdict.device.values;
        m_report.deviceImei = Trimmed(device.imei);
        m_report.deviceVersion = Trimmed(device.version);
    }
    switch (verdict.kind) {
    case ParameterVerdictKind::AllGood:
        if (ofThisRun && m_report.parameterCheck == ParameterCheck::NotRead) {
            m_report.parameterCheck = ParameterCheck::Ok;
        }
        return;
    case ParameterVerdictKind::PlaceholderImei:
        if (ofThisRun) {
            m_report.parameterCheck = ParameterCheck::PlaceholderImei;
            m_report.verdict = VerdictKind::Failed;
            m_report.verdictText = DeviceTestCommands::kPlaceholderImeiMessage;
            NoteEnded(false);
        }
        // Polling stops at once; the Start button keeps its caption.
        m_elapsedMs = 0;
        m_passFlags = 0;
        CancelPolling();
        if (m_state == State::Running) {
            SetState(State::Halted, actions);
        } else if (m_state == State::Superseded) {
            SetState(State::Idle, actions);
        }
        actions.emplace_back(
            ShowFault{std::u16string(DeviceTestCommands::kPlaceholderImeiMessage)});
        return;
    case ParameterVerdictKind::Mismatch:
        if (ofThisRun) {
            m_report.parameterCheck = ParameterCheck::Mismatch;
            m_report.mismatchText = verdict.mismatchText;
            if (m_state == State::Running) {
                m_report.verdict = VerdictKind::Failed;
                m_report.verdictText = verdict.mismatchText;
                NoteEnded(false);
            }
        }
        m_elapsedMs = 0;
        m_passFlags = 0;
        // Ends the run the Start button would stop; a superseded one is replaced by the
        // automatic start anyway.
        if (StartButtonReadsStop()) {
            EndRun(State::Idle, actions);
        }
        actions.emplace_back(ShowFault{verdict.mismatchText});
        return;
    }
}
