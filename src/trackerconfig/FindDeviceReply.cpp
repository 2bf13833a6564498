#include "trackerconfig/FindDeviceReply.h"

DeviceReplySpan FindDeviceReply(std::string_view text, std::size_t from, DeviceReplyRecord& record,
                                std::vector<DeviceReplyField>& fields) {
    constexpr auto npos = std::string_view::npos;
    // A reply sits on one line: "AT+" key "==" value "#". Looking no further than the line
    // keeps a result token or NMEA on an earlier line from being taken with it.
    for (auto start = text.find("AT+", from); start != npos; start = text.find("AT+", start + 1)) {
        const auto stop = text.find_first_of("#\r\n", start);
        if (stop == npos || text[stop] != '#')
            continue;
        fields = ParseDeviceReplyFields(text.substr(start, stop + 1 - start), record);
        if (fields.empty())
            continue;
        std::size_t end = stop + 1;
        if (end < text.size() && text[end] == '\r')
            ++end;
        if (end < text.size() && text[end] == '\n')
            ++end;
        return {start, end};
    }
    fields.clear();
    return {text.size(), text.size()};
}
