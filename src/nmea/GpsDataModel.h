#pragma once
// The GPS data model the decoders write: what the last GGA, GSA and VTG sentences said and the
// satellites in view, per constellation and merged. All zero after a reset.

#include "nmea/GnssSystem.h"

#include <cstdint>

struct GgaRecord {
    int32_t hour, minute, second;
    double latitude;
    double longitude;
    int32_t quality;
    int32_t satellitesUsed;
    double hdop;
    double altitude;
    int32_t previousTime;
    double previousAltitude;
    double verticalRate;
    uint32_t count;
};

// The last GGA that reported a fix: fix quality above 0 and both coordinates in that same
// sentence, with what that sentence itself said. `serial` numbers such sentences over the
// whole run and is 0 while none came since the last reset, so a reader can tell a fix it
// has not seen from one it has (a GGA without a fix leaves the record as it was).
struct GgaFix {
    uint64_t serial;
    double latitude, longitude, altitude;
    double hdop;         // as sent; only when hdopPresent
    int32_t hdopPresent; // 1 when the sentence had an HDOP field
    int32_t quality;     // 1 to 9
    int32_t timeOfDayMs; // UTC milliseconds since midnight, -1 when the time was unusable
};

// PRN slots of one GSA sentence.
constexpr int kPrnSlots = 12;

struct GsaRecord {
    int32_t mode;
    int32_t fixType;
    int32_t gpsPrns[kPrnSlots];
    int32_t glonassPrns[kPrnSlots];
    double gpsPdop, gpsHdop, gpsVdop;
    double glonassPdop, glonassHdop, glonassVdop;
    uint32_t count;
};

struct VtgRecord {
    double trueCourse, magneticCourse, speedKnots, speedKmh;
};

struct SatelliteEntry {
    int32_t prn, snr, used, azimuth, elevation;
};

constexpr int kMaxSatellites = 96;

struct SatelliteList {
    int32_t inView;
    SatelliteEntry entries[kMaxSatellites];
    uint32_t count;
};

// ---- Receivers that tell their systems and signals apart (NMEA 4.10 and later) ----

// The used satellites and DOPs of the systems that only a GSA with a system id reports
// (systems 1 and 2 write GsaRecord's GPS and GLONASS lists and DOP sets instead).
constexpr int kSystemGsaCount = 4; // Galileo, BeiDou, QZSS, NavIC: system ids 3 to 6

struct SystemGsaRecord {
    int32_t prns[kSystemGsaCount][kPrnSlots];
    double pdop[kSystemGsaCount], hdop[kSystemGsaCount], vdop[kSystemGsaCount];
};

// Index into SystemGsaRecord of a system that has one there, else -1.
constexpr int SystemGsaIndex(GnssSystem system) {
    return system >= GnssSystem::Galileo && system <= GnssSystem::NavIC
               ? static_cast<int>(system) - static_cast<int>(GnssSystem::Galileo)
               : -1;
}

// A GSV message holds four satellites and a sequence at most nine messages.
constexpr int kSignalSetEntries = 36;

// The satellites of one talker's GSV sentences for one signal (the id after the last
// satellite), filled as the GP and GL lists are: message n fills entries 4(n-1) to 4(n-1)+3.
struct SignalSetList {
    int32_t signalId; // character of the signal id, 0 when the sentences carry none
    int32_t inView;
    SatelliteEntry entries[kSignalSetEntries];
    uint64_t snrMissing; // bit k set: the SNR field of entries[k] was empty (no signal)
    uint32_t count;      // GSV sentences decoded into this set
};

constexpr int kSignalSetsPerTalker = 4;

// One talker's signal sets. GP and GL sentences without a signal id keep filling
// gpsSatellites and glonassSatellites; only the other sentences come here.
struct TalkerSatellites {
    SignalSetList sets[kSignalSetsPerTalker];
    int32_t setsInUse;
    // The sets heard in the talker's latest epoch, first heard first. An epoch ends when the
    // first message of a set already heard in it comes again.
    int32_t epochSetCount;
    int32_t epochSets[kSignalSetsPerTalker];
};

// The records in the order the parser holds them.
struct GpsDataModel {
    GgaRecord gga{};
    GgaFix ggaFix{};
    GsaRecord gsa{};
    SatelliteList mergedSatellites{};
    VtgRecord vtg{};
    SatelliteList gpsSatellites{};
    SatelliteList glonassSatellites{};
    SystemGsaRecord systemGsa{};
    TalkerSatellites talkers[kGsvTalkerCount]{}; // indexed by GsvTalker
};
