// The proportional layout of the template pages: edges scale with the page, truncated, and
// the first known size only records.

#include "uisupport/ProportionalChildLayout.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

class ProportionalChildLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void edgesAreTruncatedTowardZero_data() {
        QTest::addColumn<int>("edge");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("scaled");
        QTest::newRow("halved") << 101 << 400 << 800 << 50;
        QTest::newRow("grown") << 7 << 1100 << 800 << 9; // 9.625
        QTest::newRow("negative") << -7 << 1100 << 800 << -9;
        QTest::newRow("no overflow") << 2000000000 << 1000 << 999 << 2002002002;
    }
    void edgesAreTruncatedTowardZero() {
        QFETCH(int, edge);
        QFETCH(int, to);
        QFETCH(int, from);
        QFETCH(int, scaled);
        QCOMPARE(ProportionalChildLayout::ScaleEdge(edge, to, from), scaled);
    }

    void firstSizeRecordsThenEdgesFollowThePage() {
        QWidget page;
        auto* child = new QWidget(&page);
        child->setGeometry(100, 50, 201, 31);
        ProportionalChildLayout layout;
        layout.Resize(QSize(800, 600), {child});
        QCOMPARE(child->geometry(), QRect(100, 50, 201, 31));
        layout.Resize(QSize(400, 300), {child});
        // Edges 100..301 and 50..81 halved: 50..150 and 25..40.
        QCOMPARE(child->geometry(), QRect(50, 25, 100, 15));
        // A zero size counts as 800 x 600: back where the control stood, not where the
        // halved edges would put it (100..300, 50..80).
        layout.Resize(QSize(0, 0), {child});
        QCOMPARE(child->geometry(), QRect(100, 50, 201, 31));
        QCOMPARE(layout.PreviousSize(), QSize(800, 600));
        // Moved by someone else, the control scales from its new place.
        child->setGeometry(10, 20, 30, 40);
        layout.Resize(QSize(400, 300), {child});
        QCOMPARE(child->geometry(), QRect(5, 10, 15, 20));
    }

    // A window dragged through many sizes, one pixel at a time, leaves every control where it
    // was once it is back at its first size.
    void manyResizesDoNotWalkTheControls() {
        QWidget page;
        auto* child = new QWidget(&page);
        const QRect start(333, 177, 101, 23);
        child->setGeometry(start);
        ProportionalChildLayout layout;
        layout.SetPreviousSize(QSize(1000, 700));
        for (int step = 1; step <= 60; ++step)
            layout.Resize(QSize(1000 - step, 700 - step), {child});
        for (int step = 59; step >= 0; --step)
            layout.Resize(QSize(1000 - step, 700 - step), {child});
        QCOMPARE(child->geometry(), start);
    }

    void boundLimitsTheSizeTheControlsFollow() {
        QWidget page;
        auto* child = new QWidget(&page);
        child->setGeometry(80, 60, 40, 30);
        ProportionalChildLayout layout(QSize(800, 600));
        layout.SetPreviousSize(QSize(1200, 300)); // counts as 800 x 300
        QCOMPARE(layout.PreviousSize(), QSize(800, 300));
        layout.Resize(QSize(1600, 1200), {child}); // counts as 800 x 600
        QCOMPARE(child->geometry(), QRect(80, 120, 40, 60));
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ProportionalChildLayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ProportionalChildLayoutTest.moc"
