#include "CommandHandler.h"
#include "CommandLineAssembler.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

using Edit = std::function<void(DeviceState&)>;

struct CommandCase {
    const char* name;
    const char* line;
    std::vector<std::string> replies;
    Edit after = nullptr;  // how the state differs afterwards (none: unchanged)
    Edit before = nullptr; // how the state differs from the default before the command
    TestConditions conditions = {};
};

const CommandCase kCases[] = {
    // Reads, with the preset password.
    {"ReadId", "AT+SMS=ID?,864209#", {"AT+ID==2026121001#"}},
    {"ReadImei", "AT+SMS=IMEI?,864209#", {"AT+IMEI==864209051234567#"}},
    {"ReadPassword", "AT+SMS=PASSWORD?,864209#", {"AT+PASSWORD==864209#"}},
    {"ReadIp", "AT+SMS=IP?,864209#", {"AT+IP==203.0.113.10,9000#"}},
    {"ReadApn", "AT+SMS=APN?,864209#", {"AT+APN==internet#"}},
    {"ReadTimeZone", "AT+SMS=TIMEZONE?,864209#", {"AT+TIMEZONE==8#"}},
    {"ReadMode", "AT+SMS=MODE?,864209#", {"AT+MODE==1#"}},
    {"ReadIntervalsLowerCase", "AT+SMS=interval?,864209#", {"AT+INTERVAL==30,300#"}},
    {"ReadExternalPowerAlarm", "AT+SMS=alarmmode?,864209,5#", {"AT+ALARMMODE==5,0#"}},
    {"ReadVibrationAlarmOn",
     "AT+SMS=alarmmode?,864209,2#",
     {"AT+ALARMMODE==2,4#"},
     nullptr,
     [](DeviceState& s) { s.alarms[2] = 4; }},
    {"ReadLowBatteryAlarm", "AT+SMS=alarmmode?,864209,12#", {"AT+ALARMMODE==12,0#"}},
    {"ReadDisplacement", "AT+SMS=displace?,864209#", {"AT+DISPLACE==0#"}},
    {"ReadUnknownAlarmKind", "AT+SMS=alarmmode?,864209,7#", {}},
    {"ReadWithChangedPassword",
     "AT+SMS=ID?,123456#",
     {"AT+ID==2026121001#"},
     nullptr,
     [](DeviceState& s) { s.password = "123456"; }},

    // Wrong or missing password, malformed commands: no answer, no change.
    {"WrongPasswordRead", "AT+SMS=ID?,000000#", {}},
    {"WrongPasswordWrite", "AT+SMS=APN,000000,cmnet#", {}},
    {"OldPasswordAfterChange",
     "AT+SMS=ID?,864209#",
     {},
     nullptr,
     [](DeviceState& s) { s.password = "123456"; }},
    {"NoTerminator", "AT+SMS=ID?,864209", {}},
    {"NoPassword", "AT+SMS=ID?#", {}},
    {"UnknownKeyword", "AT+SMS=COLOUR?,864209#", {}},
    {"NotACommand", "$GPGGA,1,2,3*00", {}},

    // Writes change the value and echo it in the reply form of a read.
    {"WriteId",
     "AT+SMS=ID,864209,ABC123#",
     {"AT+ID==ABC123#"},
     [](DeviceState& s) { s.id = "ABC123"; }},
    {"WriteImei",
     "AT+SMS=IMEI,864209,356938035643809#",
     {"AT+IMEI==356938035643809#"},
     [](DeviceState& s) { s.imei = "356938035643809"; }},
    {"WriteIp",
     "AT+SMS=IP,864209,10.0.0.5,8001#",
     {"AT+IP==10.0.0.5,8001#"},
     [](DeviceState& s) {
         s.ip = "10.0.0.5";
         s.port = "8001";
     }},
    {"WriteIpEmptyPort",
     "AT+SMS=IP,864209,10.0.0.5,#",
     {"AT+IP==10.0.0.5,#"},
     [](DeviceState& s) {
         s.ip = "10.0.0.5";
         s.port = "";
     }},
    {"WriteIpWithoutPort", "AT+SMS=IP,864209,10.0.0.5#", {}},
    {"WriteApnKeepsSpaces",
     "AT+SMS=APN,864209, cmnet #",
     {"AT+APN== cmnet #"},
     [](DeviceState& s) { s.apn = " cmnet "; }},
    {"WriteTimeZone",
     "AT+SMS=TIMEZONE,864209,-5#",
     {"AT+TIMEZONE==-5#"},
     [](DeviceState& s) { s.timeZone = "-5"; }},
    {"WriteIntervals",
     "AT+SMS=interval,864209,10,600#",
     {"AT+INTERVAL==10,600#"},
     [](DeviceState& s) {
         s.intervalOn = "10";
         s.intervalOff = "600";
     }},
    {"WriteIntervalsOneMissing", "AT+SMS=interval,864209,10,#", {}},
    {"WritePasswordChangesIt",
     "AT+SMS=PASSWORD,864209,654321#",
     {"AT+PASSWORD==654321#"},
     [](DeviceState& s) { s.password = "654321"; }},
    {"WriteEmptyId", "AT+SMS=ID,864209,#", {}},
    {"WriteApnTooLong",
     "AT+SMS=APN,864209,aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa#",
     {}},
    {"WriteExternalPowerAlarmOn",
     "AT+SMS=alarmmode,864209,5,4#",
     {"AT+ALARMMODE==5,4#"},
     [](DeviceState& s) { s.alarms[5] = 4; }},
    {"WriteVibrationAlarmOff",
     "AT+SMS=alarmmode,864209,2,0#",
     {"AT+ALARMMODE==2,0#"},
     [](DeviceState& s) { s.alarms[2] = 0; },
     [](DeviceState& s) { s.alarms[2] = 4; }},
    {"WriteLowBatteryAlarm",
     "AT+SMS=alarmmode,864209,12,4#",
     {"AT+ALARMMODE==12,4#"},
     [](DeviceState& s) { s.alarms[12] = 4; }},
    {"WriteDisplacement",
     "AT+SMS=displace,864209,5#",
     {"AT+DISPLACE==5#"},
     [](DeviceState& s) { s.displacement = 5; }},
    {"WritePlainMode",
     "AT+SMS=mode,864209,2#",
     {"AT+MODE==2#"},
     [](DeviceState& s) { s.mode = "2"; }},
    {"WriteDayMode",
     "AT+SMS=MODE,864209,8,0730,1805#",
     {"AT+MODE==8,0730,1805#"},
     [](DeviceState& s) { s.mode = "8,0730,1805"; }},
    {"WriteWeekMode",
     "AT+SMS=mode,864209,10,0800,7,1,5#",
     {"AT+MODE==10,0800,7,1,5#"},
     [](DeviceState& s) { s.mode = "10,0800,7,1,5"; }},
    {"WriteDayModeBadTime", "AT+SMS=MODE,864209,8,2460#", {}},
    {"WriteUnknownMode", "AT+SMS=mode,864209,7#", {}},
    {"WriteTime",
     "AT+SMS=time,864209,20240305,140709#",
     {"AT+TIME==20240305,140709#"},
     [](DeviceState& s) { s.clock = "20240305,140709"; }},

    // Factory test.
    {"TestSimPasses", "AT+TEST_SIM=1", {"AT+TEST_SIM==1"}},
    {"TestExtPowerPasses", "AT+TEST_EXTPOWER=1", {"AT+TEST_EXTPOWER==1"}},
    {"TestGsensorFails",
     "AT+TEST_GSENSOR=1",
     {"AT+TEST_GSENSOR==0"},
     nullptr,
     nullptr,
     {{"GSENSOR"}, {}, true}},
    {"TestAccSilent", "AT+TEST_ACC=1", {}, nullptr, nullptr, {{}, {"ACC"}, true}},
    {"TestGpsBeforeFix", "AT+TEST_GPS=1", {"AT+TEST_GPS==0"}, nullptr, nullptr, {{}, {}, false}},
    {"TestOtherItemBeforeFix",
     "AT+TEST_GSM=1",
     {"AT+TEST_GSM==1"},
     nullptr,
     nullptr,
     {{}, {}, false}},
    {"TestUnknownItem", "AT+TEST_FOO=1", {}},
    {"TestItemZeroIsNoTest", "AT+TEST_SIM=0", {}},
    {"RelayOn", "AT+TEST_RELAY=1", {}, [](DeviceState& s) { s.relay = true; }},
    {"RelayOff",
     "AT+TEST_RELAY=0",
     {},
     [](DeviceState& s) { s.relay = false; },
     [](DeviceState& s) { s.relay = true; }},
    {"BeepOn", "AT+TEST_BEEP=1", {}, [](DeviceState& s) { s.beep = true; }},
    {"Sleep",
     "AT+ESLP=0",
     {},
     [](DeviceState& s) { s.sleep = 0; },
     [](DeviceState& s) { s.sleep = 3; }},
    {"GpsOutputOff", "AT+GPSTEST=0", {}, [](DeviceState& s) { s.gpsTestOutput = false; }},
    {"GpsOutputOn",
     "AT+GPSTEST=1",
     {},
     [](DeviceState& s) { s.gpsTestOutput = true; },
     [](DeviceState& s) { s.gpsTestOutput = false; }},
    {"SurroundingSpacesIgnored", "  AT+TEST_SIM=1 ", {"AT+TEST_SIM==1"}},
    {"ParameterBlock",
     "AT+TEST=1",
     {"<SETTING", "Ver: V2.0", "ID: 2026121001", "IMEI: 864209051234567", "IP: 203.0.113.10,9000",
      "APN:internet", "TimeZone: 8", "MODE:1", "GPRS ENABLE:1", "PROTOCOL:2", "INTERVAL:30,300",
      "SETTING>"},
     nullptr,
     [](DeviceState& s) { s.version = "V2.0"; }},
};

void PrintTo(const CommandCase& c, std::ostream* os) {
    *os << c.line;
}

class CommandHandling : public testing::TestWithParam<CommandCase> {};

TEST_P(CommandHandling, RepliesAndState) {
    const auto& c = GetParam();
    DeviceState before;
    if (c.before)
        c.before(before);
    DeviceState expected = before;
    if (c.after)
        c.after(expected);
    const auto outcome = HandleCommand(before, c.line, c.conditions);
    EXPECT_EQ(outcome.replies, c.replies);
    EXPECT_TRUE(outcome.state == expected);
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandHandling, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The program takes a configuration reply only from a chunk of at most 96 bytes; with values
// at the device's limits every reply line still fits.
TEST(CommandHandling, LongestConfigurationRepliesFitAChunk) {
    DeviceState state;
    const std::string ip(65, '1'), port(11, '2'), apn(65, 'a');
    for (const std::string& line :
         {"AT+SMS=IP," + state.password + "," + ip + "," + port + "#",
          "AT+SMS=APN," + state.password + "," + apn + "#",
          "AT+SMS=ID," + state.password + "," + std::string(16, 'I') + "#"}) {
        const auto outcome = HandleCommand(state, line, {});
        ASSERT_EQ(outcome.replies.size(), 1u) << line;
        EXPECT_LE(outcome.replies[0].size() + 2, 96u) << line;
    }
}

struct LineCase {
    const char* name;
    std::vector<std::string> pieces;
    std::vector<std::string> lines;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class LineEnds : public testing::TestWithParam<LineCase> {};

TEST_P(LineEnds, CutIntoCommandLines) {
    CommandLineAssembler assembler;
    std::vector<std::string> lines;
    for (const auto& piece : GetParam().pieces)
        for (auto& line : assembler.Feed(piece))
            lines.push_back(std::move(line));
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Assembler, LineEnds,
    testing::ValuesIn(std::vector<LineCase>{
        {"Cr", {"AT+A\rAT+B\r"}, {"AT+A", "AT+B"}},
        {"Lf", {"AT+A\nAT+B\n"}, {"AT+A", "AT+B"}},
        {"CrLf", {"AT+A\r\nAT+B\r\n"}, {"AT+A", "AT+B"}},
        {"DoubledCrLf", {"AT+A\r\n\r\nAT+B\r\n\r\n"}, {"AT+A", "AT+B"}},
        {"OnlyEmptyLines", {"\r\n\r\n\n\r"}, {}},
        {"SplitAnywhere", {"AT", "+TEST_", "SIM=1\r", "\n"}, {"AT+TEST_SIM=1"}},
        {"NoEndYet", {"AT+TEST_SIM=1"}, {}},
        {"OverlongLineDropped", {std::string(600, 'x') + "\r\nAT+B\r\n"}, {"AT+B"}},
    }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
