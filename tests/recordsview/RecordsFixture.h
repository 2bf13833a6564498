#pragma once
// Records for the records tests: a few units on two benches, passed, failed, retested.

#include <QSettings>
#include <QString>
#include <string>
#include <vector>

#include "recordstore/RecordSettings.h"
#include "recordstore/RecordStore.h"
#include "recordstore/TestRecord.h"
#include "uisupport/Profile.h"

// items: bit i set when item i passed.
inline TestRecord FixtureRecord(std::string imei, std::string station, std::string startedAt,
                                RecordVerdict verdict, unsigned items) {
    TestRecord r;
    r.imei = std::move(imei);
    r.station = std::move(station);
    r.startedAt = startedAt;
    r.finishedAt = startedAt;
    r.finishedAt[r.finishedAt.size() - 3] = '5'; // 50 seconds later
    r.operatorName = "王工";
    r.firmware = "V1.0.4";
    r.verdict = verdict;
    r.verdictText = verdict == RecordVerdict::Pass ? "##PASS##" : "#GPS Fail\r\n";
    for (std::size_t i = 0; i < kRecordItemCount; ++i)
        r.items[i] = (items >> i) & 1u;
    r.parameterCheck = "ok";
    if (r.items[2])
        r.gpsFixSeconds = 12;
    r.parameterFile = "/srv/params/line 3.txt";
    r.source = RecordSource::Page;
    r.appVersion = "3.0";
    return r;
}

// Three units and a run without an IMEI: unit 001 passed first; 002 failed, then passed on
// another bench; 003 was stopped, failed, then passed.
inline std::vector<TestRecord> FixtureRecords() {
    return {
        FixtureRecord("864209050000001", "bench-1", "2026-12-01T08:00:00Z", RecordVerdict::Pass,
                      63),
        FixtureRecord("864209050000002", "bench-1", "2026-12-01T09:00:00Z", RecordVerdict::Fail,
                      63 & ~4u & ~16u),
        FixtureRecord("864209050000002", "bench-2", "2026-12-02T10:00:00Z", RecordVerdict::Pass,
                      63),
        FixtureRecord("864209050000003", "bench-2", "2026-12-03T10:00:00Z",
                      RecordVerdict::Interrupted, 3),
        FixtureRecord("864209050000003", "bench-2", "2026-12-03T11:00:00Z", RecordVerdict::Fail,
                      63 & ~1u),
        FixtureRecord("864209050000003", "bench-1", "2026-12-04T08:00:00Z", RecordVerdict::Pass,
                      63),
        FixtureRecord("", "bench-1", "2026-12-04T09:00:00Z", RecordVerdict::Fail, 0),
    };
}

inline QString RecordsKey(const char* key) {
    return QString::fromLatin1(RecordSettingsKey::kGroup) + QLatin1Char('/') +
           QString::fromLatin1(key);
}

// The program's settings point the records at this SQLite file.
inline void UseSqliteSettings(const QString& path) {
    auto s = OpenProfile();
    s->remove(QString::fromLatin1(RecordSettingsKey::kGroup));
    s->setValue(RecordsKey(RecordSettingsKey::kBackend), QStringLiteral("sqlite"));
    s->setValue(RecordsKey(RecordSettingsKey::kSqlitePath), path);
    s->setValue(RecordsKey(RecordSettingsKey::kStation), QStringLiteral("bench-9"));
    s->sync();
}

// ... or at a PostgreSQL server that is not there: a socket folder where none listens.
inline void UseAbsentServerSettings(const QString& socketFolder) {
    auto s = OpenProfile();
    s->remove(QString::fromLatin1(RecordSettingsKey::kGroup));
    s->setValue(RecordsKey(RecordSettingsKey::kBackend), QStringLiteral("postgresql"));
    s->setValue(RecordsKey(RecordSettingsKey::kHost), socketFolder);
    s->setValue(RecordsKey(RecordSettingsKey::kPort), 5999);
    s->setValue(RecordsKey(RecordSettingsKey::kDatabase), QStringLiteral("records"));
    s->setValue(RecordsKey(RecordSettingsKey::kUser), QStringLiteral("line"));
    s->sync();
}

// ... or at this PostgreSQL server.
inline void UseServerSettings(const StoreLocation& server) {
    auto s = OpenProfile();
    s->remove(QString::fromLatin1(RecordSettingsKey::kGroup));
    s->setValue(RecordsKey(RecordSettingsKey::kBackend), QStringLiteral("postgresql"));
    s->setValue(RecordsKey(RecordSettingsKey::kHost), QString::fromStdString(server.host));
    s->setValue(RecordsKey(RecordSettingsKey::kPort), server.port);
    s->setValue(RecordsKey(RecordSettingsKey::kDatabase), QString::fromStdString(server.database));
    s->setValue(RecordsKey(RecordSettingsKey::kUser), QString::fromStdString(server.user));
    s->sync();
}

// Every record at the location, newest first (empty when it cannot be read).
inline std::vector<TestRecord> ReadAt(const StoreLocation& location) {
    std::vector<TestRecord> out;
    const auto store = MakeRecordStore(location);
    if (store->Open().Ok())
        store->Query(RecordFilter{}, out);
    return out;
}

inline StoreLocation SqliteAt(const std::string& path) {
    StoreLocation location;
    location.kind = StoreLocation::Kind::Sqlite;
    location.sqlitePath = path;
    return location;
}

// Everything in the SQLite file, newest first; the status's message when it cannot be read.
inline std::vector<TestRecord> ReadAll(const std::string& path, std::string* problem = nullptr) {
    std::vector<TestRecord> out;
    const auto store = MakeRecordStore(SqliteAt(path));
    StoreStatus status = store->Open();
    if (status.Ok())
        status = store->Query(RecordFilter{}, out);
    if (problem)
        *problem = status.message;
    return out;
}

inline bool WriteAll(const std::string& path, std::vector<TestRecord> records) {
    const auto store = MakeRecordStore(SqliteAt(path));
    if (!store->Open().Ok())
        return false;
    for (TestRecord& r : records)
        if (!store->Insert(r).Ok())
            return false;
    return true;
}

// A record as it was written, for comparing with one read back (the store gives the id).
inline TestRecord WithoutId(TestRecord record) {
    record.id = 0;
    record.runKey.clear();
    return record;
}
