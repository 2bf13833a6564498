#pragma once
// Dialog templates are laid out in dialog units: x * average character width / 4 and
// y * character height / 8 of the dialog's font.

#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QWidget>

class DialogUnits {
public:
    explicit DialogUnits(const QWidget& w) {
        const QFontMetrics fm(w.font());
        m_cx = fm.averageCharWidth();
        m_cy = fm.height();
    }
    int X(int x) const { return x * m_cx / 4; }
    int Y(int y) const { return y * m_cy / 8; }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
    QSize Size(int w, int h) const { return QSize(X(w), Y(h)); }

private:
    int m_cx;
    int m_cy;
};
