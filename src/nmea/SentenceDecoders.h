#pragma once
// The sentence decoders: each reads the fields of one sentence's data part and writes what it
// finds into its record of the data model. A field that is not present leaves its target as it
// was, unless a decoder says otherwise.

#include "nmea/FieldSplit.h"
#include "nmea/GpsDataModel.h"
#include "nmea/IntegerFields.h"
#include "nmea/UsedPrns.h"

#include <cstddef>

// Time, position, fix quality, satellites in use, HDOP and altitude; then the vertical rate.
void DecodeGga(const FieldSplit& fields, GgaRecord& gga);
// Whether the GGA just decoded into `gga` reported a fix of its own (quality field above 0,
// latitude and longitude decoded from it); if so, fills `fix` from it (all but the serial).
bool DecodeGgaFix(const FieldSplit& fields, const GgaRecord& gga, GgaFix& fix);
// Mode, fix type, and the PRN list and DOP set of the constellation its smallest PRN belongs to.
void DecodeGsa(const FieldSplit& fields, GsaRecord& gsa);
// The same, except that a GSA with a system id (1 to 6, the field after VDOP) sets the used
// list and DOPs of that system only: 1 and 2 are gsa's GPS and GLONASS sets, 3 to 6 those of
// systemGsa. Gives the system id, 1 for one without (it can only write gsa's lists).
int DecodeGsa(const FieldSplit& fields, GsaRecord& gsa, SystemGsaRecord& systemGsa);
// Course and speed.
void DecodeVtg(const FieldSplit& fields, VtgRecord& vtg);
// One GSV message into `list`: four satellites, marked used when the GSA lists hold their PRN.
void DecodeGsvList(const IntegerFields& fields, const UsedPrns& used, SatelliteList& list);
// The talker of a GSV sentence address: the two characters before "GSV", GP and then GL
// winning wherever in the address they stand, as the address is matched by substring.
GsvTalker GsvTalkerOfAddress(const char* address);
// The signal id of a GSV sentence: the character of the field after its last satellite, 0 when
// that field is empty or the sentence has none.
int32_t GsvSignalId(const IntegerFields& fields);
// One GSV message of `talker` into the talker's set for `signalId`, starting a new epoch of
// the talker when the message is the first of a set already heard in the current one.
void DecodeGsvSignalSet(const IntegerFields& fields, GsvTalker talker, int32_t signalId,
                        const UsedPrns& used, TalkerSatellites& satellites);
// The GPS satellites in view, then the GLONASS ones, into model.mergedSatellites.
void MergeSatelliteLists(GpsDataModel& model);

// Whether the sentence address holds `what` anywhere (talkers vary, the sentence name does
// not). Cheaper than strstr on an address of at most 7 characters.
template <size_t N> inline bool AddressContains(const char* address, const char (&what)[N]) {
    constexpr size_t n = N - 1;
    for (const char* s = address; *s != '\0'; ++s) {
        size_t k = 0;
        while (k < n && s[k] == what[k])
            ++k;
        if (k == n)
            return true;
        if (s[k] == '\0')
            return false;
    }
    return false;
}
