#pragma once
// Where the receive path shows the bytes it does not keep for the configuration page: the
// monitor's receive pane.

class IReceiveMonitor {
public:
    virtual ~IReceiveMonitor() = default;
    // The chunk as NUL-terminated 8-bit text: the pane shows it up to its first NUL byte.
    virtual void ShowReceived(const char* text) = 0;
};
