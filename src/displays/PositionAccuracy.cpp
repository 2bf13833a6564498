#include "displays/PositionAccuracy.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// WGS-84.
constexpr double kSemiMajorAxis = 6378137.0;
constexpr double kFlattening = 1.0 / 298.257223563;
constexpr double kEccentricitySquared = kFlattening * (2.0 - kFlattening);
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

// A longitude difference the short way round, in -180..180.
double WrapDegrees(double degrees) {
    if (degrees >= -180.0 && degrees <= 180.0)
        return degrees;
    return std::remainder(degrees, 360.0);
}

bool Usable(const AccuracyInput& fix) {
    return std::isfinite(fix.latitude) && std::isfinite(fix.longitude);
}

// Metres per degree north and east at one origin, worked out once for all the fixes.
struct TangentPlane {
    double latitude, longitude;
    double northPerDegree, eastPerDegree;

    TangentPlane(double originLatitude, double originLongitude)
        : latitude(originLatitude), longitude(originLongitude) {
        const double phi = originLatitude * kRadiansPerDegree;
        const double s = std::sin(phi);
        const double w = std::sqrt(1.0 - kEccentricitySquared * s * s);
        const double meridian = kSemiMajorAxis * (1.0 - kEccentricitySquared) / (w * w * w);
        const double primeVertical = kSemiMajorAxis / w;
        northPerDegree = kRadiansPerDegree * meridian;
        eastPerDegree = kRadiansPerDegree * primeVertical * std::cos(phi);
    }

    EastNorth Offset(double lat, double lon) const {
        return {WrapDegrees(lon - longitude) * eastPerDegree, (lat - latitude) * northPerDegree};
    }
};

} // namespace

EastNorth LocalOffset(double originLatitude, double originLongitude, double latitude,
                      double longitude) {
    return TangentPlane(originLatitude, originLongitude).Offset(latitude, longitude);
}

double HorizontalDistance(double latitude1, double longitude1, double latitude2,
                          double longitude2) {
    const EastNorth d = LocalOffset(latitude1, longitude1, latitude2, longitude2);
    return std::hypot(d.east, d.north);
}

double NearestRankPercentile(std::vector<double>& values, double percent) {
    const std::size_t n = values.size();
    if (n == 0)
        return 0.0;
    // The rank is computed in integer hundredths of a percent so that 95 % of 20 is exactly 19
    // and not 19.000000000000004 rounded up to 20.
    const auto hundredths =
        static_cast<std::size_t>(std::llround(std::clamp(percent, 0.0, 100.0) * 100.0));
    std::size_t k = (hundredths * n + 9999) / 10000;
    k = std::clamp<std::size_t>(k, 1, n);
    const auto nth = values.begin() + static_cast<std::ptrdiff_t>(k - 1);
    std::nth_element(values.begin(), nth, values.end());
    return *nth;
}

PositionAccuracy ComputePositionAccuracy(const std::vector<AccuracyInput>& fixes) {
    PositionAccuracy out;
    const AccuracyInput* reference = nullptr;
    double sumLatitude = 0.0, sumLongitude = 0.0, sumAltitude = 0.0;
    std::size_t altitudes = 0;
    // Offsets from the first fix keep the sums small and carry the mean across the
    // antimeridian.
    for (const AccuracyInput& fix : fixes) {
        if (!Usable(fix))
            continue;
        if (!reference)
            reference = &fix;
        ++out.samples;
        sumLatitude += fix.latitude - reference->latitude;
        sumLongitude += WrapDegrees(fix.longitude - reference->longitude);
        if (std::isfinite(fix.altitude)) {
            sumAltitude += fix.altitude;
            ++altitudes;
        }
    }
    if (out.samples == 0)
        return out;
    const double n = static_cast<double>(out.samples);
    out.meanLatitude = reference->latitude + sumLatitude / n;
    out.meanLongitude = WrapDegrees(reference->longitude + sumLongitude / n);
    out.meanAltitude = altitudes != 0 ? sumAltitude / static_cast<double>(altitudes) : 0.0;

    const TangentPlane plane(out.meanLatitude, out.meanLongitude);
    std::vector<EastNorth> offsets;
    offsets.reserve(out.samples);
    double sumEast = 0.0, sumNorth = 0.0;
    for (const AccuracyInput& fix : fixes) {
        if (!Usable(fix))
            continue;
        const EastNorth d = plane.Offset(fix.latitude, fix.longitude);
        offsets.push_back(d);
        sumEast += d.east;
        sumNorth += d.north;
    }
    // The offsets average to zero up to rounding; the spreads are taken about their own mean
    // all the same.
    const double meanEast = sumEast / n, meanNorth = sumNorth / n;
    double varianceEast = 0.0, varianceNorth = 0.0;
    std::vector<double> radial;
    radial.reserve(offsets.size());
    for (const EastNorth& d : offsets) {
        varianceEast += (d.east - meanEast) * (d.east - meanEast);
        varianceNorth += (d.north - meanNorth) * (d.north - meanNorth);
        // Metres from the mean: far from overflow, so no need for hypot's care (or its cost).
        radial.push_back(std::sqrt(d.east * d.east + d.north * d.north));
    }
    varianceEast /= n;
    varianceNorth /= n;
    out.twoDrms = 2.0 * std::sqrt(varianceEast + varianceNorth);
    out.cep50 = NearestRankPercentile(radial, 50.0);
    out.cep95 = NearestRankPercentile(radial, 95.0);
    return out;
}
