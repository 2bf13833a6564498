#pragma once
// Records as CSV (RFC 4180: CRLF line ends, quotes where needed, UTF-8, a header row of the
// column names), for "Export CSV..." and `tollbrook-cli records --csv`.

#include <string>
#include <vector>

#include "recordstore/TestRecord.h"

std::string RecordsCsv(const std::vector<TestRecord>& records);
