#include "nmea/DisplaySnapshot.h"

#include "nmea/CNMEAParserWin32.h"
#include "nmea/SnapshotLock.h"

#include <atomic>
#include <cstring>

DisplaySnapshot theSnapshot{};
std::mutex snapshotLock;

namespace {
std::atomic<uint64_t> copiesTaken{0};
}

const char16_t* FixQualityText(int quality) {
    static const char16_t* const kTexts[] = {
        u"Invalid",
        u"GPS Fix",
        u"Differential GPS",
        u"PPS Fix",
        u"Real Time Kinematic",
        u"Float RTK",
        u"Estimated (dead reckoning)",
        u"Manual input mode",
        u"Simulation mode",
    };
    if (quality < 0 || quality > 8)
        return nullptr;
    return kTexts[quality];
}

void CopyModelToSnapshot(const CNMEAParserWin32& parser, DisplaySnapshot& snapshot) {
    std::lock_guard<std::mutex> modelLock(parser.ModelLock());
    snapshot.latitude = parser.gga.latitude;
    snapshot.longitude = parser.gga.longitude;
    snapshot.altitude = parser.gga.altitude;
    snapshot.satellitesUsed = parser.gga.satellitesUsed;
    snapshot.satellitesInView = parser.mergedSatellites.inView;
    snapshot.gpsHdop = parser.gsa.gpsHdop;
    snapshot.gpsVdop = parser.gsa.gpsVdop;
    snapshot.gpsPdop = parser.gsa.gpsPdop;
    snapshot.glonassHdop = parser.gsa.glonassHdop;
    snapshot.glonassVdop = parser.gsa.glonassVdop;
    snapshot.glonassPdop = parser.gsa.glonassPdop;
    for (int i = 0; i < kMaxSatellites; ++i) {
        const SatelliteEntry& e = parser.mergedSatellites.entries[i];
        snapshot.satellites[i] = SnapshotSatellite{e.prn, e.azimuth, e.elevation, e.snr, e.used};
        if (e.prn >= 65 && e.prn <= 96)
            snapshot.glonassSeen = 1;
        if (e.prn >= 33 && e.prn <= 64)
            snapshot.sbasSeen = 1;
    }
    if (const char16_t* text = FixQualityText(parser.gga.quality)) {
        size_t n = 0;
        while (text[n] != u'\0' && n < 255) {
            snapshot.fixQualityText[n] = text[n];
            ++n;
        }
        snapshot.fixQualityText[n] = u'\0';
    }
}

void TakeDisplaySnapshot() {
    std::lock_guard<std::mutex> lock(snapshotLock);
    CopyModelToSnapshot(theParser, theSnapshot);
}

void ClearDisplaySnapshot() {
    std::memset(&theSnapshot, 0, sizeof theSnapshot);
}

DisplaySnapshot CopyDisplaySnapshot() {
    copiesTaken.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(snapshotLock);
    return theSnapshot;
}

uint64_t DisplaySnapshotCopyCount() {
    return copiesTaken.load(std::memory_order_relaxed);
}
