#pragma once
// The running simulator: the line (a pseudo-terminal or a serial device), the receiver's
// epochs, the commands and their replies, the log.

#include "CommandHandler.h"
#include "CommandLineAssembler.h"
#include "DeviceState.h"
#include "NmeaEmitter.h"
#include "ReceiverModel.h"
#include "SimOptions.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class TrackerSim {
public:
    explicit TrackerSim(const SimOptions& options);
    ~TrackerSim();
    TrackerSim(const TrackerSim&) = delete;
    TrackerSim& operator=(const TrackerSim&) = delete;

    // Opens the line and prints its path; false (with a message on stderr) when it cannot.
    bool Open();
    // Runs until SIGINT, SIGTERM or SIGHUP (status 0) or until a serial device fails (1).
    int Run();

private:
    bool OpenPseudoTerminal();
    bool OpenSerialDevice();
    bool MakeLink();
    void RemoveLink();
    bool InstallSignals();
    bool ListenerPresent() const;
    void SendBanner();
    void SendEpoch();
    // Takes what has arrived; false when the line has gone (hung up, failed).
    bool Receive();
    void HandleLine(const std::string& line);
    // One write for the whole text, so that a reply reaches the far end in one piece.
    void WriteOut(const std::string& bytes, bool evenWithoutListener);
    void Log(const char* direction, std::string_view piece);

    SimOptions m_options;
    DeviceState m_state;
    TestConditions m_conditions;
    ReceiverModel m_receiver;
    NmeaEmitter m_emitter;
    CommandLineAssembler m_assembler;

    int m_fd = -1;
    bool m_pseudoTerminal = false;
    std::string m_path;
    bool m_linked = false;
    std::FILE* m_log = nullptr;
    std::chrono::steady_clock::time_point m_start;
};
