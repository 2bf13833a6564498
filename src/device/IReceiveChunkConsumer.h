#pragma once
// What the factory test page offers the frame's receive tick: every received chunk that is
// not a configuration reply, as NUL-terminated 8-bit text (it ends at the first NUL byte).

class IReceiveChunkConsumer {
public:
    virtual ~IReceiveChunkConsumer() = default;
    virtual void OnReceive(const char* chunk) = 0;
};
