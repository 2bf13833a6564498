#pragma once
// One position fix as the plots take it: from one GGA that reported a fix, with that
// sentence's own dilution and the time of the fix.

#include <cstdint>
#include <limits>

struct PositionSample {
    double latitude = 0.0;  // degrees, north positive
    double longitude = 0.0; // degrees, east positive
    double altitude = 0.0;  // metres above mean sea level
    // Plain DOP units; NaN when the sentence carried none.
    double hdop = std::numeric_limits<double>::quiet_NaN();
    double vdop = std::numeric_limits<double>::quiet_NaN();
    int fixQuality = 0;     // the GGA's fix quality, above 0 for every sample the plots take
    std::int64_t utcMs = 0; // UTC milliseconds since 1970 of the fix; 0 when unknown
};
