#pragma once
// The scatter plot's samples, centre, view box and zoom, and the projection of a view box
// onto a drawing square: everything of the scatter plot that is not drawing.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "displays/PositionAccuracy.h"
#include "displays/PositionSample.h"

// Latitude and longitude in micro-degrees, altitude in millimetres, DOPs x 100.
struct CScatterPlotPosition {
    std::int32_t latitude = 0;
    std::int32_t longitude = 0;
    std::int32_t altitude = 0;
    std::int32_t hdop = 0;
    std::int32_t vdop = 0;
    bool operator==(const CScatterPlotPosition&) const = default;
};

// One stored sample: the integer position the plot draws, and the fix as it came with its
// full-precision coordinates, its own HDOP (NaN when its sentence had none), time and fix
// quality, for the figures and the export.
struct ScatterSample : CScatterPlotPosition {
    PositionSample fix;
};

// How a sample is shaded against the DOP threshold.
enum class ScatterShade { Good, Bad, UnknownDop };

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

    // One fix: centring, then the sample is stored (the oldest dropped beyond
    // kScatterPlotMaxSamples).
    void AddSample(const PositionSample& sample);
    // A sample without time or fix quality. Degrees, metres and plain DOP units.
    void AddPosition(double latitude, double longitude, double altitude, double hdop, double vdop);
    // Empties the samples (the centre and the latest sample stay) and recomputes the view box.
    void ClearPositions();
    void UpdateViewBox();
    void ZoomIn();
    // Does nothing where the larger view would no longer hold its own centre (past the
    // antipode's side or over a pole, the corners' bearings turn round).
    void ZoomOut();
    // Whether a view of this radius around the centre still has the centre inside it, with
    // its north-west corner north-west of the centre and its south-east corner south-east.
    bool ViewKeepsCentre(double radius) const;

    // Good, Bad (HDOP above the threshold) or UnknownDop (the fix carried no HDOP).
    ScatterShade ShadeOf(const ScatterSample& sample) const;

    // Mean position and error figures of the samples held (since the last clear, at most
    // kScatterPlotMaxSamples), computed again only after the samples change.
    const PositionAccuracy& Accuracy() const;
    // A user position counts as set when it is not (0, 0), the value an absent setting gives.
    bool HasUserPosition() const;
    // Horizontal distance in metres of the samples' mean from the user position; none without
    // samples or without a user position.
    std::optional<double> MeanDistanceFromUser() const;
    // The fixes held, oldest first, as they came.
    std::vector<PositionSample> Fixes() const;

    std::deque<ScatterSample> positions;
    CScatterPlotPosition lastPosition;
    CScatterPlotPosition centre;
    CScatterPlotPosition userCentre;
    CScatterPlotPosition averageCentre;
    int centreMode = CentreOnNextSample;
    int recentrePending = 1;
    std::int32_t dopThresholdX100 = 300;
    double viewRadius = 100.0; // metres from the centre to the view's corners
    ScatterViewBox viewBox;

private:
    // Bumped whenever the samples change; the figures are kept for one revision.
    std::uint64_t m_revision = 0;
    mutable std::uint64_t m_accuracyRevision = ~std::uint64_t{0};
    mutable PositionAccuracy m_accuracy;
};
