// The factory test run on its own: tables of (time, input) -> actions, with time told to the
// run as the page's timer would, and no window anywhere.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "devicetest/DeviceTestCommands.h"
#include "devicetest/TestRun.h"
#include "devicetest/ToggleAlternation.h"

namespace {

using namespace TestRunActions;
using Actions = TestRun::Actions;
using State = TestRun::State;
using TestRunActions::VerdictKind;

const TestRunAction kStep = Send{u""}; // the empty step command
const TestRunAction kStopCaption = StartButtonCaption{true};
const TestRunAction kStartCaption = StartButtonCaption{false};

TestRunAction Cmd(std::u16string_view command) {
    return Send{std::u16string(command)};
}
TestRunAction Item(std::size_t item) {
    return Cmd(TestItems()[item].command);
}
TestRunAction RunSeconds(std::int64_t s) {
    return ShowSeconds{SecondsKind::RunTime, s};
}

Actions operator+(Actions a, const Actions& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Actions IconsReset() {
    Actions a;
    for (std::size_t i = 0; i < kTestItemCount; ++i)
        a.push_back(SetIcon{i, false});
    return a;
}

Actions StartActions() {
    return Actions{ClearRunDisplays{}} + IconsReset() + Actions{RunSeconds(0), kStopCaption};
}

// Compared as text: a failing table row then shows both lists readably.
std::vector<std::string> Lines(const Actions& actions) {
    std::vector<std::string> lines;
    for (const auto& a : actions)
        lines.push_back(Describe(a));
    return lines;
}

bool IsToggle(const TestRunAction& a) {
    const auto* send = std::get_if<Send>(&a);
    return send && (send->command.starts_with(u"AT+TEST_RELAY=") ||
                    send->command.starts_with(u"AT+TEST_BEEP="));
}

// What the operator would watch: no empty steps, toggles or keep-awake commands.
bool Watched(const TestRunAction& a) {
    return !(a == kStep) && !IsToggle(a) && !(a == Cmd(DeviceTestCommands::kKeepAwake));
}

bool IsVerdictOrCaption(const TestRunAction& a) {
    return std::holds_alternative<ShowVerdict>(a) || std::holds_alternative<StartButtonCaption>(a);
}

enum class Input { Time, Chunk, Start, Stop };

struct Row {
    std::int64_t atMs;
    Input input;
    std::string chunk;
    Actions expected; // everything from the previous row on, then the input's answer
};

Row Tick(std::int64_t at, Actions expected) {
    return {at, Input::Time, {}, std::move(expected)};
}
Row Chunk(std::int64_t at, std::string chunk, Actions expected) {
    return {at, Input::Chunk, std::move(chunk), std::move(expected)};
}
Row OperatorStart(std::int64_t at, Actions expected) {
    return {at, Input::Start, {}, std::move(expected)};
}
Row OperatorStop(std::int64_t at, Actions expected) {
    return {at, Input::Stop, {}, std::move(expected)};
}

TestRunOptions Selecting(const std::vector<std::size_t>& items,
                         std::optional<std::int64_t> limit = 80, bool autoTest = false) {
    TestRunOptions options;
    for (std::size_t i : items)
        options.selectedItems[i] = true;
    options.timeLimitSeconds = limit;
    options.autoTest = autoTest;
    return options;
}

const std::vector<std::size_t> kAllItems{0, 1, 2, 3, 4, 5};

class TestRunTest : public testing::Test {
protected:
    TestRun run;
    std::int64_t now = 0;
    // The alternation counters live for the process: expectations count on from here.
    const std::uint32_t relayBase = relayToggleCount;
    const std::uint32_t beepBase = beepToggleCount;

    TestRunAction Relay(std::uint32_t step) const {
        return Cmd((relayBase + step) % 2 == 1 ? DeviceTestCommands::kRelayOn
                                               : DeviceTestCommands::kRelayOff);
    }
    TestRunAction Beep(std::uint32_t step) const {
        return Cmd((beepBase + step) % 2 == 1 ? DeviceTestCommands::kBeepOn
                                              : DeviceTestCommands::kBeepOff);
    }

    Actions AdvanceTo(std::int64_t at) {
        const Actions actions = run.Advance(at - now);
        now = at;
        return actions;
    }

    void Play(const std::vector<Row>& rows,
              const std::function<bool(const TestRunAction&)>& keep = nullptr) {
        for (const Row& row : rows) {
            Actions got = AdvanceTo(row.atMs);
            switch (row.input) {
            case Input::Time:
                break;
            case Input::Chunk:
                got = got + run.Receive(row.chunk);
                break;
            case Input::Start:
                got = got + run.Start();
                break;
            case Input::Stop:
                got = got + run.Stop();
                break;
            }
            if (keep)
                std::erase_if(got, [&](const TestRunAction& a) { return !keep(a); });
            EXPECT_EQ(Lines(got), Lines(row.expected)) << "at " << row.atMs << " ms";
        }
    }
};

TEST_F(TestRunTest, FirstSecondsOfARunStepByStep) {
    run.SetOptions(Selecting({kItemGps}));
    Play({
        OperatorStart(0, StartActions()),
        Tick(500, {kStep}),
        Tick(700, {Relay(1), kStep, Beep(1), kStep}),
        // The item turn (SIM, not selected), the seconds, the verdict check.
        Tick(1000, {kStep, RunSeconds(0), kStep, kStep}),
        Tick(1400, {Relay(2), kStep, Beep(2), kStep}),
        Tick(1500, {kStep}),
        Tick(2000,
             {Cmd(DeviceTestCommands::kKeepAwake), kStep, kStep, RunSeconds(1), kStep, kStep}),
        Tick(2100, {Relay(3), kStep, Beep(3), kStep}),
        Tick(2500, {kStep}),
        Tick(2800, {Relay(4), kStep, Beep(4), kStep}),
        Tick(3000, {Item(kItemGps), RunSeconds(2), kStep, kStep}),
    });
    EXPECT_EQ(run.GetState(), State::Running);
    EXPECT_EQ(run.ElapsedMs(), 3000);
    EXPECT_EQ(run.RunSeconds(), 3);
}

TEST_F(TestRunTest, PromptDevicePassesAndTheRunEnds) {
    run.SetOptions(Selecting(kAllItems));
    Play(
        {
            OperatorStart(0, StartActions()),
            Chunk(1200, "AT+TEST_SIM==1\r\n", {Item(kItemSim), RunSeconds(0), SetIcon{0, true}}),
            Chunk(2200, "AT+TEST_GSM==1\r\n", {Item(kItemGsm), RunSeconds(1), SetIcon{1, true}}),
            // The GPS fix stops the seconds: the label tells the time to the fix.
            Chunk(3200, "$GPGGA,1*00\r\nAT+TEST_GPS==1\r\n",
                  {Item(kItemGps), RunSeconds(2), SetIcon{2, true},
                   ShowSeconds{SecondsKind::GpsFixTime, 3}}),
            Chunk(4200, "AT+TEST_GSENSOR==1", {Item(kItemGsensor), SetIcon{3, true}}),
            Chunk(5200, "AT+TEST_ACC==1", {Item(kItemAcc), SetIcon{4, true}}),
            Chunk(6200, "AT+TEST_EXTPOWER==1", {Item(kItemExtPower), SetIcon{5, true}}),
            Tick(6500, {kStartCaption, ShowVerdict{u"##PASS##", VerdictKind::Passed}}),
            Tick(60000, {}),
        },
        Watched);
    EXPECT_EQ(run.GetState(), State::Idle);
    EXPECT_EQ(run.PassFlags(), 0);
    EXPECT_EQ(run.ElapsedMs(), 0);
    EXPECT_FALSE(run.MsToNextDue());
}

TEST_F(TestRunTest, PassVerdictIsTheVerdictStepsOwnAnswer) {
    run.SetOptions(Selecting(kAllItems));
    Play({
        OperatorStart(0, StartActions()),
        Chunk(100,
              "AT+TEST_SIM==1 AT+TEST_GSM==1 AT+TEST_GPS==1 AT+TEST_GSENSOR==1 "
              "AT+TEST_ACC==1 AT+TEST_EXTPOWER==1",
              {SetIcon{0, true}, SetIcon{1, true}, SetIcon{2, true},
               ShowSeconds{SecondsKind::GpsFixTime, 0}, SetIcon{3, true}, SetIcon{4, true},
               SetIcon{5, true}}),
        // The run ends before the verdict shows; the step's empty line still follows it.
        Tick(500, {kStartCaption, ShowVerdict{u"##PASS##", VerdictKind::Passed}, kStep}),
    });
}

struct TimeLimitCase {
    const char* name;
    std::vector<std::size_t> selected;
    std::int64_t limitSeconds;
    std::string replies; // received 100 ms after the start
    std::int64_t verdictAtMs;
    std::u16string_view text;
};

class TimeLimit : public TestRunTest, public testing::WithParamInterface<TimeLimitCase> {};

TEST_P(TimeLimit, RunFailsOnTheFirstCheckPastTheLimit) {
    const TimeLimitCase& c = GetParam();
    run.SetOptions(Selecting(c.selected, c.limitSeconds));
    Play(
        {
            OperatorStart(0, {kStopCaption}),
            Chunk(100, c.replies, {}),
            Tick(c.verdictAtMs - 1, {}),
            Tick(c.verdictAtMs,
                 {kStartCaption, ShowVerdict{std::u16string(c.text), VerdictKind::Failed}}),
        },
        IsVerdictOrCaption);
    EXPECT_EQ(run.GetState(), State::Idle);
    EXPECT_EQ(run.ElapsedMs(), 0);
    // A reply while the verdict is on screen counts until the operator dismisses it.
    run.Receive("AT+TEST_GSENSOR==1");
    EXPECT_NE(run.PassFlags(), 0);
    run.FailVerdictDismissed();
    EXPECT_EQ(run.PassFlags(), 0);
    EXPECT_TRUE(run.Advance(100000).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Verdicts, TimeLimit,
    testing::Values(
        TimeLimitCase{"SilentDeviceHasNoSoftware", {kItemSim}, 3, "", 3500, u"#软件未烧录#"},
        TimeLimitCase{"ZeroEndsOnTheFirstCheck", {kItemSim}, 0, "", 500, u"#软件未烧录#"},
        TimeLimitCase{"MissingItemsAreListedInOrder", kAllItems, 3,
                      "AT+TEST_SIM==1 AT+TEST_GSM==0 AT+TEST_GPS==1 AT+TEST_ACC==1", 3500,
                      u"#GSM Fail\r\n#GENSEOR Fail\r\n#EXT_POWER Fail\r\n"},
        // A run with items left out cannot pass: it lists them when the default limit runs out.
        TimeLimitCase{
            "UnselectedItemsFail",
            {kItemGps},
            80,
            "AT+TEST_GPS==1",
            80500,
            u"#SIM Fail\r\n#GSM Fail\r\n#GENSEOR Fail\r\n#ACC Fail\r\n#EXT_POWER Fail\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TestRunTest, NoLimitNeverTimesOutAndFreezesTheSeconds) {
    run.SetOptions(Selecting({kItemSim}, std::nullopt));
    Play({
        OperatorStart(0, StartActions()),
        Tick(500, {kStep}),
        Tick(700, {Relay(1), kStep, Beep(1), kStep}),
        // The seconds step does nothing at all: no label, no empty line.
        Tick(1000, {Item(kItemSim), kStep}),
    });
    const Actions later = AdvanceTo(1000000);
    for (const auto& a : later) {
        EXPECT_FALSE(std::holds_alternative<ShowVerdict>(a)) << Describe(a);
        EXPECT_FALSE(std::holds_alternative<ShowSeconds>(a)) << Describe(a);
    }
    EXPECT_EQ(run.GetState(), State::Running);
    // The limit counts again from the next check once the operator types one.
    run.SetOptions(Selecting({kItemSim}, 80));
    Play({Tick(1000499, {}),
          Tick(1000500, {kStartCaption, ShowVerdict{u"#软件未烧录#", VerdictKind::Failed}})},
         IsVerdictOrCaption);
}

TEST_F(TestRunTest, HugeLimitNeitherOverflowsNorEndsTheRunEarly) {
    run.SetOptions(Selecting({kItemSim}, INT64_MAX));
    run.Start();
    const Actions day = run.Advance(24 * 3600 * 1000);
    EXPECT_TRUE(std::none_of(day.begin(), day.end(), IsVerdictOrCaption));
    EXPECT_EQ(run.GetState(), State::Running);
}

TEST_F(TestRunTest, RelayAndBuzzerAlternateAcrossRuns) {
    run.SetOptions(Selecting({kItemSim}));
    Play(
        {
            OperatorStart(0, {}),
            Tick(700, {Relay(1), Beep(1)}),
            Tick(1400, {Relay(2), Beep(2)}),
            Tick(2100, {Relay(3), Beep(3)}),
            OperatorStop(2500, {}),
            Tick(10000, {}),
            // A new run goes on from where the last step left the relay and the buzzer.
            OperatorStart(10000, {}),
            Tick(10699, {}),
            Tick(10700, {Relay(4), Beep(4)}),
            Tick(11400, {Relay(5), Beep(5)}),
        },
        IsToggle);
}

TEST_F(TestRunTest, FreshRunPollsFromTheFirstItemAgain) {
    const auto itemCommands = [](const TestRunAction& a) {
        return std::any_of(TestItems().begin(), TestItems().end(),
                           [&](const TestItem& item) { return a == Cmd(item.command); });
    };
    run.SetOptions(Selecting(kAllItems));
    Play(
        {
            OperatorStart(0, {}),
            Tick(2500, {Item(kItemSim), Item(kItemGsm)}),
            OperatorStop(2600, {}),
            OperatorStart(3000, {}),
            Tick(5000, {Item(kItemSim), Item(kItemGsm)}),
        },
        itemCommands);
}

TEST_F(TestRunTest, ParameterBlockIsRequestedEveryTenSeconds) {
    run.SetOptions(Selecting({kItemGps}));
    const TestRunAction request = Cmd(DeviceTestCommands::kReadParameters);
    Play(
        {
            OperatorStart(0, {kStopCaption}),
            Tick(9999, {}),
            Tick(10000, {request}),
            Tick(19999, {}),
            Tick(20000, {request}),
            Tick(30000, {request}),
        },
        [&](const TestRunAction& a) { return a == request || IsVerdictOrCaption(a); });
    // The request goes out without an empty step of its own, unlike every other step.
    AdvanceTo(39999);
    Play({Tick(40000, {request, Cmd(DeviceTestCommands::kKeepAwake), kStep,
                       kStep /* the G-sensor's turn */, RunSeconds(39), kStep, kStep})},
         [](const TestRunAction& a) { return !IsToggle(a); });
    Play({OperatorStop(40100, {kStartCaption}), Tick(100000, {})},
         [&](const TestRunAction& a) { return a == request || IsVerdictOrCaption(a); });
}

TEST_F(TestRunTest, WelcomeStartsAnAutomaticTestTwoSecondsLater) {
    run.SetOptions(Selecting({kItemSim}, 80, true));
    const Actions banner = Actions{Log{u"检测到新设备**********\r\n"}} + IconsReset() +
                           Actions{Log{u"开始自动测试**********\r\n"}};
    Play({
        Chunk(1000, "Welcome\r\n", banner),
        Tick(2999, {}),
        Tick(5000, {RequestStart{}}),
    });
    EXPECT_FALSE(run.MsToNextDue());

    // During a run: the button starts again at once, the old run polls on until the start.
    TestRun running;
    running.SetOptions(Selecting({kItemSim}, 80, true));
    running.Start();
    running.Advance(1234);
    const Actions during = running.Receive("Welcome");
    EXPECT_EQ(Lines(during), Lines(Actions{Log{u"检测到新设备**********\r\n"}} + IconsReset() +
                                   Actions{kStartCaption, Log{u"开始自动测试**********\r\n"}}));
    EXPECT_EQ(running.GetState(), State::Superseded);
    EXPECT_FALSE(running.StartButtonReadsStop());
    const Actions polling = running.Advance(2000 - 1);
    EXPECT_FALSE(polling.empty());
    EXPECT_TRUE(std::none_of(polling.begin(), polling.end(), [](const TestRunAction& a) {
        return std::holds_alternative<RequestStart>(a);
    }));
    // The start comes last: the steps after it wait until the caller has started the run.
    const Actions due = running.Advance(5000);
    ASSERT_FALSE(due.empty());
    EXPECT_EQ(Describe(due.back()), Describe(RequestStart{}));
    EXPECT_EQ(running.MsToNextDue(), 0);
    EXPECT_EQ(Lines(running.Start()), Lines(StartActions()));
    // The rest of the time is taken next, by the fresh run: its seconds count from 0 again.
    const Actions rest = running.Advance(0);
    std::vector<std::string> seconds;
    for (const auto& a : rest)
        if (std::holds_alternative<ShowSeconds>(a))
            seconds.push_back(Describe(a));
    EXPECT_EQ(seconds, Lines({RunSeconds(0), RunSeconds(1), RunSeconds(2), RunSeconds(3)}));
}

// USB adapters and devices emit NULs at power-up, just before the banner.
TEST_F(TestRunTest, ANulBeforeTheBannerStillStartsTheAutomaticTest) {
    run.SetOptions(Selecting({kItemSim}, 80, true));
    Play({
        Chunk(1000, std::string("\0\0Welcome\r\n", 11),
              Actions{Log{u"检测到新设备**********\r\n"}} + IconsReset() +
                  Actions{Log{u"开始自动测试**********\r\n"}}),
        Tick(5000, {RequestStart{}}),
    });
}

TEST_F(TestRunTest, BannerWithoutAutoTestIsOnlyLogged) {
    run.SetOptions(Selecting({kItemSim}));
    Play({
        OperatorStart(0, StartActions()),
        // The banner hides the result that came with it.
        Chunk(100, "Welcome\r\nAT+TEST_SIM==1\r\n", {Log{u"检测到新设备**********\r\n"}}),
    });
    EXPECT_EQ(run.PassFlags(), 0);
    EXPECT_EQ(run.GetState(), State::Running);
    const Actions later = AdvanceTo(5000);
    EXPECT_TRUE(std::none_of(later.begin(), later.end(), [](const TestRunAction& a) {
        return std::holds_alternative<RequestStart>(a);
    }));
}

TEST_F(TestRunTest, AutomaticStartStillPendsAfterAStop) {
    // The start it asks for is a click of Start: with a run started by hand meanwhile, the
    // view stops that run, as the button would.
    run.SetOptions(Selecting({kItemSim}, 80, true));
    Play(
        {
            Chunk(0, "Welcome", {}),
            OperatorStart(500, {kStopCaption}),
            OperatorStop(800, {kStartCaption}),
            OperatorStart(1000, {kStopCaption}),
            Tick(2000, {RequestStart{}}),
        },
        [](const TestRunAction& a) {
            return std::holds_alternative<RequestStart>(a) || IsVerdictOrCaption(a);
        });
    EXPECT_TRUE(run.StartButtonReadsStop());
}

TEST_F(TestRunTest, OperatorStopEndsPollingAndKeepsWhatWasShown) {
    run.SetOptions(Selecting(kAllItems));
    Play(
        {
            OperatorStart(0, StartActions()),
            Chunk(1100, "AT+TEST_SIM==1", {Item(kItemSim), RunSeconds(0), SetIcon{0, true}}),
            OperatorStop(1600, {kStartCaption}),
            Tick(200000, {}),
        },
        Watched);
    EXPECT_EQ(run.GetState(), State::Idle);
    EXPECT_EQ(run.PassFlags(), 1); // kept until the next start
    EXPECT_FALSE(run.MsToNextDue());
    EXPECT_TRUE(run.Stop().empty()); // nothing to stop
}

const char kBlock[] = "<SETTING\r\nVer: V1.0\r\nIMEI: 861234567890123\r\nAPN:internet\r\n"
                      "PROTOCOL:2\r\nSETTING>";

struct BlockCase {
    const char* name;
    bool startRun;
    bool checkImei;
    std::string replaceFrom, replaceTo; // in kBlock
    Actions expected;                   // after the block is shown
    State stateAfter;
};

class ParameterBlock : public TestRunTest, public testing::WithParamInterface<BlockCase> {};

TEST_P(ParameterBlock, IsShownThenVerified) {
    const BlockCase& c = GetParam();
    TestRunOptions options = Selecting({kItemSim});
    options.checkImei = c.checkImei;
    run.SetOptions(options);
    ExpectedParameters expected;
    expected.version = u"V1.0";
    expected.apn = u"internet";
    expected.protocol = u"2";
    run.SetExpectedParameters(expected);
    if (c.startRun)
        run.Start();
    run.Receive("AT+TEST_SIM==1");
    AdvanceTo(1500);
    std::string chunk = kBlock;
    if (!c.replaceFrom.empty())
        chunk.replace(chunk.find(c.replaceFrom), c.replaceFrom.size(), c.replaceTo);
    const Actions got = run.Receive(chunk);
    ASSERT_FALSE(got.empty());
    const auto* shown = std::get_if<TestRunActions::ShowParameterBlock>(&got.front());
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->block.starts_with(u"\r\nVer: V"));
    EXPECT_EQ(Lines(Actions(got.begin() + 1, got.end())), Lines(c.expected));
    EXPECT_EQ(run.GetState(), c.stateAfter);
    if (!c.expected.empty()) {
        // Any fault clears the run's count and passes.
        EXPECT_EQ(run.ElapsedMs(), 0);
        EXPECT_EQ(run.PassFlags(), 0);
    }
    if (c.stateAfter == State::Idle || c.stateAfter == State::Halted) {
        EXPECT_FALSE(run.MsToNextDue());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ParameterBlock,
    testing::Values(BlockCase{"GoodBlockChangesNothing", true, true, "", "", {}, State::Running},
                    BlockCase{"MismatchEndsTheRun",
                              true,
                              false,
                              "Ver: V1.0",
                              "Ver: V2.0",
                              {kStartCaption, ShowFault{u"#版本号与参数文件不相符\r\n"}},
                              State::Idle},
                    BlockCase{"MismatchOutsideARunOnlyTells",
                              false,
                              false,
                              "APN:internet",
                              "APN:cmnet",
                              {ShowFault{u"#APN与参数文件不符\r\n"}},
                              State::Idle},
                    // Polling stops, but the button keeps reading "Stop Test".
                    BlockCase{"PlaceholderImeiHaltsTheRun",
                              true,
                              true,
                              "861234567890123",
                              "123456789012345",
                              {ShowFault{u"设备未烧写IMEI号"}},
                              State::Halted},
                    BlockCase{"PlaceholderImeiUncheckedIsFine",
                              true,
                              false,
                              "861234567890123",
                              "123456789012345",
                              {},
                              State::Running}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TestRunTest, HaltedRunIsSetBackByTheStartButton) {
    TestRunOptions options = Selecting({kItemSim});
    options.checkImei = true;
    run.SetOptions(options);
    run.Start();
    run.Receive("<SETTING IMEI: 000000000000000 SETTING>");
    ASSERT_EQ(run.GetState(), State::Halted);
    EXPECT_TRUE(run.StartButtonReadsStop());
    EXPECT_TRUE(run.Advance(100000).empty());
    EXPECT_EQ(Lines(run.Stop()), Lines({kStartCaption}));
    EXPECT_EQ(run.GetState(), State::Idle);
}

TEST_F(TestRunTest, OversizedBlockIsCutAndLoggedFirst) {
    const std::string chunk = "<SETTING" + std::string(600, 'a') + "SETTING>";
    const Actions got = run.Receive(chunk);
    EXPECT_EQ(Lines(got), Lines({Log{u"#参数块超过511字节, 只取前511字节\r\n"},
                                 TestRunActions::ShowParameterBlock{std::u16string(511, u'a')}}));
}

TEST_F(TestRunTest, ABlockThatCameWithResultsIsShownToo) {
    const Actions got = run.Receive("AT+TEST_ACC==1\r\n<SETTING\r\nVer: V1.0\r\nSETTING>");
    EXPECT_EQ(Lines(got),
              Lines({SetIcon{4, true}, TestRunActions::ShowParameterBlock{u"\r\nVer: V1.0\r\n"}}));
}

TEST_F(TestRunTest, TimePassingInOneGoOrInSmallStepsGivesTheSameRun) {
    // The relay and buzzer commands depend on the process-wide counters: compare without them.
    const auto record = [](std::int64_t step) {
        TestRun r;
        r.SetOptions(Selecting({kItemSim, kItemGps}, 5));
        std::vector<std::string> lines = Lines(r.Start());
        for (std::int64_t t = 0; t < 8000; t += step)
            for (const auto& a : r.Advance(step))
                lines.push_back(IsToggle(a) ? "toggle" : Describe(a));
        return lines;
    };
    const auto oneGo = record(8000);
    EXPECT_EQ(record(1), oneGo);
    EXPECT_EQ(record(100), oneGo);
    EXPECT_EQ(record(320), oneGo);
    EXPECT_NE(std::find(oneGo.begin(), oneGo.end(),
                        Describe(ShowVerdict{u"#软件未烧录#", VerdictKind::Failed})),
              oneGo.end());
}

TEST_F(TestRunTest, NextDueTellsTheViewWhenToWakeIt) {
    EXPECT_FALSE(run.MsToNextDue());
    run.SetOptions(Selecting({kItemSim}));
    run.Start();
    EXPECT_EQ(run.MsToNextDue(), 500);
    run.Advance(200);
    EXPECT_EQ(run.MsToNextDue(), 300);
    run.Advance(300);
    EXPECT_EQ(run.MsToNextDue(), 200); // the relay at 700
    run.Stop();
    EXPECT_FALSE(run.MsToNextDue());
}

struct RefusalCase {
    std::vector<std::size_t> selected;
    bool haveFile;
    std::optional<std::u16string_view> refusal;
};

TEST_F(TestRunTest, StartNeedsAnItemAndAParameterFile) {
    const RefusalCase cases[] = {
        {{}, true, u"请选择机型或选择测试项目后再进行测试"},
        {{}, false, u"请选择机型或选择测试项目后再进行测试"},
        {{kItemAcc}, false, u"请加载参数文件后开始测试"},
        {{kItemAcc}, true, std::nullopt},
    };
    for (const RefusalCase& c : cases) {
        run.SetOptions(Selecting(c.selected));
        EXPECT_EQ(run.StartRefusal(c.haveFile), c.refusal);
    }
}

TEST_F(TestRunTest, SingleTestsAndReadParameterAtAnyTime) {
    EXPECT_EQ(Lines(run.SingleTest(kItemExtPower)), Lines({Cmd(u"AT+TEST_EXTPOWER=1\r\n")}));
    EXPECT_EQ(Lines(run.ReadParameter()), Lines({Cmd(u"AT+TEST=1\r\n")}));
    EXPECT_TRUE(run.SingleTest(kTestItemCount).empty());
    // Their answers count outside a run too.
    EXPECT_EQ(Lines(run.Receive("AT+TEST_EXTPOWER==1")), Lines({SetIcon{5, true}}));
    EXPECT_EQ(run.PassFlags(), 32);
    EXPECT_EQ(run.GetState(), State::Idle);
}

// --- the parameter check gates the pass --------------------------------------------------------

const char kAllItemsPass[] = "AT+TEST_SIM==1\r\nAT+TEST_GSM==1\r\nAT+TEST_GPS==1\r\n"
                             "AT+TEST_GSENSOR==1\r\nAT+TEST_ACC==1\r\nAT+TEST_EXTPOWER==1\r\n";
// The device's block: its IP holds the digit 3, its protocol is 2.
const char kDeviceBlock[] = "<SETTING\r\nVer: V1.0.4\r\nID: 2026121001\r\n"
                            "IMEI: 864209051234567\r\nIP: 203.0.113.10,9000\r\nAPN:internet\r\n"
                            "TimeZone: 8\r\nMODE:1\r\nGPRS ENABLE:1\r\nPROTOCOL:2\r\n"
                            "INTERVAL:30,300\r\nSETTING>";

ExpectedParameters DeviceFile(std::u16string protocol = u"2") {
    ExpectedParameters file;
    file.version = u"V1.0.4";
    file.apn = u"internet";
    file.timeZone = u"8";
    file.protocol = std::move(protocol);
    return file;
}

struct GateCase {
    const char* name;
    ExpectedParameters file;
    std::int64_t limitSeconds;
    std::vector<Row> rows; // after the start; request, verdicts, faults and captions only
    ParameterCheck check;
    std::optional<VerdictKind> verdict;
};

class ParameterGate : public TestRunTest, public testing::WithParamInterface<GateCase> {};

TEST_P(ParameterGate, PassNeedsABlockOfThisRunThatMatched) {
    const GateCase& c = GetParam();
    run.SetOptions(Selecting(kAllItems, c.limitSeconds));
    run.SetExpectedParameters(c.file);
    const TestRunAction request = Cmd(DeviceTestCommands::kReadParameters);
    const auto watched = [&](const TestRunAction& a) {
        return a == request || IsVerdictOrCaption(a) || std::holds_alternative<ShowFault>(a);
    };
    // With a value to compare, the block is asked for at once, not only after ten seconds.
    const bool compared = c.check != ParameterCheck::NothingToCompare;
    Play({OperatorStart(0, compared ? Actions{kStopCaption, request} : Actions{kStopCaption})},
         watched);
    Play(c.rows, watched);
    const RunReport& report = run.Report();
    EXPECT_EQ(report.parameterCheck, c.check);
    EXPECT_EQ(report.verdict, c.verdict);
    EXPECT_EQ(report.passedItems, 63);
    EXPECT_EQ(report.gpsFixSeconds, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ParameterGate,
    testing::Values(
        GateCase{"MatchingBlockLetsAPromptDevicePass",
                 DeviceFile(),
                 80,
                 {Chunk(100, kAllItemsPass, {}), Chunk(300, kDeviceBlock, {}),
                  Tick(500, {kStartCaption, ShowVerdict{u"##PASS##", VerdictKind::Passed}})},
                 ParameterCheck::Ok,
                 VerdictKind::Passed},
        // The protocol's digit in the IP address is no match.
        GateCase{"MismatchingProtocolFails",
                 DeviceFile(u"3"),
                 80,
                 {Chunk(100, kAllItemsPass, {}),
                  Chunk(300, kDeviceBlock, {kStartCaption, ShowFault{u"#协议与参数文件不符\r\n"}}),
                  Tick(60000, {})},
                 ParameterCheck::Mismatch,
                 VerdictKind::Failed},
        // All items passed at once, but nothing was checked until the block came at 10 s.
        GateCase{"PassWaitsForTheBlock",
                 DeviceFile(),
                 80,
                 {Chunk(100, kAllItemsPass, {}), Tick(9999, {}),
                  Tick(10000, {Cmd(DeviceTestCommands::kReadParameters)}),
                  Chunk(10100, kDeviceBlock, {}),
                  Tick(10500, {kStartCaption, ShowVerdict{u"##PASS##", VerdictKind::Passed}})},
                 ParameterCheck::Ok,
                 VerdictKind::Passed},
        GateCase{
            "NoBlockBeforeTheLimit",
            DeviceFile(),
            5,
            {Chunk(100, kAllItemsPass, {}), Tick(5499, {}),
             Tick(5500, {kStartCaption, ShowVerdict{u"#参数未读取\r\n", VerdictKind::Failed}})},
            ParameterCheck::NotRead,
            VerdictKind::Failed},
        // A file without any compared value has nothing to wait for.
        GateCase{"NothingToCompareNeedsNoBlock",
                 ExpectedParameters{},
                 80,
                 {Chunk(100, kAllItemsPass, {}),
                  Tick(500, {kStartCaption, ShowVerdict{u"##PASS##", VerdictKind::Passed}})},
                 ParameterCheck::NothingToCompare,
                 VerdictKind::Passed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TestRunTest, NotReadFollowsTheItemFailLines) {
    run.SetExpectedParameters(DeviceFile());
    const auto verdictAfter = [&](const std::string& replies) {
        run.SetOptions(Selecting(kAllItems, 1));
        run.Start();
        run.Receive(replies);
        for (const auto& a : run.Advance(1500))
            if (const auto* v = std::get_if<ShowVerdict>(&a))
                return v->text;
        return std::u16string(u"(no verdict)");
    };
    EXPECT_EQ(verdictAfter("AT+TEST_SIM==1 AT+TEST_GSM==1 AT+TEST_GPS==1 AT+TEST_ACC==1"),
              u"#GENSEOR Fail\r\n#EXT_POWER Fail\r\n#参数未读取\r\n");
    // The silent device's text has no line break of its own: the finding gets its own line.
    EXPECT_EQ(verdictAfter(""), u"#软件未烧录#\r\n#参数未读取\r\n");
    // A block that came but whose items did not all answer: only the items are listed.
    run.SetOptions(Selecting(kAllItems, 1));
    run.Start();
    run.Receive(kDeviceBlock);
    run.Receive("AT+TEST_SIM==1 AT+TEST_GSM==1 AT+TEST_GPS==1 AT+TEST_GSENSOR==1 AT+TEST_ACC==1");
    Actions end = run.Advance(1500);
    std::erase_if(end, [](const TestRunAction& a) { return !IsVerdictOrCaption(a); });
    EXPECT_EQ(Lines(end),
              Lines({kStartCaption, ShowVerdict{u"#EXT_POWER Fail\r\n", VerdictKind::Failed}}));
}

TEST_F(TestRunTest, ReportTellsWhatTheDeviceSaid) {
    run.SetOptions(Selecting(kAllItems));
    run.SetExpectedParameters(DeviceFile());
    run.Start();
    run.Advance(3000);
    run.Receive("AT+TEST_GPS==1 AT+TEST_ACC==1");
    run.Receive(kDeviceBlock);
    RunReport expected;
    expected.parameterCheck = ParameterCheck::Ok;
    expected.passedItems = 4 | 16;
    expected.gpsFixSeconds = 3;
    expected.deviceImei = u"864209051234567";
    expected.deviceVersion = u"V1.0.4";
    EXPECT_EQ(run.Report(), expected);
    // A block read by hand after the run ended leaves the run's report alone.
    run.Stop();
    std::string other = kDeviceBlock;
    other.replace(other.find("V1.0.4"), 6, "V9");
    run.Receive(other);
    EXPECT_EQ(run.Report(), expected);
    // A fresh run starts a fresh report.
    run.Start();
    EXPECT_EQ(run.Report().parameterCheck, ParameterCheck::NotRead);
    EXPECT_EQ(run.Report().deviceImei, u"");
    EXPECT_EQ(run.Report().gpsFixSeconds, std::nullopt);
}

TEST_F(TestRunTest, NewValuesDuringARunVoidTheBlockVerifiedBefore) {
    run.SetOptions(Selecting(kAllItems));
    run.SetExpectedParameters(DeviceFile());
    run.Start();
    run.Receive(kDeviceBlock);
    ASSERT_EQ(run.Report().parameterCheck, ParameterCheck::Ok);
    run.SetExpectedParameters(DeviceFile()); // the same values: nothing changes
    EXPECT_EQ(run.Report().parameterCheck, ParameterCheck::Ok);
    run.SetExpectedParameters(DeviceFile(u"3"));
    EXPECT_EQ(run.Report().parameterCheck, ParameterCheck::NotRead);
    run.Receive(kAllItemsPass);
    const Actions later = run.Advance(5000);
    EXPECT_TRUE(std::none_of(later.begin(), later.end(), IsVerdictOrCaption));
}

// --- a lost device is not a failed device ------------------------------------------------------

struct LostCase {
    const char* name;
    std::function<void(TestRun&)> before; // leaves the run in the state under test
    bool endsARun;
    bool buttonReadsStop = true; // a superseded run's button already reads the start caption
};

class SourceLost : public TestRunTest, public testing::WithParamInterface<LostCase> {};

TEST_P(SourceLost, EndsTheRunWithoutFailingAnItem) {
    const LostCase& c = GetParam();
    run.SetOptions(Selecting(kAllItems, 80, true));
    run.SetExpectedParameters(DeviceFile());
    c.before(run);
    const Actions lost = run.SourceLost();
    if (c.endsARun) {
        Actions expected{Log{u"#串口已断开#\r\n"}};
        if (c.buttonReadsStop)
            expected.push_back(kStartCaption);
        expected.push_back(ShowVerdict{u"#串口已断开#", VerdictKind::SourceLost});
        EXPECT_EQ(Lines(lost), Lines(expected));
        EXPECT_EQ(run.Report().verdict, VerdictKind::SourceLost);
        EXPECT_EQ(run.Report().verdictText, u"#串口已断开#");
        EXPECT_EQ(run.GetState(), State::Idle);
    } else {
        EXPECT_TRUE(lost.empty()) << Lines(lost).front();
    }
    // Nothing follows: no step, no time-limit verdict, no automatic start for a gone device.
    EXPECT_FALSE(run.MsToNextDue());
    EXPECT_TRUE(run.Advance(200000).empty());
}

INSTANTIATE_TEST_SUITE_P(States, SourceLost,
                         testing::Values(LostCase{"MidRunWithSomeItemsPassed",
                                                  [](TestRun& r) {
                                                      r.Start();
                                                      r.Advance(40000);
                                                      r.Receive("AT+TEST_SIM==1");
                                                  },
                                                  true},
                                         LostCase{"SupersededRunAndItsAutomaticStart",
                                                  [](TestRun& r) {
                                                      r.Start();
                                                      r.Advance(1000);
                                                      r.Receive("Welcome");
                                                  },
                                                  true, false},
                                         LostCase{"IdleWithAnAutomaticStartPending",
                                                  [](TestRun& r) { r.Receive("Welcome"); }, false},
                                         LostCase{"AfterTheVerdict",
                                                  [](TestRun& r) {
                                                      r.Start();
                                                      r.Advance(81000);
                                                  },
                                                  false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TestRunTest, NoParameterFileReadMeansNoStart) {
    // The path field names a file that cannot be read: without any file read before, a run
    // would check no parameter at all.
    EXPECT_FALSE(run.HasParameterFile());
    EXPECT_EQ(run.UnreadableFileRefusal(), u"请加载参数文件后开始测试");
    // Any file read before, even one without compared values, keeps its values in force.
    run.SetExpectedParameters(ExpectedParameters{});
    EXPECT_TRUE(run.HasParameterFile());
    EXPECT_EQ(run.UnreadableFileRefusal(), std::nullopt);
}

// --- every run ends once, for the test records --------------------------------------------------

struct EndingCase {
    const char* name;
    std::function<void(TestRun&)> inputs;
    // What the records learn, in order: interrupted, verdict, its text.
    std::vector<std::tuple<bool, std::optional<VerdictKind>, std::u16string>> ended;
};

class RunEnding : public TestRunTest, public testing::WithParamInterface<EndingCase> {};

TEST_P(RunEnding, IsHandedOutOnceAsItStood) {
    const EndingCase& c = GetParam();
    run.SetOptions(Selecting(kAllItems, 5, true));
    TestRunOptions options = run.Options();
    options.checkImei = true;
    run.SetOptions(options);
    run.SetExpectedParameters(DeviceFile());
    c.inputs(run);
    const std::vector<EndedRun> ended = run.TakeEndedRuns();
    ASSERT_EQ(ended.size(), c.ended.size());
    for (std::size_t i = 0; i < ended.size(); ++i) {
        const auto& [interrupted, verdict, text] = c.ended[i];
        EXPECT_EQ(ended[i].interrupted, interrupted) << i;
        EXPECT_EQ(ended[i].report.verdict, verdict) << i;
        EXPECT_EQ(ended[i].report.verdictText, text) << i;
    }
    EXPECT_TRUE(run.TakeEndedRuns().empty()); // handed out once
}

INSTANTIATE_TEST_SUITE_P(
    Endings, RunEnding,
    testing::Values(
        EndingCase{"NothingBeforeAnyRun", [](TestRun& r) { r.Advance(10000); }, {}},
        EndingCase{"StillRunning",
                   [](TestRun& r) {
                       r.Start();
                       r.Advance(2000);
                   },
                   {}},
        EndingCase{"Pass",
                   [](TestRun& r) {
                       r.Start();
                       r.Receive(kDeviceBlock);
                       r.Receive(kAllItemsPass);
                       r.Advance(600);
                   },
                   {{false, VerdictKind::Passed, u"##PASS##"}}},
        EndingCase{
            "TimeLimit",
            [](TestRun& r) {
                r.Start();
                r.Receive(kDeviceBlock);
                r.Receive("AT+TEST_SIM==1");
                r.Advance(6000);
            },
            {{false, VerdictKind::Failed,
              u"#GSM Fail\r\n#GPS Fail\r\n#GENSEOR Fail\r\n#ACC Fail\r\n#EXT_POWER Fail\r\n"}}},
        EndingCase{"MismatchEndsTheRun",
                   [](TestRun& r) {
                       r.Start();
                       std::string block = kDeviceBlock;
                       block.replace(block.find("PROTOCOL:2"), 10, "PROTOCOL:5");
                       r.Receive(block);
                   },
                   {{false, VerdictKind::Failed, u"#协议与参数文件不符\r\n"}}},
        // The halted run ended with its fault; the click that sets the button back is no
        // second ending.
        EndingCase{"PlaceholderImeiThenStop",
                   [](TestRun& r) {
                       r.Start();
                       std::string block = kDeviceBlock;
                       block.replace(block.find("864209051234567"), 15, "000000000000000");
                       r.Receive(block);
                       r.Stop();
                   },
                   {{false, VerdictKind::Failed, u"设备未烧写IMEI号"}}},
        EndingCase{"OperatorStop",
                   [](TestRun& r) {
                       r.Start();
                       r.Receive("AT+TEST_SIM==1");
                       r.Stop();
                   },
                   {{true, std::nullopt, u""}}},
        EndingCase{"SourceLost",
                   [](TestRun& r) {
                       r.Start();
                       r.SourceLost();
                   },
                   {{false, VerdictKind::SourceLost, u"#串口已断开#"}}},
        // A new device's banner: the old run polls on until the automatic start replaces it.
        EndingCase{"SupersededByTheAutomaticStart",
                   [](TestRun& r) {
                       r.Start();
                       r.Advance(1000);
                       r.Receive("Welcome");
                       r.Advance(2000);
                       r.Start();
                   },
                   {{true, std::nullopt, u""}}},
        EndingCase{"TwoRunsInARow",
                   [](TestRun& r) {
                       r.Start();
                       r.Advance(6000);
                       r.Start();
                       r.SourceLost();
                   },
                   {{false, VerdictKind::Failed, u"#软件未烧录#\r\n#参数未读取\r\n"},
                    {false, VerdictKind::SourceLost, u"#串口已断开#"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TestRunTest, AnEndedRunCarriesTheReportOfThatRun) {
    run.SetOptions(Selecting(kAllItems, 5));
    run.SetExpectedParameters(DeviceFile());
    run.Start();
    run.Advance(2000);
    run.Receive("AT+TEST_GPS==1");
    run.Receive(kDeviceBlock);
    run.Advance(4000);
    run.Start(); // the next run starts with a fresh report
    const std::vector<EndedRun> ended = run.TakeEndedRuns();
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].report.deviceImei, u"864209051234567");
    EXPECT_EQ(ended[0].report.deviceVersion, u"V1.0.4");
    EXPECT_EQ(ended[0].report.passedItems, 4);
    EXPECT_EQ(ended[0].report.gpsFixSeconds, 2);
    EXPECT_EQ(ended[0].report.parameterCheck, ParameterCheck::Ok);
    EXPECT_EQ(run.Report().deviceImei, u"");
}

} // namespace
