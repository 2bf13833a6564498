#include "recordstore/SqliteRecordStore.h"

#include "recordstore/RecordSql.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One prepared statement, finalized however the caller leaves.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) {
        m_code = sqlite3_prepare_v2(db, sql.c_str(), -1, &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int PrepareCode() const { return m_code; }
    sqlite3_stmt* get() const { return m_statement; }
    void Bind(int index, const std::string& text) {
        sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }
    void Bind(int index, std::int64_t value) { sqlite3_bind_int64(m_statement, index, value); }
    void BindNull(int index) { sqlite3_bind_null(m_statement, index); }
    int Step() { return sqlite3_step(m_statement); }
    std::string Text(int column) const {
        const auto* text = sqlite3_column_text(m_statement, column);
        return text ? std::string(
                          reinterpret_cast<const char*>(text),
                          static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                    : std::string();
    }
    std::int64_t Integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    bool IsNull(int column) const {
        return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
    }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_code = SQLITE_OK;
};

// Version 1: the first table, as the first release made it.
constexpr const char* kSchemaVersion1 =
    "CREATE TABLE schema_version (version INTEGER NOT NULL);"
    "INSERT INTO schema_version (version) VALUES (1);"
    "CREATE TABLE test_runs ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " started_at TEXT NOT NULL,"
    " finished_at TEXT NOT NULL,"
    " station TEXT NOT NULL DEFAULT '',"
    " operator TEXT NOT NULL DEFAULT '',"
    " imei TEXT NOT NULL DEFAULT '',"
    " firmware TEXT NOT NULL DEFAULT '',"
    " verdict TEXT NOT NULL CHECK (verdict IN ('PASS', 'FAIL', 'INTERRUPTED')),"
    " verdict_text TEXT NOT NULL DEFAULT '',"
    " sim INTEGER NOT NULL, gsm INTEGER NOT NULL, gps INTEGER NOT NULL,"
    " gsensor INTEGER NOT NULL, acc INTEGER NOT NULL, extpower INTEGER NOT NULL,"
    " parameter_check TEXT NOT NULL DEFAULT '',"
    " mismatches TEXT NOT NULL DEFAULT '',"
    " gps_fix_seconds INTEGER);";

// Version 2: where a record came from and which build wrote it, the run key that keeps a
// record delivered twice once, and the indexes of the records window's filters.
constexpr const char* kMigrateTo2 =
    "ALTER TABLE test_runs ADD COLUMN parameter_file TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE test_runs ADD COLUMN source TEXT NOT NULL DEFAULT 'page';"
    "ALTER TABLE test_runs ADD COLUMN app_version TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE test_runs ADD COLUMN run_key TEXT;"
    "CREATE UNIQUE INDEX test_runs_run_key ON test_runs (run_key);"
    "CREATE INDEX test_runs_imei ON test_runs (imei);"
    "CREATE INDEX test_runs_started_at ON test_runs (started_at);"
    "UPDATE schema_version SET version = 2;";

constexpr const char* kSelectColumns =
    "SELECT id, started_at, finished_at, station, operator, imei, firmware, verdict, "
    "verdict_text, sim, gsm, gps, gsensor, acc, extpower, parameter_check, mismatches, "
    "gps_fix_seconds, parameter_file, source, app_version, run_key FROM test_runs";

TestRecord ReadRow(const Statement& row) {
    TestRecord r;
    r.id = row.Integer(0);
    r.startedAt = row.Text(1);
    r.finishedAt = row.Text(2);
    r.station = row.Text(3);
    r.operatorName = row.Text(4);
    r.imei = row.Text(5);
    r.firmware = row.Text(6);
    r.verdict = VerdictFromColumnText(row.Text(7)).value_or(RecordVerdict::Fail);
    r.verdictText = row.Text(8);
    for (std::size_t i = 0; i < kRecordItemCount; ++i)
        r.items[i] = row.Integer(9 + static_cast<int>(i)) != 0;
    r.parameterCheck = row.Text(15);
    r.mismatches = row.Text(16);
    if (!row.IsNull(17))
        r.gpsFixSeconds = row.Integer(17);
    r.parameterFile = row.Text(18);
    r.source = SourceFromColumnText(row.Text(19)).value_or(RecordSource::Page);
    r.appVersion = row.Text(20);
    r.runKey = row.Text(21);
    return r;
}

std::string Stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%S", &utc);
    return text;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// Renames without ever replacing a file that is already there.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: link and unlink never replace either.
    if (link(from.c_str(), to.c_str()) != 0)
        return errno;
    unlink(from.c_str());
    return 0;
}

} // namespace

SqliteRecordStore::SqliteRecordStore(std::string path, std::chrono::milliseconds busyTimeout)
    : m_path(std::move(path)), m_busyTimeout(busyTimeout) {}

SqliteRecordStore::~SqliteRecordStore() {
    Close();
}

void SqliteRecordStore::Close() {
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

StoreStatus SqliteRecordStore::Problem(const char* doing, int code) {
    StoreStatus status;
    std::string detail = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
    const int primary = code & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        status.code = StoreStatus::Code::Unreachable;
        char waited[32];
        std::snprintf(waited, sizeof waited, "%.1f",
                      static_cast<double>(m_busyTimeout.count()) / 1000.0);
        status.message = "the test records file " + m_path + " is locked by another program (" +
                         "waited " + waited + " s to " + doing + " it)";
        return status;
    }
    if (primary == SQLITE_CANTOPEN || primary == SQLITE_PERM || primary == SQLITE_READONLY ||
        primary == SQLITE_AUTH || primary == SQLITE_IOERR) {
        const int system = m_db ? sqlite3_system_errno(m_db) : 0;
        if (system != 0)
            detail = std::strerror(system);
    }
    status.code = StoreStatus::Code::Failed;
    status.message =
        std::string("cannot ") + doing + " the test records file " + m_path + ": " + detail;
    return status;
}

StoreStatus SqliteRecordStore::Open() {
    if (m_db)
        return m_openStatus;
    m_setAsideMessage.clear();
    StoreStatus status = OpenOnce(true);
    if (!m_setAsideMessage.empty() && status.code == StoreStatus::Code::Ok)
        status = StoreStatus{StoreStatus::Code::SetAside, m_setAsideMessage};
    m_openStatus = status;
    return status;
}

StoreStatus SqliteRecordStore::OpenOnce(bool mayCreate) {
    m_schemaVersion = 0;
    m_readOnly = false;
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(m_path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, error);
    if (error)
        return StoreStatus{StoreStatus::Code::Failed,
                           "cannot make the folder " + parent.string() +
                               " for the test records: " + error.message()};
    struct stat info {};
    if (stat(m_path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return StoreStatus{StoreStatus::Code::Failed,
                           "the test records file " + m_path + " is not a regular file"};
    if (access(m_path.c_str(), F_OK) == 0 && access(m_path.c_str(), R_OK | W_OK) != 0)
        return StoreStatus{StoreStatus::Code::Failed, "cannot open the test records file " +
                                                          m_path + ": " + std::strerror(errno) +
                                                          " (check its permissions)"};
    const int flags =
        SQLITE_OPEN_READWRITE | (mayCreate ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    int code = sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr);
    if (code != SQLITE_OK) {
        StoreStatus status = Problem("open", code);
        Close();
        return status;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, static_cast<int>(m_busyTimeout.count()));
    if (sqlite3_db_readonly(m_db, "main") == 1) {
        Close();
        return StoreStatus{StoreStatus::Code::Failed, "cannot write the test records file " +
                                                          m_path + " (check its permissions)"};
    }
    StoreStatus status = Prepare();
    // A newer version's file stays open for reading.
    if (!status.Ok() && status.code != StoreStatus::Code::ReadOnly)
        Close();
    return status;
}

StoreStatus SqliteRecordStore::Prepare() {
    // A damaged file must not be written over: it may be the only copy of months of records.
    {
        Statement check(m_db, "PRAGMA quick_check");
        int code = check.PrepareCode();
        std::string answer;
        if (code == SQLITE_OK) {
            code = check.Step();
            if (code == SQLITE_ROW)
                answer = check.Text(0);
        }
        const int primary = code & 0xFF;
        if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
            return SetAside(primary == SQLITE_NOTADB ? "it is not an SQLite database"
                                                     : "it is damaged");
        if (code != SQLITE_ROW && code != SQLITE_DONE)
            return Problem("read", code);
        if (code == SQLITE_ROW && answer != "ok")
            return SetAside("it is damaged (" + answer + ")");
    }
    // WAL: readers never wait for the writer, and two programs of one bench write at once.
    // FULL: a record committed is on the disk, whatever happens to the bench next.
    for (const char* pragma :
         {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL", "PRAGMA foreign_keys=ON"}) {
        Statement statement(m_db, pragma);
        int code = statement.PrepareCode();
        if (code == SQLITE_OK) {
            code = statement.Step();
            while (code == SQLITE_ROW)
                code = statement.Step();
        }
        if (code != SQLITE_DONE)
            return Problem("prepare", code);
    }
    return Migrate();
}

StoreStatus SqliteRecordStore::Migrate() {
    // IMMEDIATE: two programs opening a new file at once make the schema once.
    int code = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return Problem("open", code);
    auto fail = [&](const char* doing, int failed) {
        StoreStatus status = Problem(doing, failed);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return status;
    };
    int version = 0;
    {
        Statement exists(m_db,
                         "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                         "('schema_version', 'test_runs')");
        if (exists.PrepareCode() != SQLITE_OK)
            return fail("read", exists.PrepareCode());
        if ((code = exists.Step()) != SQLITE_ROW)
            return fail("read", code);
        const std::int64_t tables = exists.Integer(0);
        if (tables == 2) {
            Statement read(m_db, "SELECT max(version) FROM schema_version");
            if (read.PrepareCode() != SQLITE_OK)
                return fail("read", read.PrepareCode());
            if ((code = read.Step()) != SQLITE_ROW)
                return fail("read", code);
            version = static_cast<int>(read.Integer(0));
        } else if (tables == 1) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            return StoreStatus{StoreStatus::Code::Failed,
                               "the file " + m_path +
                                   " holds only part of the test records' tables; it is left "
                                   "as it is"};
        }
    }
    if (version > kRecordSchemaVersion) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_schemaVersion = version;
        m_readOnly = true;
        return StoreStatus{StoreStatus::Code::ReadOnly, "the test records in " + m_path +
                                                            " were made by a newer version "
                                                            "(schema " +
                                                            std::to_string(version) +
                                                            ", this version knows " +
                                                            std::to_string(kRecordSchemaVersion) +
                                                            "); they are shown but not written"};
    }
    if (version < 1 &&
        (code = sqlite3_exec(m_db, kSchemaVersion1, nullptr, nullptr, nullptr)) != SQLITE_OK)
        return fail("make the tables of", code);
    if (version < 2 &&
        (code = sqlite3_exec(m_db, kMigrateTo2, nullptr, nullptr, nullptr)) != SQLITE_OK)
        return fail("update the tables of", code);
    if ((code = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr)) != SQLITE_OK)
        return fail("update the tables of", code);
    m_schemaVersion = kRecordSchemaVersion;
    return {};
}

StoreStatus SqliteRecordStore::SetAside(const std::string& why) {
    Close();
    const std::string base = m_path + ".corrupt-" + Stamp();
    std::string aside = base;
    for (int n = 2; Exists(aside) || Exists(aside + "-wal"); ++n)
        aside = base + "-" + std::to_string(n);
    if (const int error = RenameNoReplace(m_path, aside); error != 0)
        return StoreStatus{StoreStatus::Code::Failed,
                           "the test records file " + m_path + " cannot be used: " + why +
                               "; it could not be set aside either (" + std::strerror(error) +
                               "), so it is left as it is"};
    // The log and the shared index belong to the old file: the new one must not take them up.
    for (const char* suffix : {"-wal", "-shm"}) {
        if (Exists(m_path + suffix))
            RenameNoReplace(m_path + suffix, aside + suffix);
    }
    m_setAsideMessage = "the test records file " + m_path + " could not be used (" + why +
                        "); it was renamed to " + aside + " and a new file was started";
    return OpenOnce(true);
}

StoreStatus SqliteRecordStore::Insert(TestRecord& record) {
    if (!m_db) {
        if (const StoreStatus status = Open(); !status.Ok())
            return status;
    }
    if (m_readOnly)
        return StoreStatus{StoreStatus::Code::ReadOnly,
                           "the test records in " + m_path +
                               " were made by a newer version "
                               "(schema " +
                               std::to_string(m_schemaVersion) + ", this version knows " +
                               std::to_string(kRecordSchemaVersion) + "); nothing is written"};
    // IMMEDIATE takes the write lock at once, so the busy time-out covers the whole record.
    int code = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return Problem("write", code);
    auto fail = [&](int failed) {
        StoreStatus status = Problem("write", failed);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return status;
    };
    std::string sql =
        std::string("INSERT INTO test_runs (") + record_sql::kInsertColumns + ") VALUES (";
    for (int i = 0; i < record_sql::kInsertColumnCount; ++i)
        sql += i == 0 ? "?" : ", ?";
    sql += ") ON CONFLICT (run_key) DO NOTHING RETURNING id";
    std::int64_t id = 0;
    {
        Statement insert(m_db, sql);
        if (insert.PrepareCode() != SQLITE_OK)
            return fail(insert.PrepareCode());
        int n = 1;
        for (const std::string* text : {&record.startedAt, &record.finishedAt, &record.station,
                                        &record.operatorName, &record.imei, &record.firmware})
            insert.Bind(n++, *text);
        insert.Bind(n++, std::string(VerdictColumnText(record.verdict)));
        insert.Bind(n++, record.verdictText);
        for (const bool item : record.items)
            insert.Bind(n++, std::int64_t{item ? 1 : 0});
        insert.Bind(n++, record.parameterCheck);
        insert.Bind(n++, record.mismatches);
        if (record.gpsFixSeconds)
            insert.Bind(n++, *record.gpsFixSeconds);
        else
            insert.BindNull(n++);
        insert.Bind(n++, record.parameterFile);
        insert.Bind(n++, std::string(SourceColumnText(record.source)));
        insert.Bind(n++, record.appVersion);
        if (record.runKey.empty())
            insert.BindNull(n++);
        else
            insert.Bind(n++, record.runKey);
        code = insert.Step();
        if (code == SQLITE_ROW) {
            id = insert.Integer(0);
            code = insert.Step();
        }
        if (code != SQLITE_DONE)
            return fail(code);
    }
    if (id == 0) {
        // Delivered before: the row that is there is this run.
        Statement find(m_db, "SELECT id FROM test_runs WHERE run_key = ?");
        find.Bind(1, record.runKey);
        if ((code = find.Step()) != SQLITE_ROW)
            return fail(code == SQLITE_DONE ? SQLITE_ERROR : code);
        id = find.Integer(0);
    }
    if ((code = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr)) != SQLITE_OK)
        return fail(code);
    record.id = id;
    return {};
}

StoreStatus SqliteRecordStore::Select(const std::string& where,
                                      const std::vector<std::string>& values,
                                      const std::string& order, std::vector<TestRecord>& out) {
    if (!m_db) {
        if (const StoreStatus status = Open();
            !status.Ok() && status.code != StoreStatus::Code::ReadOnly)
            return status;
        if (!m_db)
            return StoreStatus{StoreStatus::Code::Failed, "the test records are not open"};
    }
    Statement select(m_db, std::string(kSelectColumns) + where + order);
    if (select.PrepareCode() != SQLITE_OK)
        return Problem("read", select.PrepareCode());
    for (std::size_t i = 0; i < values.size(); ++i)
        select.Bind(static_cast<int>(i + 1), values[i]);
    std::vector<TestRecord> rows;
    int code = SQLITE_OK;
    while ((code = select.Step()) == SQLITE_ROW)
        rows.push_back(ReadRow(select));
    if (code != SQLITE_DONE)
        return Problem("read", code);
    out = std::move(rows);
    return {};
}

StoreStatus SqliteRecordStore::Query(const RecordFilter& filter, std::vector<TestRecord>& out) {
    if (const std::string error = FilterError(filter); !error.empty())
        return StoreStatus{StoreStatus::Code::Failed, error};
    std::vector<std::string> values;
    const std::string where = record_sql::Where(
        filter, values, [](std::size_t) { return std::string("?"); }, "instr(imei, %2) > 0", "");
    return Select(where, values, " ORDER BY started_at DESC, id DESC", out);
}

StoreStatus SqliteRecordStore::Oldest(std::size_t limit, std::vector<TestRecord>& out) {
    return Select("", {}, " ORDER BY id ASC LIMIT " + std::to_string(limit), out);
}

StoreStatus SqliteRecordStore::Count(std::size_t& out) {
    if (!m_db) {
        if (const StoreStatus status = Open();
            !status.Ok() && status.code != StoreStatus::Code::ReadOnly)
            return status;
    }
    Statement count(m_db, "SELECT count(*) FROM test_runs");
    if (count.PrepareCode() != SQLITE_OK)
        return Problem("read", count.PrepareCode());
    const int code = count.Step();
    if (code != SQLITE_ROW)
        return Problem("read", code);
    out = static_cast<std::size_t>(count.Integer(0));
    return {};
}

StoreStatus SqliteRecordStore::Remove(std::int64_t id) {
    if (!m_db) {
        if (const StoreStatus status = Open(); !status.Ok())
            return status;
    }
    if (m_readOnly)
        return StoreStatus{StoreStatus::Code::ReadOnly, "the file " + m_path + " is read-only"};
    Statement remove(m_db, "DELETE FROM test_runs WHERE id = ?");
    if (remove.PrepareCode() != SQLITE_OK)
        return Problem("write", remove.PrepareCode());
    remove.Bind(1, id);
    const int code = remove.Step();
    if (code != SQLITE_DONE)
        return Problem("write", code);
    return {};
}
