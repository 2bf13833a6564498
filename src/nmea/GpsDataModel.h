#pragma once
// The GPS data model the decoders write: what the last GGA, GSA and VTG sentences said and the
// satellites in view, per constellation and merged. All zero after a reset.

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

// The records in the order the parser holds them.
struct GpsDataModel {
    GgaRecord gga{};
    GsaRecord gsa{};
    SatelliteList mergedSatellites{};
    VtgRecord vtg{};
    SatelliteList gpsSatellites{};
    SatelliteList glonassSatellites{};
};
