// tollbrook-cli as a user runs it, against the simulated tracker (writing at once and paced
// like a 9600 baud line) and against devices the test plays: exit status, the JSON on stdout
// and the progress on stderr.

#include "JsonValue.h"
#include "Processes.h"
#include "serial/CSio.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace cli_test;

// The simulator's parameter block as a parameter file: every value as the device reports it.
const std::string kMatchingFile = "<SETTING\n"
                                  "Ver: V1.0.4\n"
                                  "ID: 2026121001\n"
                                  "IMEI: 864209051234567\n"
                                  "IP: 203.0.113.10,9000\n"
                                  "APN:internet\n"
                                  "TimeZone: 8\n"
                                  "MODE:1\n"
                                  "GPRS ENABLE:1\n"
                                  "PROTOCOL:2\n"
                                  "INTERVAL:30,300\n"
                                  "SETTING>\n";

std::string WithProtocol(const std::string& protocol) {
    std::string text = kMatchingFile;
    const auto at = text.find("PROTOCOL:2");
    return text.replace(at, 10, "PROTOCOL:" + protocol);
}

struct ParameterFile {
    std::string path = ScratchPath("params.txt");
    explicit ParameterFile(const std::string& text) { std::ofstream(path) << text; }
    ~ParameterFile() { unlink(path.c_str()); }
};

struct Sim : Process {
    explicit Sim(std::vector<std::string> args, int pace = 0)
        : Process(TRACKER_SIM_PATH, WithPace(std::move(args), pace)) {}
    static std::vector<std::string> WithPace(std::vector<std::string> args, int pace) {
        if (pace > 0) {
            args.push_back("--pace");
            args.push_back(std::to_string(pace));
        }
        return args;
    }
};

struct CliRun {
    std::optional<int> status;
    std::string out;
    std::string err;
    JsonValue json;
    double seconds = 0; // wall time of the process
};

CliRun RunCli(const std::vector<std::string>& args, milliseconds limit = kPatience) {
    const auto start = Clock::now();
    Process cli(TOLLBROOK_CLI_PATH, args);
    CliRun run;
    run.status = cli.Wait(limit);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.out = cli.Out();
    run.err = cli.Err();
    if (auto json = ParseJson(run.out))
        run.json = std::move(*json);
    return run;
}

std::vector<std::string> TestArgs(const std::string& port, const ParameterFile& file,
                                  std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"test", "--port", port, "--params", file.path};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// The output is exactly one JSON object on one line.
void ExpectOneJsonLine(const CliRun& run) {
    ASSERT_TRUE(run.out.ends_with("\n")) << run.out;
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << run.out;
    EXPECT_EQ(run.json.kind, JsonValue::Kind::Object) << run.out;
}

void ExpectItems(const JsonValue& json, const std::string& failed) {
    for (const char* item : {"SIM", "GSM", "GPS", "GSENSOR", "ACC", "EXTPOWER"})
        EXPECT_EQ(json["items"][item].boolean, item != failed) << item;
}

class CliAgainstTheSimulator : public testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(Cli, CliAgainstTheSimulator, testing::Values(0, 9600),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param ? "Paced" + std::to_string(info.param)
                                               : std::string("Instant");
                         });

TEST_P(CliAgainstTheSimulator, ADeviceThatMatchesTheFilePasses) {
    const std::string log = ScratchPath("sim.log");
    Sim sim({"--log", log}, GetParam());
    const std::string port = sim.FirstLine();
    ASSERT_FALSE(port.empty());
    const ParameterFile file(kMatchingFile);
    const CliRun run = RunCli(TestArgs(port, file, {"--baud", "9600"}));
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectOneJsonLine(run);
    EXPECT_EQ(run.json["verdict"].text, "PASS");
    EXPECT_EQ(run.json["text"].text, "##PASS##");
    ExpectItems(run.json, "");
    EXPECT_EQ(run.json["parameterCheck"].text, "ok");
    EXPECT_TRUE(run.json["mismatches"].items.empty());
    EXPECT_EQ(run.json["imei"].text, "864209051234567");
    EXPECT_EQ(run.json["version"].text, "V1.0.4");
    // The GPS item is asked third, about three seconds into the run.
    EXPECT_EQ(run.json["gpsFixSeconds"].kind, JsonValue::Kind::Number);
    EXPECT_GE(run.json["gpsFixSeconds"].number, 2);
    // Every item answers on its turn: the six turns take six seconds.
    EXPECT_GE(run.json["seconds"].number, 6.0);
    EXPECT_LT(run.json["seconds"].number, 12.0);
    EXPECT_NE(run.err.find("> AT+TEST_EXTPOWER=1\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("verdict: ##PASS##\n"), std::string::npos) << run.err;

    // The device was asked for its block (and sent it) before the verdict ended the run.
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
    const std::string traffic = ReadWhole(log);
    unlink(log.c_str());
    const auto request = traffic.find(" RX AT+TEST=1\n");
    EXPECT_NE(request, std::string::npos) << traffic;
    EXPECT_NE(traffic.find(" TX SETTING>", request), std::string::npos);
    EXPECT_LT(request, traffic.find(" RX AT+TEST_EXTPOWER=1\n"));
    EXPECT_NE(traffic.find(" RX AT+TEST_RELAY=1\n"), std::string::npos);
    EXPECT_NE(traffic.find(" RX AT+TEST_BEEP=1\n"), std::string::npos);
    EXPECT_NE(traffic.find(" RX AT+ESLP=0\n"), std::string::npos);
}

// The expected protocol 3 appears in the device's block, but only inside its IP: the check goes
// by label, so the run fails at once on the block.
TEST_P(CliAgainstTheSimulator, AProtocolThatDiffersFromTheFileFails) {
    Sim sim({}, GetParam());
    const std::string port = sim.FirstLine();
    ASSERT_FALSE(port.empty());
    const ParameterFile file(WithProtocol("3"));
    const CliRun run = RunCli(TestArgs(port, file));
    ASSERT_EQ(run.status, 1) << run.err;
    ExpectOneJsonLine(run);
    EXPECT_EQ(run.json["verdict"].text, "FAIL");
    EXPECT_EQ(run.json["text"].text, "#协议与参数文件不符\r\n");
    EXPECT_EQ(run.json["parameterCheck"].text, "mismatch");
    ASSERT_EQ(run.json["mismatches"].items.size(), 1u);
    EXPECT_EQ(run.json["mismatches"].items[0].text, "#协议与参数文件不符");
    EXPECT_LT(run.json["seconds"].number, 3.0);
    EXPECT_NE(run.err.find("fault: #协议与参数文件不符\n"), std::string::npos) << run.err;
}

TEST_P(CliAgainstTheSimulator, ReadsAndWritesSettings) {
    Sim sim({}, GetParam());
    const std::string port = sim.FirstLine();
    ASSERT_FALSE(port.empty());
    CliRun run = RunCli({"read", "--port", port, "id", "ip", "interval", "extpower-alarm"});
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectOneJsonLine(run);
    EXPECT_EQ(run.json["id"].text, "2026121001");
    EXPECT_EQ(run.json["ip"].text, "203.0.113.10");
    EXPECT_EQ(run.json["port"].text, "9000");
    EXPECT_EQ(run.json["interval-on"].text, "30");
    EXPECT_EQ(run.json["interval-off"].text, "300");
    EXPECT_EQ(run.json["extpower-alarm"].text, "off");

    run = RunCli({"write", "--port", port, "apn=cmnet.example", "vibration-alarm=on",
                  "ip=198.51.100.7,8001"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.json["apn"].text, "cmnet.example");
    EXPECT_EQ(run.json["vibration-alarm"].text, "on");
    EXPECT_EQ(run.json["ip"].text, "198.51.100.7");
    EXPECT_EQ(run.json["port"].text, "8001");

    // A new password: the device's answer carries it to the next command of the same run.
    run = RunCli({"write", "--port", port, "password=123456", "timezone=-5"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.json["password"].text, "123456");
    EXPECT_EQ(run.json["timezone"].text, "-5");
    EXPECT_NE(run.err.find("> AT+SMS=TIMEZONE,123456,-5#"), std::string::npos) << run.err;

    // The old password gets no answer: the reply is missing, within the time-out.
    run = RunCli({"read", "--port", port, "--timeout", "1", "apn", "id"});
    EXPECT_EQ(run.status, 1) << run.err;
    ExpectOneJsonLine(run);
    EXPECT_TRUE(run.json["apn"].IsNull());
    EXPECT_TRUE(run.json["id"].IsNull());
    EXPECT_LT(run.seconds, 5.0);
    run = RunCli({"read", "--port", port, "--password", "123456", "apn"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.json["apn"].text, "cmnet.example");
}

// --- each fault the simulator can play -------------------------------------------------------

struct FaultCase {
    const char* name;
    std::vector<std::string> simArgs;
    std::vector<std::string> cliArgs;
    int status;
    const char* text;
    const char* failedItem;
    const char* parameterCheck;
};

// Test names instead of bytes in the listing.
void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class CliSimulatedFault : public testing::TestWithParam<FaultCase> {};

TEST_P(CliSimulatedFault, EndsWithItsVerdict) {
    const FaultCase& c = GetParam();
    Sim sim(c.simArgs);
    const std::string port = sim.FirstLine();
    ASSERT_FALSE(port.empty());
    const ParameterFile file(kMatchingFile);
    const CliRun run = RunCli(TestArgs(port, file, c.cliArgs));
    ASSERT_EQ(run.status, c.status) << run.err;
    ExpectOneJsonLine(run);
    EXPECT_EQ(run.json["verdict"].text, c.status == 0 ? "PASS" : "FAIL");
    EXPECT_EQ(run.json["text"].text, c.text);
    EXPECT_EQ(run.json["parameterCheck"].text, c.parameterCheck);
    if (c.status != 0 && std::string(c.parameterCheck) == "ok")
        ExpectItems(run.json, c.failedItem);
}

// The time limit of 7 s lets every item be asked once.
INSTANTIATE_TEST_SUITE_P(
    Cli, CliSimulatedFault,
    testing::Values(
        FaultCase{"FailSim", {"--fail", "SIM"}, {"--limit", "7"}, 1, "#SIM Fail\r\n", "SIM", "ok"},
        FaultCase{"FailGsm", {"--fail", "GSM"}, {"--limit", "7"}, 1, "#GSM Fail\r\n", "GSM", "ok"},
        FaultCase{"FailGps", {"--fail", "GPS"}, {"--limit", "7"}, 1, "#GPS Fail\r\n", "GPS", "ok"},
        FaultCase{"FailGsensor",
                  {"--fail", "GSENSOR"},
                  {"--limit", "7"},
                  1,
                  "#GENSEOR Fail\r\n",
                  "GSENSOR",
                  "ok"},
        FaultCase{"FailAcc", {"--fail", "ACC"}, {"--limit", "7"}, 1, "#ACC Fail\r\n", "ACC", "ok"},
        FaultCase{"FailExtPower",
                  {"--fail", "EXTPOWER"},
                  {"--limit", "7"},
                  1,
                  "#EXT_POWER Fail\r\n",
                  "EXTPOWER",
                  "ok"},
        FaultCase{
            "SilentAcc", {"--silent", "ACC"}, {"--limit", "7"}, 1, "#ACC Fail\r\n", "ACC", "ok"},
        FaultCase{"GpsFixTooLate",
                  {"--gps-fix-after", "30"},
                  {"--limit", "7"},
                  1,
                  "#GPS Fail\r\n",
                  "GPS",
                  "ok"},
        FaultCase{"OtherVersion",
                  {"--firmware", "V2.0.0"},
                  {},
                  1,
                  "#版本号与参数文件不相符\r\n",
                  "",
                  "mismatch"},
        FaultCase{"PlaceholderImei",
                  {"--imei", "123456789012345"},
                  {"--check-imei"},
                  1,
                  "设备未烧写IMEI号",
                  "",
                  "placeholder-imei"},
        // Without --check-imei the placeholder is not looked for.
        FaultCase{"PlaceholderImeiUnchecked",
                  {"--imei", "123456789012345"},
                  {"--items", "SIM,GSM,GPS,GSENSOR,ACC,EXTPOWER"},
                  0,
                  "##PASS##",
                  "",
                  "ok"},
        // A run with one item left out cannot pass: it names that item at the limit.
        FaultCase{"ItemLeftOut",
                  {},
                  {"--limit", "7", "--items", "SIM,GSM,GPS,GSENSOR,ACC"},
                  1,
                  "#EXT_POWER Fail\r\n",
                  "EXTPOWER",
                  "ok"}),
    [](const auto& info) { return std::string(info.param.name); });

// Asked at 3 s without a fix, the GPS passes on its next turn at 9 s.
TEST(CliGpsFix, ALateFixPassesWithItsTime) {
    Sim sim({"--gps-fix-after", "5"});
    const std::string port = sim.FirstLine();
    ASSERT_FALSE(port.empty());
    const ParameterFile file(kMatchingFile);
    const CliRun run = RunCli(TestArgs(port, file));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_GE(run.json["gpsFixSeconds"].number, 5);
    EXPECT_NE(run.err.find("GPS fix after "), std::string::npos) << run.err;
}

// --- devices the simulator does not play -----------------------------------------------------

TEST(CliPlayedDevice, ADeviceThatNeverSendsItsBlockFailsAtTheLimit) {
    PlayedDevice device(true);
    ASSERT_TRUE(device.ok());
    const ParameterFile file(kMatchingFile);
    const CliRun run = RunCli(TestArgs(device.Path(), file, {"--limit", "7"}));
    ASSERT_EQ(run.status, 1) << run.err;
    ExpectOneJsonLine(run);
    EXPECT_EQ(run.json["text"].text, "#参数未读取\r\n");
    EXPECT_EQ(run.json["parameterCheck"].text, "not-read");
    ExpectItems(run.json, "");
    EXPECT_TRUE(run.json["imei"].IsNull());
    EXPECT_GE(run.json["seconds"].number, 7.0);
}

TEST(CliPlayedDevice, ASilentDeviceFailsAtTheLimitWithNothingRead) {
    PlayedDevice device(false);
    ASSERT_TRUE(device.ok());
    const ParameterFile file(kMatchingFile);
    const CliRun run = RunCli(TestArgs(device.Path(), file, {"--limit", "2"}));
    ASSERT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.json["text"].text, "#软件未烧录#\r\n#参数未读取\r\n");
    EXPECT_EQ(run.json["parameterCheck"].text, "not-read");
    for (const auto& [item, passed] : run.json["items"].members)
        EXPECT_FALSE(passed.boolean) << item;
}

TEST(CliPlayedDevice, AFileWithNothingToCompareChecksNoParameters) {
    PlayedDevice device(true);
    ASSERT_TRUE(device.ok());
    const ParameterFile file("ID: 1\nIMEI: 2\nIP: 3\nAPN:");
    const CliRun run = RunCli(TestArgs(device.Path(), file));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.json["parameterCheck"].text, "no-file");
    EXPECT_NE(run.err.find("warning: the parameter file holds no value to compare"),
              std::string::npos)
        << run.err;
}

// --- the run's end from outside --------------------------------------------------------------

TEST(CliRunEnd, ADeviceUnpluggedMidRunEndsItWithinTwoSeconds) {
    Sim sim({"--gps-fix-after", "600"});
    const std::string port = sim.FirstLine();
    ASSERT_FALSE(port.empty());
    const ParameterFile file(kMatchingFile);
    Process cli(TOLLBROOK_CLI_PATH, TestArgs(port, file, {"--limit", "60"}));
    std::this_thread::sleep_for(milliseconds(2500));
    ASSERT_FALSE(cli.Wait(milliseconds(0)));
    sim.Signal(SIGKILL);
    const auto gone = Clock::now();
    const auto status = cli.Wait();
    const double seconds = std::chrono::duration<double>(Clock::now() - gone).count();
    ASSERT_EQ(status, 1) << cli.Err();
    EXPECT_LT(seconds, 2.0);
    const auto json = ParseJson(cli.Out());
    ASSERT_TRUE(json) << cli.Out();
    EXPECT_EQ((*json)["verdict"].text, "FAIL");
    EXPECT_EQ((*json)["text"].text, "#串口已断开#");
    EXPECT_TRUE((*json)["items"]["SIM"].boolean);
    EXPECT_NE(cli.Err().find("#串口已断开#"), std::string::npos) << cli.Err();
}

TEST(CliRunEnd, AnInterruptStopsTheRunAndReleasesThePort) {
    Sim sim({"--gps-fix-after", "600"});
    const std::string port = sim.FirstLine();
    ASSERT_FALSE(port.empty());
    const ParameterFile file(kMatchingFile);
    Process cli(TOLLBROOK_CLI_PATH, TestArgs(port, file, {"--limit", "60"}));
    std::this_thread::sleep_for(milliseconds(1500));
    // While the run holds it, the port is the run's alone.
    CSio other;
    EXPECT_LT(other.Open(port, 9600), 0);
    cli.Signal(SIGINT);
    const auto sent = Clock::now();
    ASSERT_EQ(cli.Wait(), 1) << cli.Err();
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - sent).count(), 1.0);
    const auto json = ParseJson(cli.Out());
    ASSERT_TRUE(json) << cli.Out();
    EXPECT_EQ((*json)["verdict"].text, "INTERRUPTED");
    EXPECT_EQ((*json)["parameterCheck"].text, "ok");
    EXPECT_GE(other.Open(port, 9600), 0) << other.LastError();
}

// --- bad use ---------------------------------------------------------------------------------

TEST(CliBadUse, IsRefusedWithExitTwoAndOneLineOfReason) {
    const std::string missing = ScratchPath("no-such-file.txt");
    const ParameterFile file(kMatchingFile);
    PlayedDevice device(false);
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } cases[] = {
        {{}, "no command"},
        {{"test", "--port", device.Path()}, "--params"},
        {{"test", "--port", device.Path(), "--params", file.path, "--items", "SIM,FOO"}, "FOO"},
        {{"test", "--port", device.Path(), "--params", missing}, "cannot read the parameter file"},
        {{"test", "--port", missing, "--params", file.path}, "No such file or directory"},
        {{"read", "--port", "/dev/null", "id"}, "cannot open /dev/null"},
        {{"write", "--port", device.Path(), "imei=12345"}, "IMEI Length should be 15"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const CliRun run = RunCli(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("tollbrook-cli: ")) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    }
}

TEST(CliBadUse, APortInUseIsNotShared) {
    PlayedDevice device(false);
    CSio holder;
    ASSERT_GE(holder.Open(device.Path(), 9600), 0);
    const ParameterFile file(kMatchingFile);
    const CliRun run = RunCli(TestArgs(device.Path(), file));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("busy"), std::string::npos) << run.err;
}

// A device node of a group the user is not in: the reason says which group to join.
TEST(CliBadUse, APortThatIsNotTheUsersNamesItsGroup) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may open any device node";
    const std::string node = ScratchPath("tty");
    std::ofstream(node) << "";
    ASSERT_EQ(chmod(node.c_str(), 0), 0);
    const CliRun run = RunCli({"read", "--port", node, "id"});
    unlink(node.c_str());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find("You must be a member of the group"), std::string::npos) << run.err;
}

TEST(CliHelp, SaysHowToUseIt) {
    const CliRun run = RunCli({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.starts_with("usage: tollbrook-cli test --port PATH")) << run.out;
    EXPECT_NE(run.out.find("parameterCheck"), std::string::npos);
}

} // namespace
