#pragma once
// One finished factory test run as the record store keeps it: who tested which unit, where,
// when, and what each item and the parameter check found. Texts are UTF-8.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class RecordVerdict {
    Pass,
    Fail,
    // The run ended without a verdict of its own: stopped by the operator or by a signal.
    Interrupted,
};

enum class RecordSource {
    Page, // the Factory Test page
    Cli,  // tollbrook-cli test
};

// The items in test order; also the column names of the item columns.
inline constexpr std::size_t kRecordItemCount = 6;
inline constexpr std::array<std::string_view, kRecordItemCount> kRecordItemColumns{
    "sim", "gsm", "gps", "gsensor", "acc", "extpower"};

struct TestRecord {
    std::int64_t id = 0;      // given by the store when the record is written; 0 before
    std::string startedAt;    // UTC, ISO 8601 to the second: "2026-12-10T23:30:20Z"
    std::string finishedAt;   // the same form
    std::string station;      // the bench's name (the host name unless the user set one)
    std::string operatorName; // empty when none was set
    std::string imei;         // from the device's parameter block; empty when none came
    std::string firmware;     // the device's version from its parameter block; empty when none
    RecordVerdict verdict = RecordVerdict::Fail;
    std::string verdictText;                    // exactly as shown to the operator
    std::array<bool, kRecordItemCount> items{}; // item i passed during the run
    // As tollbrook-cli's JSON says it: "ok", "mismatch", "placeholder-imei", "not-read", "no-file".
    std::string parameterCheck;
    std::string mismatches; // the mismatch lines, one per line ('\n'), empty when none
    std::optional<std::int64_t> gpsFixSeconds; // none when the GPS item did not pass
    std::string parameterFile;                 // the parameter file's path as given
    RecordSource source = RecordSource::Page;
    std::string appVersion;
    // Names this run in every store, so that a record delivered twice (the spool's copy after
    // a lost reply from the server) is kept once. Made by NewRunKey(); empty in rows written
    // before the stores had it.
    std::string runKey;

    bool operator==(const TestRecord&) const = default;
};

// "PASS", "FAIL", "INTERRUPTED" and back; nothing for any other text.
std::string_view VerdictColumnText(RecordVerdict verdict);
std::optional<RecordVerdict> VerdictFromColumnText(std::string_view text);
// "page", "cli" and back.
std::string_view SourceColumnText(RecordSource source);
std::optional<RecordSource> SourceFromColumnText(std::string_view text);

// The columns of `test_runs` as the records window, the CSV export and `tollbrook-cli records`
// show them, in table order (the run key stays inside the stores).
inline constexpr std::size_t kRecordColumnCount = 21;
inline constexpr std::array<std::string_view, kRecordColumnCount> kRecordColumns{"id",
                                                                                 "started_at",
                                                                                 "finished_at",
                                                                                 "station",
                                                                                 "operator",
                                                                                 "imei",
                                                                                 "firmware",
                                                                                 "verdict",
                                                                                 "verdict_text",
                                                                                 "sim",
                                                                                 "gsm",
                                                                                 "gps",
                                                                                 "gsensor",
                                                                                 "acc",
                                                                                 "extpower",
                                                                                 "parameter_check",
                                                                                 "mismatches",
                                                                                 "gps_fix_seconds",
                                                                                 "parameter_file",
                                                                                 "source",
                                                                                 "app_version"};

// Column `column` of the record as text ("true"/"false" for the items, decimal numbers), none
// for SQL's null (gps_fix_seconds without a fix), and how the column is typed.
enum class RecordColumnType { Integer, Text, Boolean };
RecordColumnType RecordColumnTypeOf(std::size_t column);
std::optional<std::string> RecordColumnText(const TestRecord& record, std::size_t column);

// A fresh run key: 32 random hexadecimal digits.
std::string NewRunKey();

// A time as the records write it: UTC, ISO 8601 to the second ("2026-12-10T23:30:20Z").
std::string IsoUtc(std::chrono::system_clock::time_point time);
