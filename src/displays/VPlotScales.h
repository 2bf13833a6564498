#pragma once
// Layout, ranges, scales and grid candidates of the line-chart control, computed from plain
// numbers so that they can be checked without drawing.

#include <cstdint>
#include <string>
#include <vector>

#include "displays/PlotSeries.h"

// Edges of a rectangle, right and bottom exclusive.
struct PlotRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PlotRect&) const = default;
};

struct VPlotLayout {
    PlotRect plotArea, legendRect, titleRect, xLabelRect, yLabelRect;
};

// A divisor of 0 reserves nothing rather than dividing by zero.
VPlotLayout ComputeVPlotLayout(const PlotRect& r, int leftMarginDivisor, int legendDivisor,
                               bool showLegend);

struct VPlotRanges {
    double yMin = 0.0, yMax = 0.0, xMin = 0.0, xMax = 0.0;
    double yScale = 1.0, xScale = 1.0;
    PlotRect plotArea;

    int Row(double v) const;
    int Column(double x) const;
};

// Ranges over the series that hold points (Y widened by 5 % of its span at each end) and the
// scales that fit them into plotArea.
VPlotRanges ComputeVPlotRanges(const PlotSeries* series, int count, const PlotRect& plotArea);

// Grid values of each axis, in order, before the test against the plot area's edges.
std::vector<double> YTickCandidates(double yMin, double yMax, int yDivisions);
std::vector<double> XTickCandidates(double xMin, double xMax, int xDivisions);

// The X span rounded down to a multiple of the power of ten just below it (spans below 1 as
// they are).
double RoundedXSpan(double span);

// A formatted tick label without the sign of a negative zero ("-0", "-0.000", "  -0.0",
// "-0E+00"): a tick a hair below zero is the zero tick. Other labels come back unchanged.
std::string WithoutNegativeZero(std::string label);

// trunc(v) as an int, held within a range that pixel arithmetic can take.
int PixelTrunc(double v);
