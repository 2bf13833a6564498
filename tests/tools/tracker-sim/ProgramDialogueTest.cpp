// The simulator against the program's own command builders and reply readers: every command
// the pages send gets the reply form the program recognises.

#include "CommandHandler.h"
#include "device/DeviceCommand.h"
#include "devicetest/DeviceTestCommands.h"
#include "devicetest/ExpectedParameters.h"
#include "devicetest/PlaceholderImeis.h"
#include "devicetest/ReadChunk.h"
#include "devicetest/TestItem.h"
#include "devicetest/VerifyDeviceParameters.h"
#include "trackerconfig/AlarmCommand.h"
#include "trackerconfig/DevicePassword.h"
#include "trackerconfig/ModeCommand.h"
#include "trackerconfig/ParseDeviceReply.h"
#include "trackerconfig/ReadCommand.h"
#include "trackerconfig/TimeCalibrationCommand.h"
#include "trackerconfig/WriteSetting.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::u16string Wide(std::string_view text) {
    return {text.begin(), text.end()};
}

// What the device receives for a page's command: SendLine adds one more CR LF.
std::string OnTheWire(std::u16string_view command) {
    return NarrowDeviceCommand(command).value() + "\r\n";
}

// Runs the wire bytes through the device like its line input does, one line at a time;
// the replies come back as the one chunk the device writes.
std::string Exchange(DeviceState& state, std::u16string_view command,
                     const TestConditions& conditions = {}) {
    std::string chunk;
    std::string wire = OnTheWire(command);
    std::size_t start = 0;
    while (start < wire.size()) {
        auto end = wire.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = wire.size();
        if (end > start) {
            auto outcome = HandleCommand(state, wire.substr(start, end - start), conditions);
            state = outcome.state;
            for (const auto& reply : outcome.replies)
                chunk += reply + "\r\n";
        }
        start = end + 1;
    }
    return chunk;
}

struct Recognised {
    bool ok = false;
    ReplyType type = ReplyType::None;
    DeviceReplyRecord record{};
};

Recognised Recognise(const std::string& chunk) {
    Recognised r;
    std::memset(&r.record, 0, sizeof r.record);
    r.ok = ParseDeviceReply(chunk, r.type, r.record);
    return r;
}

const std::u16string kPassword(kFactoryPassword);

TEST(ProgramDialogue, ReadsAreAnsweredInTheRecognisedForms) {
    DeviceState state;
    state.alarms[5] = 4;
    const struct {
        ReadTarget target;
        ReplyType type;
        std::string first, second;
    } cases[] = {
        {ReadTarget::Id, ReplyType::Id, state.id, ""},
        {ReadTarget::Imei, ReplyType::Imei, state.imei, ""},
        {ReadTarget::Password, ReplyType::Password, state.password, ""},
        {ReadTarget::IpAndPort, ReplyType::Ip, state.ip, state.port},
        {ReadTarget::Apn, ReplyType::Apn, state.apn, ""},
        {ReadTarget::TimeZone, ReplyType::TimeZone, state.timeZone, ""},
        {ReadTarget::ReportIntervals, ReplyType::IntervalOn, state.intervalOn, state.intervalOff},
        {ReadTarget::ExtPowerAlarm, ReplyType::ExtPowerAlarm, "ON,4", ""},
        {ReadTarget::VibrationAlarm, ReplyType::VibrationAlarm, "OFF,0", ""},
    };
    for (const auto& c : cases) {
        const auto chunk = Exchange(state, ReadCommand(c.target, kPassword));
        SCOPED_TRACE(chunk);
        const auto r = Recognise(chunk);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.type, c.type);
        const char* field = nullptr;
        ASSERT_TRUE(GetReplyField(r.type, field, r.record));
        EXPECT_EQ(std::string(field), c.first);
        if (SecondFieldOf(r.type) != ReplyType::None) {
            ASSERT_TRUE(GetReplyField(SecondFieldOf(r.type), field, r.record));
            EXPECT_EQ(std::string(field), c.second);
        }
    }
    // Replies the program does not read, but a device gives all the same.
    for (const auto target :
         {ReadTarget::Mode, ReadTarget::LowBatteryAlarm, ReadTarget::DisplacementAlarm})
        EXPECT_FALSE(Exchange(state, ReadCommand(target, kPassword)).empty());
    // With a wrong password nothing comes back.
    EXPECT_EQ(Exchange(state, ReadCommand(ReadTarget::Id, u"000000")), "");
}

TEST(ProgramDialogue, WritesAreConfirmedWithTheNewValue) {
    DeviceState state;
    const struct {
        SettingKind kind;
        std::u16string value, second;
        ReplyType type;
    } cases[] = {
        {SettingKind::Id, u"TB0001", u"", ReplyType::Id},
        {SettingKind::Imei, u"356938035643809", u"", ReplyType::Imei},
        {SettingKind::IpAndPort, u"192.0.2.7", u"7700", ReplyType::Ip},
        {SettingKind::Apn, u"cmnet", u"", ReplyType::Apn},
        {SettingKind::TimeZone, u"-3", u"", ReplyType::TimeZone},
        {SettingKind::ReportIntervals, u"15", u"900", ReplyType::IntervalOn},
        {SettingKind::Password, u"123456", u"", ReplyType::Password},
    };
    std::u16string password = kPassword;
    for (const auto& c : cases) {
        const auto check = WriteSetting(c.kind, password, c.value, c.second);
        ASSERT_TRUE(check.ok());
        const auto chunk = Exchange(state, check.command);
        SCOPED_TRACE(chunk);
        const auto r = Recognise(chunk);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.type, c.type);
        const char* field = nullptr;
        ASSERT_TRUE(GetReplyField(r.type, field, r.record));
        EXPECT_EQ(Wide(field), c.value);
        if (!c.second.empty()) {
            ASSERT_TRUE(GetReplyField(SecondFieldOf(r.type), field, r.record));
            EXPECT_EQ(Wide(field), c.second);
        }
    }
    EXPECT_EQ(state.id, "TB0001");
    EXPECT_EQ(state.ip + "," + state.port, "192.0.2.7,7700");
    EXPECT_EQ(state.password, "123456");
    // The page follows the password reply, and reads then carry the new password.
    EXPECT_EQ(Exchange(state, ReadCommand(ReadTarget::Apn, kPassword)), "");
    EXPECT_EQ(Exchange(state, ReadCommand(ReadTarget::Apn, u"123456")), "AT+APN==cmnet#\r\n");
}

TEST(ProgramDialogue, ModeAlarmAndTimeCommandsAreTaken) {
    DeviceState state;
    for (int position = 0; position < 6; ++position) {
        EXPECT_EQ(Exchange(state, ModeCommand(position)),
                  "AT+MODE==" + std::to_string(position) + "#\r\n");
        EXPECT_EQ(state.mode, std::to_string(position));
    }
    std::array<WakeupSlot, 4> slots{};
    slots[0] = {true, 7, 30};
    slots[2] = {true, 18, 5};
    EXPECT_EQ(Exchange(state, DayModeCommand(slots).command), "AT+MODE==8,0730,1805#\r\n");
    WeekSchedule week{8, 0, {true, true, false, false, false, true, false}};
    EXPECT_EQ(Exchange(state, WeekModeCommand(week).command), "AT+MODE==10,0800,7,1,5#\r\n");
    EXPECT_EQ(state.mode, "10,0800,7,1,5");
    // The positions without a command send an empty line: no answer, nothing changes.
    EXPECT_EQ(Exchange(state, ModeCommand(7)), "");

    for (const bool on : {true, false}) {
        auto r = Recognise(Exchange(state, AlarmCommand(Alarm::ExtPower, on)));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.type, ReplyType::ExtPowerAlarm);
        EXPECT_EQ(std::string(r.record.extPowerAlarm), on ? "ON,4" : "OFF,0");
        r = Recognise(Exchange(state, AlarmCommand(Alarm::Vibration, on)));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.type, ReplyType::VibrationAlarm);
        EXPECT_EQ(std::string(r.record.vibrationAlarm), on ? "ON,4" : "OFF,0");
        EXPECT_FALSE(Exchange(state, AlarmCommand(Alarm::LowBattery, on)).empty());
        EXPECT_FALSE(Exchange(state, AlarmCommand(Alarm::Displacement, on)).empty());
        EXPECT_EQ(state.alarms[12], on ? 4 : 0);
        EXPECT_EQ(state.displacement, on ? 5 : 0);
    }
    EXPECT_EQ(Exchange(state, TimeCalibrationCommand({2024, 3, 5, 14, 7, 9})),
              "AT+TIME==20240305,140709#\r\n");
}

TEST(ProgramDialogue, FactoryTestRepliesAreRead) {
    DeviceState state;
    std::uint8_t passFlags = 0;
    for (const auto& item : TestItems()) {
        const auto meaning = ReadChunk(Exchange(state, item.command));
        EXPECT_EQ(meaning.kind, ChunkKind::ItemResults);
        passFlags = meaning.ApplyTo(passFlags);
    }
    EXPECT_EQ(passFlags, 63);

    TestConditions conditions;
    conditions.failItems = {"GSENSOR"};
    conditions.silentItems = {"ACC"};
    conditions.gpsFixed = false;
    const auto results = [&](std::size_t index) {
        return ReadChunk(Exchange(state, TestItems()[index].command, conditions))
            .itemResults[index];
    };
    EXPECT_EQ(results(kItemGsensor), ItemResult::NotPassed);
    EXPECT_EQ(results(kItemGps), ItemResult::NotPassed);
    EXPECT_EQ(results(kItemAcc), ItemResult::Unchanged);
    EXPECT_EQ(results(kItemSim), ItemResult::Passed);

    EXPECT_EQ(ReadChunk(BannerLine(state) + "\r\n").kind, ChunkKind::NewDevice);

    // Relay, beep, sleep and the GPS test output are taken without an answer.
    for (const auto* command :
         {&DeviceTestCommands::kRelayOn, &DeviceTestCommands::kBeepOn,
          &DeviceTestCommands::kKeepAwake, &DeviceTestCommands::kGpsTestOutputOff})
        EXPECT_EQ(Exchange(state, *command), "");
    EXPECT_TRUE(state.relay);
    EXPECT_TRUE(state.beep);
    EXPECT_FALSE(state.gpsTestOutput);
    Exchange(state, DeviceTestCommands::kRelayOff);
    Exchange(state, DeviceTestCommands::kGpsTestOutputOn);
    EXPECT_FALSE(state.relay);
    EXPECT_TRUE(state.gpsTestOutput);
}

TEST(ProgramDialogue, ParameterBlockPassesVerificationAgainstItsOwnFile) {
    DeviceState state;
    const auto chunk = Exchange(state, DeviceTestCommands::kReadParameters);
    const auto meaning = ReadChunk(chunk);
    ASSERT_EQ(meaning.kind, ChunkKind::ParameterBlock);
    EXPECT_FALSE(meaning.parameterBlockTruncated);

    // A parameter file in the device's own layout (lines joined) yields the device's values.
    std::string joined;
    for (const auto& line : ParameterBlock(state))
        joined += line;
    const auto expected = ParseParameterText(Wide(joined));
    EXPECT_EQ(expected.version, Wide(state.version));
    EXPECT_EQ(expected.imei, Wide(state.imei));
    EXPECT_EQ(expected.ip, Wide(state.ip + "," + state.port));
    EXPECT_EQ(expected.interval, Wide(state.intervalOn + "," + state.intervalOff));

    const auto block = Wide(meaning.parameterBlock);
    EXPECT_EQ(VerifyDeviceParameters(block, expected, true).kind, ParameterVerdictKind::AllGood);

    // A staged wrong version and a placeholder IMEI are caught.
    DeviceState staged = state;
    staged.version = "V0.9";
    staged.imei = std::string(kPlaceholderImeis[0].begin(), kPlaceholderImeis[0].end());
    const auto stagedBlock =
        Wide(ReadChunk(Exchange(staged, DeviceTestCommands::kReadParameters)).parameterBlock);
    EXPECT_EQ(VerifyDeviceParameters(stagedBlock, expected, true).kind,
              ParameterVerdictKind::PlaceholderImei);
    EXPECT_EQ(VerifyDeviceParameters(stagedBlock, expected, false).kind,
              ParameterVerdictKind::Mismatch);
}

} // namespace
