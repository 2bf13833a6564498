#include "nmea/CNMEAParserWin32.h"

#include "nmea/FieldSplit.h"

#include <algorithm>
#include <chrono>
#include <cstring>

CNMEAParserWin32 theParser;

namespace {

// Substring test on the short address (at most 7 characters); cheaper than strstr here.
template <size_t N> inline bool Contains(const char* address, const char (&what)[N]) {
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

inline int Digit(unsigned char c) {
    return static_cast<int>(c) - '0';
}

} // namespace

CNMEAParserWin32::CNMEAParserWin32() {
    ResetData();
}

void CNMEAParserWin32::ResetData() {
    std::lock_guard<std::mutex> lock(m_modelLock);
    gga = GgaRecord{};
    gsa = GsaRecord{};
    mergedSatellites = SatelliteList{};
    vtg = VtgRecord{};
    gpsSatellites = SatelliteList{};
    glonassSatellites = SatelliteList{};
}

bool CNMEAParserWin32::OnSentence(const char* address, const char* data) {
    if (Contains(address, "GGA")) {
        {
            std::lock_guard<std::mutex> lock(m_modelLock);
            DecodeGga(data);
        }
        if (m_bHandshake) {
            m_hPositionEvent.Set();
            if (m_hPositionEventProcessed.Wait(std::chrono::milliseconds(1000)))
                m_hPositionEventProcessed.Reset();
        }
    } else if (Contains(address, "GSA")) {
        std::lock_guard<std::mutex> lock(m_modelLock);
        DecodeGsa(data);
    } else if (Contains(address, "VTG")) {
        std::lock_guard<std::mutex> lock(m_modelLock);
        DecodeVtg(data);
    } else if (Contains(address, "GSV")) {
        std::lock_guard<std::mutex> lock(m_modelLock);
        DecodeGsv(data);
    }
    return true;
}

void CNMEAParserWin32::OnBadChecksum(const char* address, const char* data) {
    (void)address;
    (void)data;
}

void CNMEAParserWin32::DecodeGga(const char* data) {
    const FieldSplit f(data);
    // A time field too short for hhmmss would make the fixed positions read past it.
    if (f.Present(0) && f.Length(0) >= 6) {
        gga.hour = 10 * Digit(f.Char(0, 0)) + Digit(f.Char(0, 1));
        gga.minute = 10 * Digit(f.Char(0, 2)) + Digit(f.Char(0, 3));
        gga.second = 10 * Digit(f.Char(0, 4)) + Digit(f.Char(0, 5));
    }
    if (f.Present(1) && f.Length(1) >= 2) {
        double value = f.DecimalPrefix(1, 2) + f.DecimalFrom(1, 2) / 60.0;
        if (f.Present(2) && f.Char(2, 0) == 'S')
            value = -value;
        gga.latitude = value;
    }
    if (f.Present(3) && f.Length(3) >= 3) {
        double value = f.DecimalPrefix(3, 3) + f.DecimalFrom(3, 3) / 60.0;
        if (f.Present(4) && f.Char(4, 0) == 'W')
            value = -value;
        gga.longitude = value;
    }
    // A present field has a first character; for an empty data string it is the terminating NUL.
    if (f.Present(5))
        gga.quality = Digit(f.Char(5, 0));
    if (f.Present(6))
        gga.satellitesUsed = f.IntegerPrefix(6, 2);
    if (f.Present(7))
        gga.hdop = f.Decimal(7);
    if (f.Present(8))
        gga.altitude = f.Decimal(8);

    const int32_t t = 60 * gga.minute + gga.second;
    if (t > gga.previousTime) {
        const double dt = (gga.previousTime - static_cast<double>(t)) / 60.0;
        if (dt != 0.0)
            gga.verticalRate = (gga.previousAltitude - gga.altitude) / dt;
    }
    ++gga.count;
    gga.previousTime = t;
    gga.previousAltitude = gga.altitude;
}

void CNMEAParserWin32::DecodeGsa(const char* data) {
    const FieldSplit f(data);
    if (f.Present(0))
        gsa.mode = f.Char(0, 0);
    if (f.Present(1))
        gsa.fixType = Digit(f.Char(1, 0));

    int32_t candidates[12];
    int32_t smallest = 9999;
    for (int i = 0; i < 12; ++i) {
        if (f.Present(2 + i)) {
            candidates[i] = f.IntegerPrefix(2 + i, 2);
            smallest = std::min(smallest, candidates[i]);
        } else {
            candidates[i] = 0;
        }
    }
    const double pdop = f.Present(14) ? f.Decimal(14) : 0.0;
    const double hdop = f.Present(15) ? f.Decimal(15) : 0.0;
    const double vdop = f.Present(16) ? f.Decimal(16) : 0.0;
    if (smallest >= 65 && smallest <= 96) {
        std::copy(candidates, candidates + 12, gsa.glonassPrns);
        gsa.glonassPdop = pdop;
        gsa.glonassHdop = hdop;
        gsa.glonassVdop = vdop;
    } else {
        if (smallest >= 1 && smallest <= 32)
            std::copy(candidates, candidates + 12, gsa.gpsPrns);
        gsa.gpsPdop = pdop;
        gsa.gpsHdop = hdop;
        gsa.gpsVdop = vdop;
    }
    ++gsa.count;
}

void CNMEAParserWin32::DecodeVtg(const char* data) {
    const FieldSplit f(data);
    if (f.Present(0))
        vtg.trueCourse = f.Decimal(0);
    if (f.Present(2))
        vtg.magneticCourse = f.Decimal(2);
    if (f.Present(4))
        vtg.speedKnots = f.Decimal(4);
    if (f.Present(6))
        vtg.speedKmh = f.Decimal(6);
}

void CNMEAParserWin32::DecodeGsv(const char* data) {
    const char* address = CurrentAddress();
    if (Contains(address, "GPGSV"))
        DecodeGsvList(data, gpsSatellites);
    else if (Contains(address, "GLGSV"))
        DecodeGsvList(data, glonassSatellites);
    MergeSatelliteLists();
}

void CNMEAParserWin32::DecodeGsvList(const char* data, SatelliteList& list) {
    const FieldSplit f(data);
    // Without a message count and a message number from 1 to 9 there is no slot to fill.
    if (!f.Present(0) || !f.Present(1))
        return;
    const int32_t messages = f.Integer(0);
    if (messages < 1 || messages > 9)
        return;
    const int32_t n = f.Integer(1);
    if (n < 1 || n > 9)
        return;
    if (f.Present(2))
        list.inView = f.Integer(2);
    for (int k = 0; k < 4; ++k) {
        SatelliteEntry& e = list.entries[4 * (n - 1) + k];
        const int base = 3 + 4 * k;
        e.prn = f.Present(base) ? f.Integer(base) : 0;
        e.elevation = f.Present(base + 1) ? f.Integer(base + 1) : 0;
        e.azimuth = f.Present(base + 2) ? f.Integer(base + 2) : 0;
        e.snr = f.Present(base + 3) ? f.Integer(base + 3) : 0;
        e.used = 0;
        if (e.prn != 0) {
            for (int i = 0; i < 12; ++i) {
                if (gsa.gpsPrns[i] == e.prn || gsa.glonassPrns[i] == e.prn) {
                    e.used = 1;
                    break;
                }
            }
        }
    }
    ++list.count;
}

void CNMEAParserWin32::MergeSatelliteLists() {
    // inView is taken as sent; only as many entries as the lists hold are ever touched.
    const int gpsCount = std::clamp<int32_t>(gpsSatellites.inView, 0, kMaxSatellites);
    const int glonassCount =
        std::clamp<int32_t>(glonassSatellites.inView, 0, kMaxSatellites - gpsCount);
    std::copy(gpsSatellites.entries, gpsSatellites.entries + gpsCount, mergedSatellites.entries);
    std::copy(glonassSatellites.entries, glonassSatellites.entries + glonassCount,
              mergedSatellites.entries + gpsCount);
    for (int i = gpsCount + glonassCount; i < kMaxSatellites; ++i) {
        SatelliteEntry& e = mergedSatellites.entries[i];
        e.prn = 0;
        e.snr = 0;
        e.azimuth = 0;
        e.elevation = 0;
    }
    const int64_t sum = static_cast<int64_t>(gpsSatellites.inView) + glonassSatellites.inView;
    mergedSatellites.inView = static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
    ++mergedSatellites.count;
}
