#pragma once
// The satellite systems a receiver reports and how a satellite's system is known: from the
// talker of its GSV sentence, or for the GP and GN talkers from its PRN range.

#include <cstdint>

enum class GnssSystem : int32_t {
    None = 0, // an empty slot, or a snapshot written before systems were recorded
    Gps = 1,
    Sbas,
    Glonass,
    Galileo,
    BeiDou,
    Qzss,
    NavIC,
};
constexpr int kGnssSystemCount = 7;

// "GPS", "SBAS", "GLONASS", "Galileo", "BeiDou", "QZSS", "NavIC"; "" for None.
const char* GnssSystemName(GnssSystem system);

// The letter a satellite label carries so that equal PRNs of two systems never look alike:
// 'E', 'C', 'J', 'I' for Galileo, BeiDou, QZSS and NavIC; '\0' for the three systems whose
// PRN ranges already tell them apart.
char GnssSystemLetter(GnssSystem system);

// 1 to 32 GPS, 33 to 64 SBAS, 65 to 96 GLONASS; every other PRN counts as GPS, as the displays
// have always coloured it.
constexpr GnssSystem SystemByPrn(int32_t prn) {
    if (prn >= 33 && prn <= 64)
        return GnssSystem::Sbas;
    if (prn >= 65 && prn <= 96)
        return GnssSystem::Glonass;
    return GnssSystem::Gps;
}

// The talkers whose GSV sentences fill a satellite list, in the order their satellites are
// listed in the snapshot (GP and GL first, as they always were).
enum class GsvTalker : int32_t {
    GP,
    GL,
    GA,
    GB, // also BD
    GQ, // also QZ
    GI,
    GN,
    None,
};
constexpr int kGsvTalkerCount = 7;

// The talker of the two characters before "GSV"; None for any other.
GsvTalker GsvTalkerOf(char first, char second);
// "GP", "GL", ... as written in the sentence address (GB and GQ for their two spellings).
const char* GsvTalkerName(GsvTalker talker);

// The system of a satellite listed by `talker` under `prn`.
constexpr GnssSystem SystemOf(GsvTalker talker, int32_t prn) {
    switch (talker) {
    case GsvTalker::GL:
        return GnssSystem::Glonass;
    case GsvTalker::GA:
        return GnssSystem::Galileo;
    case GsvTalker::GB:
        return GnssSystem::BeiDou;
    case GsvTalker::GQ:
        return GnssSystem::Qzss;
    case GsvTalker::GI:
        return GnssSystem::NavIC;
    default:
        return SystemByPrn(prn);
    }
}
