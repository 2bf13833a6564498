#pragma once
// Finds the configuration replies in received text, as the receive path splits them out of the
// stream: the program's receive router and the command-line tool use this one piece of code.

#include <cstddef>
#include <vector>

#include "trackerconfig/DeviceReplyRecord.h"
#include "trackerconfig/ParseDeviceReply.h"

// A reply found in text: [begin, end), its line end included.
struct DeviceReplySpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The first configuration reply in text at or after `from`; begin == end == text.size() when
// there is none. The reply's fields are stored in `record` and listed in `fields`.
DeviceReplySpan FindDeviceReply(std::string_view text, std::size_t from, DeviceReplyRecord& record,
                                std::vector<DeviceReplyField>& fields);
