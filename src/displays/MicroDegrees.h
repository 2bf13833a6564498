#pragma once
// The scatter plot keeps angles as trunc(degrees x 1,000,000), altitudes as trunc(metres x 1000)
// and dilutions of precision as trunc(DOP x 100), truncated toward zero.

#include <cstdint>

// trunc(value x factor) as a signed 32-bit integer. Values outside the range saturate and NaN
// gives 0, where a plain conversion would be undefined.
std::int32_t TruncateScaled(double value, double factor);

inline std::int32_t MicroDegrees(double degrees) {
    return TruncateScaled(degrees, 1000000.0);
}
