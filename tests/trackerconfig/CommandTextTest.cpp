#include <gtest/gtest.h>

#include "RecordingSender.h"
#include "device/DeviceCommand.h"
#include "trackerconfig/AlarmCommand.h"
#include "trackerconfig/DevicePassword.h"
#include "trackerconfig/ModeCommand.h"
#include "trackerconfig/ReadCommand.h"
#include "trackerconfig/TimeCalibrationCommand.h"
#include "trackerconfig/WriteSetting.h"

namespace {

// The 8-bit text the page hands to SendLine for a command.
std::string HandedOver(std::u16string_view command) {
    RecordingSender sender;
    EXPECT_TRUE(SendDeviceCommand(sender, command));
    return sender.lines.empty() ? std::string() : sender.lines.front();
}

struct TextCase {
    std::u16string command;
    const char* expected;
};

class CommandText : public testing::TestWithParam<TextCase> {};

TEST_P(CommandText, IsHandedOverExactly) {
    EXPECT_EQ(HandedOver(GetParam().command), GetParam().expected);
}

const std::u16string kPw(kFactoryPassword);

INSTANTIATE_TEST_SUITE_P(
    Reads, CommandText,
    testing::Values(
        TextCase{ReadCommand(ReadTarget::Id, kPw), "AT+SMS=ID?,864209#\r\n"},
        TextCase{ReadCommand(ReadTarget::Imei, u"111111"), "AT+SMS=IMEI?,111111#\r\n"},
        TextCase{ReadCommand(ReadTarget::Password, kPw), "AT+SMS=PASSWORD?,864209#\r\n"},
        TextCase{ReadCommand(ReadTarget::IpAndPort, kPw), "AT+SMS=IP?,864209#\r\n"},
        TextCase{ReadCommand(ReadTarget::Apn, kPw), "AT+SMS=APN?,864209#\r\n"},
        TextCase{ReadCommand(ReadTarget::TimeZone, kPw), "AT+SMS=TIMEZONE?,864209#\r\n"},
        TextCase{ReadCommand(ReadTarget::Mode, kPw), "AT+SMS=MODE?,864209#\r\n"},
        TextCase{ReadCommand(ReadTarget::ReportIntervals, kPw), "AT+SMS=interval?,864209#\r\n"},
        TextCase{ReadCommand(ReadTarget::ExtPowerAlarm, kPw), "AT+SMS=alarmmode?,864209,5#\r\n"},
        TextCase{ReadCommand(ReadTarget::VibrationAlarm, kPw), "AT+SMS=alarmmode?,864209,2#\r\n"},
        TextCase{ReadCommand(ReadTarget::LowBatteryAlarm, u"654321"),
                 "AT+SMS=alarmmode?,654321,12#\r\n"},
        TextCase{ReadCommand(ReadTarget::DisplacementAlarm, kPw), "AT+SMS=displace?,864209#\r\n"}));

INSTANTIATE_TEST_SUITE_P(FixedModes, CommandText,
                         testing::Values(TextCase{ModeCommand(0), "AT+SMS=mode,864209,0#\r\n"},
                                         TextCase{ModeCommand(1), "AT+SMS=mode,864209,1#\r\n"},
                                         TextCase{ModeCommand(2), "AT+SMS=mode,864209,2#\r\n"},
                                         TextCase{ModeCommand(3), "AT+SMS=mode,864209,3#\r\n"},
                                         TextCase{ModeCommand(4), "AT+SMS=mode,864209,4#\r\n"},
                                         TextCase{ModeCommand(5), "AT+SMS=mode,864209,5#\r\n"},
                                         TextCase{ModeCommand(7), ""}, TextCase{ModeCommand(9), ""},
                                         TextCase{ModeCommand(-1), ""}));

INSTANTIATE_TEST_SUITE_P(
    Alarms, CommandText,
    testing::Values(
        TextCase{AlarmCommand(Alarm::ExtPower, true), "AT+SMS=alarmmode,864209,5,4#\r\n"},
        TextCase{AlarmCommand(Alarm::ExtPower, false), "AT+SMS=alarmmode,864209,5,0#\r\n"},
        TextCase{AlarmCommand(Alarm::Vibration, true), "AT+SMS=alarmmode,864209,2,4#\r\n"},
        TextCase{AlarmCommand(Alarm::Vibration, false), "AT+SMS=alarmmode,864209,2,0#\r\n"},
        TextCase{AlarmCommand(Alarm::LowBattery, true), "AT+SMS=alarmmode,864209,12,4#\r\n"},
        TextCase{AlarmCommand(Alarm::LowBattery, false), "AT+SMS=alarmmode,864209,12,0#\r\n"},
        TextCase{AlarmCommand(Alarm::Displacement, true), "AT+SMS=displace,864209,5#\r\n"},
        TextCase{AlarmCommand(Alarm::Displacement, false), "AT+SMS=displace,864209,0#\r\n"}));

INSTANTIATE_TEST_SUITE_P(TimeCalibration, CommandText,
                         testing::Values(TextCase{TimeCalibrationCommand({2024, 3, 5, 14, 7, 9}),
                                                  "AT+SMS=time,864209,20240305,140709#\r\n"},
                                         TextCase{TimeCalibrationCommand({999, 12, 31, 0, 0, 0}),
                                                  "AT+SMS=time,864209, 9991231,000000#\r\n"}));

struct WriteCase {
    const char* name;
    SettingKind kind;
    std::u16string value;
    std::u16string second;
    const char* command;         // empty when refused
    std::u16string_view message; // empty when sent
};

class Write : public testing::TestWithParam<WriteCase> {};

TEST_P(Write, ChecksThenComposes) {
    const auto& c = GetParam();
    const CommandCheck check = WriteSetting(c.kind, u"864209", c.value, c.second);
    EXPECT_EQ(check.message, c.message);
    EXPECT_EQ(check.ok(), c.message.empty());
    if (check.ok()) {
        EXPECT_EQ(HandedOver(check.command), c.command);
    } else {
        EXPECT_TRUE(check.command.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Write,
    testing::Values(
        WriteCase{"Id", SettingKind::Id, u"42", u"", "AT+SMS=ID,864209,42#\r\n", u""},
        WriteCase{"IdEmpty", SettingKind::Id, u"", u"", "", u"ID is empty!"},
        WriteCase{"Imei", SettingKind::Imei, u"861234567890123", u"",
                  "AT+SMS=IMEI,864209,861234567890123#\r\n", u""},
        WriteCase{"ImeiEmpty", SettingKind::Imei, u"", u"", "", u"IMEI is empty!"},
        WriteCase{"ImeiShort", SettingKind::Imei, u"12345", u"", "", u"IMEI Length should be 15"},
        WriteCase{"ImeiLong", SettingKind::Imei, u"1234567890123456", u"", "",
                  u"IMEI Length should be 15"},
        WriteCase{"IpAndPort", SettingKind::IpAndPort, u"10.0.0.5", u"8001",
                  "AT+SMS=IP,864209,10.0.0.5,8001#\r\n", u""},
        WriteCase{"IpAndPortEmpty", SettingKind::IpAndPort, u"", u"", "AT+SMS=IP,864209,,#\r\n",
                  u""},
        WriteCase{"Password", SettingKind::Password, u"123456", u"",
                  "AT+SMS=PASSWORD,864209,123456#\r\n", u""},
        WriteCase{"PasswordEmpty", SettingKind::Password, u"", u"", "", u"Password is empty!"},
        WriteCase{"PasswordShort", SettingKind::Password, u"12345", u"", "",
                  u"the length of password is 6!"},
        WriteCase{"ApnNotTrimmed", SettingKind::Apn, u" cmnet ", u"",
                  "AT+SMS=APN,864209, cmnet #\r\n", u""},
        WriteCase{"ApnEmpty", SettingKind::Apn, u"", u"", "", u"APN is empty!"},
        WriteCase{"TimeZone", SettingKind::TimeZone, u"-5", u"", "AT+SMS=TIMEZONE,864209,-5#\r\n",
                  u""},
        WriteCase{"TimeZoneEmpty", SettingKind::TimeZone, u"", u"", "", u"Time zone is empty!"},
        WriteCase{"Intervals", SettingKind::ReportIntervals, u"30", u"300",
                  "AT+SMS=interval,864209,30,300#\r\n", u""},
        WriteCase{"IntervalsBothEmpty", SettingKind::ReportIntervals, u"", u"", "",
                  u"input ACC off interval,please!"},
        WriteCase{"IntervalsOnEmpty", SettingKind::ReportIntervals, u"", u"300", "",
                  u"input ACC on interval,please!"},
        WriteCase{"IntervalsOffEmpty", SettingKind::ReportIntervals, u"30", u"", "",
                  u"input ACC off interval,please!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteSetting, CarriesThePasswordItIsGiven) {
    const CommandCheck check = WriteSetting(SettingKind::Id, u"111222", u"7");
    EXPECT_EQ(check.command, u"AT+SMS=ID,111222,7#\r\n");
}

TEST(WriteSetting, LengthsCountUtf16Characters) {
    // Six CJK characters are six characters, although they are eighteen bytes in UTF-8.
    EXPECT_TRUE(WriteSetting(SettingKind::Password, u"864209", u"密码密码密码").ok());
}

using Slots = std::array<WakeupSlot, 4>;

struct ModeWriteCase {
    const char* name;
    int position;
    Slots slots;
    WeekSchedule week;
    const char* command;
    std::u16string_view message;
};

class ModeWriteText : public testing::TestWithParam<ModeWriteCase> {};

TEST_P(ModeWriteText, FollowsTheSelectedPosition) {
    const auto& c = GetParam();
    const CommandCheck check = ModeWrite(c.position, c.slots, c.week);
    EXPECT_EQ(check.message, c.message);
    if (check.ok()) {
        EXPECT_EQ(HandedOver(check.command), c.command);
    }
}

constexpr WeekDays kSunMonFri{true, true, false, false, false, true, false};

INSTANTIATE_TEST_SUITE_P(
    Schedules, ModeWriteText,
    testing::Values(
        ModeWriteCase{"DayT1T3",
                      6,
                      Slots{{{true, 7, 30}, {false, 9, 0}, {true, 18, 5}, {}}},
                      {},
                      "AT+SMS=MODE,864209,8,0730,1805#\r\n",
                      u""},
        ModeWriteCase{"DayT2T4",
                      6,
                      Slots{{{}, {true, 6, 0}, {}, {true, 21, 30}}},
                      {},
                      "AT+SMS=MODE,864209,8,0600,2130#\r\n",
                      u""},
        ModeWriteCase{
            "DayNoSlot", 6, Slots{}, {}, "", u"暂未选择唤醒时间点！！！请选择闹钟再进行设置"},
        ModeWriteCase{"Week", 8, Slots{}, WeekSchedule{8, 0, kSunMonFri},
                      "AT+SMS=mode,864209,10,0800,7,1,5#\r\n", u""},
        ModeWriteCase{"WeekNoDay", 8, Slots{}, WeekSchedule{8, 0, {}}, "",
                      u"暂未选择星期！！！请选择星期后再进行设置"},
        ModeWriteCase{"Tracking", 2, Slots{}, {}, "AT+SMS=mode,864209,2#\r\n", u""},
        ModeWriteCase{"NDayIsEmpty", 7, Slots{}, {}, "", u""},
        ModeWriteCase{"MonthIsEmpty", 9, Slots{}, {}, "", u""},
        ModeWriteCase{"NoSelectionIsEmpty", -1, Slots{}, {}, "", u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatWeekDays, SundayIsSevenAndComesFirst) {
    EXPECT_EQ(FormatWeekDays(kSunMonFri), u"7,1,5#\r\n");
    EXPECT_EQ(FormatWeekDays({false, false, false, false, false, false, true}), u"6#\r\n");
    EXPECT_EQ(FormatWeekDays(WeekDays{true, true, true, true, true, true, true}),
              u"7,1,2,3,4,5,6#\r\n");
    EXPECT_EQ(FormatWeekDays(WeekDays{}), u"");
}

TEST(ModeNames, AreInListOrder) {
    EXPECT_EQ(ModeNames()[1], u"Normal Mode");
    EXPECT_EQ(ModeNames()[kDayModePosition], u"Day Mode");
    EXPECT_EQ(ModeNames()[kWeekModePosition], u"Week Mode");
    EXPECT_EQ(ModeNames()[9], u"Month Mode");
}

} // namespace
