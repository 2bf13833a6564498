#pragma once
// How tightly a set of fixes clusters: their mean position and the horizontal error figures an
// engineer quotes for a receiver (CEP50, CEP95, 2DRMS), in metres on the local tangent plane
// at the mean.

#include <cstddef>
#include <vector>

struct AccuracyInput {
    double latitude = 0.0;  // degrees
    double longitude = 0.0; // degrees
    double altitude = 0.0;  // metres
};

struct PositionAccuracy {
    std::size_t samples = 0; // fixes with finite coordinates that the figures cover
    double meanLatitude = 0.0;
    double meanLongitude = 0.0; // in -180..180
    double meanAltitude = 0.0;  // over the fixes with a finite altitude; 0 when none has one
    double cep50 = 0.0;         // metres: half the fixes lie within it of the mean
    double cep95 = 0.0;         // metres: 95 % of the fixes lie within it
    double twoDrms = 0.0;       // metres: 2 x sqrt(sigmaE^2 + sigmaN^2)
};

struct EastNorth {
    double east = 0.0;  // metres
    double north = 0.0; // metres
};

// The offset of (latitude, longitude) from the origin on the WGS-84 tangent plane at the
// origin (meridian and prime-vertical radii of curvature at the origin's latitude), longitude
// differences taken the short way round. Exact to well under a millimetre over the few hundred
// metres a fix wanders; a few metres wrong at 100 km.
EastNorth LocalOffset(double originLatitude, double originLongitude, double latitude,
                      double longitude);

// Horizontal distance in metres between two points, on the tangent plane at the first.
double HorizontalDistance(double latitude1, double longitude1, double latitude2, double longitude2);

// Nearest-rank percentile: the smallest value v of the set such that at least `percent` % of
// the values are <= v, i.e. the k-th smallest with k = ceil(percent / 100 x n) (at least 1).
// Always one of the values; 0 for an empty set. Reorders `values`.
double NearestRankPercentile(std::vector<double>& values, double percent);

// Mean position and error figures of the fixes; fixes with a non-finite latitude or longitude
// are left out. The spreads are population figures (divided by n): with one fix every figure
// is 0.
PositionAccuracy ComputePositionAccuracy(const std::vector<AccuracyInput>& fixes);
