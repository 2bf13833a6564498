#include "displays/PositionSampleFeed.h"

#include <limits>

namespace {

constexpr std::int64_t kDayMs = 86400000;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

std::int64_t UtcOfTimeOfDay(std::int32_t timeOfDayMs, std::int64_t nowUtcMs) {
    const std::int64_t midnight = FloorDiv(nowUtcMs, kDayMs) * kDayMs;
    std::int64_t t = midnight + timeOfDayMs;
    if (t - nowUtcMs > kDayMs / 2)
        t -= kDayMs;
    else if (nowUtcMs - t > kDayMs / 2)
        t += kDayMs;
    return t;
}

std::optional<PositionSample> PositionSampleFeed::Take(const GgaFix& fix, std::int64_t nowUtcMs) {
    if (fix.serial == 0 || fix.serial == m_nLastSerial)
        return std::nullopt;
    m_nLastSerial = fix.serial;
    PositionSample s;
    s.latitude = fix.latitude;
    s.longitude = fix.longitude;
    s.altitude = fix.altitude;
    s.hdop = fix.hdopPresent != 0 ? fix.hdop : std::numeric_limits<double>::quiet_NaN();
    // GGA carries no VDOP; the one of the last GSA belongs to another epoch.
    s.vdop = std::numeric_limits<double>::quiet_NaN();
    s.fixQuality = fix.quality;
    s.utcMs = fix.timeOfDayMs >= 0 ? UtcOfTimeOfDay(fix.timeOfDayMs, nowUtcMs) : 0;
    return s;
}
