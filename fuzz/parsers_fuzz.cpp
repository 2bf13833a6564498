// One libFuzzer target over every parser of the project. The first input byte picks the parser,
// the rest is its input.

#include "nmea/CNMEAParserWin32.h"
#include "nmea/DisplaySnapshot.h"
#include "nmea/FieldSplit.h"
#include "nmea/IntegerFields.h"
#include "nmea/NmeaDecimal.h"

#include "protocol_cases.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

// Bit for bit, member by member: the padding between members holds no value of the model.
template <class T> bool SameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameGga(const GgaRecord& a, const GgaRecord& b) {
    return SameBits(a.hour, b.hour) && SameBits(a.minute, b.minute) &&
           SameBits(a.second, b.second) && SameBits(a.latitude, b.latitude) &&
           SameBits(a.longitude, b.longitude) && SameBits(a.quality, b.quality) &&
           SameBits(a.satellitesUsed, b.satellitesUsed) && SameBits(a.hdop, b.hdop) &&
           SameBits(a.altitude, b.altitude) && SameBits(a.previousTime, b.previousTime) &&
           SameBits(a.previousAltitude, b.previousAltitude) &&
           SameBits(a.verticalRate, b.verticalRate) && SameBits(a.count, b.count);
}

bool SameGsa(const GsaRecord& a, const GsaRecord& b) {
    return SameBits(a.mode, b.mode) && SameBits(a.fixType, b.fixType) &&
           SameBits(a.gpsPrns, b.gpsPrns) && SameBits(a.glonassPrns, b.glonassPrns) &&
           SameBits(a.gpsPdop, b.gpsPdop) && SameBits(a.gpsHdop, b.gpsHdop) &&
           SameBits(a.gpsVdop, b.gpsVdop) && SameBits(a.glonassPdop, b.glonassPdop) &&
           SameBits(a.glonassHdop, b.glonassHdop) && SameBits(a.glonassVdop, b.glonassVdop) &&
           SameBits(a.count, b.count);
}

bool SameTalkers(const TalkerSatellites (&a)[kGsvTalkerCount],
                 const TalkerSatellites (&b)[kGsvTalkerCount]) {
    for (int t = 0; t < kGsvTalkerCount; ++t) {
        const TalkerSatellites& x = a[t];
        const TalkerSatellites& y = b[t];
        if (!SameBits(x.setsInUse, y.setsInUse) || !SameBits(x.epochSetCount, y.epochSetCount) ||
            !SameBits(x.epochSets, y.epochSets))
            return false;
        for (int i = 0; i < kSignalSetsPerTalker; ++i) {
            const SignalSetList& u = x.sets[i];
            const SignalSetList& v = y.sets[i];
            if (!SameBits(u.signalId, v.signalId) || !SameBits(u.inView, v.inView) ||
                !SameBits(u.entries, v.entries) || !SameBits(u.snrMissing, v.snrMissing) ||
                !SameBits(u.count, v.count))
                return false;
        }
    }
    return true;
}

// The framer and all decoders, with the snapshot copy on top. The bytes are fed once whole and
// once in two parts; both must leave the same model behind.
void FuzzFeedBytes(const uint8_t* data, size_t size) {
    auto whole = std::make_unique<CNMEAParserWin32>();
    whole->SetPositionHandshake(false);
    whole->FeedBytes(data, static_cast<uint32_t>(size));
    auto split = std::make_unique<CNMEAParserWin32>();
    split->SetPositionHandshake(false);
    const size_t cut = size == 0 ? 0 : data[0] % size;
    split->FeedBytes(data, static_cast<uint32_t>(cut));
    split->FeedBytes(data + cut, static_cast<uint32_t>(size - cut));
    if (!SameGga(whole->gga, split->gga) || !SameGsa(whole->gsa, split->gsa) ||
        std::memcmp(&whole->mergedSatellites, &split->mergedSatellites,
                    sizeof whole->mergedSatellites) != 0 ||
        !SameBits(whole->systemGsa, split->systemGsa) ||
        !SameTalkers(whole->talkers, split->talkers))
        std::abort();
    auto snapshot = std::make_unique<DisplaySnapshot>();
    CopyModelToSnapshot(*whole, *snapshot);
    // Every satellite in view is in the snapshot, and nothing after them.
    const int shown = snapshot->satellitesInView;
    for (int i = 0; i < kSnapshotSatellites; ++i)
        if (snapshot->satellites[i].prn != 0 && i >= shown)
            std::abort();
}

// Field extraction over arbitrary text with an arbitrary field number.
void FuzzExtractField(const uint8_t* data, size_t size) {
    int32_t index = 0;
    if (size >= 4) {
        std::memcpy(&index, data, 4);
        data += 4;
        size -= 4;
    }
    const std::string text(reinterpret_cast<const char*>(data), size); // NUL-terminated copy
    char out[256];
    const bool present = ExtractField(text.c_str(), out, index);
    const size_t length = strnlen(out, sizeof out);
    if (length == sizeof out || (!present && length != 0))
        std::abort();
    // The decoders' single-pass split must see the same fields, and the GSV decoders' numbers
    // be the values of those fields.
    const FieldSplit split(text.c_str());
    const IntegerFields numbers(text.c_str());
    if (numbers.Count() != split.Count())
        std::abort();
    for (int i = 0; i < FieldSplit::kMaxFields; ++i) {
        const bool p = ExtractField(text.c_str(), out, i);
        if (split.Present(i) != p || split[i] != std::string_view(out))
            std::abort();
        if (numbers.Present(i) != p || numbers.Value(i) != NmeaIntegerValue(split[i]) ||
            numbers.FirstChar(i) != static_cast<unsigned char>(out[0]))
            std::abort();
    }
}

// Number reading must give exactly what strtod gives in the "C" locale, wherever strtod does not
// go beyond the decimal syntax (hexadecimal, inf, nan).
void FuzzDecimal(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* p = text.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    if (*p == '+' || *p == '-')
        ++p;
    const bool beyondDecimal =
        (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) || std::strchr("iInN", *p) != nullptr;
    const double value = NmeaDecimalValue(text.c_str());
    if (!beyondDecimal || *p == '\0') {
        const double expected = std::strtod(text.c_str(), nullptr);
        if (std::memcmp(&value, &expected, sizeof value) != 0)
            std::abort();
    }
    const long expectedInteger = std::strtol(text.c_str(), nullptr, 10);
    const int32_t integer = NmeaIntegerValue(text.c_str());
    if (expectedInteger >= INT32_MIN && expectedInteger <= INT32_MAX &&
        expectedInteger != LONG_MIN && expectedInteger != LONG_MAX && integer != expectedInteger)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t selector = data[0];
    ++data;
    --size;
    switch (selector % 8) {
    case 0:
    case 1:
    case 2:
    case 3:
        // Most seeds are raw captures whose first byte is arbitrary: most selectors frame.
        FuzzFeedBytes(data, size);
        break;
    case 4:
        FuzzExtractField(data, size);
        break;
    case 5:
        FuzzDecimal(data, size);
        break;
        // ---- protocol parsers (device test and tracker configuration) ----
    case 6:
    case 7:
        // The remaining selector bits pick the protocol parser and its variant.
        FuzzProtocolParsers(static_cast<uint8_t>(selector >> 3), data, size);
        break;
    default:
        FuzzFeedBytes(data, size);
        break;
    }
    return 0;
}
