#pragma once
// Frames the receiver's sentences for the line and, when asked to, spoils some of them the
// way a poor connection would: wrong checksums, and bursts of binary noise between sentences.

#include "Prng.h"

#include <cstdint>
#include <string>
#include <vector>

struct LineFaults {
    double badChecksumRate = 0.0; // probability per sentence
    double garbageRate = 0.0;     // probability per sentence of noise in front of it
};

class NmeaEmitter {
public:
    // The faults draw on their own generator, so switching them on does not change the
    // receiver's own output.
    NmeaEmitter(const LineFaults& faults, std::uint64_t seed);

    // One piece per sentence (framed, CR LF) and one per burst of noise, in line order.
    std::vector<std::string> Emit(const std::vector<std::string>& bodies);

private:
    LineFaults m_faults;
    Prng m_prng;
};
