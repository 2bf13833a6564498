#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "trackerconfig/DeviceReplyRecord.h"

// Recognises one configuration reply ("AT+" key "==" value "#") in a received chunk and stores
// its fields in `record`. True, with `type` set, when a complete reply was recognised. Only the
// first occurrence of each key counts; values longer than their field are cut.
// Fields of an incomplete IP or interval reply may be stored even when false is returned.
bool ParseDeviceReply(std::string_view chunk, ReplyType& type,
                      DeviceReplyRecord& record = theDeviceReplyRecord);

// One field of a recognised reply as the configuration page is given it. The text points into
// the reply record: 8-bit, as the device sent it, valid until the record is next written.
struct DeviceReplyField {
    ReplyType type = ReplyType::None;
    std::string_view text;
};

// Recognises a reply as ParseDeviceReply does and lists the fields it yields, in the order the
// page is given them: the reply's own field, then the port after an IP reply and the second
// interval after an interval reply. Empty when the chunk holds no complete reply.
std::vector<DeviceReplyField>
ParseDeviceReplyFields(std::string_view chunk, DeviceReplyRecord& record = theDeviceReplyRecord);
