#pragma once
// Which satellites are used in the solution, by the GSA lists of the data model: a GPS, SBAS or
// GLONASS satellite when either of GsaRecord's two lists holds its PRN, a satellite of another
// system when its system's list in SystemGsaRecord does. Kept as bit sets beside the lists and
// brought up to date after every GSA, so that each GSV satellite is one lookup.

#include "nmea/GpsDataModel.h"

#include <cstdint>

class UsedPrns {
public:
    // Takes the lists as they stand now: all of them for systemId 0, else only those a GSA
    // of that system id writes (1 or 2: GsaRecord's two lists). The two records must outlive
    // this object (a PRN beyond the bits is looked up in them).
    void Update(const GsaRecord& gsa, const SystemGsaRecord& systemGsa, int systemId = 0);
    bool Has(GnssSystem system, int32_t prn) const;

private:
    static constexpr uint32_t kBits = 256;
    static constexpr int kSets = 1 + kSystemGsaCount; // GPS/SBAS/GLONASS, then 3 to 6
    uint64_t m_bits[kSets][kBits / 64] = {};
    const GsaRecord* m_gsa = nullptr;
    const SystemGsaRecord* m_systemGsa = nullptr;
};
