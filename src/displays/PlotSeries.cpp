#include "displays/PlotSeries.h"

namespace {

std::unique_ptr<CVPlotDataItem[]> NewBlock() {
    return std::make_unique<CVPlotDataItem[]>(kPlotBlockPoints);
}

} // namespace

void PlotSeries::AddPoint(double v, double x) {
    if (blocks.empty()) {
        blocks.push_back(NewBlock());
        currentBlock = blocks.back().get();
        fullBlocks = 0;
        blockFill = 0;
        pointCount = 0;
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
    if (blockFill == kPlotBlockPoints) {
        // The next block is there before the next point, so a full block is never the
        // current one.
        blocks.push_back(NewBlock());
        currentBlock = blocks.back().get();
        ++fullBlocks;
        blockFill = 0;
    }
}

void PlotSeries::Clear() {
    blocks.clear();
    blocks.shrink_to_fit();
    currentBlock = nullptr;
    fullBlocks = 0;
    blockFill = 0;
    pointCount = 0;
}
