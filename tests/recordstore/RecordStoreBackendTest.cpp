// The stores against real databases: an SQLite file in a scratch folder and a database of its
// own on the PostgreSQL cluster that ctest started (scripts/pg-cluster.sh). The same table of
// cases runs over both.

#include "PgTestCluster.h"
#include "RecordSamples.h"
#include "recordstore/PostgresRecordStore.h"
#include "recordstore/RecordDelivery.h"
#include "recordstore/SqliteRecordStore.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using record_samples::Record;
using Kind = StoreLocation::Kind;

std::string Bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A scratch folder of the test case's own.
struct Scratch {
    fs::path path = fs::path(testing::TempDir()) / pg_test::UniqueName("tb-records-");
    Scratch() { fs::create_directories(path); }
    ~Scratch() {
        std::error_code error;
        fs::remove_all(path, error);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

// Runs SQL on an SQLite file directly, as another program would.
std::string SqliteRun(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    char* error = nullptr;
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    std::string text = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    return text;
}

std::vector<std::string> Imeis(const std::vector<TestRecord>& records) {
    std::vector<std::string> imeis;
    for (const TestRecord& r : records)
        imeis.push_back(r.imei);
    return imeis;
}

RecordFilter Filter(std::string imeiPart, std::optional<RecordVerdict> verdict = {},
                    std::string station = {}, std::string since = {}, std::string until = {}) {
    RecordFilter filter;
    filter.imeiPart = std::move(imeiPart);
    filter.verdict = verdict;
    filter.station = std::move(station);
    filter.sinceDate = std::move(since);
    filter.untilDate = std::move(until);
    return filter;
}

class StoreTest : public testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        if (GetParam() == Kind::Postgres) {
            if (!pg_test::TestCluster().ok())
                GTEST_SKIP() << pg_test::TestCluster().why;
            m_database = std::make_unique<pg_test::Database>(pg_test::TestCluster());
            ASSERT_EQ(m_database->Error(), "");
            m_location = m_database->Location();
        } else {
            m_location.kind = Kind::Sqlite;
            m_location.sqlitePath = m_scratch / "records.sqlite";
        }
    }

    std::unique_ptr<RecordStore> Store() const { return MakeRecordStore(m_location); }

    // SQL on the store's database, outside the store (a hand-made schema, a later version).
    std::string Run(const std::string& sql) const {
        return GetParam() == Kind::Postgres ? m_database->Run(sql)
                                            : SqliteRun(m_location.sqlitePath, sql);
    }

    std::vector<TestRecord> All() const {
        std::vector<TestRecord> records;
        const StoreStatus status = Store()->Query({}, records);
        EXPECT_TRUE(status.Ok()) << status.message;
        return records;
    }

    Scratch m_scratch;
    std::unique_ptr<pg_test::Database> m_database;
    StoreLocation m_location;
};

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest, testing::Values(Kind::Sqlite, Kind::Postgres),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return info.param == Kind::Sqlite ? "Sqlite" : "Postgres";
                         });

TEST_P(StoreTest, EveryColumnReadsBackAsWritten) {
    auto store = Store();
    ASSERT_EQ(store->Open().code, StoreStatus::Code::Ok);
    EXPECT_EQ(store->SchemaVersion(), kRecordSchemaVersion);
    std::vector<TestRecord> written = record_samples::EveryColumn();
    std::set<std::int64_t> ids;
    for (TestRecord& record : written) {
        record.runKey = NewRunKey();
        const StoreStatus status = store->Insert(record);
        ASSERT_TRUE(status.Ok()) << status.message;
        EXPECT_GT(record.id, 0);
        ids.insert(record.id);
    }
    EXPECT_EQ(ids.size(), written.size());
    // Read through a second connection: what is there was committed, not just cached.
    const std::vector<TestRecord> read = All();
    std::vector<TestRecord> expected = written;
    std::reverse(expected.begin(), expected.end()); // newest first
    ASSERT_EQ(read.size(), expected.size());
    for (std::size_t i = 0; i < read.size(); ++i)
        EXPECT_EQ(read[i], expected[i]) << "row " << i << " imei " << expected[i].imei;
}

TEST_P(StoreTest, ARecordDeliveredTwiceIsKeptOnce) {
    auto store = Store();
    TestRecord first = Record("864209051234567", "2026-12-10T08:00:00Z");
    first.runKey = NewRunKey();
    TestRecord again = first;
    ASSERT_TRUE(store->Insert(first).Ok());
    ASSERT_TRUE(store->Insert(again).Ok());
    EXPECT_EQ(again.id, first.id);
    TestRecord other = Record("864209051234567", "2026-12-10T08:00:00Z");
    other.runKey = NewRunKey();
    ASSERT_TRUE(store->Insert(other).Ok());
    EXPECT_EQ(All().size(), 2u);
}

TEST_P(StoreTest, FiltersSelectTheRunsNewestFirst) {
    auto store = Store();
    std::vector<TestRecord> records = {
        Record("864209051234567", "2026-12-09T23:59:59Z", RecordVerdict::Fail),
        Record("864209051234567", "2026-12-10T00:00:00Z", RecordVerdict::Pass),
        Record("864209050000001", "2026-12-10T12:00:00Z", RecordVerdict::Interrupted),
        Record("864209050000002", "2026-12-11T00:00:00Z", RecordVerdict::Fail),
        Record("", "2026-12-10T13:00:00Z", RecordVerdict::Fail),
        Record("86420905_%1", "2026-12-10T14:00:00Z", RecordVerdict::Pass),
    };
    records[2].station = "bench-2";
    records[3].station = "线体2";
    for (TestRecord& record : records)
        ASSERT_TRUE(store->Insert(record).Ok());

    struct Case {
        const char* name;
        RecordFilter filter;
        std::vector<std::string> imeis; // newest first
    };
    const std::vector<Case> cases = {
        {"none",
         {},
         {"864209050000002", "86420905_%1", "", "864209050000001", "864209051234567",
          "864209051234567"}},
        {"imei part", Filter("1234"), {"864209051234567", "864209051234567"}},
        {"imei wildcard characters are plain text", Filter("_%"), {"86420905_%1"}},
        {"verdict", Filter("", RecordVerdict::Fail), {"864209050000002", "", "864209051234567"}},
        {"interrupted", Filter("", RecordVerdict::Interrupted), {"864209050000001"}},
        {"station", Filter("", {}, "线体2"), {"864209050000002"}},
        {"station is exact", Filter("", {}, "bench"), {}},
        {"one day, both ends inclusive",
         Filter("", {}, "", "2026-12-10", "2026-12-10"),
         {"86420905_%1", "", "864209050000001", "864209051234567"}},
        {"since", Filter("", {}, "", "2026-12-11"), {"864209050000002"}},
        {"until", Filter("", {}, "", "", "2026-12-09"), {"864209051234567"}},
        {"all together",
         Filter("8642", RecordVerdict::Pass, "bench-1", "2026-12-10", "2026-12-31"),
         {"86420905_%1", "864209051234567"}},
    };
    for (const Case& c : cases) {
        std::vector<TestRecord> found;
        const StoreStatus status = store->Query(c.filter, found);
        ASSERT_TRUE(status.Ok()) << c.name << ": " << status.message;
        EXPECT_EQ(Imeis(found), c.imeis) << c.name;
        // The C++ rule of the spool and the window agrees with the SQL.
        std::vector<TestRecord> matching;
        for (const TestRecord& r : All()) {
            if (Matches(c.filter, r))
                matching.push_back(r);
        }
        EXPECT_EQ(Imeis(matching), c.imeis) << c.name << " (Matches)";
    }
    std::vector<TestRecord> found;
    EXPECT_EQ(store->Query(Filter("", {}, "", "2026-02-30"), found).code,
              StoreStatus::Code::Failed);
}

// Version 1 as the first release made it: no parameter_file, source, app_version.
std::string Version1Schema(Kind kind) {
    const bool pg = kind == Kind::Postgres;
    const std::string time = pg ? "timestamptz" : "TEXT";
    const std::string flag = pg ? "boolean" : "INTEGER";
    const std::string id = pg ? "bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"
                              : "INTEGER PRIMARY KEY AUTOINCREMENT";
    const std::string yes = pg ? "true" : "1";
    const std::string no = pg ? "false" : "0";
    return "CREATE TABLE schema_version (version integer NOT NULL);"
           "INSERT INTO schema_version VALUES (1);"
           "CREATE TABLE test_runs (id " +
           id + ", started_at " + time +
           " NOT NULL, "
           "finished_at " +
           time +
           " NOT NULL, station text NOT NULL DEFAULT '', "
           "operator text NOT NULL DEFAULT '', imei text NOT NULL DEFAULT '', "
           "firmware text NOT NULL DEFAULT '', verdict text NOT NULL, "
           "verdict_text text NOT NULL DEFAULT '', sim " +
           flag + " NOT NULL, gsm " + flag + " NOT NULL, gps " + flag + " NOT NULL, gsensor " +
           flag + " NOT NULL, acc " + flag + " NOT NULL, extpower " + flag +
           " NOT NULL, parameter_check text NOT NULL DEFAULT '', "
           "mismatches text NOT NULL DEFAULT '', gps_fix_seconds bigint);"
           "INSERT INTO test_runs (started_at, finished_at, station, imei, firmware, verdict, "
           "verdict_text, sim, gsm, gps, gsensor, acc, extpower, parameter_check, "
           "gps_fix_seconds) VALUES ('2026-11-01T10:00:00Z', '2026-11-01T10:01:20Z', 'old', "
           "'864209050000009', 'V1.0.3', 'FAIL', 'TEST FAIL', " +
           yes + ", " + yes + ", " + no + ", " + yes + ", " + yes + ", " + yes + ", 'ok', NULL);";
}

TEST_P(StoreTest, AVersion1DatabaseIsMigratedAndKeepsItsRows) {
    ASSERT_EQ(Run(Version1Schema(GetParam())), "");
    auto store = Store();
    const StoreStatus opened = store->Open();
    ASSERT_EQ(opened.code, StoreStatus::Code::Ok) << opened.message;
    EXPECT_EQ(store->SchemaVersion(), 2);
    std::vector<TestRecord> records = All();
    ASSERT_EQ(records.size(), 1u);
    TestRecord expected = Record("864209050000009", "2026-11-01T10:00:00Z", RecordVerdict::Fail);
    expected.id = records[0].id;
    expected.finishedAt = "2026-11-01T10:01:20Z";
    expected.station = "old";
    expected.operatorName = "";
    expected.firmware = "V1.0.3";
    expected.items = {true, true, false, true, true, true};
    expected.gpsFixSeconds = std::nullopt;
    expected.parameterFile = "";
    expected.source = RecordSource::Page; // what the page alone wrote then
    expected.appVersion = "";
    EXPECT_EQ(records[0], expected);
    TestRecord added = Record("864209050000010", "2026-12-01T10:00:00Z");
    ASSERT_TRUE(store->Insert(added).Ok());
    EXPECT_EQ(All().size(), 2u);
    // Opening again finds version 2 and changes nothing.
    EXPECT_EQ(Store()->Open().code, StoreStatus::Code::Ok);
    EXPECT_EQ(All().size(), 2u);
}

TEST_P(StoreTest, ADatabaseOfANewerVersionIsReadButNotWritten) {
    {
        auto store = Store();
        TestRecord record = Record("864209051234567", "2026-12-10T08:00:00Z");
        ASSERT_TRUE(store->Insert(record).Ok());
    }
    ASSERT_EQ(Run("UPDATE schema_version SET version = 7"), "");
    auto store = Store();
    const StoreStatus opened = store->Open();
    EXPECT_EQ(opened.code, StoreStatus::Code::ReadOnly);
    EXPECT_NE(opened.message.find("newer version"), std::string::npos) << opened.message;
    EXPECT_NE(opened.message.find("schema 7"), std::string::npos) << opened.message;
    EXPECT_NE(opened.message.find("knows 2"), std::string::npos) << opened.message;
    std::vector<TestRecord> records;
    EXPECT_TRUE(store->Query({}, records).Ok());
    EXPECT_EQ(records.size(), 1u);
    TestRecord refused = Record("864209059999999", "2026-12-10T09:00:00Z");
    EXPECT_EQ(store->Insert(refused).code, StoreStatus::Code::ReadOnly);
    EXPECT_EQ(refused.id, 0);
    records.clear();
    EXPECT_TRUE(store->Query({}, records).Ok());
    EXPECT_EQ(records.size(), 1u);
}

// Two benches writing at once, as two processes: every record arrives, none twice.
TEST_P(StoreTest, TwoWriterProcessesLoseNothing) {
    ASSERT_TRUE(Store()->Open().Ok());
    const std::string target = DescribeStoreLocation(m_location);
    constexpr int kEach = 40;
    std::vector<pid_t> writers;
    for (const char* tag : {"A", "B"}) {
        std::vector<std::string> args = {RECORD_WRITER_PATH, target,
                                         m_scratch / (std::string("spool-") + tag + ".sqlite"),
                                         std::to_string(kEach), tag};
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        ASSERT_EQ(posix_spawn(&pid, RECORD_WRITER_PATH, nullptr, nullptr, argv.data(), environ), 0);
        writers.push_back(pid);
    }
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
    }
    std::set<std::string> imeis;
    const std::vector<TestRecord> records = All();
    for (const TestRecord& r : records)
        imeis.insert(r.imei);
    EXPECT_EQ(records.size(), 2u * kEach);
    EXPECT_EQ(imeis.size(), 2u * kEach);
    EXPECT_TRUE(imeis.contains("A-0") && imeis.contains("B-39"));
}

// Threads of one program, each with its delivery, share the target and the spool.
TEST_P(StoreTest, DeliveriesOnTwoThreadsLoseNothing) {
    ASSERT_TRUE(Store()->Open().Ok());
    constexpr int kEach = 15;
    auto write = [&](const std::string& tag) {
        RecordDelivery delivery(m_location, m_scratch / "spool.sqlite");
        for (int n = 0; n < kEach; ++n) {
            const auto result =
                delivery.Record(Record(tag + std::to_string(n), "2026-12-10T08:00:00Z"));
            EXPECT_TRUE(result.stored) << result.status.message;
        }
    };
    std::thread a(write, "A");
    std::thread b(write, "B");
    a.join();
    b.join();
    EXPECT_EQ(All().size(), 2u * kEach);
}

// ---- SQLite: damaged and unusable files ----

class SqliteFileTest : public testing::Test {
protected:
    Scratch m_scratch;
    std::string m_path = m_scratch / "test-records.sqlite";
};

TEST_F(SqliteFileTest, ADamagedFileIsSetAsideNeverOverwritten) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> damage;
    };
    const std::vector<Case> cases = {
        {"not a database",
         [](const std::string& path) {
             std::ofstream(path, std::ios::binary) << "IMEI,verdict\n864209051234567,PASS\n"
                                                   << std::string(4000, 'x');
         }},
        {"damaged pages",
         [](const std::string& path) {
             {
                 SqliteRecordStore store(path);
                 for (int n = 0; n < 200; ++n) {
                     TestRecord r =
                         Record("86420905" + std::to_string(1000000 + n), "2026-12-10T08:00:00Z");
                     r.mismatches = std::string(300, 'm');
                     ASSERT_TRUE(store.Insert(r).Ok());
                 }
             }
             SqliteRun(path, "PRAGMA wal_checkpoint(TRUNCATE)");
             std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
             file.seekp(4096 * 3);
             file << std::string(4096 * 2, '\x5A');
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_scratch.path);
        fs::create_directories(m_scratch.path);
        c.damage(m_path);
        const std::string before = Bytes(m_path);
        SqliteRecordStore store(m_path);
        const StoreStatus opened = store.Open();
        EXPECT_EQ(opened.code, StoreStatus::Code::SetAside) << opened.message;
        EXPECT_TRUE(opened.Ok());
        std::string aside;
        for (const auto& entry : fs::directory_iterator(m_scratch.path)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("test-records.sqlite.corrupt-") && !name.ends_with("-wal") &&
                !name.ends_with("-shm"))
                aside = entry.path().string();
        }
        ASSERT_FALSE(aside.empty());
        EXPECT_EQ(Bytes(aside), before); // every byte kept
        EXPECT_NE(opened.message.find(m_path), std::string::npos) << opened.message;
        EXPECT_NE(opened.message.find(aside), std::string::npos) << opened.message;
        // The fresh file takes records.
        TestRecord record = Record("864209051234567", "2026-12-10T08:00:00Z");
        EXPECT_TRUE(store.Insert(record).Ok());
        std::vector<TestRecord> records;
        EXPECT_TRUE(store.Query({}, records).Ok());
        EXPECT_EQ(records.size(), 1u);
    }
}

TEST_F(SqliteFileTest, AnUnusablePathFailsAndIsLeftAlone) {
    // A folder where the file should be: neither opened nor renamed.
    fs::create_directories(m_path);
    std::ofstream(m_path + "/keep") << "mine";
    SqliteRecordStore store(m_path);
    const StoreStatus opened = store.Open();
    EXPECT_EQ(opened.code, StoreStatus::Code::Failed);
    EXPECT_NE(opened.message.find(m_path), std::string::npos) << opened.message;
    EXPECT_EQ(Bytes(m_path + "/keep"), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_scratch.path), fs::directory_iterator()), 1);
    // A folder that cannot be made.
    std::ofstream(m_scratch / "plain") << "x";
    SqliteRecordStore under(m_scratch / "plain/sub/records.sqlite");
    EXPECT_EQ(under.Open().code, StoreStatus::Code::Failed);
}

TEST_F(SqliteFileTest, AFileLockedBeyondTheTimeOutIsUnreachable) {
    SqliteRecordStore store(m_path, std::chrono::milliseconds(200));
    ASSERT_TRUE(store.Open().Ok());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(m_path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    TestRecord record = Record("864209051234567", "2026-12-10T08:00:00Z");
    const StoreStatus status = store.Insert(record);
    EXPECT_EQ(status.code, StoreStatus::Code::Unreachable);
    EXPECT_NE(status.message.find("locked"), std::string::npos) << status.message;
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(store.Insert(record).Ok());
}

// ---- Delivery through the spool ----

TEST_F(SqliteFileTest, RecordsWaitInTheSpoolAndArriveOldestFirst) {
    // The target cannot be opened while a folder stands in its place.
    fs::create_directories(m_path);
    StoreLocation target;
    target.sqlitePath = m_path;
    RecordDelivery delivery(target, m_scratch / "spool.sqlite");
    EXPECT_EQ(delivery.WaitingCount(), 0u);
    for (int n = 0; n < 3; ++n) {
        const auto result =
            delivery.Record(Record("86420905000000" + std::to_string(n), "2026-12-10T08:00:00Z"));
        EXPECT_FALSE(result.stored);
        EXPECT_TRUE(result.spooled);
        EXPECT_EQ(result.status.code, StoreStatus::Code::Failed);
    }
    EXPECT_EQ(delivery.WaitingCount(), 3u);
    EXPECT_FALSE(delivery.LastProblem().empty());
    fs::remove(m_path);
    const auto result = delivery.Record(Record("864209050000003", "2026-12-10T08:00:00Z"));
    EXPECT_TRUE(result.stored) << result.status.message;
    EXPECT_EQ(delivery.WaitingCount(), 0u);
    EXPECT_TRUE(delivery.LastProblem().empty());
    SqliteRecordStore store(m_path);
    std::vector<TestRecord> records;
    ASSERT_TRUE(store.Query({}, records).Ok());
    // Same start time: newest first is by id, so the ids give the delivery order.
    EXPECT_EQ(Imeis(records), (std::vector<std::string>{"864209050000003", "864209050000002",
                                                        "864209050000001", "864209050000000"}));
}

// ---- PostgreSQL: settings the server refuses, a server that goes away ----

class PostgresTest : public testing::Test {
protected:
    void SetUp() override {
        if (!pg_test::TestCluster().ok())
            GTEST_SKIP() << pg_test::TestCluster().why;
    }
};

TEST_F(PostgresTest, RefusedSettingsNameTheProblem) {
    const pg_test::Cluster& cluster = pg_test::TestCluster();
    // A role that must give its password (pg_hba: scram-sha-256 for all but postgres).
    pg_test::Admin(cluster, "postgres",
                   "DO $$BEGIN CREATE ROLE tb_bench LOGIN PASSWORD 'right horse'; "
                   "EXCEPTION WHEN duplicate_object THEN NULL; END$$");
    const pg_test::Database database(cluster, "tb_bench");
    ASSERT_EQ(database.Error(), "");
    struct Case {
        const char* name;
        std::string user;
        std::string password;
        std::string database;
        StoreStatus::Code code;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"right password", "tb_bench", "right horse", database.Name(), StoreStatus::Code::Ok, ""},
        {"wrong password", "tb_bench", "wrong horse", database.Name(), StoreStatus::Code::Refused,
         "wrong password for user \"tb_bench\""},
        {"no password", "tb_bench", "", database.Name(), StoreStatus::Code::Refused,
         "user \"tb_bench\" needs a password"},
        {"unknown database", "postgres", "", "no_such_line", StoreStatus::Code::Refused,
         "database \"no_such_line\" does not exist"},
        {"unknown user", "nobody_here", "any horse", database.Name(), StoreStatus::Code::Refused,
         "user \"nobody_here\""},
    };
    // libpq's own password sources stay out of it.
    unsetenv("PGPASSWORD");
    setenv("PGPASSFILE", "/nonexistent", 1);
    for (const Case& c : cases) {
        StoreLocation location = pg_test::Location(cluster, c.database, c.user);
        location.password = c.password;
        PostgresRecordStore store(location);
        const StoreStatus status = store.Open();
        EXPECT_EQ(status.code, c.code) << c.name << ": " << status.message;
        EXPECT_NE(status.message.find(c.says), std::string::npos)
            << c.name << ": " << status.message;
        // The password never shows in a message.
        if (!c.password.empty() && c.code != StoreStatus::Code::Ok) {
            EXPECT_EQ(status.message.find(c.password), std::string::npos) << status.message;
        }
    }
    // No server behind the socket: worth retrying later.
    StoreLocation nowhere = pg_test::Location(cluster, database.Name());
    nowhere.port = cluster.port == 65535 ? 65534 : cluster.port + 1;
    PostgresRecordStore store(nowhere);
    EXPECT_EQ(store.Open().code, StoreStatus::Code::Unreachable);
}

// A server of the test's own, really stopped and started with the cluster script.
class OwnCluster {
public:
    OwnCluster() : m_state(testing::TempDir() + pg_test::UniqueName("tb-pg-state-")) {
        m_started = Script("start") == 0;
    }
    ~OwnCluster() { Script("stop"); }
    bool Started() const { return m_started; }
    pg_test::Cluster Cluster() const { return pg_test::ClusterAt(m_state); }
    int Script(const std::string& command) const {
        const std::string line = "bash '" + std::string(PG_CLUSTER_SCRIPT) + "' " + command + " '" +
                                 m_state + "' >/dev/null";
        return std::system(line.c_str());
    }

private:
    std::string m_state;
    bool m_started = false;
};

TEST_F(PostgresTest, ServerStoppedMidRunSpoolsAndDeliversWhenBack) {
    OwnCluster server;
    ASSERT_TRUE(server.Started());
    const pg_test::Cluster cluster = server.Cluster();
    ASSERT_TRUE(cluster.ok()) << cluster.why;
    const pg_test::Database database(cluster);
    ASSERT_EQ(database.Error(), "");
    Scratch scratch;
    RecordDelivery delivery(database.Location(), scratch / "spool.sqlite");
    auto first = delivery.Record(Record("864209050000001", "2026-12-10T08:00:00Z"));
    ASSERT_TRUE(first.stored) << first.status.message;

    ASSERT_EQ(server.Script("pause"), 0);
    const auto during = delivery.Record(Record("864209050000002", "2026-12-10T08:01:00Z"));
    EXPECT_FALSE(during.stored);
    EXPECT_TRUE(during.spooled);
    EXPECT_EQ(during.status.code, StoreStatus::Code::Unreachable) << during.status.message;
    EXPECT_EQ(delivery.WaitingCount(), 1u);
    EXPECT_EQ(delivery.DeliverWaiting(), 0u);
    EXPECT_EQ(delivery.WaitingCount(), 1u);

    ASSERT_EQ(server.Script("resume"), 0);
    EXPECT_EQ(delivery.DeliverWaiting(), 1u) << delivery.LastProblem();
    EXPECT_EQ(delivery.WaitingCount(), 0u);
    EXPECT_EQ(database.Value("SELECT count(*) FROM test_runs WHERE imei = '864209050000002'"), "1");
    EXPECT_EQ(database.Value("SELECT count(*) FROM test_runs"), "2");
    // The connection the delivery held before the stop is gone; the next record finds a new one.
    const auto after = delivery.Record(Record("864209050000003", "2026-12-10T08:02:00Z"));
    EXPECT_TRUE(after.stored) << after.status.message;
    EXPECT_EQ(database.Value("SELECT count(*) FROM test_runs"), "3");
}

// Two benches opening a new database at once make its schema once.
TEST_F(PostgresTest, TwoBenchesMakingTheSchemaAtOnceAgree) {
    const pg_test::Database database(pg_test::TestCluster());
    ASSERT_EQ(database.Error(), "");
    std::vector<StoreStatus> statuses(4);
    std::vector<std::thread> benches;
    for (std::size_t i = 0; i < statuses.size(); ++i)
        benches.emplace_back(
            [&, i] { statuses[i] = PostgresRecordStore(database.Location()).Open(); });
    for (std::thread& bench : benches)
        bench.join();
    for (const StoreStatus& status : statuses)
        EXPECT_EQ(status.code, StoreStatus::Code::Ok) << status.message;
    EXPECT_EQ(database.Value("SELECT count(*) FROM schema_version"), "1");
}

} // namespace
