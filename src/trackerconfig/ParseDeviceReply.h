#pragma once

#include <cstddef>
#include <string_view>

#include "trackerconfig/DeviceReplyRecord.h"

// Only chunks this short are offered to the recogniser; longer ones (a reply mixed with NMEA
// sentences) go to the monitor and the test page.
inline constexpr std::size_t kMaxReplyChunkBytes = 96;

// Recognises one configuration reply ("AT+" key "==" value "#") in a received chunk and stores
// its fields in `record`. True, with `type` set, when a complete reply was recognised. Only the
// first occurrence of each key counts; values longer than their field are cut.
// Fields of an incomplete IP or interval reply may be stored even when false is returned.
bool ParseDeviceReply(std::string_view chunk, ReplyType& type,
                      DeviceReplyRecord& record = theDeviceReplyRecord);
