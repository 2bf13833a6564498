#include "nmea/SentenceDecoders.h"

#include "nmea/NmeaDecimal.h"

#include <algorithm>
#include <string_view>

namespace {

// Field numbers, counted from 0 at the first field after the address.
namespace GgaField {
enum : int {
    Time, // hhmmss, a fraction after it is not read
    Latitude,
    NorthSouth,
    Longitude,
    EastWest,
    Quality,
    SatellitesUsed,
    Hdop,
    Altitude,
};
}
namespace GsaField {
enum : int {
    Mode,
    FixType,
    FirstPrn,
    Pdop = FirstPrn + kPrnSlots,
    Hdop,
    Vdop,
};
}
namespace VtgField {
enum : int {
    TrueCourse = 0,
    MagneticCourse = 2,
    SpeedKnots = 4,
    SpeedKmh = 6,
};
}
namespace GsvField {
enum : int {
    MessageCount,
    MessageNumber,
    InView,
    FirstSatellite,
};
}
// The four fields of each satellite of a GSV message, from GsvField::FirstSatellite on.
namespace GsvSatelliteField {
enum : int {
    Prn,
    Elevation,
    Azimuth,
    Snr,
    Count,
};
}
constexpr int kSatellitesPerGsv = 4;

// Degree digits at the start of a latitude (ddmm.mmmm) and a longitude (dddmm.mmmm).
constexpr size_t kLatitudeDegreeDigits = 2;
constexpr size_t kLongitudeDegreeDigits = 3;

inline int Digit(unsigned char c) {
    return static_cast<int>(c) - '0';
}

// The first character of a present field. A present field of an empty data string has none:
// it reads as the string's terminating NUL.
inline unsigned char FirstChar(std::string_view field) {
    return field.empty() ? '\0' : static_cast<unsigned char>(field.front());
}

// ddmm.mmmm or dddmm.mmmm as degrees; the caller has checked that the degree digits are there.
inline double Angle(std::string_view field, size_t degreeDigits) {
    return NmeaDecimalValue(field.substr(0, degreeDigits)) +
           NmeaDecimalValue(field.substr(degreeDigits)) / 60.0;
}

inline int32_t IntegerOrZero(const FieldSplit& f, int i) {
    return f.Present(i) ? NmeaIntegerValue(f[i]) : 0;
}

inline double DecimalOrZero(const FieldSplit& f, int i) {
    return f.Present(i) ? NmeaDecimalValue(f[i]) : 0.0;
}

} // namespace

void DecodeGga(const FieldSplit& f, GgaRecord& gga) {
    // A time field too short for hhmmss would make the fixed positions read past it.
    if (const std::string_view time = f[GgaField::Time]; time.size() >= 6) {
        gga.hour = 10 * Digit(time[0]) + Digit(time[1]);
        gga.minute = 10 * Digit(time[2]) + Digit(time[3]);
        gga.second = 10 * Digit(time[4]) + Digit(time[5]);
    }
    if (const std::string_view latitude = f[GgaField::Latitude];
        latitude.size() >= kLatitudeDegreeDigits) {
        const double value = Angle(latitude, kLatitudeDegreeDigits);
        gga.latitude = FirstChar(f[GgaField::NorthSouth]) == 'S' ? -value : value;
    }
    if (const std::string_view longitude = f[GgaField::Longitude];
        longitude.size() >= kLongitudeDegreeDigits) {
        const double value = Angle(longitude, kLongitudeDegreeDigits);
        gga.longitude = FirstChar(f[GgaField::EastWest]) == 'W' ? -value : value;
    }
    if (f.Present(GgaField::Quality))
        gga.quality = Digit(FirstChar(f[GgaField::Quality]));
    if (f.Present(GgaField::SatellitesUsed))
        gga.satellitesUsed = NmeaIntegerValue(f[GgaField::SatellitesUsed].substr(0, 2));
    if (f.Present(GgaField::Hdop))
        gga.hdop = NmeaDecimalValue(f[GgaField::Hdop]);
    if (f.Present(GgaField::Altitude))
        gga.altitude = NmeaDecimalValue(f[GgaField::Altitude]);

    // Minutes and seconds only: the rate is not computed across an hour change.
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

void DecodeGsa(const FieldSplit& f, GsaRecord& gsa) {
    if (f.Present(GsaField::Mode))
        gsa.mode = FirstChar(f[GsaField::Mode]);
    if (f.Present(GsaField::FixType))
        gsa.fixType = Digit(FirstChar(f[GsaField::FixType]));

    int32_t prns[kPrnSlots];
    int32_t smallest = 9999; // no PRN at all counts as no constellation
    for (int i = 0; i < kPrnSlots; ++i) {
        const int field = GsaField::FirstPrn + i;
        if (f.Present(field)) {
            prns[i] = NmeaIntegerValue(f[field].substr(0, 2));
            smallest = std::min(smallest, prns[i]);
        } else {
            prns[i] = 0;
        }
    }
    const double pdop = DecimalOrZero(f, GsaField::Pdop);
    const double hdop = DecimalOrZero(f, GsaField::Hdop);
    const double vdop = DecimalOrZero(f, GsaField::Vdop);
    if (smallest >= 65 && smallest <= 96) {
        std::copy(prns, prns + kPrnSlots, gsa.glonassPrns);
        gsa.glonassPdop = pdop;
        gsa.glonassHdop = hdop;
        gsa.glonassVdop = vdop;
    } else {
        // SBAS-only or empty lists change no PRN list but still write the GPS DOPs.
        if (smallest >= 1 && smallest <= 32)
            std::copy(prns, prns + kPrnSlots, gsa.gpsPrns);
        gsa.gpsPdop = pdop;
        gsa.gpsHdop = hdop;
        gsa.gpsVdop = vdop;
    }
    ++gsa.count;
}

void DecodeVtg(const FieldSplit& f, VtgRecord& vtg) {
    if (f.Present(VtgField::TrueCourse))
        vtg.trueCourse = NmeaDecimalValue(f[VtgField::TrueCourse]);
    if (f.Present(VtgField::MagneticCourse))
        vtg.magneticCourse = NmeaDecimalValue(f[VtgField::MagneticCourse]);
    if (f.Present(VtgField::SpeedKnots))
        vtg.speedKnots = NmeaDecimalValue(f[VtgField::SpeedKnots]);
    if (f.Present(VtgField::SpeedKmh))
        vtg.speedKmh = NmeaDecimalValue(f[VtgField::SpeedKmh]);
}

void DecodeGsvList(const FieldSplit& f, const GsaRecord& gsa, SatelliteList& list) {
    // Without a message count and a message number from 1 to 9 there is no slot to fill.
    if (!f.Present(GsvField::MessageCount) || !f.Present(GsvField::MessageNumber))
        return;
    const int32_t messages = NmeaIntegerValue(f[GsvField::MessageCount]);
    if (messages < 1 || messages > 9)
        return;
    const int32_t n = NmeaIntegerValue(f[GsvField::MessageNumber]);
    if (n < 1 || n > 9)
        return;
    if (f.Present(GsvField::InView))
        list.inView = NmeaIntegerValue(f[GsvField::InView]);
    for (int k = 0; k < kSatellitesPerGsv; ++k) {
        SatelliteEntry& e = list.entries[kSatellitesPerGsv * (n - 1) + k];
        const int base = GsvField::FirstSatellite + GsvSatelliteField::Count * k;
        // The empty slots of a short last message are cleared.
        e.prn = IntegerOrZero(f, base + GsvSatelliteField::Prn);
        e.elevation = IntegerOrZero(f, base + GsvSatelliteField::Elevation);
        e.azimuth = IntegerOrZero(f, base + GsvSatelliteField::Azimuth);
        e.snr = IntegerOrZero(f, base + GsvSatelliteField::Snr);
        e.used = 0;
        if (e.prn != 0) {
            // Both lists, whatever the constellation of the message.
            for (int i = 0; i < kPrnSlots; ++i) {
                if (gsa.gpsPrns[i] == e.prn || gsa.glonassPrns[i] == e.prn) {
                    e.used = 1;
                    break;
                }
            }
        }
    }
    ++list.count;
}

void MergeSatelliteLists(GpsDataModel& model) {
    const SatelliteList& gps = model.gpsSatellites;
    const SatelliteList& glonass = model.glonassSatellites;
    SatelliteList& merged = model.mergedSatellites;
    // inView is taken as sent; only as many entries as the lists hold are ever touched.
    const int gpsCount = std::clamp<int32_t>(gps.inView, 0, kMaxSatellites);
    const int glonassCount = std::clamp<int32_t>(glonass.inView, 0, kMaxSatellites - gpsCount);
    std::copy(gps.entries, gps.entries + gpsCount, merged.entries);
    std::copy(glonass.entries, glonass.entries + glonassCount, merged.entries + gpsCount);
    for (int i = gpsCount + glonassCount; i < kMaxSatellites; ++i) {
        SatelliteEntry& e = merged.entries[i];
        e.prn = 0;
        e.snr = 0;
        e.azimuth = 0;
        e.elevation = 0;
    }
    const int64_t sum = static_cast<int64_t>(gps.inView) + glonass.inView;
    merged.inView = static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
    ++merged.count;
}
