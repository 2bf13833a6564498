#pragma once
// The pages built from dialog templates keep their controls where the template put them,
// relative to the page: on every resize after the first known size, each control's edges are
// scaled by new size / previous size (left and right by the widths, top and bottom by the
// heights, each truncated toward zero), and the new size becomes the previous one.

#include <QList>
#include <QSize>

class QWidget;

class ProportionalChildLayout {
public:
    // bound: a larger width or height counts as the bound's (no bound when invalid).
    explicit ProportionalChildLayout(QSize bound = QSize()) : m_bound(bound) {}

    // Records a size without moving anything (the page's starting size).
    void SetPreviousSize(QSize size) { m_previous = Effective(size); }
    QSize PreviousSize() const { return m_previous; }

    // Scales the controls from the previous size to newSize (a width or height of 0 counts as
    // 800 x 600) and records it. The first call only records the size.
    void Resize(QSize newSize, const QList<QWidget*>& controls);

    // The edge arithmetic alone: edge * to / from, truncated toward zero.
    static int ScaleEdge(int edge, int to, int from);

private:
    QSize Effective(QSize size) const;

    QSize m_bound;
    QSize m_previous; // invalid until the first size is known
};
