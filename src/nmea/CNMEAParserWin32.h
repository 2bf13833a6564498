#pragma once
// The program's parser: sentence dispatch to the decoders, the GPS data model they write and
// the position handshake with the position thread.

#include "nmea/CNMEAParser.h"
#include "nmea/GpsDataModel.h"
#include "nmea/ManualResetEvent.h"
#include "nmea/UsedPrns.h"

#include <mutex>

class CNMEAParserWin32 : public CNMEAParser, public GpsDataModel {
public:
    CNMEAParserWin32();

    // Clears the data model (not the framer state, not the events).
    void ResetData();

    // The GGA handshake can be switched off for offline decoding (tools, benchmarks).
    void SetPositionHandshake(bool enabled) { m_bHandshake = enabled; }

    ManualResetEvent m_hPositionEvent;
    ManualResetEvent m_hPositionEventProcessed;

    // Held while a sentence is decoded, while the model is reset and while it is copied into
    // a snapshot. The handshake alone keeps the copy consistent only while the reader waits:
    // once a frame has been slower than 1000 ms, the next GGA passes at once and the reader
    // would otherwise write the model during the copy. Order: snapshotLock, then this one.
    std::mutex& ModelLock() const { return m_modelLock; }

protected:
    bool OnSentence(const char* address, const char* data) override;
    void OnBadChecksum(const char* address, const char* data) override;

private:
    // GSV needs the talker as well: it picks the list or signal set; every GSV re-merges.
    void DecodeGsv(const char* data);

    bool m_bHandshake = true;
    // Numbers the GGA fixes; not reset with the model, so a fix after a reset never carries
    // the number of one from before it.
    uint64_t m_nFixSerial = 0;
    // mergedSatellites is what MergeSatelliteLists makes of the two lists as they stand (the
    // lists and the merged list are written only by the decoders and ResetData).
    bool m_bMergeCurrent = false;
    // The GSA lists as sets for the GSV decoders, brought up to date with every GSA.
    UsedPrns m_usedPrns;
    mutable std::mutex m_modelLock;
};

extern CNMEAParserWin32 theParser;
