#include "nmea/UsedPrns.h"

namespace {

// Sets the bits of a list's PRNs. The low word is gathered in a register: or-ing into memory
// one PRN after the other would make every step wait for the store of the one before.
void Add(uint64_t* bits, const int32_t* prns, uint32_t limit) {
    uint64_t low = 0;
    for (int i = 0; i < kPrnSlots; ++i) {
        const uint32_t u = static_cast<uint32_t>(prns[i]);
        if (u < 64)
            low |= uint64_t{1} << u;
        else if (u < limit)
            bits[u >> 6] |= uint64_t{1} << (u & 63);
    }
    bits[0] |= low;
}

void Clear(uint64_t* bits, uint32_t words) {
    for (uint32_t w = 0; w < words; ++w)
        bits[w] = 0;
}

bool InList(const int32_t* prns, int32_t prn) {
    for (int i = 0; i < kPrnSlots; ++i)
        if (prns[i] == prn)
            return true;
    return false;
}

} // namespace

void UsedPrns::Update(const GsaRecord& gsa, const SystemGsaRecord& systemGsa, int systemId) {
    m_gsa = &gsa;
    m_systemGsa = &systemGsa;
    if (systemId == 0 || systemId == 1 || systemId == 2) {
        Clear(m_bits[0], kBits / 64);
        Add(m_bits[0], gsa.gpsPrns, kBits);
        Add(m_bits[0], gsa.glonassPrns, kBits);
    }
    for (int i = 0; i < kSystemGsaCount; ++i) {
        if (systemId == 0 || systemId == 3 + i) {
            Clear(m_bits[1 + i], kBits / 64);
            Add(m_bits[1 + i], systemGsa.prns[i], kBits);
        }
    }
}

bool UsedPrns::Has(GnssSystem system, int32_t prn) const {
    if (prn == 0 || m_gsa == nullptr)
        return false;
    const int set = 1 + SystemGsaIndex(system);
    const uint32_t u = static_cast<uint32_t>(prn);
    if (u < kBits)
        return ((m_bits[set][u >> 6] >> (u & 63)) & 1) != 0;
    // Beyond the bits (a PRN read whole from a GSA with a system id): the lists themselves.
    if (set == 0)
        return InList(m_gsa->gpsPrns, prn) || InList(m_gsa->glonassPrns, prn);
    return InList(m_systemGsa->prns[set - 1], prn);
}
