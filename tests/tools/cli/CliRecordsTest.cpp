// tollbrook-cli's test records: every run of `test` leaves one row where the program's settings
// or --db say, `records` prints the rows, and a store that does not answer never changes a
// verdict.

#include "JsonValue.h"
#include "PgTestCluster.h"
#include "Processes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

namespace {

using namespace cli_test;
namespace fs = std::filesystem;

// Every tollbrook-cli run of this test program records: its settings, records and spools stay
// in a folder of the process's own, never in the user's home.
const std::string kHome = [] {
    std::string folder = testing::TempDir() + "tollbrook-cli-home-XXXXXX";
    if (!mkdtemp(folder.data()))
        std::abort();
    setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    // No keyring either: a password lookup must not wait on a desktop session's bus.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    std::atexit([] {
        std::error_code error;
        fs::remove_all(std::getenv("XDG_DATA_HOME"), error);
        fs::remove_all(std::getenv("XDG_CONFIG_HOME"), error);
        fs::remove(fs::path(std::getenv("XDG_DATA_HOME")).parent_path(), error);
    });
    return folder;
}();

const std::string kDataFolder = kHome + "/data/quenhollow/TollbrookY202";

const std::string kMatchingFile = "<SETTING\nVer: V1.0.4\nID: 2026121001\nIMEI: 864209051234567\n"
                                  "IP: 203.0.113.10,9000\nAPN:internet\nTimeZone: 8\nMODE:1\n"
                                  "GPRS ENABLE:1\nPROTOCOL:2\nINTERVAL:30,300\nSETTING>\n";

struct Scratch {
    std::string path = ScratchPath("records");
    Scratch() { fs::create_directories(path); }
    ~Scratch() {
        std::error_code error;
        fs::remove_all(path, error);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

struct Outcome {
    std::optional<int> status;
    std::string out;
    std::string err;
};

Outcome Cli(const std::vector<std::string>& args) {
    Process cli(TOLLBROOK_CLI_PATH, args);
    Outcome outcome;
    outcome.status = cli.Wait();
    outcome.out = cli.Out();
    outcome.err = cli.Err();
    return outcome;
}

// One run against a fresh simulator.
Outcome TestRun(const Scratch& scratch, std::vector<std::string> simArgs,
                std::vector<std::string> more) {
    Process sim(TRACKER_SIM_PATH, simArgs);
    const std::string port = sim.FirstLine();
    EXPECT_FALSE(port.empty());
    std::ofstream(scratch / "params.txt") << kMatchingFile;
    std::vector<std::string> args = {"test", "--port", port, "--params", scratch / "params.txt"};
    args.insert(args.end(), more.begin(), more.end());
    return Cli(args);
}

JsonValue Records(const std::vector<std::string>& more) {
    std::vector<std::string> args = {"records", "--json"};
    args.insert(args.end(), more.begin(), more.end());
    const Outcome listed = Cli(args);
    EXPECT_EQ(listed.status, 0) << listed.err;
    auto json = ParseJson(listed.out);
    EXPECT_TRUE(json) << listed.out;
    return json ? *json : JsonValue{};
}

bool IsTime(const std::string& text) {
    return std::regex_match(text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)"));
}

TEST(CliRecords, APassIsRecordedInTheProgramsFileAndListed) {
    Scratch scratch;
    const Outcome run = TestRun(scratch, {}, {"--station", "线体 2", "--operator", "王"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("record"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::exists(kDataFolder + "/test-records.sqlite"));

    const JsonValue rows = Records({});
    ASSERT_EQ(rows.kind, JsonValue::Kind::Array);
    ASSERT_EQ(rows.items.size(), 1u);
    const JsonValue& row = rows.items[0];
    EXPECT_EQ(row.members.size(), 21u);
    EXPECT_EQ(row["id"].number, 1);
    EXPECT_EQ(row["imei"].text, "864209051234567");
    EXPECT_EQ(row["firmware"].text, "V1.0.4");
    EXPECT_EQ(row["verdict"].text, "PASS");
    EXPECT_EQ(row["verdict_text"].text, "##PASS##");
    for (const char* item : {"sim", "gsm", "gps", "gsensor", "acc", "extpower"})
        EXPECT_TRUE(row[item].boolean) << item;
    EXPECT_EQ(row["parameter_check"].text, "ok");
    EXPECT_EQ(row["mismatches"].text, "");
    EXPECT_EQ(row["gps_fix_seconds"].kind, JsonValue::Kind::Number);
    EXPECT_EQ(row["station"].text, "线体 2");
    EXPECT_EQ(row["operator"].text, "王");
    EXPECT_EQ(row["source"].text, "cli");
    EXPECT_EQ(row["parameter_file"].text, scratch / "params.txt");
    EXPECT_EQ(row["app_version"].text, TOLLBROOK_VERSION);
    EXPECT_TRUE(IsTime(row["started_at"].text)) << row["started_at"].text;
    EXPECT_TRUE(IsTime(row["finished_at"].text)) << row["finished_at"].text;
    EXPECT_LE(row["started_at"].text, row["finished_at"].text);

    // The same row as CSV, and filters that leave it out.
    const Outcome csv = Cli({"records", "--csv", "--imei", "1234567"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_TRUE(csv.out.starts_with("id,started_at,finished_at,station,")) << csv.out;
    EXPECT_NE(csv.out.find("\r\n1," + row["started_at"].text), std::string::npos) << csv.out;
    EXPECT_TRUE(Records({"--verdict", "FAIL"}).items.empty());
    EXPECT_TRUE(Records({"--station", "线体"}).items.empty());
    EXPECT_TRUE(Records({"--until", "2000-01-01"}).items.empty());
    EXPECT_EQ(Records({"--station", "线体 2", "--since", "2000-01-01"}).items.size(), 1u);
}

TEST(CliRecords, TheProgramsSettingsChooseTheStoreAndNoRecordWritesNone) {
    Scratch scratch;
    fs::create_directories(kHome + "/config/quenhollow");
    std::ofstream(kHome + "/config/quenhollow/TollbrookY202.ini")
        << "[General]\nlanguage=zh\n\n[TestRecords]\nBackend=sqlite\nSqlitePath=" << scratch.path
        << "/line.sqlite\nStation=\"bench 7, left\"\nOperator=Li\n";
    ASSERT_EQ(TestRun(scratch, {}, {}).status, 0);
    ASSERT_EQ(TestRun(scratch, {}, {"--no-record"}).status, 0);
    const JsonValue rows = Records({"--db", "sqlite:" + scratch / "line.sqlite"});
    ASSERT_EQ(rows.items.size(), 1u);
    EXPECT_EQ(rows.items[0]["station"].text, "bench 7, left");
    EXPECT_EQ(rows.items[0]["operator"].text, "Li");
    EXPECT_FALSE(fs::exists(kDataFolder + "/test-records.sqlite"));
    fs::remove(kHome + "/config/quenhollow/TollbrookY202.ini");
}

TEST(CliRecords, AFailingItemAndAnInterruptedRunAreRecordedToo) {
    Scratch scratch;
    const std::string db = "sqlite:" + scratch / "runs.sqlite";
    const Outcome failed = TestRun(scratch, {"--fail", "GSENSOR"}, {"--limit", "7", "--db", db});
    ASSERT_EQ(failed.status, 1) << failed.err;
    {
        Process sim(TRACKER_SIM_PATH, {"--gps-fix-after", "600"});
        const std::string port = sim.FirstLine();
        ASSERT_FALSE(port.empty());
        Process cli(TOLLBROOK_CLI_PATH, {"test", "--port", port, "--params", scratch / "params.txt",
                                         "--limit", "60", "--db", db});
        std::this_thread::sleep_for(milliseconds(1500));
        cli.Signal(SIGINT);
        ASSERT_EQ(cli.Wait(), 1) << cli.Err();
        const auto json = ParseJson(cli.Out());
        ASSERT_TRUE(json) << cli.Out();
        EXPECT_EQ((*json)["verdict"].text, "INTERRUPTED");
    }
    const JsonValue rows = Records({"--db", db});
    ASSERT_EQ(rows.items.size(), 2u);
    const JsonValue& interrupted = rows.items[0]; // newest first
    const JsonValue& fail = rows.items[1];
    EXPECT_EQ(interrupted["verdict"].text, "INTERRUPTED");
    EXPECT_EQ(interrupted["verdict_text"].text, "interrupted");
    EXPECT_FALSE(interrupted["gps"].boolean);
    EXPECT_TRUE(interrupted["gps_fix_seconds"].IsNull());
    EXPECT_EQ(fail["verdict"].text, "FAIL");
    EXPECT_FALSE(fail["gsensor"].boolean);
    EXPECT_TRUE(fail["gps"].boolean);
    EXPECT_EQ(fail["imei"].text, "864209051234567");
    EXPECT_EQ(Records({"--db", db, "--verdict", "interrupted"}).items.size(), 1u);
}

TEST(CliRecords, AStoreThatDoesNotAnswerNeverChangesTheVerdict) {
    Scratch scratch;
    // A socket folder with no server in it.
    const std::string db =
        "postgresql://line@" + std::string("%2Fnonexistent-tb-socket") + ":5432/records";
    const Outcome run = TestRun(scratch, {}, {"--db", db});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = ParseJson(run.out);
    ASSERT_TRUE(json) << run.out;
    EXPECT_EQ((*json)["verdict"].text, "PASS");
    EXPECT_NE(run.err.find("tollbrook-cli: the record waits in "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("1 record waiting"), std::string::npos) << run.err;
    const Outcome listed = Cli({"records", "--json", "--db", db});
    EXPECT_EQ(listed.status, 1);
    EXPECT_EQ(listed.out, "");
    EXPECT_NE(listed.err.find("does not answer"), std::string::npos) << listed.err;
}

} // namespace

namespace {

using namespace cli_test;

// Two benches, each with its tracker, writing to one server at once: both runs are there.
TEST(CliRecordsOnAServer, TwoBenchesAtOnceAreBothRecorded) {
    const pg_test::Cluster& cluster = pg_test::TestCluster();
    if (!cluster.ok())
        GTEST_SKIP() << cluster.why;
    const pg_test::Database database(cluster);
    ASSERT_EQ(database.Error(), "");
    const std::string db = DescribeStoreLocation(database.Location());
    Scratch scratch;
    std::ofstream(scratch / "params.txt") << kMatchingFile;
    Process simA(TRACKER_SIM_PATH, {});
    Process simB(TRACKER_SIM_PATH, {"--fail", "ACC"});
    const std::string portA = simA.FirstLine();
    const std::string portB = simB.FirstLine();
    ASSERT_FALSE(portA.empty() || portB.empty());
    Process benchA(TOLLBROOK_CLI_PATH, {"test", "--port", portA, "--params", scratch / "params.txt",
                                        "--db", db, "--station", "bench-a"});
    Process benchB(TOLLBROOK_CLI_PATH, {"test", "--port", portB, "--params", scratch / "params.txt",
                                        "--db", db, "--station", "bench-b", "--limit", "7"});
    EXPECT_EQ(benchA.Wait(), 0) << benchA.Err();
    EXPECT_EQ(benchB.Wait(), 1) << benchB.Err();
    EXPECT_EQ(benchA.Err().find("record"), std::string::npos) << benchA.Err();
    EXPECT_EQ(benchB.Err().find("record"), std::string::npos) << benchB.Err();
    const JsonValue a = Records({"--db", db, "--station", "bench-a"});
    const JsonValue b = Records({"--db", db, "--station", "bench-b"});
    ASSERT_EQ(a.items.size(), 1u);
    ASSERT_EQ(b.items.size(), 1u);
    EXPECT_EQ(a.items[0]["verdict"].text, "PASS");
    EXPECT_EQ(b.items[0]["verdict"].text, "FAIL");
    EXPECT_FALSE(b.items[0]["acc"].boolean);
    EXPECT_EQ(database.Value("SELECT count(*) FROM test_runs"), "2");
}

} // namespace
