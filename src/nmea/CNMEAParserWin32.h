#pragma once
// The program's parser: sentence dispatch, the GGA/GSA/VTG/GSV decoders, the GPS data model
// and the position handshake with the position thread.

#include "nmea/CNMEAParser.h"
#include "nmea/ManualResetEvent.h"

#include <cstdint>
#include <mutex>

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

struct GsaRecord {
    int32_t mode;
    int32_t fixType;
    int32_t gpsPrns[12];
    int32_t glonassPrns[12];
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

class CNMEAParserWin32 : public CNMEAParser {
public:
    CNMEAParserWin32();

    // Clears the data model (not the framer state, not the events).
    void ResetData();

    // The GGA handshake can be switched off for offline decoding (tools, benchmarks).
    void SetPositionHandshake(bool enabled) { m_bHandshake = enabled; }

    GgaRecord gga{};
    GsaRecord gsa{};
    SatelliteList mergedSatellites{};
    VtgRecord vtg{};
    SatelliteList gpsSatellites{};
    SatelliteList glonassSatellites{};

    ManualResetEvent m_hPositionEvent;
    ManualResetEvent m_hPositionEventProcessed;

    // Held while a sentence is decoded, while the model is reset and while it is copied into
    // a snapshot. The handshake alone keeps the copy consistent only while the reader waits:
    // once a frame has been slower than 1000 ms, the next GGA passes at once and the reader
    // would otherwise write the model during the copy. Order: snapshotLock, then this one.
    std::mutex& ModelLock() const { return m_modelLock; }

    void DecodeGga(const char* data);
    void DecodeGsa(const char* data);
    void DecodeVtg(const char* data);
    void DecodeGsv(const char* data);
    void DecodeGsvList(const char* data, SatelliteList& list);
    void MergeSatelliteLists();

protected:
    bool OnSentence(const char* address, const char* data) override;
    void OnBadChecksum(const char* address, const char* data) override;

private:
    bool m_bHandshake = true;
    mutable std::mutex m_modelLock;
};

extern CNMEAParserWin32 theParser;
