#pragma once
// Where the receive path shows the bytes it does not keep for the configuration page: the
// monitor's receive pane.

#include <string_view>

class IReceiveMonitor {
public:
    virtual ~IReceiveMonitor() = default;
    // Received 8-bit text, every byte of it (a NUL too).
    virtual void ShowReceived(std::string_view bytes) = 0;
};
