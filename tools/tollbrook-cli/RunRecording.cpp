#include "RunRecording.h"

#include "Json.h"
#include "recordstore/RecordDelivery.h"

#include <charconv>

namespace {

// UTF-8 to UTF-16 for the JSON writer, which escapes everything beyond ASCII as \u; a byte
// that is no part of a UTF-8 sequence becomes U+FFFD.
std::u16string Utf16(std::string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80           ? 1
                     : (lead >> 5) == 0x6  ? 2
                     : (lead >> 4) == 0xE  ? 3
                     : (lead >> 3) == 0x1E ? 4
                                           : 0;
        char32_t code = length == 1   ? lead
                        : length == 2 ? (lead & 0x1F)
                        : length == 3 ? (lead & 0x0F)
                                      : (lead & 0x07);
        bool good = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; good && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            good = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (good &&
            (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
            good = false;
        if (!good) {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += static_cast<std::size_t>(length);
    }
    return out;
}

} // namespace

RecordSettings ResolveRecordSettings(const CliOptions& options, const RecordSettings& program) {
    RecordSettings settings = program;
    if (options.db)
        settings.location = *options.db;
    if (options.station)
        settings.station = *options.station;
    if (options.operatorName)
        settings.operatorName = *options.operatorName;
    return settings;
}

std::string DeliverRecord(const StoreLocation& target, const std::string& spoolPath,
                          const TestRecord& record) {
    RecordDelivery delivery(target, spoolPath);
    const RecordDelivery::Result result = delivery.Record(record);
    const std::string where = DescribeStoreLocation(target);
    if (result.stored) {
        // Stored, but a damaged file was set aside on the way: worth knowing.
        if (result.status.code == StoreStatus::Code::SetAside)
            return "the record is in " + where + "; " + result.status.message;
        return {};
    }
    if (result.spooled) {
        const std::size_t waiting = delivery.WaitingCount();
        return "the record waits in " + spoolPath + " (" + std::to_string(waiting) +
               (waiting == 1 ? " record" : " records") + " waiting) for " + where + ": " +
               result.status.message;
    }
    return "the record could not be written: " + result.status.message;
}

std::string RecordsJson(const std::vector<TestRecord>& records) {
    std::string out;
    Json json(out);
    json.BeginArray();
    for (const TestRecord& record : records) {
        json.BeginObject();
        for (std::size_t column = 0; column < kRecordColumnCount; ++column) {
            json.Key(std::string(kRecordColumns[column]).c_str());
            const auto text = RecordColumnText(record, column);
            if (!text) {
                json.Null();
                continue;
            }
            switch (RecordColumnTypeOf(column)) {
            case RecordColumnType::Integer: {
                std::int64_t value = 0;
                std::from_chars(text->data(), text->data() + text->size(), value);
                json.Integer(value);
                break;
            }
            case RecordColumnType::Boolean:
                json.Bool(*text == "true");
                break;
            case RecordColumnType::Text:
                json.String(Utf16(*text).c_str());
                break;
            }
        }
        json.EndObject();
    }
    json.EndArray();
    return out;
}
