// The scatter plot's figures without a screen: accuracy figures against values worked out by
// hand, the percentile rule, the fixes it keeps and how it shades them, the zoom-out limit,
// and the text of the export files.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "displays/PositionAccuracy.h"
#include "displays/PositionExport.h"
#include "displays/ScatterPlotModel.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Hand working for the equator (WGS-84: a = 6378137 m, f = 1/298.257223563, so
// e^2 = f(2 - f) = 0.00669437999014):
//   meridian radius   M = a(1 - e^2)       = 6335439.327 m -> 110574.2758 m per degree
//   prime vertical    N = a (cos 0 = 1)    = 6378137.000 m -> 111319.4908 m per degree
constexpr double kMetresPerDegreeLatitudeAtEquator = 110574.27582159436;
constexpr double kMetresPerDegreeLongitudeAtEquator = 111319.49079327358;

AccuracyInput AtEquator(double east, double north, double longitude0 = 100.0) {
    return {north / kMetresPerDegreeLatitudeAtEquator,
            longitude0 + east / kMetresPerDegreeLongitudeAtEquator, 10.0};
}

PositionSample Fix(double lat, double lon, double alt, double hdop, int quality,
                   std::int64_t utcMs) {
    PositionSample s;
    s.latitude = lat;
    s.longitude = lon;
    s.altitude = alt;
    s.hdop = hdop;
    s.vdop = kNaN;
    s.fixQuality = quality;
    s.utcMs = utcMs;
    return s;
}

} // namespace

TEST(PositionAccuracy, FiguresOfAHandWorkedCloud) {
    // Five fixes, in metres east and north of (0, 100): (3, 0), (0, 4), (-3, 0), (0, -4),
    // (0, 0); the first is not the mean.
    //   mean: (0, 0) m, i.e. latitude 0, longitude 100
    //   radial errors: 3, 4, 3, 4, 0 -> sorted 0, 3, 3, 4, 4
    //   CEP50: rank ceil(0.50 x 5) = 3 -> 3 m;  CEP95: rank ceil(0.95 x 5) = 5 -> 4 m
    //   sigmaE^2 = (9 + 9) / 5 = 3.6, sigmaN^2 = (16 + 16) / 5 = 6.4
    //   2DRMS = 2 sqrt(3.6 + 6.4) = 2 sqrt(10) = 6.3246 m
    const std::vector<AccuracyInput> cloud = {AtEquator(3, 0), AtEquator(0, 4), AtEquator(-3, 0),
                                              AtEquator(0, -4), AtEquator(0, 0)};
    const PositionAccuracy a = ComputePositionAccuracy(cloud);
    EXPECT_EQ(a.samples, 5u);
    EXPECT_NEAR(a.meanLatitude, 0.0, 1e-11);
    EXPECT_NEAR(a.meanLongitude, 100.0, 1e-11);
    EXPECT_DOUBLE_EQ(a.meanAltitude, 10.0);
    EXPECT_NEAR(a.cep50, 3.0, 1e-6);
    EXPECT_NEAR(a.cep95, 4.0, 1e-6);
    EXPECT_NEAR(a.twoDrms, 6.324555, 1e-6);
}

TEST(PositionAccuracy, EdgeCases) {
    // Nothing usable: all zero.
    const PositionAccuracy none = ComputePositionAccuracy({{kNaN, 1.0, 0.0}});
    EXPECT_EQ(none.samples, 0u);
    EXPECT_EQ(none.cep95, 0.0);

    // One fix: the mean is the fix and every spread 0; a NaN coordinate is left out.
    const PositionAccuracy one = ComputePositionAccuracy({{51.5, -0.1, kNaN}, {kNaN, kNaN, 3.0}});
    EXPECT_EQ(one.samples, 1u);
    EXPECT_DOUBLE_EQ(one.meanLatitude, 51.5);
    EXPECT_DOUBLE_EQ(one.meanLongitude, -0.1);
    EXPECT_EQ(one.meanAltitude, 0.0); // no finite altitude
    EXPECT_EQ(one.cep50, 0.0);
    EXPECT_EQ(one.twoDrms, 0.0);

    // Two fixes either side of the antimeridian, 0.00001 degree (1.1132 m at the equator) from
    // it: the mean is on it, not at longitude 0 half a world away.
    const PositionAccuracy across =
        ComputePositionAccuracy({{0.0, 179.99999, 0.0}, {0.0, -179.99999, 0.0}});
    EXPECT_NEAR(std::fabs(across.meanLongitude), 180.0, 1e-9);
    EXPECT_NEAR(across.cep50, 1.1131949, 1e-6);
    EXPECT_NEAR(across.twoDrms, 2 * 1.1131949, 1e-6);
}

TEST(PositionAccuracy, LocalOffsetAwayFromTheEquator) {
    // At 60 degrees: 1 - e^2 sin^2 = 1 - 0.0066943800 x 0.75 = 0.9949792150, w = 0.9974864485
    //   M = a(1 - e^2) / w^3 = 6383453.857 m -> 111412.2875 m per degree of latitude
    //   N = a / w            = 6394209.174 m -> x cos 60 = 55800.0016 m per degree of longitude
    const EastNorth d = LocalOffset(60.0, 10.0, 60.001, 10.002);
    EXPECT_NEAR(d.north, 111.4122875, 1e-4);
    EXPECT_NEAR(d.east, 111.6000031, 1e-4);
    // The short way round the antimeridian, west negative.
    EXPECT_NEAR(LocalOffset(0.0, 179.9999, 0.0, -179.9999).east, 22.2639, 1e-3);
    EXPECT_NEAR(LocalOffset(0.0, -179.9999, 0.0, 179.9999).east, -22.2639, 1e-3);
    EXPECT_NEAR(HorizontalDistance(60.0, 10.0, 60.001, 10.002),
                std::hypot(111.4122875, 111.6000031), 1e-4);
}

TEST(PositionAccuracy, NearestRankPercentile) {
    struct Case {
        std::size_t n;
        double percent;
        double expected; // of the values 1..n
    };
    const Case cases[] = {
        {1, 50, 1},   {1, 95, 1},    {2, 50, 1},  {2, 95, 2},   {3, 50, 2},
        {4, 50, 2},   {5, 50, 3},    {5, 95, 5},  {20, 50, 10}, {20, 95, 19},
        {21, 95, 20}, {100, 95, 95}, {100, 0, 1}, {7, 100, 7},
    };
    for (const Case& c : cases) {
        std::vector<double> values;
        // Out of order (rotated by half): the rule must not depend on the input order.
        for (std::size_t i = 0; i < c.n; ++i)
            values.push_back(static_cast<double>((i + c.n / 2) % c.n + 1));
        EXPECT_EQ(NearestRankPercentile(values, c.percent), c.expected)
            << c.n << " values, " << c.percent << " %";
    }
    std::vector<double> empty;
    EXPECT_EQ(NearestRankPercentile(empty, 50), 0.0);
}

TEST(ScatterSamples, KeepTheFixAsItCameAndShadeByItsOwnHdop) {
    ScatterPlotModel m;
    struct Case {
        double hdop;
        ScatterShade shade;
    };
    // Threshold 3.00: exactly at it is good, above it bad, none at all unknown.
    const Case cases[] = {{3.00, ScatterShade::Good},
                          {3.01, ScatterShade::Bad},
                          {0.0, ScatterShade::Good},
                          {kNaN, ScatterShade::UnknownDop}};
    for (const Case& c : cases)
        m.AddSample(Fix(-22.54321098, 113.9, 12.3456, c.hdop, 2, 1796956598250));
    ASSERT_EQ(m.positions.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(m.ShadeOf(m.positions[i]), cases[i].shade) << i;
    const ScatterSample& s = m.positions.front();
    EXPECT_EQ(s.latitude, -22543210);        // drawn from micro-degrees...
    EXPECT_EQ(s.fix.latitude, -22.54321098); // ...figured and exported at full precision
    EXPECT_EQ(s.fix.fixQuality, 2);
    EXPECT_EQ(s.fix.utcMs, 1796956598250);
    EXPECT_EQ(m.Fixes().size(), 4u);

    // Bounded as the integer samples were, the oldest fix leaving first.
    ScatterPlotModel bounded;
    for (std::size_t i = 0; i <= kScatterPlotMaxSamples; ++i)
        bounded.AddSample(Fix(1.0, 0.0, 0.0, 1.0, 1, static_cast<std::int64_t>(i) + 1));
    EXPECT_EQ(bounded.positions.size(), kScatterPlotMaxSamples);
    EXPECT_EQ(bounded.positions.front().fix.utcMs, 2);
}

TEST(ScatterSamples, FiguresFollowTheSamplesAndTheUserPosition) {
    ScatterPlotModel m;
    EXPECT_EQ(m.Accuracy().samples, 0u);
    for (const AccuracyInput& p :
         {AtEquator(3, 0), AtEquator(0, 4), AtEquator(-3, 0), AtEquator(0, -4)})
        m.AddSample(Fix(p.latitude, p.longitude, 5.0, 1.0, 1, 0));
    EXPECT_EQ(m.Accuracy().samples, 4u);
    EXPECT_NEAR(m.Accuracy().cep95, 4.0, 1e-6);
    // No user position stored (0, 0): no distance.
    EXPECT_FALSE(m.MeanDistanceFromUser().has_value());
    // 100 micro-degrees north of the mean: 0.0001 x 110574.2758 = 11.0574 m.
    m.userCentre.latitude = 100;
    m.userCentre.longitude = 100000000;
    ASSERT_TRUE(m.MeanDistanceFromUser().has_value());
    EXPECT_NEAR(*m.MeanDistanceFromUser(), 11.0574, 1e-4);
    // A fifth fix at the mean changes the figures; clearing empties them.
    m.AddSample(Fix(0.0, 100.0, 5.0, 1.0, 1, 0));
    EXPECT_EQ(m.Accuracy().samples, 5u);
    EXPECT_NEAR(m.Accuracy().cep50, 3.0, 1e-6);
    m.ClearPositions();
    EXPECT_EQ(m.Accuracy().samples, 0u);
    EXPECT_FALSE(m.MeanDistanceFromUser().has_value());
}

TEST(ScatterZoom, ZoomingOutStopsWhereTheViewWouldLoseItsCentre) {
    // 0.01 degree from the pole (about 1.1 km), the north-west corner passes over the pole
    // once the radius is about twice that: zooming out must stop before.
    ScatterPlotModel m;
    m.centre.latitude = 89990000;
    m.centre.longitude = 20000000;
    m.UpdateViewBox();
    double previous = 0.0;
    int steps = 0;
    while (m.viewRadius != previous && steps < 200) {
        previous = m.viewRadius;
        m.ZoomOut();
        ++steps;
    }
    EXPECT_LT(steps, 200);
    EXPECT_GT(m.viewRadius, 1000.0);
    EXPECT_LT(m.viewRadius, 5000.0);
    EXPECT_TRUE(m.ViewKeepsCentre(m.viewRadius));
    EXPECT_FALSE(m.ViewKeepsCentre(m.viewRadius + ZoomStep(m.viewRadius)));
    EXPECT_GT(m.viewBox.maxLatitude, m.centre.latitude);
    EXPECT_LT(m.viewBox.minLatitude, m.centre.latitude);
    EXPECT_LT(m.viewBox.minLongitude, m.centre.longitude);
    EXPECT_GT(m.viewBox.maxLongitude, m.centre.longitude);
    // Zooming in still works from there.
    const double limit = m.viewRadius;
    m.ZoomIn();
    EXPECT_LT(m.viewRadius, limit);

    // Away from the poles the everyday range is untouched.
    ScatterPlotModel london;
    london.centre.latitude = 51500000;
    london.UpdateViewBox();
    for (int i = 0; i < 40; ++i)
        london.ZoomOut();
    // 100 -> 200 in 5 steps, -> 1000 in 8, -> 5000 in 8, -> 11000 in 3, then 16 of 10 km.
    EXPECT_EQ(london.viewRadius, 171000.0);
}

TEST(PositionExport, TimesAndNumbers) {
    struct TimeCase {
        std::int64_t ms;
        const char* text;
    };
    const TimeCase times[] = {
        {0, ""}, // unknown
        {1, "1970-01-01T00:00:00.001Z"},
        {-1, "1969-12-31T23:59:59.999Z"},
        {951782400000, "2000-02-29T00:00:00.000Z"},
        {1796956598250, "2026-12-11T02:36:38.250Z"},
    };
    for (const TimeCase& c : times)
        EXPECT_EQ(IsoUtcTime(c.ms), c.text) << c.ms;

    struct NumberCase {
        double value;
        int decimals;
        const char* text;
    };
    const NumberCase numbers[] = {
        {51.5, 7, "51.5000000"}, {-0.12345678, 7, "-0.1234568"}, {-0.00000001, 7, "0.0000000"},
        {-0.0, 3, "0.000"},      {1234.5678, 3, "1234.568"},     {kNaN, 2, ""},
        {-1e-30, 2, "0.00"},     {-180.0, 7, "-180.0000000"},
    };
    for (const NumberCase& c : numbers)
        EXPECT_EQ(FixedDecimal(c.value, c.decimals), c.text) << c.value;

    const std::pair<int, const char*> fixes[] = {{0, "none"}, {1, ""},     {2, "dgps"}, {3, "pps"},
                                                 {4, "dgps"}, {5, "dgps"}, {6, ""},     {8, ""}};
    for (const auto& [quality, word] : fixes)
        EXPECT_EQ(GpxFixType(quality), word) << quality;
}

TEST(PositionExport, CsvRowsAndGpxPoints) {
    const std::vector<PositionSample> samples = {
        Fix(47.66198167, -122.32639367, 76.5, 0.9, 1, 1796956598250),
        Fix(-33.8765432, 151.2, -3.25, kNaN, 4, 0),
    };
    EXPECT_EQ(PositionsCsv(samples),
              "time,latitude,longitude,altitude,hdop,fix_quality\r\n"
              "2026-12-11T02:36:38.250Z,47.6619817,-122.3263937,76.500,0.90,1\r\n"
              ",-33.8765432,151.2000000,-3.250,,4\r\n");
    const std::string gpx = PositionsGpx(samples);
    EXPECT_NE(gpx.find("<trkpt lat=\"47.6619817\" lon=\"-122.3263937\">\n"
                       "        <ele>76.500</ele>\n"
                       "        <time>2026-12-11T02:36:38.250Z</time>\n"
                       "        <hdop>0.90</hdop>\n"
                       "      </trkpt>"),
              std::string::npos)
        << gpx;
    EXPECT_NE(gpx.find("<trkpt lat=\"-33.8765432\" lon=\"151.2000000\">\n"
                       "        <ele>-3.250</ele>\n"
                       "        <fix>dgps</fix>\n"
                       "      </trkpt>"),
              std::string::npos)
        << gpx;
    // GPX has no longitude 180: it is -180 there.
    EXPECT_NE(PositionsGpx({Fix(0, 180.0, 0, 1, 1, 0)}).find("lon=\"-180.0000000\""),
              std::string::npos);
    EXPECT_EQ(PositionsGpx({Fix(kNaN, 1.0, 0, 1, 1, 0)}).find("<trkpt"), std::string::npos);
}
