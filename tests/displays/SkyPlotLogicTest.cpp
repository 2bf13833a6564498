// Sky plot bookkeeping and geometry, without any drawing.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "displays/CAzimuthElevationWnd.h"
#include "uisupport/LookColours.h"

namespace {

DisplaySnapshot Snapshot() {
    DisplaySnapshot s{};
    return s;
}

void SetSat(DisplaySnapshot& s, int i, int prn, int az, int el, int snr, int used) {
    s.satellites[i] = SnapshotSatellite{prn, az, el, snr, used, {}};
}

std::unique_ptr<CAzimuthElevationWnd> Plot() {
    return std::make_unique<CAzimuthElevationWnd>();
}

} // namespace

TEST(LookColours, DefaultLookIsOffice2007Black) {
    EXPECT_EQ(ApplicationLook(), 32782u);
    EXPECT_EQ(LookColours().background, QColor(32, 32, 32));
    EXPECT_EQ(LookColours().foreground, QColor(192, 192, 192));
}

TEST(SkyPlotState, StartsEmptyWithUnsetMask) {
    auto plot = Plot();
    EXPECT_EQ(plot->trailCount, 0u);
    EXPECT_EQ(plot->usedBitmapId, 0);
    EXPECT_EQ(plot->inViewBitmapId, 0);
    EXPECT_DOUBLE_EQ(plot->maskSnrThreshold, 15.0);
    for (double e : plot->maskElevation)
        ASSERT_EQ(e, 90.0);
    for (const SatelliteSlot& s : plot->satelliteSlots)
        ASSERT_EQ(s.prn, 0);
}

TEST(SkyPlotState, CopiesEverySatelliteOfTheSnapshot) {
    auto plot = Plot();
    DisplaySnapshot s = Snapshot();
    SetSat(s, 0, 7, 123, 45, 38, 1);
    SetSat(s, 63, 80, 10, 20, 30, 0);
    SetSat(s, 64, 81, 11, 21, 31, 1);
    s.satellites[127] = SnapshotSatellite{12, 200, 33, 41, 1, GnssSystem::Galileo};
    plot->UpdateSatellites(s);
    const SatelliteSlot& a = plot->satelliteSlots[0];
    EXPECT_EQ(a.prn, 7);
    EXPECT_EQ(a.azimuth, 123.0);
    EXPECT_EQ(a.elevation, 45.0);
    EXPECT_EQ(a.snr, 38.0);
    EXPECT_EQ(a.used, 1);
    // A satellite written without a system is placed by its PRN range.
    EXPECT_EQ(a.system, GnssSystem::Gps);
    EXPECT_EQ(plot->satelliteSlots[63].prn, 80);
    EXPECT_EQ(plot->satelliteSlots[64].prn, 81);
    EXPECT_EQ(plot->satelliteSlots[64].system, GnssSystem::Glonass);
    EXPECT_EQ(plot->satelliteSlots[127].prn, 12);
    EXPECT_EQ(plot->satelliteSlots[127].system, GnssSystem::Galileo);
}

struct MaskCase {
    const char* what;
    int azimuth, elevation, snr, used, prn;
    int entry; // mask entry expected to change, or -1 for none
};

class SkyPlotMask : public ::testing::TestWithParam<MaskCase> {};

TEST_P(SkyPlotMask, ExtendsOnlyForUsedStrongSatellitesInRange) {
    const MaskCase c = GetParam();
    auto plot = Plot();
    DisplaySnapshot s = Snapshot();
    SetSat(s, 5, c.prn, c.azimuth, c.elevation, c.snr, c.used);
    plot->UpdateSatellites(s);
    for (int a = 0; a < 360; ++a) {
        const double expected = a == c.entry ? c.elevation : 90.0;
        ASSERT_EQ(plot->maskElevation[a], expected) << c.what << " at azimuth " << a;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SkyPlotMask,
    ::testing::Values(MaskCase{"snr exactly at threshold", 100, 12, 15, 1, 3, 100},
                      MaskCase{"snr below threshold", 100, 12, 14, 1, 3, -1},
                      MaskCase{"not used", 100, 12, 40, 0, 3, -1},
                      MaskCase{"used flag other than 1", 100, 12, 40, 2, 3, -1},
                      MaskCase{"empty slot", 100, 12, 40, 1, 0, -1},
                      MaskCase{"azimuth 359", 359, 5, 40, 1, 3, 359},
                      MaskCase{"azimuth 0", 0, 5, 40, 1, 3, 0},
                      MaskCase{"azimuth 360", 360, 5, 40, 1, 3, -1},
                      MaskCase{"azimuth -1", -1, 5, 40, 1, 3, -1},
                      MaskCase{"elevation 90 is not below the unset value", 10, 90, 40, 1, 3, -1}));

TEST(SkyPlotMask, ThresholdIsComparedAsDouble) {
    auto plot = Plot();
    plot->maskSnrThreshold = 14.9; // slots hold whole dB-Hz; 14.9 lets 15 through, 14 not
    DisplaySnapshot s = Snapshot();
    SetSat(s, 0, 3, 10, 20, 14, 1);
    SetSat(s, 1, 4, 11, 20, 15, 1);
    plot->UpdateSatellites(s);
    EXPECT_EQ(plot->maskElevation[10], 90.0);
    EXPECT_EQ(plot->maskElevation[11], 20.0);
}

TEST(SkyPlotMask, OnlyEverMovesDownAndClearResets) {
    auto plot = Plot();
    DisplaySnapshot s = Snapshot();
    SetSat(s, 0, 3, 200, 30, 40, 1);
    plot->UpdateSatellites(s);
    SetSat(s, 0, 3, 200, 50, 40, 1);
    plot->UpdateSatellites(s);
    EXPECT_EQ(plot->maskElevation[200], 30.0);
    SetSat(s, 0, 3, 200, 10, 40, 1);
    plot->UpdateSatellites(s);
    EXPECT_EQ(plot->maskElevation[200], 10.0);
    plot->ClearMask();
    for (double e : plot->maskElevation)
        ASSERT_EQ(e, 90.0);
}

TEST(SkyPlotTrails, UnchangedSnapshotAddsNothing) {
    auto plot = Plot();
    DisplaySnapshot s = Snapshot();
    SetSat(s, 0, 3, 200, 30, 40, 1);
    SetSat(s, 1, 4, 10, 60, 40, 0);
    plot->UpdateSatellites(s);
    EXPECT_EQ(plot->trailCount, 2u);
    plot->UpdateSatellites(s);
    EXPECT_EQ(plot->trailCount, 2u);
    // A change of SNR or use alone is not a move.
    SetSat(s, 0, 3, 200, 30, 20, 0);
    plot->UpdateSatellites(s);
    EXPECT_EQ(plot->trailCount, 2u);
    EXPECT_EQ(plot->TrailAt(0).azimuth, 200.0);
    EXPECT_EQ(plot->TrailAt(1).elevation, 60.0);
}

TEST(SkyPlotTrails, SlotEmptiedToZeroAddsAPointDueNorthOnTheHorizon) {
    auto plot = Plot();
    DisplaySnapshot s = Snapshot();
    SetSat(s, 2, 9, 90, 40, 30, 1);
    plot->UpdateSatellites(s);
    ASSERT_EQ(plot->trailCount, 1u);
    SetSat(s, 2, 0, 0, 0, 0, 0);
    plot->UpdateSatellites(s);
    ASSERT_EQ(plot->trailCount, 2u);
    EXPECT_EQ(plot->TrailAt(1).azimuth, 0.0);
    EXPECT_EQ(plot->TrailAt(1).elevation, 0.0);
    EXPECT_EQ(plot->previousSlots[2].prn, 0);
}

TEST(SkyPlotTrails, NanInPreviousSlotCountsAsChanged) {
    auto plot = Plot();
    plot->previousSlots[4].elevation = std::numeric_limits<double>::quiet_NaN();
    plot->UpdateSatellites(Snapshot());
    EXPECT_EQ(plot->trailCount, 1u);
    EXPECT_EQ(plot->previousSlots[4].elevation, 0.0);
}

TEST(SkyPlotTrails, ClearTrailsKeepsPreviousSlots) {
    auto plot = Plot();
    DisplaySnapshot s = Snapshot();
    SetSat(s, 0, 3, 200, 30, 40, 1);
    plot->UpdateSatellites(s);
    plot->ClearTrails();
    EXPECT_EQ(plot->trailCount, 0u);
    plot->UpdateSatellites(s);
    EXPECT_EQ(plot->trailCount, 0u);
}

TEST(SkyPlotTrails, RingKeepsAtMost9999OldestDroppedFirst) {
    auto plot = Plot();
    DisplaySnapshot s = Snapshot();
    // One slot moving to a new place on every update: one append each.
    for (int k = 1; k <= 10000; ++k) {
        SetSat(s, 0, 3, k % 360, k / 360, 40, 0);
        plot->UpdateSatellites(s);
    }
    EXPECT_EQ(plot->trailCount, 9999u);
    // The first point (k = 1) went; the oldest now is k = 2.
    EXPECT_EQ(plot->TrailAt(0).azimuth, 2.0);
    EXPECT_EQ(plot->TrailAt(9998).azimuth, 10000 % 360);
    for (int k = 10001; k <= 10005; ++k) {
        SetSat(s, 0, 3, k % 360, k / 360, 40, 0);
        plot->UpdateSatellites(s);
        ASSERT_EQ(plot->trailCount, 9999u);
    }
    EXPECT_EQ(plot->TrailAt(0).azimuth, 7.0);
    EXPECT_EQ(plot->TrailAt(9998).azimuth, 10005 % 360);
    EXPECT_EQ(plot->TrailAt(9998).elevation, 10005 / 360);
}

struct SquareCase {
    int l, t, r, b;
    int el, et, er, eb;
};

class SkyPlotSquare : public ::testing::TestWithParam<SquareCase> {};

TEST_P(SkyPlotSquare, CentresTheSquareInTheRectangle) {
    const SquareCase c = GetParam();
    const SkyPlotGeometry g = ComputeSkyPlotGeometry(c.l, c.t, c.r, c.b);
    EXPECT_EQ(g.left, c.el);
    EXPECT_EQ(g.top, c.et);
    EXPECT_EQ(g.right, c.er);
    EXPECT_EQ(g.bottom, c.eb);
}

INSTANTIATE_TEST_SUITE_P(Cases, SkyPlotSquare,
                         ::testing::Values(SquareCase{0, 0, 101, 50, 25, 0, 76, 50}, // 51 x 50
                                           SquareCase{0, 0, 50, 101, 0, 25, 50, 76},
                                           SquareCase{10, 20, 110, 120, 10, 20, 110, 120},
                                           SquareCase{304, 266, 598, 398, 385, 266, 517, 398}));

TEST(SkyPlotGeometry, ScaleAndCentre) {
    const SkyPlotGeometry g = ComputeSkyPlotGeometry(0, 0, 180, 100);
    // 180 x 100 -> square 100 x 100 at x 40..140.
    EXPECT_DOUBLE_EQ(g.pixelsPerDegree, 50.0 / 90.0);
    EXPECT_DOUBLE_EQ(g.cx, 90.0);
    EXPECT_DOUBLE_EQ(g.cy, 50.0);
    const SkyPlotGeometry q = ComputeSkyPlotGeometry(QRect(0, 0, 101, 50));
    EXPECT_EQ(q.right - q.left, 51);
    EXPECT_EQ(q.bottom - q.top, 50);
}

struct PixelCase {
    double azimuth, elevation;
    int x, y;
};

class SkyPlotPolar : public ::testing::TestWithParam<PixelCase> {};

TEST_P(SkyPlotPolar, MapsWholeDegreesWithTruncation) {
    // 180 x 180 square: one pixel per degree, centre (90, 90).
    const SkyPlotGeometry g = ComputeSkyPlotGeometry(0, 0, 180, 180);
    const PixelCase c = GetParam();
    const QPoint pt = SkyPlotPixel(g, c.azimuth, c.elevation);
    EXPECT_EQ(pt.x(), c.x) << c.azimuth << "/" << c.elevation;
    EXPECT_EQ(pt.y(), c.y) << c.azimuth << "/" << c.elevation;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SkyPlotPolar,
    ::testing::Values(PixelCase{0, 90, 90, 90},       // zenith at the centre
                      PixelCase{0, 0, 90, 0},         // north on the horizon
                      PixelCase{90, 0, 180, 90},      // east to the right
                      PixelCase{180, 0, 90, 180},     // south at the bottom
                      PixelCase{270, 0, 0, 90},       // west to the left
                      PixelCase{45, 45, 121, 59},     // sin/cos 45 x 45 = 31.8 truncated
                      PixelCase{45.9, 45.9, 121, 59}, // fractions dropped before mapping
                      PixelCase{0, -10, 90, -10},     // below the horizon: not clamped
                      PixelCase{225, 45, 59, 121}));  // truncation toward zero on both sides

TEST(SkyPlotPolar, AbsurdValuesLandFarOutsideInsteadOfOverflowing) {
    // Elevations come from the receiver unchecked; a huge one (or a NaN after a bad
    // conversion) must map to a point far off the plot, not to an overflowed integer.
    const SkyPlotGeometry g = ComputeSkyPlotGeometry(0, 0, 180, 180);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QPoint below = SkyPlotPixel(g, 180, -2.0e9); // due south, far below the horizon
    EXPECT_EQ(below.x(), 90);
    EXPECT_GT(below.y(), 1000000);
    const QPoint north = SkyPlotPixel(g, 0, -2.0e9);
    EXPECT_LT(north.y(), -1000000);
    for (const QPoint& pt : {SkyPlotPixel(g, nan, 10), SkyPlotPixel(g, 10, nan)})
        EXPECT_TRUE(pt.x() < -1000000 || pt.y() < -1000000) << pt.x() << "," << pt.y();
    const QPoint farAzimuth = SkyPlotPixel(g, 2.0e9, 0); // whole degrees still apply
    EXPECT_LE(std::abs(farAzimuth.x() - 90), 90);
    EXPECT_LE(std::abs(farAzimuth.y() - 90), 90);
}
