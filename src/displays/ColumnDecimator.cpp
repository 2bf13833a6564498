#include "displays/ColumnDecimator.h"

void ColumnDecimator::Emit(const PlotPoint& p) {
    if (m_out.empty() || !(m_out.back() == p))
        m_out.push_back(p);
}

void ColumnDecimator::Add(int column, int row) {
    const PlotPoint p{column, row};
    const std::uint64_t at = m_nSeen++;
    if (!m_bOpen || column != m_first.x) {
        Finish();
        m_bOpen = true;
        m_first = m_last = m_low = m_high = p;
        m_nLowAt = m_nHighAt = at;
        return;
    }
    m_last = p;
    if (row < m_low.y) {
        m_low = p;
        m_nLowAt = at;
    }
    if (row > m_high.y) {
        m_high = p;
        m_nHighAt = at;
    }
}

void ColumnDecimator::Finish() {
    if (!m_bOpen)
        return;
    m_bOpen = false;
    Emit(m_first);
    if (m_nLowAt <= m_nHighAt) {
        Emit(m_low);
        Emit(m_high);
    } else {
        Emit(m_high);
        Emit(m_low);
    }
    Emit(m_last);
}
