#include "displays/MicroDegrees.h"

#include <cmath>
#include <limits>

std::int32_t TruncateScaled(double value, double factor) {
    const double scaled = std::trunc(value * factor);
    if (std::isnan(scaled)) {
        return 0;
    }
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    if (scaled >= kMax) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (scaled <= kMin) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(scaled);
}
