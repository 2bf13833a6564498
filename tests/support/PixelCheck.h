#pragma once
// Pixel checks for the rendering tests: the colour at a computed pixel, named on failure.

#include <QImage>
#include <QString>
#include <QtTest>

inline QString PixelName(QRgb c) {
    return QStringLiteral("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

#define EXPECT_PIXEL(img, x, y, rgb)                                                               \
    QVERIFY2(((img).pixel((x), (y)) & 0xffffff) == ((rgb)&0xffffff),                               \
             qPrintable(QStringLiteral("pixel (%1,%2) is %3, expected %4")                         \
                            .arg(x)                                                                \
                            .arg(y)                                                                \
                            .arg(PixelName((img).pixel((x), (y))))                                 \
                            .arg(PixelName(rgb))))
