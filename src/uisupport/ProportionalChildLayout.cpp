#include "uisupport/ProportionalChildLayout.h"

#include <QRect>
#include <QWidget>
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
        const int pw = m_previous.width(), ph = m_previous.height();
        for (QWidget* control : controls) {
            const QRect r = control->geometry();
            // Edges, not sizes, are scaled: right and bottom are exclusive edges here.
            const int left = ScaleEdge(r.left(), size.width(), pw);
            const int right = ScaleEdge(r.left() + r.width(), size.width(), pw);
            const int top = ScaleEdge(r.top(), size.height(), ph);
            const int bottom = ScaleEdge(r.top() + r.height(), size.height(), ph);
            control->setGeometry(left, top, right - left, bottom - top);
            control->update();
        }
    }
    m_previous = size;
}
