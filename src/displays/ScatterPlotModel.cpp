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

void ScatterPlotModel::AddSample(const PositionSample& fix) {
    ScatterSample sample;
    sample.latitude = MicroDegrees(fix.latitude);
    sample.longitude = MicroDegrees(fix.longitude);
    sample.altitude = TruncateScaled(fix.altitude, 1000.0);
    sample.hdop = TruncateScaled(fix.hdop, 100.0);
    sample.vdop = TruncateScaled(fix.vdop, 100.0);
    sample.fix = fix;
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
    ++m_revision;
}

void ScatterPlotModel::AddPosition(double latitude, double longitude, double altitude, double hdop,
                                   double vdop) {
    PositionSample fix;
    fix.latitude = latitude;
    fix.longitude = longitude;
    fix.altitude = altitude;
    fix.hdop = hdop;
    fix.vdop = vdop;
    AddSample(fix);
}

void ScatterPlotModel::ClearPositions() {
    std::deque<ScatterSample>().swap(positions);
    ++m_revision;
    UpdateViewBox();
    averageCentre.latitude = 0;
    averageCentre.altitude = 0;
}

namespace {

struct ViewCorners {
    GeoPoint northWest, southEast;
};

ViewCorners CornersAround(const CScatterPlotPosition& centre, double radius) {
    const double lat = Degrees(centre.latitude);
    const double lon = Degrees(centre.longitude);
    return {DestinationPoint(lat, lon, 315.0, radius), DestinationPoint(lat, lon, 135.0, radius)};
}

} // namespace

void ScatterPlotModel::UpdateViewBox() {
    const ViewCorners c = CornersAround(centre, viewRadius);
    const std::int32_t lat1 = MicroDegrees(c.northWest.lat), lon1 = MicroDegrees(c.northWest.lon);
    const std::int32_t lat2 = MicroDegrees(c.southEast.lat), lon2 = MicroDegrees(c.southEast.lon);
    viewBox.maxLatitude = std::max(lat1, lat2);
    viewBox.minLatitude = std::min(lat1, lat2);
    viewBox.maxLongitude = std::max(lon1, lon2);
    viewBox.minLongitude = std::min(lon1, lon2);
}

bool ScatterPlotModel::ViewKeepsCentre(double radius) const {
    const ViewCorners c = CornersAround(centre, radius);
    const double lat = Degrees(centre.latitude);
    const double lon = Degrees(centre.longitude);
    return c.northWest.lat > lat && c.northWest.lon < lon && c.southEast.lat < lat &&
           c.southEast.lon > lon;
}

void ScatterPlotModel::ZoomIn() {
    if (viewRadius > 5.0)
        viewRadius -= ZoomStep(viewRadius);
    UpdateViewBox();
}

void ScatterPlotModel::ZoomOut() {
    const double next = viewRadius + ZoomStep(viewRadius);
    if (ViewKeepsCentre(next))
        viewRadius = next;
    UpdateViewBox();
}

ScatterShade ScatterPlotModel::ShadeOf(const ScatterSample& sample) const {
    if (std::isnan(sample.fix.hdop))
        return ScatterShade::UnknownDop;
    return sample.hdop > dopThresholdX100 ? ScatterShade::Bad : ScatterShade::Good;
}

const PositionAccuracy& ScatterPlotModel::Accuracy() const {
    if (m_accuracyRevision != m_revision) {
        std::vector<AccuracyInput> fixes;
        fixes.reserve(positions.size());
        for (const ScatterSample& s : positions)
            fixes.push_back({s.fix.latitude, s.fix.longitude, s.fix.altitude});
        m_accuracy = ComputePositionAccuracy(fixes);
        m_accuracyRevision = m_revision;
    }
    return m_accuracy;
}

bool ScatterPlotModel::HasUserPosition() const {
    return userCentre.latitude != 0 || userCentre.longitude != 0;
}

std::optional<double> ScatterPlotModel::MeanDistanceFromUser() const {
    const PositionAccuracy& a = Accuracy();
    if (a.samples == 0 || !HasUserPosition())
        return std::nullopt;
    return HorizontalDistance(a.meanLatitude, a.meanLongitude, Degrees(userCentre.latitude),
                              Degrees(userCentre.longitude));
}

std::vector<PositionSample> ScatterPlotModel::Fixes() const {
    std::vector<PositionSample> out;
    out.reserve(positions.size());
    for (const ScatterSample& s : positions)
        out.push_back(s.fix);
    return out;
}
