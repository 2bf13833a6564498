#pragma once
// The running simulator: the line (a pseudo-terminal or a serial device), the receiver's
// epochs, the commands and their replies, the log.

#include "CommandHandler.h"
#include "CommandLineAssembler.h"
#include "DeviceState.h"
#include "LinePacer.h"
#include "NmeaEmitter.h"
#include "ReceiverModel.h"
#include "SimOptions.h"
#include "TrafficLog.h"

#include <chrono>
#include <string>

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
    // Writes what the line has carried by now; false when the line takes no more for now
    // (the far end is not reading).
    bool WriteDue();
    LinePacer::Time Elapsed() const;

    SimOptions m_options;
    DeviceState m_state;
    TestConditions m_conditions;
    ReceiverModel m_receiver;
    NmeaEmitter m_emitter;
    CommandLineAssembler m_assembler;
    LinePacer m_pacer;
    TrafficLog m_log;

    int m_fd = -1;
    bool m_pseudoTerminal = false;
    std::string m_path;
    bool m_linked = false;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};
