#pragma once
// Sky plot: a polar diagram of the satellites (north up, horizon outside, zenith in the
// centre) with the trails the satellites left and the azimuth/elevation mask that outlines
// the part of the sky the antenna sees. The front panel owns one and uses it only as a
// drawing object into its own off-screen image.

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>

#include "nmea/DisplaySnapshot.h"

class QImage;
class QPainter;

struct SatelliteSlot {
    int32_t prn;      // 0 = empty slot, not drawn
    double azimuth;   // degrees clockwise from north
    double elevation; // degrees above the horizon
    int32_t used;     // 1 = used in the solution
    double snr;       // dB-Hz
    GnssSystem system;
};

struct TrailPoint {
    double azimuth, elevation;
};

// The five colours a drawing uses (see the colour slots of CAzimuthElevationWnd).
struct SkyPlotColours {
    QColor used, inView, fill, ring, grid;
};

// The plot square inside a rectangle (right and bottom exclusive, as the rectangle's
// coordinates are given) with the scale and centre derived from it.
struct SkyPlotGeometry {
    int left, top, right, bottom;
    double pixelsPerDegree;
    double cx, cy;
};

// Centres the largest (nearly) square box in (left, top, right, bottom).
SkyPlotGeometry ComputeSkyPlotGeometry(int left, int top, int right, int bottom);
SkyPlotGeometry ComputeSkyPlotGeometry(const QRect& rect);

// Pixel of (azimuth, elevation) in degrees; both are truncated toward zero to whole degrees
// first, as the trails, mask and satellites are placed on whole degrees.
QPoint SkyPlotPixel(const SkyPlotGeometry& g, double azimuthDegrees, double elevationDegrees);

// A satellite's label: its PRN, after the system's letter for the systems whose PRNs would
// otherwise look like those of GPS (E12, C21, J02, I03).
QString SatelliteLabel(GnssSystem system, int prn);

// A satellite icon by resource id (118 used, 102 in view) with its magenta pixels made
// transparent; a null image for an unknown id.
const QImage& SatelliteIcon(int bitmapId);

class CAzimuthElevationWnd {
public:
    // One slot per satellite a snapshot holds.
    static constexpr int kSlotCount = kSnapshotSatellites;
    static constexpr int kMaskSize = 360;
    static constexpr uint32_t kTrailCapacity = 10000;
    static constexpr double kMaskUnset = 90.0;

    CAzimuthElevationWnd();
    ~CAzimuthElevationWnd();
    CAzimuthElevationWnd(const CAzimuthElevationWnd&) = delete;
    CAzimuthElevationWnd& operator=(const CAzimuthElevationWnd&) = delete;

    // Copies the snapshot's satellites, then extends the mask and the trails.
    void UpdateSatellites(const DisplaySnapshot& snapshot);
    // Draws the whole plot into rect in the colour slots' colours; nothing outside the disc
    // is filled.
    void Draw(QPainter& p, const QRect& rect) const;
    // The same in the given colours, for an owner that draws in its own colours without
    // changing the plot's slots.
    void Draw(QPainter& p, const QRect& rect, const SkyPlotColours& colours) const;
    void ClearTrails();
    void ClearMask();

    // The i-th oldest trail point held, i < trailCount.
    const TrailPoint& TrailAt(uint32_t i) const;

    SatelliteSlot satelliteSlots[kSlotCount];
    SatelliteSlot previousSlots[kSlotCount];
    double maskElevation[kMaskSize];
    double maskSnrThreshold = 15.0;

    std::unique_ptr<TrailPoint[]> trail;
    uint32_t trailStart = 0;
    uint32_t trailWrite = 0;
    uint32_t trailCount = 0;

    int usedBitmapId = 0;
    int inViewBitmapId = 0;

    QColor usedColour{0, 0, 128};
    QColor inViewColour{128, 128, 128};
    QColor fillColour{192, 192, 255};
    QColor ringColour{128, 128, 255};
    QColor gridColour{224, 224, 255};

private:
    void UpdateMask();
    void UpdateTrails();
    void AppendTrailPoint(double azimuth, double elevation);
};
