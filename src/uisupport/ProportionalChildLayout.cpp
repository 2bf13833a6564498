#include "uisupport/ProportionalChildLayout.h"

#include <cstdint>

int ProportionalChildLayout::ScaleEdge(int edge, int to, int from) {
    // 64-bit so that a large page cannot overflow; integer division truncates toward zero.
    return static_cast<int>(std::int64_t{edge} * to / from);
}

QSize ProportionalChildLayout::Effective(QSize size) const {
    if (size.width() <= 0 || size.height() <= 0)
        size = QSize(800, 600);
    if (m_bound.isValid())
        size = size.boundedTo(m_bound);
    return size;
}

void ProportionalChildLayout::Resize(QSize newSize, const QList<QWidget*>& controls) {
    const QSize size = Effective(newSize);
    if (m_previous.isValid() && size != m_previous) {
        for (QWidget* control : controls) {
            Placement& p = m_placements[control];
            // A control the layout has not placed, or that was moved since, stands where it
            // belongs at the previous size.
            if (p.control != control || control->geometry() != p.placed)
                p = Placement{control, control->geometry(), m_previous, QRect()};
            const QRect& r = p.base;
            const int bw = p.baseSize.width(), bh = p.baseSize.height();
            // Edges, not sizes, are scaled: right and bottom are exclusive edges here.
            const int left = ScaleEdge(r.left(), size.width(), bw);
            const int right = ScaleEdge(r.left() + r.width(), size.width(), bw);
            const int top = ScaleEdge(r.top(), size.height(), bh);
            const int bottom = ScaleEdge(r.top() + r.height(), size.height(), bh);
            control->setGeometry(left, top, right - left, bottom - top);
            p.placed = control->geometry();
            control->update();
        }
    }
    m_previous = size;
}
