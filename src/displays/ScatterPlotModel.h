#pragma once
// The scatter plot's samples, centre, view box and zoom, and the projection of a view box
// onto a drawing square: everything of the scatter plot that is not drawing.

#include <cstddef>
#include <cstdint>
#include <deque>

// Latitude and longitude in micro-degrees, altitude in millimetres, DOPs x 100.
struct CScatterPlotPosition {
    std::int32_t latitude = 0;
    std::int32_t longitude = 0;
    std::int32_t altitude = 0;
    std::int32_t hdop = 0;
    std::int32_t vdop = 0;
    bool operator==(const CScatterPlotPosition&) const = default;
};

// Micro-degrees.
struct ScatterViewBox {
    std::int32_t maxLatitude = 0;
    std::int32_t maxLongitude = 0;
    std::int32_t minLatitude = 0;
    std::int32_t minLongitude = 0;
};

// A day at one sample per second, plus one.
constexpr std::size_t kScatterPlotMaxSamples = 86401;

struct ScatterProjection {
    double xScale = 0.0; // pixels per micro-degree of longitude
    double yScale = 0.0; // pixels per micro-degree of latitude
    ScatterViewBox box;
    int left = 0, top = 0, right = 0, bottom = 0; // drawing rectangle
    int side = 0, squareLeft = 0, squareTop = 0;

    int Column(std::int32_t longitude) const;
    int Row(std::int32_t latitude) const;
    // The inverse, used for the point under the view's centre pixel.
    std::int32_t LongitudeAt(int column) const;
    std::int32_t LatitudeAt(int row) const;
};

ScatterProjection ComputeScatterProjection(const ScatterViewBox& box, int left, int top, int right,
                                           int bottom);

// The metres one zoom click adds or removes at a given view radius.
double ZoomStep(double viewRadius);

class ScatterPlotModel {
public:
    enum CentreMode { CentreOnUser = 0, CentreOnAverage = 1, CentreOnNextSample = 2 };

    ScatterPlotModel();

    // Degrees, metres and plain DOP units.
    void AddPosition(double latitude, double longitude, double altitude, double hdop, double vdop);
    // Empties the samples (the centre and the latest sample stay) and recomputes the view box.
    void ClearPositions();
    void UpdateViewBox();
    void ZoomIn();
    void ZoomOut();

    std::deque<CScatterPlotPosition> positions;
    CScatterPlotPosition lastPosition;
    CScatterPlotPosition centre;
    CScatterPlotPosition userCentre;
    CScatterPlotPosition averageCentre;
    int centreMode = CentreOnNextSample;
    int recentrePending = 1;
    std::int32_t dopThresholdX100 = 300;
    double viewRadius = 100.0; // metres from the centre to the view's corners
    ScatterViewBox viewBox;
};
