// The plots' bookkeeping without a screen: series blocks and extremes, ranges and grid
// candidates, the scatter plot's samples, centring, view box, zoom and projection.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "displays/ColumnDecimator.h"
#include "displays/DestinationPoint.h"
#include "displays/MicroDegrees.h"
#include "displays/PlotSeries.h"
#include "displays/ScatterPlotModel.h"
#include "displays/VPlotScales.h"

namespace {

std::vector<double> Values(const PlotSeries& s) {
    std::vector<double> out;
    s.ForEachPoint([&](const CVPlotDataItem& item) { out.push_back(item.value); });
    return out;
}

} // namespace

TEST(PlotSeries, TheTenThousandthPointOpensTheNextBlockAtOnce) {
    PlotSeries s;
    for (int i = 0; i < 9999; ++i)
        s.AddPoint(i, i);
    EXPECT_EQ(s.blocks.size(), 1u);
    EXPECT_EQ(s.blockFill, 9999u);
    s.AddPoint(9999, 9999);
    EXPECT_EQ(s.blocks.size(), 2u);
    EXPECT_EQ(s.fullBlocks, 1u);
    EXPECT_EQ(s.blockFill, 0u);
    EXPECT_EQ(s.pointCount, 10000u);
    EXPECT_EQ(s.currentBlock, s.blocks[1].get());
    s.AddPoint(-1, 10000);
    const std::vector<double> v = Values(s);
    ASSERT_EQ(v.size(), 10001u);
    EXPECT_EQ(v[9999], 9999.0);
    EXPECT_EQ(v[10000], -1.0);
    EXPECT_EQ(s.yMin, -1.0);
    EXPECT_EQ(s.yMax, 9999.0);
    EXPECT_EQ(s.xMax, 10000.0);
}

TEST(PlotSeries, AfterClearTheNextPointIsTheOnlyExtreme) {
    PlotSeries s;
    s.AddPoint(-50, -3);
    s.AddPoint(80, 40);
    s.Clear();
    EXPECT_EQ(s.pointCount, 0u);
    EXPECT_TRUE(s.blocks.empty());
    // Left as they were until the next point.
    EXPECT_EQ(s.yMax, 80.0);
    s.AddPoint(7, 2);
    EXPECT_EQ(s.yMin, 7.0);
    EXPECT_EQ(s.yMax, 7.0);
    EXPECT_EQ(s.xMin, 2.0);
    EXPECT_EQ(s.xMax, 2.0);
    EXPECT_EQ(Values(s), std::vector<double>{7.0});
}

TEST(PlotSeries, BoundedHistoryKeepsTheNewestWholeAndThinsTheOldestEvenly) {
    struct Case {
        PlotHistoryBound bound;
        std::uint32_t points;
    };
    const Case cases[] = {
        {{10, 4, 3}, 9},   // below the bound: nothing thinned
        {{10, 4, 3}, 10},  // the point that reaches the bound thins at once
        {{10, 4, 3}, 57},  // thinned many times over
        {{12, 5, 1}, 200}, // a budget of one keeps only the first point
        {{1000, 600, 250}, 100000},
        {PlotHistoryBound::Day(), 864000}, // a day at 10 Hz
        {PlotHistoryBound::Unbounded(), 25000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "bound " << c.bound.bound << " window " << c.bound.fullWindow << " budget "
                     << c.bound.olderBudget << ", " << c.points << " points");
        PlotSeries s(c.bound);
        std::uint32_t most = 0;
        for (std::uint32_t i = 0; i < c.points; ++i) {
            s.AddPoint(2.0 * i, i);
            most = std::max(most, s.pointCount);
        }
        if (c.bound.bound != 0) {
            EXPECT_LT(most, c.bound.bound);
        } else {
            EXPECT_EQ(s.pointCount, c.points);
        }
        std::vector<CVPlotDataItem> items;
        s.ForEachPoint([&](const CVPlotDataItem& item) { items.push_back(item); });
        ASSERT_EQ(items.size(), s.pointCount);
        EXPECT_EQ(items.front().abscissa, 0.0);
        EXPECT_EQ(items.back().abscissa, c.points - 1.0);
        for (const CVPlotDataItem& item : items)
            ASSERT_EQ(item.value, 2.0 * item.abscissa);

        // The thinned part: the points numbered 0, step, 2 step, ...; then every point.
        const std::uint32_t thinned = s.ThinnedCount();
        const double step = static_cast<double>(s.ThinnedStride());
        EXPECT_LE(thinned, c.bound.bound == 0 ? 0u : c.bound.olderBudget);
        for (std::uint32_t k = 0; k < thinned; ++k)
            ASSERT_EQ(items[k].abscissa, k * step) << "thinned point " << k;
        for (std::size_t k = thinned + 1; k < items.size(); ++k)
            ASSERT_EQ(items[k].abscissa, items[k - 1].abscissa + 1.0) << "point " << k;
        EXPECT_GE(items.size() - thinned,
                  std::min(c.points, c.bound.bound == 0 ? c.points : c.bound.fullWindow));
        if (c.bound.bound != 0 && c.points >= c.bound.bound) {
            EXPECT_GT(step, 1.0);
        }
        // The extremes still span every point.
        EXPECT_EQ(s.yMin, 0.0);
        EXPECT_EQ(s.yMax, 2.0 * (c.points - 1));
        // The blocks hold just the points and the block the next one goes to.
        EXPECT_EQ(s.blocks.size(), s.pointCount / kPlotBlockPoints + 1);
        EXPECT_EQ(s.blockFill, s.pointCount % kPlotBlockPoints);

        s.Clear();
        s.AddPoint(5, 5);
        EXPECT_EQ(s.ThinnedCount(), 0u);
        EXPECT_EQ(s.ThinnedStride(), 1u);
        EXPECT_EQ(Values(s), std::vector<double>{5.0});
    }
}

TEST(PlotSeries, ABoundThatCouldNotFreeRoomIsRefused) {
    PlotSeries s(PlotHistoryBound{10, 4, 3});
    s.SetHistoryBound(PlotHistoryBound{10, 7, 3}); // keeps 10 of 10: thinning frees nothing
    s.SetHistoryBound(PlotHistoryBound{10, 0, 3});
    s.SetHistoryBound(PlotHistoryBound{10, 4, 0});
    EXPECT_EQ(s.HistoryBound().fullWindow, 4u);
    EXPECT_EQ(s.HistoryBound().olderBudget, 3u);
}

TEST(ColumnDecimator, KeepsFirstExtremesAndLastOfEachColumnInOrder) {
    struct Case {
        const char* what;
        std::vector<PlotPoint> in;
        std::vector<PlotPoint> out;
    };
    const Case cases[] = {
        {"one point per column", {{1, 5}, {2, 7}, {3, 1}}, {{1, 5}, {2, 7}, {3, 1}}},
        {"low before high",
         {{4, 10}, {4, 3}, {4, 12}, {4, 20}, {4, 15}, {4, 11}},
         {{4, 10}, {4, 3}, {4, 20}, {4, 11}}},
        {"high before low", {{4, 10}, {4, 20}, {4, 3}, {4, 9}}, {{4, 10}, {4, 20}, {4, 3}, {4, 9}}},
        {"repeats drawn once", {{1, 5}, {1, 5}, {1, 5}, {2, 5}, {2, 5}}, {{1, 5}, {2, 5}}},
        {"first is the low", {{1, 2}, {1, 8}, {1, 6}}, {{1, 2}, {1, 8}, {1, 6}}},
        {"a column seen again later is a new run",
         {{1, 1}, {2, 2}, {1, 3}, {1, 0}},
         {{1, 1}, {2, 2}, {1, 3}, {1, 0}}},
        {"nothing", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<PlotPoint> out;
        ColumnDecimator d(out);
        for (const PlotPoint& p : c.in)
            d.Add(p.x, p.y);
        d.Finish();
        EXPECT_EQ(out, c.out);
    }
}

TEST(VPlotLayout, RectanglesFromTheDivisors) {
    const VPlotLayout L = ComputeVPlotLayout(PlotRect{10, 20, 810, 420}, 8, 5, true);
    EXPECT_EQ(L.plotArea, (PlotRect{110, 60, 650, 380}));
    EXPECT_EQ(L.legendRect, (PlotRect{660, 60, 810, 380}));
    EXPECT_EQ(L.titleRect, (PlotRect{110, 20, 650, 57}));
    EXPECT_EQ(L.xLabelRect, (PlotRect{110, 383, 650, 420}));
    EXPECT_EQ(L.yLabelRect, (PlotRect{10, 60, 107, 380}));
    const VPlotLayout noLegend = ComputeVPlotLayout(PlotRect{0, 0, 800, 400}, 8, 5, false);
    EXPECT_EQ(noLegend.plotArea.right, 800);
    EXPECT_EQ(noLegend.legendRect, PlotRect{});
    // A divisor of 0 reserves nothing instead of dividing by zero.
    EXPECT_EQ(ComputeVPlotLayout(PlotRect{0, 0, 800, 400}, 0, 0, true).plotArea,
              (PlotRect{0, 40, 800, 360}));
}

TEST(VPlotRanges, SeriesWidenTheRangesAndYGetsAFivePercentMargin) {
    PlotSeries s[3];
    s[0].AddPoint(10, 0);
    s[0].AddPoint(20, 50);
    s[2].AddPoint(0, 10);
    s[2].AddPoint(5, 100);
    const PlotRect area{100, 10, 500, 210};
    const VPlotRanges g = ComputeVPlotRanges(s, 3, area);
    EXPECT_DOUBLE_EQ(g.yMin, -1.0);
    EXPECT_DOUBLE_EQ(g.yMax, 21.0);
    EXPECT_EQ(g.xMin, 0.0);
    EXPECT_EQ(g.xMax, 100.0);
    EXPECT_DOUBLE_EQ(g.yScale, 200.0 / 22.0);
    EXPECT_DOUBLE_EQ(g.xScale, 4.0);
    EXPECT_EQ(g.Row(-1.0), 210);
    EXPECT_EQ(g.Row(10.0), 210 - static_cast<int>(11.0 * 200.0 / 22.0));
    EXPECT_EQ(g.Column(25.0), 200);
}

TEST(VPlotRanges, EmptyOrSinglePointGivesUnitScalesAndNoGrid) {
    PlotSeries s[2];
    const PlotRect area{0, 0, 100, 100};
    VPlotRanges g = ComputeVPlotRanges(s, 2, area);
    EXPECT_EQ(g.yScale, 1.0);
    EXPECT_EQ(g.xScale, 1.0);
    EXPECT_TRUE(YTickCandidates(g.yMin, g.yMax, 10).empty());
    EXPECT_TRUE(XTickCandidates(g.xMin, g.xMax, 10).empty());
    s[1].AddPoint(51.5, 3.0);
    g = ComputeVPlotRanges(s, 2, area);
    EXPECT_EQ(g.yMin, 51.5);
    EXPECT_EQ(g.yScale, 1.0);
    EXPECT_EQ(g.xScale, 1.0);
    EXPECT_TRUE(YTickCandidates(g.yMin, g.yMax, 10).empty());
    EXPECT_TRUE(XTickCandidates(g.xMin, g.xMax, 10).empty());
}

TEST(VPlotTicks, XSpanRoundsDownToAMultipleOfThePowerOfTenBelowIt) {
    struct Case {
        double span, rounded;
    } cases[] = {{99, 90}, {0.5, 0.5}, {1.0, 1.0},   {7.9, 7.0},
                 {10, 10}, {101, 100}, {1999, 1000}, {86400, 80000}};
    for (const Case& c : cases)
        EXPECT_EQ(RoundedXSpan(c.span), c.rounded) << c.span;
    EXPECT_EQ(XTickCandidates(0, 99, 10), (std::vector<double>{0, 18, 36, 54, 72, 90}));
}

TEST(VPlotTicks, YCandidatesStartAtAMultipleOfTheSpan) {
    // Span 22 from -1: the first candidate is floor(-1 / 22) x 22 = -22, in steps of 2.2.
    const std::vector<double> t = YTickCandidates(-1.0, 21.0, 10);
    ASSERT_FALSE(t.empty());
    EXPECT_DOUBLE_EQ(t.front(), -22.0);
    EXPECT_LT(t.back(), 21.0);
    EXPECT_GE(t.back() + 2.2, 21.0 - 1e-9);
    for (size_t i = 1; i < t.size(); ++i)
        EXPECT_NEAR(t[i] - t[i - 1], 2.2, 1e-9);
}

TEST(VPlotTicks, ATinySpanOnALargeValueEnds) {
    // Average and raw altitude an ulp apart: the 1e-12 step cannot move a candidate of 20 km.
    const double y = 20000.0;
    const std::vector<double> t = YTickCandidates(y, std::nextafter(y, 1e9), 10);
    EXPECT_LE(t.size(), 1000u);
}

TEST(ScatterZoom, StepsFromTheDefaultRadius) {
    ScatterPlotModel m;
    std::vector<double> in;
    for (int i = 0; i < 9; ++i) {
        m.ZoomIn();
        in.push_back(m.viewRadius);
    }
    EXPECT_EQ(in, (std::vector<double>{80, 60, 40, 20, 15, 10, 5, 5, 5}));

    m.viewRadius = 6.0;
    m.ZoomIn();
    EXPECT_EQ(m.viewRadius, 1.0);
    m.ZoomIn();
    EXPECT_EQ(m.viewRadius, 1.0);

    m.viewRadius = 100.0;
    std::vector<double> out;
    for (int i = 0; i < 30; ++i) {
        m.ZoomOut();
        out.push_back(m.viewRadius);
    }
    EXPECT_EQ(out[4], 200.0);
    EXPECT_EQ(out[5], 300.0);
    EXPECT_EQ(out[12], 1000.0);
    EXPECT_EQ(out[13], 1500.0);
    const std::vector<double> tail(out.begin() + 20, out.begin() + 26);
    EXPECT_EQ(tail, (std::vector<double>{5000, 7000, 9000, 11000, 21000, 31000}));
}

TEST(ScatterViewBox, CornersAtTheViewRadius) {
    ScatterPlotModel m;
    // At construction the box is around (0, 0): 100 m to the corners, about 636 micro-degrees
    // each way at the equator.
    EXPECT_GT(m.viewBox.maxLatitude, 600);
    EXPECT_LT(m.viewBox.maxLatitude, 700);
    EXPECT_EQ(m.viewBox.minLatitude, -m.viewBox.maxLatitude);
    m.centre.latitude = MicroDegrees(-33.8765432);
    m.centre.longitude = MicroDegrees(151.2);
    m.UpdateViewBox();
    const GeoPoint nw = DestinationPoint(-33.876543, 151.2, 315.0, 100.0);
    const GeoPoint se = DestinationPoint(-33.876543, 151.2, 135.0, 100.0);
    EXPECT_EQ(m.viewBox.maxLatitude, MicroDegrees(nw.lat));
    EXPECT_EQ(m.viewBox.minLongitude, MicroDegrees(nw.lon));
    EXPECT_EQ(m.viewBox.minLatitude, MicroDegrees(se.lat));
    EXPECT_EQ(m.viewBox.maxLongitude, MicroDegrees(se.lon));
    EXPECT_LT(m.viewBox.minLatitude, m.centre.latitude);
    EXPECT_GT(m.viewBox.maxLatitude, m.centre.latitude);
}

TEST(ScatterAddPosition, KeepsADayOfSamplesPlusOne) {
    ScatterPlotModel m;
    for (size_t i = 0; i < kScatterPlotMaxSamples; ++i)
        m.AddPosition(1.0, i * 1e-6, 0, 1, 1);
    ASSERT_EQ(m.positions.size(), 86401u);
    EXPECT_EQ(m.positions.front().longitude, 0);
    m.AddPosition(2.0, 0.5, 0, 1, 1);
    EXPECT_EQ(m.positions.size(), 86401u);
    EXPECT_EQ(m.positions.front().longitude, 1);
    EXPECT_EQ(m.positions.back().latitude, 2000000);
    EXPECT_EQ(m.lastPosition, m.positions.back());
}

TEST(ScatterAddPosition, ScalesAndTruncatesTowardZero) {
    ScatterPlotModel m;
    m.AddPosition(-22.5432109, 113.9, 12.3456, 3.009, 1.5);
    const CScatterPlotPosition want{-22543210, 113900000, 12345, 300, 150};
    EXPECT_EQ(m.lastPosition, want);
}

TEST(ScatterAddPosition, CentringModes) {
    struct Case {
        const char* name;
        int mode;
        int pending;
        CScatterPlotPosition expectedCentre;
    };
    const CScatterPlotPosition user{10000000, 20000000, 0, 0, 0};
    const CScatterPlotPosition average{30000000, 40000000, 0, 0, 0};
    const CScatterPlotPosition first{51000000, -1000000, 5000, 120, 200};
    const Case cases[] = {
        {"user", 0, 0, user},
        {"average", 1, 0, average},
        {"next sample", 2, 1, first},
        {"stays", 2, 0, CScatterPlotPosition{}},
    };
    for (const Case& c : cases) {
        ScatterPlotModel m;
        m.userCentre = user;
        m.averageCentre = average;
        m.centreMode = c.mode;
        m.recentrePending = c.pending;
        m.AddPosition(51.0, -1.0, 5.0, 1.2, 2.0);
        EXPECT_EQ(m.centre, c.expectedCentre) << c.name;
        // A second sample moves a next-sample centre no further.
        m.AddPosition(52.0, -2.0, 5.0, 1.2, 2.0);
        EXPECT_EQ(m.centre, c.expectedCentre) << c.name;
        EXPECT_EQ(m.recentrePending, 0) << c.name;
        if (c.mode != 2 || c.pending == 1) {
            ScatterPlotModel centred;
            centred.centre = c.expectedCentre;
            centred.UpdateViewBox();
            EXPECT_EQ(m.viewBox.maxLatitude, centred.viewBox.maxLatitude) << c.name;
            EXPECT_EQ(m.viewBox.minLongitude, centred.viewBox.minLongitude) << c.name;
        }
    }
}

TEST(ScatterAddPosition, ClearKeepsCentreAndLatestAndRecentresOnTheNextSample) {
    ScatterPlotModel m;
    m.AddPosition(51.0, -1.0, 5.0, 1.2, 2.0);
    m.averageCentre = CScatterPlotPosition{51000000, -1000000, 7, 0, 0};
    const CScatterPlotPosition centre = m.centre;
    m.ClearPositions();
    EXPECT_TRUE(m.positions.empty());
    EXPECT_EQ(m.centre, centre);
    EXPECT_EQ(m.lastPosition.latitude, 51000000);
    EXPECT_EQ(m.averageCentre.latitude, 0);
    EXPECT_EQ(m.averageCentre.altitude, 0);
    EXPECT_EQ(m.averageCentre.longitude, -1000000);
    m.centreMode = 2;
    m.recentrePending = 1;
    m.AddPosition(40.0, 2.0, 0, 1, 1);
    EXPECT_EQ(m.centre, m.lastPosition);
}

TEST(ScatterProjection, SquareInTheMiddleNorthUpEastRight) {
    ScatterViewBox box;
    box.minLatitude = -33900000;
    box.maxLatitude = -33899000;
    box.minLongitude = 151200000;
    box.maxLongitude = 151201000;
    // Wider than high: the square is centred horizontally.
    const ScatterProjection p = ComputeScatterProjection(box, 0, 0, 800, 500);
    EXPECT_EQ(p.side, 500);
    EXPECT_EQ(p.squareLeft, 150);
    EXPECT_EQ(p.squareTop, 0);
    EXPECT_DOUBLE_EQ(p.xScale, 0.5);
    // A degree of latitude is longer than a degree of longitude away from the equator.
    EXPECT_GT(p.yScale, p.xScale * 1.15);
    EXPECT_EQ(p.Column(box.minLongitude), 150);
    EXPECT_EQ(p.Column(box.maxLongitude), 650);
    EXPECT_EQ(p.Row(box.maxLatitude), 0);
    EXPECT_GT(p.Row(box.minLatitude), p.Row(box.maxLatitude)); // south is down
    EXPECT_EQ(p.Column(151200500), 400);
    EXPECT_EQ(p.LongitudeAt(400), 151200500);
    EXPECT_EQ(p.LatitudeAt(0), box.maxLatitude);

    // Higher than wide: centred vertically.
    const ScatterProjection tall = ComputeScatterProjection(box, 0, 0, 300, 501);
    EXPECT_EQ(tall.side, 300);
    EXPECT_EQ(tall.squareLeft, 0);
    EXPECT_EQ(tall.squareTop, 250 - 150);
}

TEST(ScatterProjection, AnEmptyLongitudeSpanHasNoScale) {
    ScatterViewBox box;
    const ScatterProjection p = ComputeScatterProjection(box, 0, 0, 100, 100);
    EXPECT_EQ(p.xScale, 0.0);
    EXPECT_EQ(p.LongitudeAt(50), 0);
    EXPECT_EQ(p.LatitudeAt(50), 0);
}
