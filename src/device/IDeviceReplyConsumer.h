#pragma once
// What the tracker configuration page offers the receive path: one recognised reply field,
// already converted from the device's 8-bit text.

#include <string_view>

#include "device/ReplyType.h"

class IDeviceReplyConsumer {
public:
    virtual ~IDeviceReplyConsumer() = default;
    virtual void ApplyDeviceReply(ReplyType type, std::u16string_view text) = 0;
};
