#pragma once
// A database of test records: the table `test_runs` with its schema version table, in an SQLite
// file or on a PostgreSQL server. Opening creates or migrates the schema; each record is
// written in one transaction. Not thread-safe: one store per thread.

#include <memory>
#include <string>
#include <vector>

#include "recordstore/RecordFilter.h"
#include "recordstore/StoreLocation.h"
#include "recordstore/TestRecord.h"

// What a store operation came to. `message` names the problem for the operator.
struct StoreStatus {
    enum class Code {
        Ok,
        Unreachable, // server down, socket missing, time-out: worth retrying later
        Refused,     // wrong password, unknown database or user: the settings are wrong
        ReadOnly,    // the database was made by a newer version: read, never written
        SetAside,    // a corrupt or unreadable SQLite file was renamed; a fresh one is in use
        Failed,      // any other error (disk full, permission, ...)
    };
    Code code = Code::Ok;
    std::string message;

    bool Ok() const { return code == Code::Ok || code == Code::SetAside; }
};

class RecordStore {
public:
    virtual ~RecordStore() = default;
    // Connects, then creates or migrates the schema. Called again after a failure, it retries.
    virtual StoreStatus Open() = 0;
    virtual bool IsOpen() const = 0;
    // All of the record or nothing; the store gives it its id.
    virtual StoreStatus Insert(TestRecord& record) = 0;
    // The records that pass the filter, newest first (started_at, then id, descending).
    virtual StoreStatus Query(const RecordFilter& filter, std::vector<TestRecord>& out) = 0;
    // The schema version found or made by Open (0 before).
    virtual int SchemaVersion() const = 0;
};

// The schema version this build writes.
inline constexpr int kRecordSchemaVersion = 2;

std::unique_ptr<RecordStore> MakeRecordStore(const StoreLocation& location);
