#include "NmeaEmitter.h"

#include "NmeaSentence.h"

NmeaEmitter::NmeaEmitter(const LineFaults& faults, std::uint64_t seed)
    : m_faults(faults), m_prng(seed ^ 0xFA017F00D5EEDull) {}

std::vector<std::string> NmeaEmitter::Emit(const std::vector<std::string>& bodies) {
    std::vector<std::string> pieces;
    for (const auto& body : bodies) {
        if (m_prng.Chance(m_faults.garbageRate)) {
            std::string noise(static_cast<std::size_t>(m_prng.Int(1, 16)), '\0');
            for (auto& c : noise)
                c = static_cast<char>(m_prng.Int(0, 255));
            pieces.push_back(std::move(noise));
        }
        if (m_prng.Chance(m_faults.badChecksumRate))
            pieces.push_back(MakeNmeaSentenceWithBadChecksum(
                body, static_cast<std::uint8_t>(m_prng.Int(1, 255))));
        else
            pieces.push_back(MakeNmeaSentence(body));
    }
    return pieces;
}
