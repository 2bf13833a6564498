#include "recordstore/RecordsCsv.h"

namespace {

// A field is quoted when it holds what would otherwise end or split it, or spaces at its ends
// that a reader might trim.
void AppendField(std::string& out, std::string_view field) {
    const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quote) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string RecordsCsv(const std::vector<TestRecord>& records) {
    std::string out;
    for (std::size_t column = 0; column < kRecordColumnCount; ++column) {
        if (column > 0)
            out += ',';
        out += kRecordColumns[column];
    }
    out += "\r\n";
    for (const TestRecord& record : records) {
        for (std::size_t column = 0; column < kRecordColumnCount; ++column) {
            if (column > 0)
                out += ',';
            // Null is the empty field: the only column that can be null is a number.
            if (const auto text = RecordColumnText(record, column))
                AppendField(out, *text);
        }
        out += "\r\n";
    }
    return out;
}
