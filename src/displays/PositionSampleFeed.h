#pragma once
// The plots' samples from the display snapshots: one per GGA fix, taken once. A snapshot
// holding no fix (before the first one, after a reconnect or a playback start) or the fix a
// sample was already made from gives none, so the plots never see a position of 0, 0 or the
// same fix twice.

#include <cstdint>
#include <optional>

#include "displays/PositionSample.h"
#include "nmea/GpsDataModel.h"

class PositionSampleFeed {
public:
    // nowUtcMs: the computer's clock, which dates the GGA's time of day.
    std::optional<PositionSample> Take(const GgaFix& fix, std::int64_t nowUtcMs);

private:
    std::uint64_t m_nLastSerial = 0;
};

// A UTC time of day (milliseconds since midnight) on the day that puts it nearest to
// nowUtcMs, as milliseconds since 1970: a fix just before midnight seen just after it
// belongs to the day before.
std::int64_t UtcOfTimeOfDay(std::int32_t timeOfDayMs, std::int64_t nowUtcMs);
