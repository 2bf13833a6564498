#pragma once
// The one path to the device: the main frame's SendLine. Pages hold a pointer to it so that
// they can be built and tested without the frame.

class ILineSender {
public:
    virtual ~ILineSender() = default;
    // text: NUL-terminated 8-bit text without line ending. Written with CR LF when a serial
    // port is open; always echoed in the monitor's transmit pane.
    virtual void SendLine(const char* text) = 0;
};
