// libFuzzer target over the test records' text inputs: tollbrook-cli's --db, the program's
// settings file as the INI reader takes it, the records filter's dates and the CSV writer. The
// first input byte picks the parser, the rest is its input.

#include "recordstore/QSettingsIni.h"
#include "recordstore/RecordFilter.h"
#include "recordstore/RecordSettings.h"
#include "recordstore/RecordsCsv.h"
#include "recordstore/StoreLocation.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Whatever parses is shown without its password, and what is shown parses back to it.
void FuzzStoreLocation(std::string_view text) {
    const StoreLocationParse parsed = ParseStoreLocation(text);
    if (parsed.location.has_value() == !parsed.error.empty())
        std::abort();
    if (!parsed.location)
        return;
    const std::string shown = DescribeStoreLocation(*parsed.location);
    StoreLocation expected = *parsed.location;
    expected.password.clear();
    const StoreLocationParse again = ParseStoreLocation(shown);
    if (!again.location || *again.location != expected)
        std::abort();
}

void FuzzSettings(std::string_view text) {
    const auto values = ParseQSettingsIni(text);
    for (const auto& [key, value] : values) {
        if (key.empty())
            std::abort();
    }
    const RecordSettings settings = ReadRecordSettingsText(text);
    if (settings.location.port < 1 || settings.location.port > 65535 || settings.station.empty())
        std::abort();
}

// Half the bytes are the since date, half the until date.
void FuzzDates(std::string_view text) {
    RecordFilter filter;
    filter.sinceDate = std::string(text.substr(0, text.size() / 2));
    filter.untilDate = std::string(text.substr(text.size() / 2));
    auto acceptable = [](const std::string& date) { return date.empty() || IsRecordDate(date); };
    if (FilterError(filter).empty() !=
        (acceptable(filter.sinceDate) && acceptable(filter.untilDate)))
        std::abort();
    filter.untilDate = filter.sinceDate;
    if (IsRecordDate(filter.sinceDate) && !(StartedFrom(filter) < StartedBefore(filter)))
        std::abort();
}

// Every field is quoted so that a reader gets it back: the row has as many fields as columns.
void FuzzCsv(std::string_view text) {
    TestRecord record;
    record.station = std::string(text);
    record.mismatches = std::string(text.substr(text.size() / 3));
    const std::string csv = RecordsCsv({record});
    std::size_t fields = 1;
    bool quoted = false;
    const std::size_t start = csv.find("\r\n") + 2;
    for (std::size_t i = start; i < csv.size(); ++i) {
        if (csv[i] == '"')
            quoted = !quoted;
        else if (csv[i] == ',' && !quoted)
            ++fields;
    }
    if (quoted || fields != kRecordColumnCount || !csv.ends_with("\r\n"))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 4) {
    case 0:
        FuzzStoreLocation(text);
        break;
    case 1:
        FuzzSettings(text);
        break;
    case 2:
        FuzzDates(text);
        break;
    default:
        FuzzCsv(text);
        break;
    }
    return 0;
}
