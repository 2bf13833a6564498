#pragma once
// The sentence decoders: each reads the fields of one sentence's data part and writes what it
// finds into its record of the data model. A field that is not present leaves its target as it
// was, unless a decoder says otherwise.

#include "nmea/FieldSplit.h"
#include "nmea/GpsDataModel.h"

#include <cstddef>

// Time, position, fix quality, satellites in use, HDOP and altitude; then the vertical rate.
void DecodeGga(const FieldSplit& fields, GgaRecord& gga);
// Mode, fix type, and the PRN list and DOP set of the constellation its smallest PRN belongs to.
void DecodeGsa(const FieldSplit& fields, GsaRecord& gsa);
// Course and speed.
void DecodeVtg(const FieldSplit& fields, VtgRecord& vtg);
// One GSV message into `list`: four satellites, marked used when `gsa` lists their PRN.
void DecodeGsvList(const FieldSplit& fields, const GsaRecord& gsa, SatelliteList& list);
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
