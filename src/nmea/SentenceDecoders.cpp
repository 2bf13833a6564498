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
    SystemId, // NMEA 4.10 and later
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

// NmeaIntegerValue, with the fields that are a few plain digits (nearly all of them: PRNs,
// angles, SNRs, counts) read here without the call.
inline int32_t FieldInteger(std::string_view field) {
    if (field.size() - 1 < 4) {
        int32_t value = 0;
        for (const char c : field) {
            const unsigned d = static_cast<unsigned char>(c) - unsigned{'0'};
            if (d > 9)
                return NmeaIntegerValue(field);
            value = 10 * value + static_cast<int32_t>(d);
        }
        return value;
    }
    return NmeaIntegerValue(field);
}

inline int32_t IntegerOrZero(const FieldSplit& f, int i) {
    return f.Present(i) ? FieldInteger(f[i]) : 0;
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
        gga.satellitesUsed = FieldInteger(f[GgaField::SatellitesUsed].substr(0, 2));
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

namespace {

// hhmmss with an optional fraction as milliseconds since midnight; -1 unless it reads as a
// time of day.
int32_t TimeOfDayMs(std::string_view time) {
    if (time.size() < 6)
        return -1;
    int digits[6];
    for (int i = 0; i < 6; ++i) {
        digits[i] = Digit(static_cast<unsigned char>(time[i]));
        if (digits[i] < 0 || digits[i] > 9)
            return -1;
    }
    const int hour = 10 * digits[0] + digits[1];
    const int minute = 10 * digits[2] + digits[3];
    const int second = 10 * digits[4] + digits[5];
    // 60 is a leap second.
    if (hour > 23 || minute > 59 || second > 60)
        return -1;
    int ms = 0;
    if (time.size() > 6 && time[6] == '.') {
        int scale = 100;
        for (size_t i = 7; i < time.size() && scale > 0; ++i, scale /= 10) {
            const int d = Digit(static_cast<unsigned char>(time[i]));
            if (d < 0 || d > 9)
                break;
            ms += d * scale;
        }
    }
    return ((hour * 60 + minute) * 60 + second) * 1000 + ms;
}

} // namespace

bool DecodeGgaFix(const FieldSplit& f, const GgaRecord& gga, GgaFix& fix) {
    if (!f.Present(GgaField::Quality))
        return false;
    const int quality = Digit(FirstChar(f[GgaField::Quality]));
    if (quality < 1 || quality > 9)
        return false;
    // The decoder keeps the last coordinates when a field is missing or too short to read;
    // a fix needs both from this sentence.
    if (f[GgaField::Latitude].size() < kLatitudeDegreeDigits ||
        f[GgaField::Longitude].size() < kLongitudeDegreeDigits)
        return false;
    fix.latitude = gga.latitude;
    fix.longitude = gga.longitude;
    fix.altitude = gga.altitude;
    fix.hdopPresent = f.Present(GgaField::Hdop) ? 1 : 0;
    fix.hdop = fix.hdopPresent != 0 ? gga.hdop : 0.0;
    fix.quality = quality;
    fix.timeOfDayMs = TimeOfDayMs(f[GgaField::Time]);
    return true;
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
            prns[i] = FieldInteger(f[field].substr(0, 2));
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

int DecodeGsa(const FieldSplit& f, GsaRecord& gsa, SystemGsaRecord& systemGsa) {
    const int32_t system = f.Present(GsaField::SystemId) ? FieldInteger(f[GsaField::SystemId]) : 0;
    if (system < 1 || system > 6) {
        DecodeGsa(f, gsa);
        return 1;
    }
    if (f.Present(GsaField::Mode))
        gsa.mode = FirstChar(f[GsaField::Mode]);
    if (f.Present(GsaField::FixType))
        gsa.fixType = Digit(FirstChar(f[GsaField::FixType]));
    // The whole number: with the system known there is no range to fit the PRN into, and the
    // GSV sentences give theirs whole too.
    int32_t prns[kPrnSlots];
    for (int i = 0; i < kPrnSlots; ++i)
        prns[i] = IntegerOrZero(f, GsaField::FirstPrn + i);
    const double pdop = DecimalOrZero(f, GsaField::Pdop);
    const double hdop = DecimalOrZero(f, GsaField::Hdop);
    const double vdop = DecimalOrZero(f, GsaField::Vdop);
    if (system == 1) {
        std::copy(prns, prns + kPrnSlots, gsa.gpsPrns);
        gsa.gpsPdop = pdop;
        gsa.gpsHdop = hdop;
        gsa.gpsVdop = vdop;
    } else if (system == 2) {
        std::copy(prns, prns + kPrnSlots, gsa.glonassPrns);
        gsa.glonassPdop = pdop;
        gsa.glonassHdop = hdop;
        gsa.glonassVdop = vdop;
    } else {
        const int i = system - 3;
        std::copy(prns, prns + kPrnSlots, systemGsa.prns[i]);
        systemGsa.pdop[i] = pdop;
        systemGsa.hdop[i] = hdop;
        systemGsa.vdop[i] = vdop;
    }
    ++gsa.count;
    return system;
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

void DecodeGsvList(const IntegerFields& f, const UsedPrns& used, SatelliteList& list) {
    // Without a message count and a message number from 1 to 9 there is no slot to fill.
    if (!f.Present(GsvField::MessageCount) || !f.Present(GsvField::MessageNumber))
        return;
    const int32_t messages = f.Value(GsvField::MessageCount);
    if (messages < 1 || messages > 9)
        return;
    const int32_t n = f.Value(GsvField::MessageNumber);
    if (n < 1 || n > 9)
        return;
    if (f.Present(GsvField::InView))
        list.inView = f.Value(GsvField::InView);
    for (int k = 0; k < kSatellitesPerGsv; ++k) {
        SatelliteEntry& e = list.entries[kSatellitesPerGsv * (n - 1) + k];
        const int base = GsvField::FirstSatellite + GsvSatelliteField::Count * k;
        // The empty slots of a short last message are cleared.
        e.prn = f.Value(base + GsvSatelliteField::Prn);
        e.elevation = f.Value(base + GsvSatelliteField::Elevation);
        e.azimuth = f.Value(base + GsvSatelliteField::Azimuth);
        e.snr = f.Value(base + GsvSatelliteField::Snr);
        // Both lists, whatever the constellation of the message.
        e.used = used.Has(SystemByPrn(e.prn), e.prn) ? 1 : 0;
    }
    ++list.count;
}

GsvTalker GsvTalkerOfAddress(const char* address) {
    GsvTalker found = GsvTalker::None;
    for (const char* s = address; s[0] != '\0' && s[1] != '\0' && s[2] != '\0'; ++s) {
        if (s[2] != 'G' || s[3] != 'S' || s[4] != 'V')
            continue;
        const GsvTalker t = GsvTalkerOf(s[0], s[1]);
        // GP before GL before the others, wherever each stands.
        if (t == GsvTalker::GP)
            return t;
        if (t == GsvTalker::GL || found == GsvTalker::None)
            found = t;
    }
    return found;
}

int32_t GsvSignalId(const IntegerFields& f) {
    // Three fields, four per satellite, then the signal id: 4, 8, 12, 16 or 20 fields.
    const int count = f.Count();
    if (count < 4 || count > IntegerFields::kMaxFields || count % 4 != 0)
        return 0;
    return f.FirstChar(count - 1);
}

namespace {

bool HeardInEpoch(const TalkerSatellites& t, int set) {
    for (int i = 0; i < t.epochSetCount; ++i)
        if (t.epochSets[i] == set)
            return true;
    return false;
}

// The set that holds `signalId`; a new one while there is room, else one that the current
// epoch has not heard; -1 when the epoch already holds every set (a fifth signal).
int SignalSetFor(TalkerSatellites& t, int32_t signalId) {
    for (int i = 0; i < t.setsInUse; ++i)
        if (t.sets[i].signalId == signalId)
            return i;
    int set = -1;
    if (t.setsInUse < kSignalSetsPerTalker) {
        set = t.setsInUse++;
    } else {
        for (int i = 0; i < kSignalSetsPerTalker && set < 0; ++i)
            if (!HeardInEpoch(t, i))
                set = i;
        if (set < 0)
            return -1;
    }
    t.sets[set] = SignalSetList{};
    t.sets[set].signalId = signalId;
    return set;
}

} // namespace

void DecodeGsvSignalSet(const IntegerFields& f, GsvTalker talker, int32_t signalId,
                        const UsedPrns& used, TalkerSatellites& t) {
    // The same checks as for the GP and GL lists.
    if (!f.Present(GsvField::MessageCount) || !f.Present(GsvField::MessageNumber))
        return;
    const int32_t messages = f.Value(GsvField::MessageCount);
    if (messages < 1 || messages > 9)
        return;
    const int32_t n = f.Value(GsvField::MessageNumber);
    if (n < 1 || n > 9)
        return;
    const int set = SignalSetFor(t, signalId);
    if (set < 0)
        return;
    if (!HeardInEpoch(t, set))
        t.epochSets[t.epochSetCount++] = set;
    else if (n == 1) {
        t.epochSetCount = 1;
        t.epochSets[0] = set;
    }

    SignalSetList& list = t.sets[set];
    if (f.Present(GsvField::InView))
        list.inView = f.Value(GsvField::InView);
    for (int k = 0; k < kSatellitesPerGsv; ++k) {
        const int index = kSatellitesPerGsv * (n - 1) + k;
        SatelliteEntry& e = list.entries[index];
        const int base = GsvField::FirstSatellite + GsvSatelliteField::Count * k;
        e.prn = f.Value(base + GsvSatelliteField::Prn);
        e.elevation = f.Value(base + GsvSatelliteField::Elevation);
        e.azimuth = f.Value(base + GsvSatelliteField::Azimuth);
        const bool snrPresent = f.Present(base + GsvSatelliteField::Snr);
        e.snr = f.Value(base + GsvSatelliteField::Snr);
        const uint64_t bit = uint64_t{1} << index;
        list.snrMissing = snrPresent ? list.snrMissing & ~bit : list.snrMissing | bit;
        e.used = used.Has(SystemOf(talker, e.prn), e.prn) ? 1 : 0;
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
