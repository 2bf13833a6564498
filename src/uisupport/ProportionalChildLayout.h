#pragma once
// The pages built from dialog templates keep their controls where the template put them,
// relative to the page: on every resize after the first known size, each control's edges are
// scaled by new size / previous size (left and right by the widths, top and bottom by the
// heights, each truncated toward zero), and the new size becomes the previous one.
//
// The scaling starts from where the control stood when the layout last found it placed by
// someone else (or first saw it), not from the truncated result of the resize before: so a
// window dragged through many sizes does not walk its controls towards the top-left corner
// one lost pixel at a time, and a page that returns to a size shows its controls exactly as
// before.

#include <QHash>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

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
    // Where a control stood at a known page size, and where the layout last put it.
    struct Placement {
        QPointer<QWidget> control;
        QRect base;
        QSize baseSize;
        QRect placed;
    };

    QSize Effective(QSize size) const;

    QSize m_bound;
    QSize m_previous; // invalid until the first size is known
    QHash<const QWidget*, Placement> m_placements;
};
