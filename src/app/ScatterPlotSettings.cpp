#include "app/ScatterPlotSettings.h"

#include <cmath>
#include <limits>

int32_t TruncScaled(double value, double scale) {
    const double product = std::trunc(value * scale);
    if (std::isnan(product))
        return 0;
    if (product >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (product <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(product);
}
