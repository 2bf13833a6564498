#pragma once
// Dialog templates are laid out in dialog units: x * base width / 4 and y * base height / 8 of
// the dialog's font. The base width is the rounded half of the average advance of the 52 Latin
// letters taken in pairs, as the templates' own platform measures it: a font's average
// character width (the "x" or the mean of all its glyphs, CJK ones included) is often narrower
// than the captions the templates were drawn for, and then every caption is cut off.

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics fm(font);
        static const QString kLetters =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        m_cx = (fm.horizontalAdvance(kLetters) / 26 + 1) / 2;
        m_cy = fm.height();
    }
    explicit DialogUnits(const QWidget& w) : DialogUnits(w.font()) {}
    int BaseWidth() const { return m_cx; }
    int BaseHeight() const { return m_cy; }
    int X(int x) const { return x * m_cx / 4; }
    int Y(int y) const { return y * m_cy / 8; }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
    QSize Size(int w, int h) const { return QSize(X(w), Y(h)); }

private:
    int m_cx;
    int m_cy;
};
