#pragma once

// Haversine distance in metres on a sphere of radius 6372.797560856 km. Angles in degrees.
// The longitude term uses the first point's latitude cosine squared, as the scatter plot's
// rings were drawn with; it matters only far from the user position.
double GreatCircleDistance(double lat1, double lon1, double lat2, double lon2);
