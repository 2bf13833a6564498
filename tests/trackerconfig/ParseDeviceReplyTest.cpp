#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "trackerconfig/ParseDeviceReply.h"

namespace {

std::string Field(const DeviceReplyRecord& record, ReplyType type) {
    const char* field = nullptr;
    EXPECT_TRUE(GetReplyField(type, field, record));
    return field ? std::string(field) : std::string();
}

struct ReplyCase {
    const char* name;
    std::string chunk;
    bool recognised;
    ReplyType type; // when recognised
    std::vector<std::pair<ReplyType, std::string>> fields;
};

class Reply : public testing::TestWithParam<ReplyCase> {};

TEST_P(Reply, IsRecognisedAndStored) {
    const auto& c = GetParam();
    DeviceReplyRecord record{};
    ReplyType type = ReplyType::None;
    EXPECT_EQ(ParseDeviceReply(c.chunk, type, record), c.recognised);
    EXPECT_EQ(type, c.recognised ? c.type : ReplyType::None);
    for (const auto& [fieldType, value] : c.fields) {
        EXPECT_EQ(Field(record, fieldType), value) << static_cast<int>(fieldType);
    }
}

using T = ReplyType;

INSTANTIATE_TEST_SUITE_P(
    Replies, Reply,
    testing::Values(
        ReplyCase{"Id", "AT+ID==ABC#\r\n", true, T::Id, {{T::Id, "ABC"}}},
        ReplyCase{
            "Imei", "AT+IMEI==861234567890123#", true, T::Imei, {{T::Imei, "861234567890123"}}},
        ReplyCase{"Password", "AT+PASSWORD==111111#", true, T::Password, {{T::Password, "111111"}}},
        ReplyCase{"IpAndPort",
                  "AT+IP==10.0.0.5,8001#",
                  true,
                  T::Ip,
                  {{T::Ip, "10.0.0.5"}, {T::Port, "8001"}}},
        ReplyCase{"IpWithoutHash",
                  "AT+IP==10.0.0.5,8001",
                  false,
                  T::None,
                  {{T::Ip, "10.0.0.5"}, {T::Port, ""}}},
        ReplyCase{"IpWithoutComma", "AT+IP==10.0.0.5#", false, T::None, {{T::Ip, ""}}},
        ReplyCase{"IpThenApn",
                  "AT+IP==10.0.0.5,8001#\r\nAT+APN==internet#",
                  true,
                  T::Apn,
                  {{T::Ip, "10.0.0.5"}, {T::Port, "8001"}, {T::Apn, "internet"}}},
        ReplyCase{"TimeZone", "AT+TIMEZONE==-5#", true, T::TimeZone, {{T::TimeZone, "-5"}}},
        ReplyCase{"Intervals",
                  "AT+INTERVAL==30,300#",
                  true,
                  T::IntervalOn,
                  {{T::IntervalOn, "30"}, {T::IntervalOff, "300"}}},
        ReplyCase{"IntervalsWithoutHash",
                  "AT+INTERVAL==30,300",
                  false,
                  T::None,
                  {{T::IntervalOn, "30"}, {T::IntervalOff, ""}}},
        // A complete IP reply keeps its type although an interval reply was cut short.
        ReplyCase{"IpCompleteIntervalCut",
                  "AT+IP==1.2.3.4,80#AT+INTERVAL==30,",
                  true,
                  T::Ip,
                  {{T::Ip, "1.2.3.4"}, {T::Port, "80"}, {T::IntervalOn, "30"}}},
        ReplyCase{"ExtPowerOn",
                  "AT+ALARMMODE==5,1#",
                  true,
                  T::ExtPowerAlarm,
                  {{T::ExtPowerAlarm, "ON,1"}}},
        ReplyCase{"VibrationOff",
                  "AT+ALARMMODE==2,0#",
                  true,
                  T::VibrationAlarm,
                  {{T::VibrationAlarm, "OFF,0"}}},
        ReplyCase{"VibrationOnFive",
                  "AT+ALARMMODE==2,5#",
                  true,
                  T::VibrationAlarm,
                  {{T::VibrationAlarm, "ON,5"}}},
        ReplyCase{"LowBatteryIgnored",
                  "AT+ALARMMODE==12,1#",
                  false,
                  T::None,
                  {{T::ExtPowerAlarm, ""}, {T::VibrationAlarm, ""}}},
        ReplyCase{"UnreadableStateCountsAsZero",
                  "AT+ALARMMODE==5,x#",
                  true,
                  T::ExtPowerAlarm,
                  {{T::ExtPowerAlarm, "OFF,0"}}},
        ReplyCase{"UnreadableKindIsNoAlarm", "AT+ALARMMODE==x,1#", false, T::None, {}},
        ReplyCase{
            "AlarmWithoutHash", "AT+ALARMMODE==5,1", false, T::None, {{T::ExtPowerAlarm, ""}}},
        ReplyCase{"HugeStateSaturates",
                  "AT+ALARMMODE==5,99999999999999999999#",
                  true,
                  T::ExtPowerAlarm,
                  {{T::ExtPowerAlarm, "ON,2147483647"}}},
        ReplyCase{"OtherAlarmFallsBackToIp",
                  "AT+IP==1.2.3.4,80#AT+ALARMMODE==12,4#",
                  true,
                  T::Ip,
                  {{T::Port, "80"}}},
        ReplyCase{"KeyWithoutHash", "AT+ID==ABC", false, T::None, {{T::Id, ""}}},
        ReplyCase{
            "EarlierRuleWins", "AT+IMEI==1#AT+ID==2#", true, T::Id, {{T::Id, "2"}, {T::Imei, ""}}},
        ReplyCase{
            "FirstOccurrenceOnly", "AT+ID==A AT+ID==B#", true, T::Id, {{T::Id, "A AT+ID==B"}}},
        ReplyCase{"EmptyValue", "AT+APN==#", true, T::Apn, {{T::Apn, ""}}},
        ReplyCase{"Nmea", "$GPGGA,123519,4807.038,N*47\r\n", false, T::None, {}},
        ReplyCase{"ModeReplyNotRecognised", "AT+MODE==1#", false, T::None, {}},
        ReplyCase{"LongApnCut",
                  "AT+APN==" + std::string(80, 'a') + "#",
                  true,
                  T::Apn,
                  {{T::Apn, std::string(65, 'a')}}},
        ReplyCase{"LongIdCut",
                  "AT+ID==" + std::string(40, '7') + "#",
                  true,
                  T::Id,
                  {{T::Id, std::string(16, '7')}}},
        ReplyCase{"LongPortCut",
                  "AT+IP==" + std::string(70, '1') + "," + std::string(20, '2') + "#",
                  true,
                  T::Ip,
                  {{T::Ip, std::string(65, '1')}, {T::Port, std::string(11, '2')}}},
        ReplyCase{"LongTimeZoneCut",
                  "AT+TIMEZONE==+123456789#",
                  true,
                  T::TimeZone,
                  {{T::TimeZone, "+123456"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseDeviceReply, EachStoreZeroFillsItsFieldFirst) {
    DeviceReplyRecord record{};
    ReplyType type{};
    ASSERT_TRUE(ParseDeviceReply("AT+APN==longer.apn.example#", type, record));
    ASSERT_TRUE(ParseDeviceReply("AT+APN==ab#", type, record));
    EXPECT_EQ(std::string(record.apn), "ab");
    for (std::size_t i = 2; i < sizeof record.apn; ++i) {
        ASSERT_EQ(record.apn[i], '\0') << i;
    }
}

TEST(ParseDeviceReply, OtherFieldsKeepTheirLastValue) {
    DeviceReplyRecord record{};
    ReplyType type{};
    ASSERT_TRUE(ParseDeviceReply("AT+ID==1#", type, record));
    ASSERT_TRUE(ParseDeviceReply("AT+IMEI==2#", type, record));
    EXPECT_EQ(std::string(record.id), "1");
    EXPECT_EQ(std::string(record.imei), "2");
}

TEST(ParseDeviceReply, StoresIntoTheProcessWideRecordByDefault) {
    ReplyType type{};
    ASSERT_TRUE(ParseDeviceReply("AT+PASSWORD==123123#", type));
    EXPECT_EQ(type, ReplyType::Password);
    const char* field = nullptr;
    ASSERT_TRUE(GetReplyField(ReplyType::Password, field));
    EXPECT_STREQ(field, "123123");
}

TEST(GetReplyField, KnowsOnlyTypesOneToEleven) {
    DeviceReplyRecord record{};
    const char* field = "untouched";
    EXPECT_FALSE(GetReplyField(static_cast<ReplyType>(0), field, record));
    EXPECT_FALSE(GetReplyField(static_cast<ReplyType>(12), field, record));
    EXPECT_FALSE(GetReplyField(static_cast<ReplyType>(-1), field, record));
    EXPECT_STREQ(field, "untouched");
    const char* const expected[] = {
        record.id,          record.imei,          record.password,      record.ip,
        record.port,        record.apn,           record.timeZone,      record.intervalOn,
        record.intervalOff, record.extPowerAlarm, record.vibrationAlarm};
    for (int t = 1; t <= 11; ++t) {
        ASSERT_TRUE(GetReplyField(static_cast<ReplyType>(t), field, record)) << t;
        EXPECT_EQ(field, expected[t - 1]) << t;
    }
}

TEST(SecondFieldOf, IpAndIntervalsCarryTwoFields) {
    EXPECT_EQ(SecondFieldOf(ReplyType::Ip), ReplyType::Port);
    EXPECT_EQ(SecondFieldOf(ReplyType::IntervalOn), ReplyType::IntervalOff);
    EXPECT_EQ(SecondFieldOf(ReplyType::Apn), ReplyType::None);
}

// What the receive path hands the configuration page: the reply's field, then the second field
// of the two-part replies, with the texts as stored.
TEST(ParseDeviceReplyFields, ListsTheFieldsToDeliverInOrder) {
    struct Case {
        const char* chunk;
        std::vector<std::pair<ReplyType, std::string>> fields;
    };
    const Case cases[] = {
        {"AT+ID==ABC#", {{T::Id, "ABC"}}},
        {"AT+IP==10.0.0.5,8001#", {{T::Ip, "10.0.0.5"}, {T::Port, "8001"}}},
        {"AT+INTERVAL==30,600#", {{T::IntervalOn, "30"}, {T::IntervalOff, "600"}}},
        {"AT+ALARMMODE==5,1#", {{T::ExtPowerAlarm, "ON,1"}}},
        {"AT+IP==10.0.0.5,8001", {}},
        {"$GPGGA,123519*00", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        DeviceReplyRecord record{};
        std::vector<std::pair<ReplyType, std::string>> got;
        for (const auto& field : ParseDeviceReplyFields(c.chunk, record)) {
            got.emplace_back(field.type, std::string(field.text));
        }
        EXPECT_EQ(got, c.fields) << c.chunk;
    }
}

} // namespace
