#pragma once
// The points of one plot series, stored in fixed blocks so that appending never moves a
// point already stored: only the small array of block pointers grows. The history is bounded:
// once the series holds its bound, the part older than the newest window is thinned evenly
// (every other point of it goes, the first point stays), so a series fed for days keeps its
// whole span at a coarser step instead of growing without end.

#include <cstdint>
#include <memory>
#include <vector>

// One point: the value (Y axis), then the abscissa (X axis).
struct CVPlotDataItem {
    double value;
    double abscissa;
};

constexpr std::uint32_t kPlotBlockPoints = 10000;

// How much a series keeps. When it holds `bound` points it thins: the newest `fullWindow`
// points stay at full resolution, and the points before them are kept at one step (every
// point whose number since the series was empty is a multiple of the step), the step doubling
// until at most `olderBudget` of them remain. A bound of 0 keeps everything.
struct PlotHistoryBound {
    std::uint32_t bound = 0;
    std::uint32_t fullWindow = 0;
    std::uint32_t olderBudget = 0;

    // A day at one point a second at full resolution, and half as many points again for
    // everything older.
    static constexpr PlotHistoryBound Day() { return PlotHistoryBound{144000, 86400, 43200}; }
    static constexpr PlotHistoryBound Unbounded() { return PlotHistoryBound{}; }
    // Thinning must free room: the bound exceeds what is kept after it.
    constexpr bool Valid() const {
        return bound == 0 || (fullWindow >= 1 && olderBudget >= 1 &&
                              static_cast<std::uint64_t>(fullWindow) + olderBudget < bound);
    }
};

class PlotSeries {
public:
    PlotSeries() = default;
    explicit PlotSeries(const PlotHistoryBound& bound);

    // An invalid bound is ignored. Takes effect from the next point on.
    void SetHistoryBound(const PlotHistoryBound& bound);
    const PlotHistoryBound& HistoryBound() const { return m_bound; }

    // Appends (v, x). The first point after the series was empty resets its extremes. The
    // extremes cover every point since then, thinned ones included.
    void AddPoint(double v, double x);
    // Releases every block but one, kept for the next point; the extremes stay until the next
    // AddPoint replaces them.
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

    // The thinned part at the start of the series: how many points, and the step between the
    // numbers of the points it kept (1 before the first thinning).
    std::uint32_t ThinnedCount() const { return m_nThinned; }
    std::uint64_t ThinnedStride() const { return m_nStride; }
    // Points appended since the series was last empty, thinned ones included.
    std::uint64_t AppendedCount() const { return m_nAppended; }
    // Bytes held by the blocks and the pointer array.
    std::size_t BytesHeld() const;

    std::vector<std::unique_ptr<CVPlotDataItem[]>> blocks;
    std::uint32_t fullBlocks = 0;
    std::uint32_t blockFill = 0;
    std::uint32_t pointCount = 0;
    CVPlotDataItem* currentBlock = nullptr;
    double yMax = 0.0, yMin = 0.0, xMax = 0.0, xMin = 0.0;

private:
    CVPlotDataItem& At(std::uint32_t i) {
        return blocks[i / kPlotBlockPoints][i % kPlotBlockPoints];
    }
    void Thin();
    std::unique_ptr<CVPlotDataItem[]> NewBlock();

    PlotHistoryBound m_bound = PlotHistoryBound::Day();
    std::uint64_t m_nAppended = 0;
    // Number of the first point stored at full resolution; the m_nThinned points before it
    // are those numbered 0, m_nStride, 2 m_nStride, ...
    std::uint64_t m_nFullFrom = 0;
    std::uint64_t m_nStride = 1;
    std::uint32_t m_nThinned = 0;
    std::unique_ptr<CVPlotDataItem[]> m_spare;
};
