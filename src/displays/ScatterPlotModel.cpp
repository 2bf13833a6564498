#include "displays/ScatterPlotModel.h"

#include <algorithm>
#include <cmath>

#include "displays/DestinationPoint.h"
#include "displays/GreatCircleDistance.h"
#include "displays/MicroDegrees.h"
#include "displays/VPlotScales.h"

namespace {

double Degrees(std::int32_t micro) {
    return micro / 1000000.0;
}

} // namespace

int ScatterProjection::Column(std::int32_t longitude) const {
    const double offset = static_cast<double>(static_cast<std::int64_t>(longitude) -
                                              static_cast<std::int64_t>(box.minLongitude));
    return squareLeft + PixelTrunc(offset * xScale);
}

int ScatterProjection::Row(std::int32_t latitude) const {
    const double offset = static_cast<double>(static_cast<std::int64_t>(box.maxLatitude) -
                                              static_cast<std::int64_t>(latitude));
    return squareTop + PixelTrunc(offset * yScale);
}

std::int32_t ScatterProjection::LongitudeAt(int column) const {
    // A zero scale (an empty longitude span) leaves the inverse at the box's edge instead of
    // dividing by zero.
    const double offset = xScale != 0.0 ? std::trunc((column - squareLeft) / xScale) : 0.0;
    return TruncateScaled(box.minLongitude + offset, 1.0);
}

std::int32_t ScatterProjection::LatitudeAt(int row) const {
    const double offset = yScale != 0.0 ? std::trunc((row - squareTop) / yScale) : 0.0;
    return TruncateScaled(box.maxLatitude - offset, 1.0);
}

ScatterProjection ComputeScatterProjection(const ScatterViewBox& box, int left, int top, int right,
                                           int bottom) {
    ScatterProjection p;
    p.box = box;
    p.left = left;
    p.top = top;
    p.right = right;
    p.bottom = bottom;
    const int w = right - left;
    const int h = bottom - top;
    if (w > h) {
        p.side = h;
        p.squareLeft = left + (w / 2 - h / 2);
        p.squareTop = top;
    } else {
        p.side = w;
        p.squareLeft = left;
        p.squareTop = top + (h / 2 - w / 2);
    }
    const double lonSpan = std::fabs(static_cast<double>(box.maxLongitude) - box.minLongitude);
    p.xScale = lonSpan != 0.0 ? p.side / lonSpan : 0.0;
    const double L = Degrees(box.minLatitude);
    const double G = Degrees(box.minLongitude);
    const double d1 = GreatCircleDistance(L, G, L, G + 10.0);
    const double d2 = GreatCircleDistance(L, G, L + 10.0, G);
    const double q = d1 != 0.0 ? d2 / d1 : 1.0;
    p.yScale = p.xScale * q;
    return p;
}

double ZoomStep(double viewRadius) {
    const double r = std::fabs(viewRadius);
    if (r >= 10000.0)
        return 10000.0;
    if (r >= 5000.0)
        return 2000.0;
    if (r >= 1000.0)
        return 500.0;
    if (r >= 200.0)
        return 100.0;
    if (r >= 40.0)
        return 20.0;
    return 5.0;
}

ScatterPlotModel::ScatterPlotModel() {
    UpdateViewBox();
}

void ScatterPlotModel::AddPosition(double latitude, double longitude, double altitude, double hdop,
                                   double vdop) {
    CScatterPlotPosition sample;
    sample.latitude = MicroDegrees(latitude);
    sample.longitude = MicroDegrees(longitude);
    sample.altitude = TruncateScaled(altitude, 1000.0);
    sample.hdop = TruncateScaled(hdop, 100.0);
    sample.vdop = TruncateScaled(vdop, 100.0);
    const std::size_t k = positions.size();
    if (centreMode == CentreOnUser) {
        centre = userCentre;
        UpdateViewBox();
    } else if (centreMode == CentreOnAverage) {
        centre = averageCentre;
        UpdateViewBox();
    } else if (centreMode == CentreOnNextSample && recentrePending == 1) {
        recentrePending = 0;
        centre = sample;
        UpdateViewBox();
    }
    positions.push_back(sample);
    if (k > kScatterPlotMaxSamples - 1)
        positions.pop_front();
    lastPosition = sample;
}

void ScatterPlotModel::ClearPositions() {
    std::deque<CScatterPlotPosition>().swap(positions);
    UpdateViewBox();
    averageCentre.latitude = 0;
    averageCentre.altitude = 0;
}

void ScatterPlotModel::UpdateViewBox() {
    const double lat = Degrees(centre.latitude);
    const double lon = Degrees(centre.longitude);
    const GeoPoint nw = DestinationPoint(lat, lon, 315.0, viewRadius);
    const GeoPoint se = DestinationPoint(lat, lon, 135.0, viewRadius);
    const std::int32_t lat1 = MicroDegrees(nw.lat), lon1 = MicroDegrees(nw.lon);
    const std::int32_t lat2 = MicroDegrees(se.lat), lon2 = MicroDegrees(se.lon);
    viewBox.maxLatitude = std::max(lat1, lat2);
    viewBox.minLatitude = std::min(lat1, lat2);
    viewBox.maxLongitude = std::max(lon1, lon2);
    viewBox.minLongitude = std::min(lon1, lon2);
}

void ScatterPlotModel::ZoomIn() {
    if (viewRadius > 5.0)
        viewRadius -= ZoomStep(viewRadius);
    UpdateViewBox();
}

void ScatterPlotModel::ZoomOut() {
    viewRadius += ZoomStep(viewRadius);
    UpdateViewBox();
}
