#pragma once
// The points of one plot series, stored in fixed blocks so that appending never moves a
// point already stored: only the small array of block pointers grows.

#include <cstdint>
#include <memory>
#include <vector>

// One point: the value (Y axis), then the abscissa (X axis).
struct CVPlotDataItem {
    double value;
    double abscissa;
};

constexpr std::uint32_t kPlotBlockPoints = 10000;

class PlotSeries {
public:
    // Appends (v, x). The first point after the series was empty resets its extremes.
    void AddPoint(double v, double x);
    // Releases every block; the extremes stay until the next AddPoint replaces them.
    void Clear();

    // Calls f(item) for every point, oldest first.
    template <class F> void ForEachPoint(F&& f) const {
        std::uint32_t left = pointCount;
        for (const auto& block : blocks) {
            const std::uint32_t n = left < kPlotBlockPoints ? left : kPlotBlockPoints;
            for (std::uint32_t i = 0; i < n; ++i)
                f(block[i]);
            left -= n;
            if (left == 0)
                break;
        }
    }

    std::vector<std::unique_ptr<CVPlotDataItem[]>> blocks;
    std::uint32_t fullBlocks = 0;
    std::uint32_t blockFill = 0;
    std::uint32_t pointCount = 0;
    CVPlotDataItem* currentBlock = nullptr;
    double yMax = 0.0, yMin = 0.0, xMax = 0.0, xMin = 0.0;
};
