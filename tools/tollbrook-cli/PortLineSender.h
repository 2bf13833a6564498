#pragma once
// SendLine for the command-line tool: the line and CR LF straight to the open port, as the
// program's main frame writes them (without the monitor's echo).

#include "device/ILineSender.h"
#include "serial/CSio.h"

class PortLineSender : public ILineSender {
public:
    explicit PortLineSender(CSio& port) : m_port(port) {}
    void SendLine(const char* text) override { m_port.WriteLine(text); }

private:
    CSio& m_port;
};
