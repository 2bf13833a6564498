#pragma once
// The records on a PostgreSQL server shared by the benches of a line, through libpq. Errors are
// told apart so that the caller knows what to do: a server that does not answer is worth
// retrying (the record waits in the spool), wrong settings are not.

#include <string>
#include <vector>

#include "recordstore/RecordStore.h"

struct pg_conn;
struct pg_result;

class PostgresRecordStore final : public RecordStore {
public:
    explicit PostgresRecordStore(StoreLocation location, int connectTimeoutSeconds = 3);
    ~PostgresRecordStore() override;
    PostgresRecordStore(const PostgresRecordStore&) = delete;
    PostgresRecordStore& operator=(const PostgresRecordStore&) = delete;

    StoreStatus Open() override;
    bool IsOpen() const override;
    // A run key is given to a record without one, so that a retry after a lost reply cannot
    // write it twice.
    StoreStatus Insert(TestRecord& record) override;
    StoreStatus Query(const RecordFilter& filter, std::vector<TestRecord>& out) override;
    int SchemaVersion() const override { return m_schemaVersion; }

    void Close();

private:
    StoreStatus Connect();
    StoreStatus Migrate();
    StoreStatus ConnectionProblem() const;
    StoreStatus ResultProblem(pg_result* result, const std::string& doing);
    StoreStatus ReadOnlyStatus() const;
    // Runs a statement; when the connection turns out to be gone, reconnects once and runs it
    // again (`retry`), so that a server restarted between two records costs nothing.
    pg_result* Execute(const std::string& sql, const std::vector<const char*>& values, bool retry);

    StoreLocation m_location;
    int m_connectTimeout;
    pg_conn* m_conn = nullptr;
    int m_schemaVersion = 0;
    bool m_readOnly = false;
};
