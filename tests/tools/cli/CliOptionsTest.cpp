// The command line of tollbrook-cli, the settings it knows and the JSON of a run's report.

#include "CliOptions.h"
#include "ConfigField.h"
#include "JsonValue.h"
#include "RunReportJson.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

CliOptions TestDefaults() {
    CliOptions options;
    options.command = CliCommand::Test;
    options.port = "/dev/ttyUSB0";
    options.paramsPath = "p.txt";
    options.password = u"864209";
    return options;
}

struct ValidCase {
    const char* name;
    Args args;
    CliOptions (*expected)();
};

void PrintTo(const ValidCase& c, std::ostream* os) {
    *os << c.name;
}

class CliValidCommandLines : public testing::TestWithParam<ValidCase> {};

TEST_P(CliValidCommandLines, AreReadAsMeant) {
    const CliParse parsed = ParseCliOptions(GetParam().args);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(*parsed.options, GetParam().expected());
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliValidCommandLines,
    testing::Values(
        ValidCase{"TestWithTheDefaults",
                  {"test", "--port", "/dev/ttyUSB0", "--params", "p.txt"},
                  TestDefaults},
        ValidCase{"TestWithEveryOptionInEitherForm",
                  {"test", "--params=p.txt", "--port=/dev/ttyUSB0", "--baud", "115200",
                   "--check-imei", "--limit=0", "--items", "gps,Sim"},
                  [] {
                      CliOptions o = TestDefaults();
                      o.baud = 115200;
                      o.checkImei = true;
                      o.limitSeconds = 0;
                      o.items = {true, false, true, false, false, false};
                      return o;
                  }},
        ValidCase{
            "TestWithItsRecord",
            {"test", "--port", "/dev/ttyUSB0", "--params", "p.txt", "--db",
             "postgresql://line@db.factory:5433/records", "--station", "线体2", "--operator="},
            [] {
                CliOptions o = TestDefaults();
                o.db = ParseStoreLocation("postgresql://line@db.factory:5433/records").location;
                o.station = "线体2";
                o.operatorName = "";
                return o;
            }},
        ValidCase{"TestWithoutRecord",
                  {"test", "--port", "/dev/ttyUSB0", "--params", "p.txt", "--no-record"},
                  [] {
                      CliOptions o = TestDefaults();
                      o.noRecord = true;
                      return o;
                  }},
        ValidCase{"RecordsWithEveryFilter",
                  {"records", "--imei", "1234", "--since", "2026-12-01", "--until=2026-12-10",
                   "--verdict", "fail", "--station", "bench 1", "--db", "sqlite:/r.sqlite",
                   "--csv"},
                  [] {
                      CliOptions o;
                      o.command = CliCommand::Records;
                      o.password = u"864209";
                      o.filter.imeiPart = "1234";
                      o.filter.sinceDate = "2026-12-01";
                      o.filter.untilDate = "2026-12-10";
                      o.filter.verdict = RecordVerdict::Fail;
                      o.filter.station = "bench 1";
                      o.db = ParseStoreLocation("sqlite:/r.sqlite").location;
                      o.format = RecordsFormat::Csv;
                      return o;
                  }},
        ValidCase{"RecordsAsJson",
                  {"records", "--json"},
                  [] {
                      CliOptions o;
                      o.command = CliCommand::Records;
                      o.password = u"864209";
                      return o;
                  }},
        ValidCase{"HelpAnywhere",
                  {"test", "--port", "x", "--help"},
                  [] {
                      CliOptions o;
                      o.command = CliCommand::Help;
                      o.port = "x";
                      o.password = u"864209";
                      return o;
                  }},
        ValidCase{"ReadOfSeveralSettings",
                  {"read", "--port", "/dev/ttyUSB0", "id", "ip", "--password", "123456",
                   "--timeout", "1", "extpower-alarm"},
                  [] {
                      CliOptions o;
                      o.command = CliCommand::Read;
                      o.port = "/dev/ttyUSB0";
                      o.password = u"123456";
                      o.timeoutMs = 1000;
                      o.reads = {ConfigField::Id, ConfigField::Ip, ConfigField::ExtPowerAlarm};
                      return o;
                  }},
        ValidCase{"WriteKeepsValuesAsTyped",
                  {"write", "--port", "/dev/ttyUSB0", "apn= cmnet", "ip=10.0.0.5,8001",
                   "interval=30,300", "vibration-alarm=on", "id=a=b"},
                  [] {
                      CliOptions o;
                      o.command = CliCommand::Write;
                      o.port = "/dev/ttyUSB0";
                      o.password = u"864209";
                      o.writes = {{ConfigField::Apn, u" cmnet"},
                                  {ConfigField::Ip, u"10.0.0.5,8001"},
                                  {ConfigField::Interval, u"30,300"},
                                  {ConfigField::VibrationAlarm, u"on"},
                                  {ConfigField::Id, u"a=b"}};
                      return o;
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

struct InvalidCase {
    const char* name;
    Args args;
    const char* because; // part of the message
};

void PrintTo(const InvalidCase& c, std::ostream* os) {
    *os << c.name;
}

class CliInvalidCommandLines : public testing::TestWithParam<InvalidCase> {};

TEST_P(CliInvalidCommandLines, AreRefusedWithTheReason) {
    const CliParse parsed = ParseCliOptions(GetParam().args);
    EXPECT_FALSE(parsed.options);
    EXPECT_NE(parsed.error.find(GetParam().because), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliInvalidCommandLines,
    testing::Values(
        InvalidCase{"Nothing", {}, "no command"},
        InvalidCase{"UnknownCommand", {"tset"}, "unknown command 'tset'"},
        InvalidCase{"TestWithoutPort", {"test", "--params", "p.txt"}, "--port"},
        InvalidCase{"TestWithoutParameterFile", {"test", "--port", "x"}, "--params"},
        InvalidCase{"OptionWithoutValue", {"test", "--params", "p", "--port"}, "needs a value"},
        InvalidCase{"EmptyPort", {"test", "--params", "p", "--port="}, "device path"},
        InvalidCase{"BaudZero", {"test", "--params", "p", "--port", "x", "--baud", "0"}, "baud"},
        InvalidCase{
            "BaudNotANumber", {"test", "--params", "p", "--port", "x", "--baud", "96OO"}, "baud"},
        InvalidCase{
            "NegativeLimit", {"test", "--params", "p", "--port", "x", "--limit", "-1"}, "--limit"},
        InvalidCase{
            "LimitWithUnit", {"test", "--params", "p", "--port", "x", "--limit", "8s"}, "--limit"},
        InvalidCase{
            "UnknownItem", {"test", "--params", "p", "--port", "x", "--items", "SIM,GPRS"}, "GPRS"},
        InvalidCase{"EmptyItemInList",
                    {"test", "--params", "p", "--port", "x", "--items", "SIM,"},
                    "unknown test item"},
        InvalidCase{"FlagWithValue",
                    {"test", "--params", "p", "--port", "x", "--check-imei=1"},
                    "no value"},
        InvalidCase{"TestTakesNoSettings",
                    {"test", "--params", "p", "--port", "x", "id"},
                    "unexpected argument"},
        InvalidCase{"ReadOptionOnTest",
                    {"test", "--params", "p", "--port", "x", "--password", "1"},
                    "unknown option"},
        InvalidCase{
            "TestOptionOnRead", {"read", "--port", "x", "--limit", "5", "id"}, "unknown option"},
        InvalidCase{"ReadOfNothing", {"read", "--port", "x"}, "at least one setting"},
        InvalidCase{"ReadOfUnknownSetting", {"read", "--port", "x", "mode"}, "unknown setting"},
        InvalidCase{"ReadWithValue", {"read", "--port", "x", "id=1"}, "without values"},
        InvalidCase{"WriteWithoutValue", {"write", "--port", "x", "id"}, "SETTING=VALUE"},
        InvalidCase{"WriteOfEmptyId", {"write", "--port", "x", "id="}, "ID is empty!"},
        InvalidCase{
            "WriteOfShortImei", {"write", "--port", "x", "imei=12345"}, "IMEI Length should be 15"},
        InvalidCase{"WriteOfLongPassword",
                    {"write", "--port", "x", "password=1234567"},
                    "the length of password is 6!"},
        InvalidCase{"WriteOfOneInterval",
                    {"write", "--port", "x", "interval=30"},
                    "input ACC off interval,please!"},
        InvalidCase{"WriteOfAlarmAsNumber",
                    {"write", "--port", "x", "extpower-alarm=1"},
                    "\"on\" or \"off\""},
        InvalidCase{"UnknownStore",
                    {"test", "--params", "p", "--port", "x", "--db", "mysql://db/r"},
                    "unknown store"},
        InvalidCase{"StoreWithoutDatabase",
                    {"test", "--params", "p", "--port", "x", "--db", "postgresql://u@db:5432"},
                    "no database"},
        InvalidCase{"NoRecordWithValue",
                    {"test", "--params", "p", "--port", "x", "--no-record=yes"},
                    "no value"},
        InvalidCase{"RecordsWithoutFormat", {"records", "--imei", "1"}, "--json or --csv"},
        InvalidCase{"RecordsInTwoFormats", {"records", "--json", "--csv"}, "one of"},
        InvalidCase{
            "RecordsOfABadDate", {"records", "--json", "--since", "2026-02-30"}, "YYYY-MM-DD"},
        InvalidCase{"RecordsOfAnUnknownVerdict",
                    {"records", "--json", "--verdict", "OK"},
                    "PASS, FAIL or INTERRUPTED"},
        InvalidCase{"RecordsTakeNoPort", {"records", "--json", "--port", "x"}, "unknown option"},
        InvalidCase{"ZeroTimeout", {"read", "--port", "x", "--timeout", "0", "id"}, "--timeout"},
        InvalidCase{"EmptyPassword", {"read", "--port", "x", "--password=", "id"}, "--password"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- settings --------------------------------------------------------------------------------

TEST(CliConfigFields, EveryNameFindsItsOwnRow) {
    for (const auto& info : ConfigFields()) {
        ASSERT_EQ(ConfigFieldNamed(info.name), info.field);
        EXPECT_EQ(&InfoOf(info.field), &info);
    }
    EXPECT_FALSE(ConfigFieldNamed("ID"));
}

struct WriteCase {
    ConfigField field;
    std::u16string value;
    std::u16string command;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << static_cast<int>(c.field);
}

class CliWriteCommands : public testing::TestWithParam<WriteCase> {};

TEST_P(CliWriteCommands, CarryThePasswordAndTheValues) {
    const CommandCheck check = WriteCommand(GetParam().field, GetParam().value, u"111111");
    ASSERT_TRUE(check.ok());
    EXPECT_EQ(check.command, GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliWriteCommands,
    testing::Values(
        WriteCase{ConfigField::Id, u"2026", u"AT+SMS=ID,111111,2026#\r\n"},
        WriteCase{ConfigField::Ip, u"10.0.0.5,8001", u"AT+SMS=IP,111111,10.0.0.5,8001#\r\n"},
        // The page sends an IP without a port as it is.
        WriteCase{ConfigField::Ip, u"10.0.0.5", u"AT+SMS=IP,111111,10.0.0.5,#\r\n"},
        WriteCase{ConfigField::Interval, u"30,300", u"AT+SMS=interval,111111,30,300#\r\n"},
        // The alarm commands always carry the factory password.
        WriteCase{ConfigField::ExtPowerAlarm, u"on", u"AT+SMS=alarmmode,864209,5,4#\r\n"},
        WriteCase{ConfigField::VibrationAlarm, u"off", u"AT+SMS=alarmmode,864209,2,0#\r\n"}));

TEST(CliReportedValues, AlarmsReadAsTheirSwitchAndOtherValuesAsSent) {
    EXPECT_EQ(ReportedValue(ReplyType::ExtPowerAlarm, u"ON,4"), u"on");
    EXPECT_EQ(ReportedValue(ReplyType::VibrationAlarm, u"OFF,0"), u"off");
    EXPECT_EQ(ReportedValue(ReplyType::Apn, u" ON,x"), u" ON,x");
    EXPECT_EQ(WrittenValues(ConfigField::Ip, u"1.2.3.4,80"),
              (std::pair<std::u16string, std::u16string>{u"1.2.3.4", u"80"}));
}

// --- the run's JSON --------------------------------------------------------------------------

JsonValue Parsed(const RunOutcome& outcome) {
    const std::string text = RunReportJson(outcome);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const auto json = ParseJson(text);
    EXPECT_TRUE(json) << text;
    return json.value_or(JsonValue{});
}

TEST(CliRunReportJson, APassWithEveryField) {
    RunOutcome outcome;
    outcome.report.verdict = TestRunActions::VerdictKind::Passed;
    outcome.report.verdictText = u"##PASS##";
    outcome.report.passedItems = 63;
    outcome.report.parameterCheck = ParameterCheck::Ok;
    outcome.report.deviceImei = u"864209051234567";
    outcome.report.deviceVersion = u"V1.0.4";
    outcome.report.gpsFixSeconds = 3;
    outcome.runMs = 6523;
    const JsonValue json = Parsed(outcome);
    EXPECT_EQ(json["verdict"].text, "PASS");
    EXPECT_EQ(json["text"].text, "##PASS##");
    EXPECT_EQ(json["items"].members.size(), 6u);
    for (const char* item : {"SIM", "GSM", "GPS", "GSENSOR", "ACC", "EXTPOWER"})
        EXPECT_TRUE(json["items"][item].boolean) << item;
    EXPECT_EQ(json["imei"].text, "864209051234567");
    EXPECT_EQ(json["version"].text, "V1.0.4");
    EXPECT_EQ(json["parameterCheck"].text, "ok");
    EXPECT_TRUE(json["mismatches"].items.empty());
    EXPECT_DOUBLE_EQ(json["seconds"].number, 6.523);
    EXPECT_EQ(json["gpsFixSeconds"].number, 3);
    EXPECT_NE(RunReportJson(outcome).find("\"seconds\":6.523,"), std::string::npos);
}

TEST(CliRunReportJson, AMismatchListsEachLineAndKeepsTheVerdictTextWhole) {
    RunOutcome outcome;
    outcome.report.verdict = TestRunActions::VerdictKind::Failed;
    outcome.report.verdictText = u"#版本号与参数文件不相符\r\n#协议与参数文件不符\r\n";
    outcome.report.parameterCheck = ParameterCheck::Mismatch;
    outcome.report.mismatchText = outcome.report.verdictText;
    outcome.report.passedItems = 0b000101;
    const JsonValue json = Parsed(outcome);
    EXPECT_EQ(json["verdict"].text, "FAIL");
    EXPECT_EQ(json["text"].text, "#版本号与参数文件不相符\r\n#协议与参数文件不符\r\n");
    ASSERT_EQ(json["mismatches"].items.size(), 2u);
    EXPECT_EQ(json["mismatches"].items[0].text, "#版本号与参数文件不相符");
    EXPECT_EQ(json["mismatches"].items[1].text, "#协议与参数文件不符");
    EXPECT_TRUE(json["items"]["SIM"].boolean);
    EXPECT_FALSE(json["items"]["GSM"].boolean);
    EXPECT_TRUE(json["items"]["GPS"].boolean);
    // No block came with an IMEI or a version, and the GPS time was never taken.
    EXPECT_TRUE(json["imei"].IsNull());
    EXPECT_TRUE(json["version"].IsNull());
    EXPECT_TRUE(json["gpsFixSeconds"].IsNull());
}

TEST(CliRunReportJson, ParameterChecksAndVerdictWords) {
    const struct {
        ParameterCheck check;
        const char* word;
    } checks[] = {
        {ParameterCheck::Ok, "ok"},
        {ParameterCheck::Mismatch, "mismatch"},
        {ParameterCheck::PlaceholderImei, "placeholder-imei"},
        {ParameterCheck::NotRead, "not-read"},
        {ParameterCheck::NothingToCompare, "no-file"},
    };
    for (const auto& c : checks) {
        RunOutcome outcome;
        outcome.report.parameterCheck = c.check;
        EXPECT_EQ(Parsed(outcome)["parameterCheck"].text, c.word);
    }
    RunOutcome stopped;
    stopped.interrupted = true;
    EXPECT_EQ(Parsed(stopped)["verdict"].text, "INTERRUPTED");
    EXPECT_EQ(Parsed(stopped)["text"].text, "interrupted");
    // A verdict that came before the signal stands.
    stopped.report.verdict = TestRunActions::VerdictKind::SourceLost;
    stopped.report.verdictText = u"#串口已断开#";
    EXPECT_EQ(Parsed(stopped)["verdict"].text, "FAIL");
    EXPECT_EQ(Parsed(stopped)["text"].text, "#串口已断开#");
}

} // namespace
