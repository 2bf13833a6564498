#pragma once
// What the factory test page offers the receive path: every received byte that is not part of
// a configuration reply, as 8-bit text with its length (a NUL byte is a byte like any other).

#include <string_view>

class IReceiveChunkConsumer {
public:
    virtual ~IReceiveChunkConsumer() = default;
    virtual void OnReceive(std::string_view chunk) = 0;
    // The source of the bytes went away (a device unplugged or hung up).
    virtual void OnSourceLost() {}
};
