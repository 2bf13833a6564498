#pragma once
// The copy of the data model that every display reads, taken after each GGA sentence.

#include "nmea/GnssSystem.h"
#include "nmea/GpsDataModel.h"

#include <cstdint>

class CNMEAParserWin32;
struct GpsDataModel;

struct SnapshotSatellite {
    int32_t prn, azimuth, elevation, snr, used;
    GnssSystem system; // None in a slot nothing was copied into: shown by its PRN range
};

// How many satellites a snapshot holds: every system of a multi-constellation receiver at once.
constexpr int kSnapshotSatellites = 128;

// The system a display shows a satellite as: its own, or for a satellite written without one
// the system its PRN range gives.
constexpr GnssSystem DisplayedSystem(const SnapshotSatellite& s) {
    return s.system != GnssSystem::None ? s.system : SystemByPrn(s.prn);
}

// Bit of a system in DisplaySnapshot::systemsSeen.
constexpr uint32_t SystemBit(GnssSystem system) {
    return uint32_t{1} << static_cast<int>(system);
}

struct DisplaySnapshot {
    double latitude;
    double longitude;
    double altitude;
    int32_t satellitesUsed;
    int32_t satellitesInView; // every satellite in `satellites`, as shown
    SnapshotSatellite satellites[kSnapshotSatellites];
    char16_t fixQualityText[256];
    double gpsHdop, gpsVdop, gpsPdop;
    double glonassHdop, glonassVdop, glonassPdop;
    int32_t glonassSeen;
    int32_t sbasSeen;
    uint32_t systemsSeen; // SystemBit of every system a copied satellite had, sticky as the two
    GgaFix ggaFix;        // the last GGA with a fix since the last reset (serial 0: none)
};

extern DisplaySnapshot theSnapshot;

// Text of a GGA quality indicator 0..8, nullptr for any other value.
const char16_t* FixQualityText(int quality);

// Copies `parser`'s model into `snapshot` (fix text and sticky flags as described). The caller
// holds snapshotLock. Used by TakeDisplaySnapshot and by tests.
void CopyModelToSnapshot(const CNMEAParserWin32& parser, DisplaySnapshot& snapshot);

// Every satellite the model shows, into snapshot.satellites and satellitesInView: talker by
// talker (GP, GL, GA, GB, GQ, GI, GN), the GP or GL list as it stands (its count as sent, as
// the merged list has always had it), then the signal sets of the talker's latest epoch, a
// satellite listed by several sets once with its highest SNR (one each in the count). The
// slots after them are cleared; the sticky seen flags are set for what was copied.
void GatherSatellites(const GpsDataModel& model, DisplaySnapshot& snapshot);

// The position thread's call: copies theParser's model into theSnapshot under snapshotLock.
void TakeDisplaySnapshot();

// Sets theSnapshot to all zeros. The caller holds snapshotLock.
void ClearDisplaySnapshot();

// The displays' one way to read theSnapshot: a whole copy taken under snapshotLock, which is
// released at once. The main frame takes one per position update and hands it on.
DisplaySnapshot CopyDisplaySnapshot();

// How many copies CopyDisplaySnapshot has handed out since the program started, so that a
// test can see what one position update costs.
uint64_t DisplaySnapshotCopyCount();
