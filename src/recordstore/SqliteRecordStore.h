#pragma once
// The records in an SQLite file: the store of a single bench, and every bench's spool. WAL mode
// with a busy time-out, so that the program and tollbrook-cli write to one file at once; a
// damaged file is renamed aside, never overwritten.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "recordstore/RecordStore.h"

struct sqlite3;

class SqliteRecordStore final : public RecordStore {
public:
    explicit SqliteRecordStore(std::string path,
                               std::chrono::milliseconds busyTimeout = std::chrono::seconds(5));
    ~SqliteRecordStore() override;
    SqliteRecordStore(const SqliteRecordStore&) = delete;
    SqliteRecordStore& operator=(const SqliteRecordStore&) = delete;

    StoreStatus Open() override;
    bool IsOpen() const override { return m_db != nullptr; }
    StoreStatus Insert(TestRecord& record) override;
    StoreStatus Query(const RecordFilter& filter, std::vector<TestRecord>& out) override;
    int SchemaVersion() const override { return m_schemaVersion; }

    // The spool's side: the oldest records first (by id), at most `limit` of them; the number of
    // records; a delivered record removed.
    StoreStatus Oldest(std::size_t limit, std::vector<TestRecord>& out);
    StoreStatus Count(std::size_t& out);
    StoreStatus Remove(std::int64_t id);

    void Close();
    const std::string& Path() const { return m_path; }

private:
    StoreStatus OpenOnce(bool mayCreate);
    StoreStatus Prepare();
    StoreStatus Migrate();
    StoreStatus SetAside(const std::string& why);
    StoreStatus Problem(const char* doing, int code);
    StoreStatus Select(const std::string& where, const std::vector<std::string>& values,
                       const std::string& order, std::vector<TestRecord>& out);

    std::string m_path;
    std::chrono::milliseconds m_busyTimeout;
    sqlite3* m_db = nullptr;
    int m_schemaVersion = 0;
    bool m_readOnly = false;       // made by a newer version
    std::string m_setAsideMessage; // when Open set a damaged file aside
    StoreStatus m_openStatus;
};
