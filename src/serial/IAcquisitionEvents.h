#pragma once
// How the acquisition threads reach the main frame without knowing any window code. The
// application shell implements it with custom events; tests implement it directly.

#include <stop_token>

class IAcquisitionEvents {
public:
    virtual ~IAcquisitionEvents() = default;
    // WM_DATA_RECEIVED: posted once per read that returned at least one byte. Must not block.
    virtual void DataReceived() = 0;
    // WM_DATA_SENT: posted after each of the two writes of a line. Must not block.
    virtual void DataSent() = 0;
    // The open source failed for good (device unplugged, hang-up). Reported once per source.
    // Must not block; the frame closes the source on its own thread.
    virtual void SourceLost() = 0;
    // WM_POSITION_UPDATE: deliver to the user-interface thread and return once the frame has
    // handled it. Must return promptly, without waiting for the frame, once `stop` is requested
    // (shutdown while the frame is busy or already gone).
    virtual void PositionUpdate(std::stop_token stop) = 0;
};
