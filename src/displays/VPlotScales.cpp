#include "displays/VPlotScales.h"

#include <cmath>

namespace {

// A chart never needs more grid lines than this; it also ends the walk where a step is
// too small to move a candidate.
constexpr int kMaxTicks = 1000;

std::vector<double> Candidates(double first, double step, double end) {
    std::vector<double> out;
    if (!std::isfinite(first) || !std::isfinite(step) || step <= 0.0)
        return out;
    for (double t = first; t < end && static_cast<int>(out.size()) < kMaxTicks; t += step) {
        out.push_back(t);
        if (t + step == t)
            break;
    }
    return out;
}

// Whether the number at text[minus] (a '-') reads as zero: digits and decimal points after
// the sign, none of them a non-zero digit (an exponent after them does not matter).
bool NegativeZeroAt(const std::string& text, std::size_t minus) {
    bool digit = false;
    for (std::size_t i = minus + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '1' && c <= '9')
            return false;
        if (c == '0')
            digit = true;
        else if (c != '.' && c != ',')
            break;
    }
    return digit;
}

} // namespace

std::string WithoutNegativeZero(std::string label) {
    const std::size_t minus = label.find_first_not_of(' ');
    if (minus == std::string::npos || label[minus] != '-' || !NegativeZeroAt(label, minus))
        return label;
    // Padded to a width: keep the width.
    if (minus > 0)
        label[minus] = ' ';
    else
        label.erase(0, 1);
    return label;
}

int PixelTrunc(double v) {
    if (std::isnan(v))
        return 0;
    constexpr double kLimit = 1.0e9;
    if (v > kLimit)
        return static_cast<int>(kLimit);
    if (v < -kLimit)
        return -static_cast<int>(kLimit);
    return static_cast<int>(v);
}

VPlotLayout ComputeVPlotLayout(const PlotRect& r, int leftMarginDivisor, int legendDivisor,
                               bool showLegend) {
    const int W = r.Width();
    const int H = r.Height();
    VPlotLayout L;
    PlotRect& a = L.plotArea;
    a.left = r.left + (leftMarginDivisor != 0 ? W / leftMarginDivisor : 0);
    a.right = showLegend ? r.right - (legendDivisor != 0 ? W / legendDivisor : 0) : r.right;
    a.top = r.top + H / 10;
    a.bottom = r.bottom - H / 10;
    if (showLegend)
        L.legendRect = PlotRect{a.right + 10, a.top, r.right, a.bottom};
    L.titleRect = PlotRect{a.left, r.top, a.right, a.top - 3};
    L.xLabelRect = PlotRect{a.left, a.bottom + 3, a.right, r.bottom};
    L.yLabelRect = PlotRect{r.left, a.top, a.left - 3, a.bottom};
    return L;
}

int VPlotRanges::Row(double v) const {
    return plotArea.bottom - PixelTrunc((v - yMin) * yScale);
}

int VPlotRanges::Column(double x) const {
    return PixelTrunc((x - xMin) * xScale) + plotArea.left;
}

VPlotRanges ComputeVPlotRanges(const PlotSeries* series, int count, const PlotRect& plotArea) {
    VPlotRanges g;
    g.plotArea = plotArea;
    bool first = true;
    for (int i = 0; i < count; ++i) {
        const PlotSeries& s = series[i];
        if (s.pointCount == 0)
            continue;
        if (first) {
            g.yMin = s.yMin;
            g.yMax = s.yMax;
            g.xMin = s.xMin;
            g.xMax = s.xMax;
            first = false;
            continue;
        }
        if (s.yMax >= g.yMax)
            g.yMax = s.yMax;
        if (s.yMin <= g.yMin)
            g.yMin = s.yMin;
        if (s.xMax >= g.xMax)
            g.xMax = s.xMax;
        if (s.xMin <= g.xMin)
            g.xMin = s.xMin;
    }
    const double margin = std::fabs(g.yMax - g.yMin) * 0.05;
    g.yMax += margin;
    g.yMin -= margin;
    const double ySpan = std::fabs(g.yMax - g.yMin);
    g.yScale = ySpan == 0.0 ? 1.0 : (plotArea.bottom - plotArea.top) / ySpan;
    const double xSpan = std::fabs(g.xMax - g.xMin);
    g.xScale = xSpan > 0.0 ? (plotArea.right - plotArea.left) / xSpan : 1.0;
    return g;
}

std::vector<double> YTickCandidates(double yMin, double yMax, int yDivisions) {
    const double span = std::fabs(yMax - yMin);
    if (span == 0.0 || yDivisions <= 0)
        return {};
    double step = span / yDivisions;
    if (step < 1e-12)
        step = 1e-12;
    return Candidates(std::floor(yMin / span) * span, step, yMax);
}

double RoundedXSpan(double span) {
    if (!(span >= 1.0) || !std::isfinite(span))
        return span;
    double p = 10.0;
    while (p < span)
        p *= 10.0;
    p /= 10.0;
    // 64-bit integers: spans far beyond what a 32-bit abscissa span could hold stay exact
    // enough, and a span beyond even that is kept as it is.
    if (span >= 9.0e18)
        return span;
    const auto whole = static_cast<std::int64_t>(std::trunc(span));
    const auto unit = static_cast<std::int64_t>(std::trunc(p));
    return static_cast<double>(whole / unit) * p;
}

std::vector<double> XTickCandidates(double xMin, double xMax, int xDivisions) {
    const double span = RoundedXSpan(std::fabs(xMax - xMin));
    if (span == 0.0 || xDivisions <= 0)
        return {};
    const double step = span / xDivisions * 2.0;
    return Candidates(std::floor(xMin / span) * span, step, xMax);
}
