#include "displays/GreatCircleDistance.h"

#include <cmath>

double GreatCircleDistance(double lat1, double lon1, double lat2, double lon2) {
    constexpr double kDegToRad = 0.017453292519943295;
    constexpr double kEarthRadiusKm = 6372.797560856;
    lat1 *= kDegToRad;
    lon1 *= kDegToRad;
    lat2 *= kDegToRad;
    lon2 *= kDegToRad;
    const double sinLat = std::sin((lat1 - lat2) / 2.0);
    const double sinLon = std::sin((lon1 - lon2) / 2.0);
    const double cosLat1 = std::cos(lat1);
    const double a = sinLat * sinLat + cosLat1 * cosLat1 * sinLon * sinLon;
    // With the first latitude's cosine squared a can exceed 1 for far-apart points; asin would
    // then give NaN. Such points are at most half the circumference apart.
    const double root = std::sqrt(a);
    return std::asin(root > 1.0 ? 1.0 : root) * 2.0 * kEarthRadiusKm * 1000.0;
}
