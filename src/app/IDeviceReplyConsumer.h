#pragma once
// What the tracker configuration page offers the frame: one recognised reply field (reply
// types 1..11), already converted from the system's 8-bit code page.

#include <QString>

class IDeviceReplyConsumer {
public:
    virtual ~IDeviceReplyConsumer() = default;
    virtual void ApplyDeviceReply(int type, const QString& text) = 0;
};
