#include "nmea/CNMEAParserWin32.h"

#include "nmea/FieldSplit.h"
#include "nmea/SentenceDecoders.h"

#include <chrono>

CNMEAParserWin32 theParser;

CNMEAParserWin32::CNMEAParserWin32() {
    ResetData();
}

void CNMEAParserWin32::ResetData() {
    std::lock_guard<std::mutex> lock(m_modelLock);
    static_cast<GpsDataModel&>(*this) = GpsDataModel{};
}

bool CNMEAParserWin32::OnSentence(const char* address, const char* data) {
    // By substring, first match wins: any talker is taken for GGA, GSA and VTG.
    if (AddressContains(address, "GGA")) {
        {
            std::lock_guard<std::mutex> lock(m_modelLock);
            DecodeGga(FieldSplit(data), gga);
        }
        if (m_bHandshake) {
            m_hPositionEvent.Set();
            if (m_hPositionEventProcessed.Wait(std::chrono::milliseconds(1000)))
                m_hPositionEventProcessed.Reset();
        }
    } else if (AddressContains(address, "GSA")) {
        std::lock_guard<std::mutex> lock(m_modelLock);
        DecodeGsa(FieldSplit(data), gsa);
    } else if (AddressContains(address, "VTG")) {
        std::lock_guard<std::mutex> lock(m_modelLock);
        DecodeVtg(FieldSplit(data), vtg);
    } else if (AddressContains(address, "GSV")) {
        std::lock_guard<std::mutex> lock(m_modelLock);
        DecodeGsv(data);
    }
    return true;
}

void CNMEAParserWin32::OnBadChecksum(const char* address, const char* data) {
    (void)address;
    (void)data;
}

void CNMEAParserWin32::DecodeGsv(const char* data) {
    // The other talkers' sentences are not even split.
    const char* address = CurrentAddress();
    if (AddressContains(address, "GPGSV"))
        DecodeGsvList(FieldSplit(data), gsa, gpsSatellites);
    else if (AddressContains(address, "GLGSV"))
        DecodeGsvList(FieldSplit(data), gsa, glonassSatellites);
    MergeSatelliteLists(*this);
}
