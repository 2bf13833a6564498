#pragma once
// Double-buffered painting, as every display does it: the whole client area is drawn into an
// off-screen image and copied to the window in one operation, so nothing flickers at the
// position rate. The image is kept between paints and made anew only when the size changes.

#include <QImage>
#include <QPainter>
#include <QWidget>

// render(QPainter&, const QSize& client) draws the client area.
template <typename Render> void PaintOffscreen(QWidget& widget, QImage& buffer, Render&& render) {
    const qreal dpr = widget.devicePixelRatioF();
    const QSize pixels = widget.size() * dpr;
    if (buffer.size() != pixels)
        buffer = QImage(pixels, QImage::Format_RGB32);
    buffer.setDevicePixelRatio(dpr);
    {
        QPainter mem(&buffer);
        render(mem, widget.size());
    }
    QPainter screen(&widget);
    screen.drawImage(0, 0, buffer);
}
