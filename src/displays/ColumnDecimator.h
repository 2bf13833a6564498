#pragma once
// A polyline cut down to what a one-pixel pen can show: of the points that fall in one pixel
// column in a row, only the first, the highest, the lowest and the last are kept, in the
// order they came. The line covers the same rows in every column and joins the columns at
// the same points, so a day of samples draws as a few thousand segments.

#include <cstdint>
#include <vector>

struct PlotPoint {
    int x = 0, y = 0;
    bool operator==(const PlotPoint&) const = default;
};

class ColumnDecimator {
public:
    explicit ColumnDecimator(std::vector<PlotPoint>& out) : m_out(out) {}

    void Add(int column, int row);
    // Writes the last column's points; call once after the last Add.
    void Finish();

private:
    void Emit(const PlotPoint& p);

    std::vector<PlotPoint>& m_out;
    bool m_bOpen = false;
    PlotPoint m_first, m_last, m_low, m_high;
    std::uint64_t m_nLowAt = 0, m_nHighAt = 0, m_nSeen = 0;
};
