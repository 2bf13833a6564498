#include "recordstore/RecordStore.h"

#include "recordstore/PostgresRecordStore.h"
#include "recordstore/SqliteRecordStore.h"

std::unique_ptr<RecordStore> MakeRecordStore(const StoreLocation& location) {
    if (location.kind == StoreLocation::Kind::Postgres)
        return std::make_unique<PostgresRecordStore>(location);
    return std::make_unique<SqliteRecordStore>(location.sqlitePath);
}
