#include "app/DeviceReplyRouting.h"

#include "trackerconfig/ParseDeviceReply.h"

bool RecogniseDeviceReply(const char* chunk, int& type) {
    ReplyType t{};
    if (!ParseDeviceReply(chunk, t))
        return false;
    type = static_cast<int>(t);
    return true;
}

bool DeviceReplyFieldText(int type, const char*& text) {
    return GetReplyField(static_cast<ReplyType>(type), text);
}
