#pragma once

struct GeoPoint {
    double lat = 0.0; // degrees, north positive
    double lon = 0.0; // degrees, east positive
};

// Vincenty's direct formula on the WGS-84 ellipsoid: the point reached from (lat1, lon1) at
// `bearing` degrees clockwise from north after `distance` metres.
GeoPoint DestinationPoint(double lat1, double lon1, double bearing, double distance);
