#include "displays/PlotSeries.h"

namespace {} // namespace

std::unique_ptr<CVPlotDataItem[]> PlotSeries::NewBlock() {
    if (m_spare)
        return std::move(m_spare);
    // Every point is written before it is read.
    return std::make_unique_for_overwrite<CVPlotDataItem[]>(kPlotBlockPoints);
}

PlotSeries::PlotSeries(const PlotHistoryBound& bound) {
    SetHistoryBound(bound);
}

void PlotSeries::SetHistoryBound(const PlotHistoryBound& bound) {
    if (bound.Valid())
        m_bound = bound;
}

void PlotSeries::AddPoint(double v, double x) {
    if (blocks.empty()) {
        blocks.push_back(NewBlock());
        currentBlock = blocks.back().get();
        fullBlocks = 0;
        blockFill = 0;
        pointCount = 0;
        m_nAppended = 0;
        m_nFullFrom = 0;
        m_nStride = 1;
        m_nThinned = 0;
        yMax = yMin = v;
        xMax = xMin = x;
    } else {
        if (v >= yMax)
            yMax = v;
        if (v <= yMin)
            yMin = v;
        if (x >= xMax)
            xMax = x;
        if (x <= xMin)
            xMin = x;
    }
    currentBlock[blockFill] = CVPlotDataItem{v, x};
    ++pointCount;
    ++blockFill;
    ++m_nAppended;
    if (blockFill == kPlotBlockPoints) {
        // The next block is there before the next point, so a full block is never the
        // current one.
        blocks.push_back(NewBlock());
        currentBlock = blocks.back().get();
        ++fullBlocks;
        blockFill = 0;
    }
    if (m_bound.bound != 0 && pointCount >= m_bound.bound)
        Thin();
}

void PlotSeries::Thin() {
    // Stored now: the thinned part (numbers 0, s, 2s, ... below m_nFullFrom), then every point
    // from m_nFullFrom on. The points older than the newest window join the thinned part when
    // their number is a multiple of the step; then the step doubles until the part fits.
    const std::uint64_t newFullFrom = m_nAppended - m_bound.fullWindow;
    std::uint32_t write = m_nThinned;
    std::uint32_t read = m_nThinned;
    for (std::uint64_t n = m_nFullFrom; n < newFullFrom; ++n, ++read)
        if (n % m_nStride == 0)
            At(write++) = At(read);
    while (write > m_bound.olderBudget) {
        // Every other point goes, the first stays: what is left is the multiples of 2s.
        const std::uint32_t kept = (write + 1) / 2;
        for (std::uint32_t k = 1; k < kept; ++k)
            At(k) = At(2 * k);
        write = kept;
        m_nStride *= 2;
    }
    m_nThinned = write;
    for (std::uint32_t k = 0; k < m_bound.fullWindow; ++k)
        At(write++) = At(read++);
    m_nFullFrom = newFullFrom;

    pointCount = write;
    fullBlocks = pointCount / kPlotBlockPoints;
    blockFill = pointCount % kPlotBlockPoints;
    blocks.resize(fullBlocks + 1);
    currentBlock = blocks.back().get();
}

void PlotSeries::Clear() {
    // A series cleared before every few points (the fitted segment is redrawn with each
    // sample) would otherwise give back and ask again for a block each time.
    if (!blocks.empty())
        m_spare = std::move(blocks.front());
    blocks.clear();
    blocks.shrink_to_fit();
    currentBlock = nullptr;
    fullBlocks = 0;
    blockFill = 0;
    pointCount = 0;
    m_nAppended = 0;
    m_nFullFrom = 0;
    m_nStride = 1;
    m_nThinned = 0;
}

std::size_t PlotSeries::BytesHeld() const {
    return (blocks.size() + (m_spare ? 1 : 0)) * kPlotBlockPoints * sizeof(CVPlotDataItem) +
           blocks.capacity() * sizeof(blocks[0]);
}
