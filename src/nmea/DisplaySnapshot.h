#pragma once
// The copy of the data model that every display reads, taken after each GGA sentence.

#include <cstdint>

class CNMEAParserWin32;

struct SnapshotSatellite {
    int32_t prn, azimuth, elevation, snr, used;
};

struct DisplaySnapshot {
    double latitude;
    double longitude;
    double altitude;
    int32_t satellitesUsed;
    int32_t satellitesInView;
    SnapshotSatellite satellites[96];
    char16_t fixQualityText[256];
    double gpsHdop, gpsVdop, gpsPdop;
    double glonassHdop, glonassVdop, glonassPdop;
    int32_t glonassSeen;
    int32_t sbasSeen;
};

extern DisplaySnapshot theSnapshot;

// Text of a GGA quality indicator 0..8, nullptr for any other value.
const char16_t* FixQualityText(int quality);

// Copies `parser`'s model into `snapshot` (fix text and sticky flags as described). The caller
// holds snapshotLock. Used by TakeDisplaySnapshot and by tests.
void CopyModelToSnapshot(const CNMEAParserWin32& parser, DisplaySnapshot& snapshot);

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
