#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "displays/CAverage.h"
#include "displays/DestinationPoint.h"
#include "displays/GreatCircleDistance.h"
#include "displays/LeastSquaresLine.h"
#include "displays/MicroDegrees.h"

namespace {

TEST(CAverage, IsZeroWithoutValuesAndTheMeanAfterwards) {
    CAverage average;
    EXPECT_EQ(average.Average(), 0.0);
    average.Add(1.0);
    average.Add(2.0);
    average.Add(6.0);
    EXPECT_DOUBLE_EQ(average.Average(), 3.0);
    average.Reset();
    EXPECT_EQ(average.Average(), 0.0);
    EXPECT_EQ(average.count, 0u);
}

struct FitCase {
    std::vector<double> samples;
    double slope;
    double intercept;
    double valueAtLast;
};

class LeastSquares : public testing::TestWithParam<FitCase> {};

TEST_P(LeastSquares, FitsEverySampleSinceReset) {
    LeastSquaresLine line;
    double x = 0;
    for (const double y : GetParam().samples) {
        line.Add(++x, y);
    }
    EXPECT_NEAR(line.slope, GetParam().slope, 1e-12);
    EXPECT_NEAR(line.intercept, GetParam().intercept, 1e-12);
    EXPECT_NEAR(line.ValueAt(x), GetParam().valueAtLast, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, LeastSquares,
    testing::Values(FitCase{{47.5}, 0.0, 0.0, 0.0},         // one sample: the constant 0
                    FitCase{{47.5, 47.7}, 0.2, 47.3, 47.7}, // exactly through both
                    FitCase{{1.0, 2.0, 4.0}, 1.5, -2.0 / 3.0, 23.0 / 6.0},
                    FitCase{{5.0, 5.0, 5.0, 5.0}, 0.0, 5.0, 5.0}));

TEST(LeastSquaresLine, ResetStartsAFreshFitWithTheFirstSampleGivingZero) {
    LeastSquaresLine line;
    line.Add(1, 10.0);
    line.Add(2, 20.0);
    line.Reset();
    EXPECT_EQ(line.samples, 0.0);
    EXPECT_EQ(line.intercept, 0.0);
    line.Add(1, 99.0);
    EXPECT_EQ(line.slope, 0.0);
    EXPECT_EQ(line.ValueAt(1), 0.0);
}

struct TruncCase {
    double value;
    std::int32_t expected;
};

class MicroDegreeCase : public testing::TestWithParam<TruncCase> {};

TEST_P(MicroDegreeCase, TruncatesTowardZero) {
    EXPECT_EQ(MicroDegrees(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Angles, MicroDegreeCase,
    testing::Values(TruncCase{-22.5432109, -22543210}, TruncCase{22.5432109, 22543210},
                    TruncCase{-0.0000009, 0}, TruncCase{179.9999999, 179999999}, TruncCase{0.0, 0},
                    // Out of the 32-bit range or not a number: saturate / 0 instead of UB.
                    TruncCase{5000.0, std::numeric_limits<std::int32_t>::max()},
                    TruncCase{-5000.0, std::numeric_limits<std::int32_t>::min()},
                    TruncCase{std::numeric_limits<double>::quiet_NaN(), 0}));

TEST(TruncateScaled, AltitudesAndDops) {
    EXPECT_EQ(TruncateScaled(-12.3456, 1000.0), -12345);
    EXPECT_EQ(TruncateScaled(1.27, 100.0), 127);
}

TEST(GreatCircleDistance, PointToItselfIsZero) {
    EXPECT_EQ(GreatCircleDistance(48.1173, 11.5167, 48.1173, 11.5167), 0.0);
}

TEST(GreatCircleDistance, ThousandthOfADegreeOfLatitudeAtTheEquator) {
    const double expected =
        2.0 * 6372.797560856 * 1000.0 * std::asin(std::sin(0.0005 * 0.017453292519943295));
    EXPECT_DOUBLE_EQ(GreatCircleDistance(0.0, 0.0, 0.001, 0.0), expected);
    EXPECT_NEAR(GreatCircleDistance(0.0, 0.0, 0.001, 0.0), 111.2, 0.05);
}

TEST(GreatCircleDistance, LongitudeTermUsesTheFirstLatitudeOnly) {
    // cos(lat1)^2 instead of cos(lat1) cos(lat2): swapping the points changes the result.
    const double ab = GreatCircleDistance(60.0, 0.0, 61.0, 1.0);
    const double ba = GreatCircleDistance(61.0, 1.0, 60.0, 0.0);
    EXPECT_GT(std::fabs(ab - ba), 1.0);
}

TEST(GreatCircleDistance, FarPointsGiveAFiniteDistance) {
    // sin^2 + cos(lat1)^2 sin^2 exceeds 1 here; the distance stays at half the circumference.
    const double d = GreatCircleDistance(0.0, 0.0, -89.0, 180.0);
    EXPECT_TRUE(std::isfinite(d));
    EXPECT_DOUBLE_EQ(d, std::numbers::pi * 6372.797560856 * 1000.0);
}

TEST(DestinationPoint, ZeroDistanceIsTheStartPoint) {
    const GeoPoint p = DestinationPoint(-33.8688, 151.2093, 123.0, 0.0);
    EXPECT_NEAR(p.lat, -33.8688, 1e-12);
    EXPECT_NEAR(p.lon, 151.2093, 1e-12);
}

TEST(DestinationPoint, ThousandMetresNorthFromTheOrigin) {
    const GeoPoint p = DestinationPoint(0.0, 0.0, 0.0, 1000.0);
    EXPECT_NEAR(p.lat, 0.00904, 0.000005);
    EXPECT_NEAR(p.lon, 0.0, 1e-12);
}

double Dms(double degrees, double minutes, double seconds) {
    const double magnitude = std::fabs(degrees) + minutes / 60.0 + seconds / 3600.0;
    return std::signbit(degrees) ? -magnitude : magnitude;
}

TEST(DestinationPoint, FlindersPeakToBuninyong) {
    // The worked example of the direct formula on the ellipsoid: a wrong constant, the
    // flattening left out of the latitude or the longitude correction left out moves the result
    // by well over a ten-thousandth of an arc second.
    const GeoPoint p = DestinationPoint(Dms(-37, 57, 3.72030), Dms(144, 25, 29.52440),
                                        Dms(306, 52, 5.37), 54972.271);
    constexpr double kTenThousandthArcSecond = 1e-4 / 3600.0;
    EXPECT_NEAR(p.lat, Dms(-37, 39, 10.15610), kTenThousandthArcSecond);
    EXPECT_NEAR(p.lon, Dms(143, 55, 35.38390), kTenThousandthArcSecond);
}

TEST(DestinationPoint, AgreesWithTheGreatCircleDistanceOverShortRanges) {
    // East of a mid-latitude point the ellipsoid and the sphere differ by well under 1 %.
    const GeoPoint p = DestinationPoint(45.0, 7.0, 90.0, 500.0);
    EXPECT_NEAR(p.lat, 45.0, 1e-4);
    EXPECT_GT(p.lon, 7.0);
    EXPECT_NEAR(GreatCircleDistance(45.0, 7.0, p.lat, p.lon), 500.0, 5.0);
}

TEST(DestinationPoint, NotANumberDistanceReturnsInsteadOfSpinning) {
    const GeoPoint p = DestinationPoint(0.0, 0.0, 0.0, std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isnan(p.lat));
}

} // namespace
