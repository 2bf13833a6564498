#pragma once
// tollbrook-cli's side of the test records: where they go (--db or the program's own
// setting), the record of a finished run delivered there (or spooled), and the records printed
// for scripts.

#include <string>
#include <vector>

#include "CliOptions.h"
#include "recordstore/RecordSettings.h"
#include "recordstore/TestRecord.h"

// The store and the names a record carries: the options first, then the program's settings.
RecordSettings ResolveRecordSettings(const CliOptions& options, const RecordSettings& program);

// Delivers the record (after any that wait in the spool); returns what the operator should
// read on stderr, empty when the record is in the store.
std::string DeliverRecord(const StoreLocation& target, const std::string& spoolPath,
                          const TestRecord& record);

// The records as one JSON array of objects, the column names as keys, null where null; one
// line without its line break.
std::string RecordsJson(const std::vector<TestRecord>& records);
