// The CSV export as a CSV reader takes it: RFC 4180 quoting, CRLF, UTF-8, a header row.

#include "recordstore/RecordsCsv.h"
#include "RecordSamples.h"

#include <gtest/gtest.h>

namespace {

// A strict RFC 4180 reader: rows of fields; fails the test on anything outside the format.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    std::size_t i = 0;
    bool quoted = false;
    while (i < text.size()) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                i += 2;
            } else if (c == '"') {
                quoted = false;
                ++i;
                EXPECT_TRUE(i == text.size() || text[i] == ',' || text[i] == '\r')
                    << "text after a closing quote at " << i;
            } else {
                field += c;
                ++i;
            }
        } else if (c == '"') {
            EXPECT_TRUE(field.empty()) << "a quote inside an unquoted field at " << i;
            quoted = true;
            ++i;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (c == '\r') {
            EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "a CR without LF at " << i;
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            i += 2;
        } else {
            EXPECT_NE(c, '\n') << "a bare LF outside quotes at " << i;
            field += c;
            ++i;
        }
    }
    EXPECT_FALSE(quoted) << "an unclosed quote";
    EXPECT_TRUE(row.empty() && field.empty()) << "the last row has no CRLF";
    return rows;
}

TEST(RecordsCsv, EveryRecordReadsBackFieldForField) {
    std::vector<TestRecord> records = record_samples::EveryColumn();
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].id = static_cast<std::int64_t>(i + 1);
    records[1].verdictText = " leading and trailing spaces ";
    records[2].operatorName = "say \"hi\", then\r\nleave";
    const std::string csv = RecordsCsv(records);
    const auto rows = ReadCsv(csv);
    ASSERT_EQ(rows.size(), records.size() + 1);
    ASSERT_EQ(rows[0].size(), kRecordColumnCount);
    for (std::size_t column = 0; column < kRecordColumnCount; ++column)
        EXPECT_EQ(rows[0][column], kRecordColumns[column]);
    for (std::size_t r = 0; r < records.size(); ++r) {
        ASSERT_EQ(rows[r + 1].size(), kRecordColumnCount) << "row " << r;
        for (std::size_t column = 0; column < kRecordColumnCount; ++column)
            EXPECT_EQ(rows[r + 1][column],
                      RecordColumnText(records[r], column).value_or(std::string()))
                << "row " << r << " column " << kRecordColumns[column];
    }
    // Spot checks of the forms a spreadsheet shows.
    EXPECT_EQ(rows[1][3], "线体 2 / bench \"A\", left");
    EXPECT_EQ(rows[1][9], "true");
    EXPECT_EQ(rows[1][10], "false");
    EXPECT_EQ(rows[1][17], ""); // no fix: null
    EXPECT_EQ(rows[3][17], "0");
    EXPECT_EQ(rows[2][7], "INTERRUPTED");
    EXPECT_NE(csv.find("\"线体 2 / bench \"\"A\"\", left\""), std::string::npos);
}

TEST(RecordsCsv, NoRecordsGiveTheHeaderAlone) {
    EXPECT_EQ(RecordsCsv({}),
              "id,started_at,finished_at,station,operator,imei,firmware,verdict,verdict_text,"
              "sim,gsm,gps,gsensor,acc,extpower,parameter_check,mismatches,gps_fix_seconds,"
              "parameter_file,source,app_version\r\n");
}

} // namespace
