#pragma once
// The reading side of the open port for the command-line tool: waits for bytes (at most a
// given time), reads what is there and puts replies that the reads cut back together, as the
// program's receive path does.

#include <chrono>
#include <cstdint>
#include <string>

#include "device/ReplyReassembler.h"
#include "serial/CSio.h"

class PortReader {
public:
    using Clock = std::chrono::steady_clock;

    explicit PortReader(CSio& port) : m_port(port), m_start(Clock::now()) {}

    struct Step {
        std::string ready;        // bytes for the readers of replies, in the order they came
        bool lost = false;        // the port went away (the bytes still held came with `ready`)
        bool interrupted = false; // a signal came while waiting
    };
    // Waits at most waitMs for bytes, then takes whatever the port holds.
    Step Next(std::int64_t waitMs);
    // Milliseconds of the tool's steady clock since this reader was made.
    std::int64_t NowMs() const;

private:
    CSio& m_port;
    Clock::time_point m_start;
    ReplyReassembler m_reassembler;
    std::uint64_t m_lostSource = 0;
};
