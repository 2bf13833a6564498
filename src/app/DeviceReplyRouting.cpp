#include "app/DeviceReplyRouting.h"

#if TB_HAVE_TRACKERCONFIG
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
#else
// Without the configuration core nothing is recognised: every chunk takes the monitor's way.
bool RecogniseDeviceReply(const char* /*chunk*/, int& /*type*/) {
    return false;
}
bool DeviceReplyFieldText(int /*type*/, const char*& /*text*/) {
    return false;
}
#endif
