// The plot windows drawn offscreen and checked at pixels computed from their geometry, with
// their data paths, mouse zoom and context menus.

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstdint>
#include <vector>

#include "PixelCheck.h"
#include "displays/CPositionPlotWnd.h"
#include "displays/CScatterPlotWnd.h"
#include "displays/CVPlot.h"
#include "displays/MicroDegrees.h"
#include "uisupport/CommandIds.h"
#include "uisupport/FrameEvents.h"
#include "uisupport/LookColours.h"
#include "uisupport/Profile.h"

namespace {

// A flat page background (caption fill) with navy text: easy to tell from what is drawn.
constexpr unsigned kFlatLook = AppLook::VS2005;
const QRgb kNavy = qRgb(0, 0, 128);

QImage Blank(QSize size, QColor fill = QColor(10, 20, 30)) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

QImage DrawPlot(CVPlot& plot, QSize size) {
    QImage img = Blank(size);
    QPainter p(&img);
    plot.Draw(p, PlotRect{0, 0, size.width(), size.height()});
    return img;
}

template <class W> QImage RenderWindow(W& wnd, QSize size) {
    QImage img = Blank(size, Qt::magenta);
    QPainter p(&img);
    wnd.Render(p, size);
    return img;
}

// Top-level stand-in for the frame: records the commands that reach it.
class CommandSink : public QWidget {
public:
    bool event(QEvent* e) override {
        if (e->type() == WM_COMMAND_EVENT) {
            ids.push_back(static_cast<CommandEvent*>(e)->id());
            return true;
        }
        return QWidget::event(e);
    }
    std::vector<int> ids;
};

QAction* ActionWithId(QMenu* menu, int id) {
    for (QAction* a : menu->actions())
        if (a->data().toInt() == id)
            return a;
    return nullptr;
}

} // namespace

class PlotsRenderTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SetApplicationLook(kFlatLook); }

    void emptyPlotDrawsOnlyTheFramedArea() {
        CVPlot plot;
        plot.title.clear();
        plot.xAxisLabel.clear();
        plot.yAxisLabel.clear();
        const QImage img = DrawPlot(plot, QSize(800, 400));
        const PlotRect a = plot.layout.plotArea;
        QCOMPARE(a, (PlotRect{100, 40, 640, 360}));
        // Outline in the frame colour on the edges (right and bottom exclusive), black inside.
        EXPECT_PIXEL(img, a.left, 200, qRgb(255, 255, 255));
        EXPECT_PIXEL(img, a.right - 1, 200, qRgb(255, 255, 255));
        EXPECT_PIXEL(img, 300, a.top, qRgb(255, 255, 255));
        EXPECT_PIXEL(img, 300, a.bottom - 1, qRgb(255, 255, 255));
        EXPECT_PIXEL(img, a.right, 200, qRgb(10, 20, 30));
        // No grid: every interior pixel is the fill.
        for (int y = a.top + 1; y < a.bottom - 1; ++y)
            for (int x = a.left + 1; x < a.right - 1; x += 7)
                EXPECT_PIXEL(img, x, y, qRgb(0, 0, 0));
        // The rest of the rectangle is the caller's.
        EXPECT_PIXEL(img, 5, 5, qRgb(10, 20, 30));
    }

    void gridLinesAndSeriesAtComputedPixels() {
        CVPlot plot;
        plot.showLegend = 0;
        for (int x = 0; x < 100; ++x)
            plot.AddPoint(0, 50.0, x);
        plot.AddPoint(1, 0.0, 0.0);
        plot.AddPoint(1, 100.0, 99.0);
        const QImage img = DrawPlot(plot, QSize(800, 400));
        const VPlotRanges& g = plot.ranges;
        const PlotRect a = plot.layout.plotArea;
        // X candidates 0, 18, ..., 90 of the span 99 rounded to 90; 0 lies on the left edge.
        for (double t : {18.0, 36.0, 54.0, 72.0, 90.0})
            EXPECT_PIXEL(img, g.Column(t), a.top + 3, qRgb(255, 255, 255));
        EXPECT_PIXEL(img, g.Column(9.0), a.top + 3, qRgb(0, 0, 0));
        // Series 0 is the horizontal line at 50 in green; series 1 the red diagonal.
        const int row = g.Row(50.0);
        EXPECT_PIXEL(img, g.Column(30.0) + 1, row, qRgb(0, 255, 0));
        const int c = g.Column(20.0);
        const int expected = g.Row(100.0 * 20.0 / 99.0);
        bool red = false;
        for (int y = expected - 2; y <= expected + 2; ++y)
            red = red || (img.pixel(c, y) & 0xffffff) == 0xff0000;
        QVERIFY2(red, "the diagonal passes its computed row");
    }

    void longSeriesDrawByColumnAsEveryPointJoined() {
        // A day of noisy samples squeezed into a few hundred columns, a spike among them, and
        // a series with a few far-apart points: the line drawn from the few points per column
        // covers the pixels of the line through every point.
        CVPlot plot;
        std::uint32_t seed = 7;
        auto noise = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return static_cast<double>(seed >> 8) / 16777216.0 - 0.5;
        };
        double v = 0.0;
        for (int i = 0; i < 86400; ++i) {
            v += noise() - v * 0.001;
            plot.AddPoint(0, i == 40000 ? 60.0 : v, i);
            plot.AddPoint(2, v * 0.5 + std::sin(i * 1e-3), i);
        }
        for (int i = 0; i < 6; ++i)
            plot.AddPoint(1, i * 3.0 - 8.0, i * 17000.0);
        const QSize size(700, 300);
        const QImage byColumn = DrawPlot(plot, size);
        plot.drawEveryPoint = true;
        const QImage everyPoint = DrawPlot(plot, size);
        int differing = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                differing += byColumn.pixel(x, y) != everyPoint.pixel(x, y);
        // The stroker leaves out or adds a single end pixel where a line turns back, so a
        // handful of lone pixels may differ; a lost extreme would differ by whole runs.
        QVERIFY2(differing <= 16, qPrintable(QString::number(differing)));
        // The spike is there: a raw pixel at its row.
        const PlotRect& a = plot.layout.plotArea;
        const int spikeRow = plot.ranges.Row(60.0);
        bool spike = false;
        for (int x = a.left; x < a.right && !spike; ++x)
            spike = byColumn.pixel(x, spikeRow) == plot.seriesColours[0].rgb();
        QVERIFY(spike);
    }

    void yTickLabels() {
        QCOMPARE(YTickLabel(QStringLiteral("%G"), 1e-21), QStringLiteral("0"));
        QCOMPARE(YTickLabel(QStringLiteral("%G"), -1e-21), QStringLiteral("0"));
        QCOMPARE(YTickLabel(QStringLiteral("%G"), 1e-19), QStringLiteral("1E-19"));
        QCOMPARE(YTickLabel(QStringLiteral("%.06f"), -33.8765432), QStringLiteral("-33.876543"));
        // The X labels keep what they get.
        QCOMPARE(FormatDouble(QStringLiteral("%G"), 1e-21), QStringLiteral("1E-21"));

        // A tick a hair below zero reads as zero, never "-0": on both axes, in every format
        // the plots use.
        const struct {
            const char* format;
            double value;
            const char* label;
        } cases[] = {
            {"%.03f", -0.0004, "0.000"},
            {"%.03f", -0.0005, "-0.001"},
            {"%.06f", -4e-7, "0.000000"},
            {"%.06f", -33.8765432, "-33.876543"},
            {"%G", -0.0, "0"},
            {"%G", -1e-7, "-1E-07"},
            {"%.0f", -0.4, "0"},
            {"%8.3f", -0.0001, "   0.000"},
            {"%.2e", -1e-300 * 1e-300, "0.00e+00"},
            {"%.03f", -10.0004, "-10.000"},
            {"%.03f", 0.0004, "0.000"},
            {"%G", -100.0, "-100"},
        };
        for (const auto& c : cases) {
            const QString format = QString::fromLatin1(c.format);
            QCOMPARE(FormatDouble(format, c.value), QString::fromLatin1(c.label));
            QCOMPARE(YTickLabel(format, c.value), QString::fromLatin1(c.label));
        }
    }

    void positionPlotFirstSampleText() {
        CPositionPlotWnd w;
        w.AddPosition(-33.8765432, 151.2, 12.3456);
        QCOMPARE(w.ValueText(),
                 QStringLiteral("-33.87654\n151.20000\n12.346 M\n\n0.00000\n0.00000\n0.000 M\n\n"
                                "-33.87654\n151.20000\n12.346 M\n\n1\n"));
        QCOMPARE(w.m_plots[0].Series(CPositionPlotWnd::RawSeries).pointCount, 1u);
        QCOMPARE(w.m_plots[2].Series(CPositionPlotWnd::AvgSeries).pointCount, 1u);
        QCOMPARE(w.m_plots[1].Series(CPositionPlotWnd::LsfSeries).pointCount, 0u);
    }

    void positionPlotFitSegmentFromTheSixthSample() {
        CPositionPlotWnd w;
        for (int i = 1; i <= 5; ++i)
            w.AddPosition(10.0 + i, 20.0, 100.0 + 2 * i);
        QCOMPARE(w.m_plots[2].Series(CPositionPlotWnd::LsfSeries).pointCount, 0u);
        w.AddPosition(16.0, 20.0, 112.0);
        const PlotSeries& lsf = w.m_plots[2].Series(CPositionPlotWnd::LsfSeries);
        QCOMPARE(lsf.pointCount, 2u);
        QCOMPARE(lsf.xMin, 1.0);
        QCOMPARE(lsf.xMax, 6.0);
        // Altitude 102..112 on a straight line: the segment runs through both ends.
        QVERIFY(std::fabs(lsf.yMin - 102.0) < 1e-9);
        QVERIFY(std::fabs(lsf.yMax - 112.0) < 1e-9);
        // Raw samples sit one unit left of the fitted sample numbers.
        QCOMPARE(w.m_plots[0].Series(CPositionPlotWnd::RawSeries).xMax, 5.0);
        w.AddPosition(17.0, 20.0, 114.0);
        QCOMPARE(w.m_plots[2].Series(CPositionPlotWnd::LsfSeries).pointCount, 2u);
        QCOMPARE(w.sampleCount, 7u);
    }

    void positionPlotClearEmptiesEverything() {
        CPositionPlotWnd w;
        for (int i = 0; i < 8; ++i)
            w.AddPosition(1.0 + i, 2.0, 3.0);
        w.ClearPlots();
        for (const CVPlot& plot : w.m_plots)
            for (int s = 0; s < 3; ++s)
                QCOMPARE(plot.Series(s).pointCount, 0u);
        QCOMPARE(w.sampleCount, 0u);
        QCOMPARE(w.plotX, 0.0);
        QCOMPARE(w.m_averages[0].Average(), 0.0);
        QVERIFY(w.ValueText().endsWith(QStringLiteral("\n\n0\n")));
        w.AddPosition(5.0, 6.0, 7.0);
        QCOMPARE(w.m_plots[0].Series(0).xMin, 0.0);
        QCOMPARE(w.m_averages[0].Average(), 5.0);
    }

    void positionPlotLayoutAndRender() {
        const PositionPlotLayout L = ComputePositionPlotLayout(900, 600);
        QCOMPARE(L.margin, 5);
        QCOMPARE(L.plots.left, 305);
        QCOMPARE(L.plots.right, 895);
        QCOMPARE(L.textBox, (PlotRect{5, 5, 300, 595}));
        QCOMPARE(L.fontPixels, 14);
        QCOMPARE(L.bandHeight, 196); // trunc(590 / 3.0)

        CPositionPlotWnd w;
        for (int i = 0; i < 10; ++i)
            w.AddPosition(51.0 + i * 1e-5, -1.0, 80.0 + i);
        const QImage img = RenderWindow(w, QSize(900, 600));
        // The three plots are framed in grey in their bands.
        for (int q = 0; q < 3; ++q) {
            const PlotRect a = w.m_plots[q].layout.plotArea;
            QCOMPARE(a.left, 305 + 590 / 7);
            QCOMPARE(a.top, 5 + q * 196 + 196 / 10);
            EXPECT_PIXEL(img, a.left, (a.top + a.bottom) / 2, qRgb(96, 96, 96));
        }
        // The text block's outline in the look's foreground, straight along its left side.
        EXPECT_PIXEL(img, 5, 300, kNavy);
        EXPECT_PIXEL(img, 299, 300, kNavy);
        EXPECT_PIXEL(img, 150, 5, kNavy);
        // Outside the plots and the block: the look's page background.
        EXPECT_PIXEL(img, 302, 2, qRgb(219, 216, 209));
    }

    void positionPlotMenuReachesTheTopLevel() {
        CommandSink frame;
        auto* w = new CPositionPlotWnd(&frame);
        QAction* clear = ActionWithId(w->ContextMenu(), Cmd::ClearPositionPlots);
        QVERIFY(clear);
        QCOMPARE(clear->text(), QStringLiteral("&Clear plots"));
        clear->trigger();
        QCOMPARE(frame.ids, std::vector<int>{32813});
    }

    void scatterPointsColouredByTheThreshold() {
        CScatterPlotWnd w;
        w.AddPosition(51.5, -0.1, 10.0, 3.00, 1.0);    // centre, at the threshold
        w.AddPosition(51.5002, -0.1, 10.0, 3.01, 1.0); // north, above it
        w.AddPosition(51.5, -0.0997, 10.0, 1.00, 1.0); // east
        const QSize size(600, 400);
        const QImage img = RenderWindow(w, size);
        const ScatterProjection& p = w.projection;
        QCOMPARE(p.side, 400);
        QCOMPARE(p.squareLeft, 100);
        const auto at = [&](int i) {
            const CScatterPlotPosition& s = w.positions[i];
            return QPoint(p.Column(s.longitude), p.Row(s.latitude));
        };
        // The centre sample sits on the middle pixel, under the cross (within the truncation
        // of the box's corners to micro-degrees).
        QVERIFY(std::abs(at(0).x() - 300) <= 1 && std::abs(at(0).y() - 200) <= 1);
        EXPECT_PIXEL(img, at(0).x() + 1, at(0).y() + 1, qRgb(128, 128, 255));
        EXPECT_PIXEL(img, at(1).x() - 1, at(1).y() - 1, qRgb(255, 128, 128));
        EXPECT_PIXEL(img, at(1).x() + 1, at(1).y() + 1, qRgb(255, 128, 128));
        QVERIFY(at(1).y() < at(0).y()); // north is up
        QVERIFY(at(2).x() > at(0).x()); // east is right
        EXPECT_PIXEL(img, at(2).x(), at(2).y(), qRgb(128, 128, 255));
        // The latest-sample circle: 10 pixels left of the latest sample, on its row.
        EXPECT_PIXEL(img, at(2).x() - 10, at(2).y(), qRgb(255, 255, 128));
        // The cross lines and a zoom button's outline in the foreground colour.
        EXPECT_PIXEL(img, 20, 200, kNavy);
        EXPECT_PIXEL(img, 300, 390, kNavy);
        EXPECT_PIXEL(img, 600 - 45, 20, kNavy);
        EXPECT_PIXEL(img, 600 - 6, 80, kNavy);
        QCOMPARE(w.zoomInRect, QRect(555, 3, 40, 40));
        QCOMPARE(w.zoomOutRect, QRect(555, 63, 40, 40));
        QVERIFY(w.DistanceText().startsWith(QStringLiteral("Horiz Error = ")));
        QVERIFY(w.DistanceText().endsWith(QStringLiteral("\nSamples = 3\n")));
    }

    void scatterRingsWithTheDefaultRadius() {
        CScatterPlotWnd w;
        w.AddPosition(-33.9, 151.2, 0, 1, 1);
        QCOMPARE(w.DistanceText(), QStringLiteral("Horiz Error = 0.00m\nSamples = 1\n"));
        // The square spans about 141 m: 1 m is under 10 pixels up to a side of about 700,
        // 5 m up to about 140.
        const std::vector<ScatterRing> small = w.Rings(QSize(120, 120));
        const std::vector<ScatterRing> large = w.Rings(QSize(600, 600));
        auto ring = [](const std::vector<ScatterRing>& rings, double r) {
            for (const ScatterRing& x : rings)
                if (x.radius == r)
                    return x;
            return ScatterRing{};
        };
        QVERIFY(!ring(large, 1).drawn);
        QVERIFY(!ring(small, 5).drawn);
        QVERIFY(ring(large, 5).drawn);
        // The square's corners are 100 m out: the 100 m ring is wider than the square.
        QVERIFY(ring(large, 100).drawn);
        QVERIFY(ring(large, 100).diameter > 600);
        QVERIFY(!ring(large, 1000).drawn);
        // Drawn where computed: the 50 m ring's top on the middle column.
        const QImage img = RenderWindow(w, QSize(600, 600));
        const ScatterRing r50 = ring(large, 50);
        QVERIFY(r50.drawn);
        EXPECT_PIXEL(img, r50.box.left() + r50.diameter / 2 + 1, r50.box.top(), kNavy);
    }

    void scatterZoomButtonsAndWheel() {
        CScatterPlotWnd w;
        w.resize(600, 400);
        {
            QImage img = RenderWindow(w, w.size()); // sets the button rectangles
            (void)img;
        }
        const QPoint plus = w.zoomInRect.center();
        const QPoint minus = w.zoomOutRect.center();
        QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, plus);
        QCOMPARE(w.pressedButton, CScatterPlotWnd::ZoomInButton);
        const QImage pressed = RenderWindow(w, w.size());
        EXPECT_PIXEL(pressed, w.zoomInRect.left() + 3, w.zoomInRect.top() + 30,
                     qRgb(255, 255, 255));
        // Released over "-" after pressing "+": zooms out.
        QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, minus);
        QCOMPARE(w.viewRadius, 120.0);
        QCOMPARE(w.pressedButton, CScatterPlotWnd::NoButton);
        // Released elsewhere: no zoom.
        QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, plus);
        QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 300));
        QCOMPARE(w.viewRadius, 120.0);
        // A press away from the buttons arms nothing.
        QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(10, 300));
        QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, plus);
        QCOMPARE(w.viewRadius, 120.0);
        QTest::mouseClick(&w, Qt::LeftButton, Qt::NoModifier, plus);
        QCOMPARE(w.viewRadius, 100.0);

        auto wheel = [&](int delta) {
            QWheelEvent e(QPointF(50, 50), w.mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&w, &e);
        };
        wheel(-120);
        QCOMPARE(w.viewRadius, 120.0);
        wheel(120);
        // No vertical rotation (a sideways event) zooms neither way.
        wheel(0);
        QCOMPARE(w.viewRadius, 100.0);
        wheel(120);
        QCOMPARE(w.viewRadius, 80.0);
    }

    void scatterMenuCommandsAndMarks() {
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        CommandSink frame;
        auto* w = new CScatterPlotWnd(&frame);
        QMenu* menu = w->ContextMenu();
        const QStringList texts = [&] {
            QStringList t;
            for (QAction* a : menu->actions())
                t << (a->isSeparator() ? QStringLiteral("-") : a->text());
            return t;
        }();
        QCOMPARE(texts, (QStringList{"Center Next Position Sample", "Center On Average",
                                     "Center To User Position...", "-", "&Clear Plot", "-",
                                     "Export Positions..."}));
        WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Scatter Plot Mode"), 1);
        emit menu->aboutToShow();
        QVERIFY(ActionWithId(menu, Cmd::CenterOnAverage)->isChecked());
        QVERIFY(!ActionWithId(menu, Cmd::CenterNextSample)->isChecked());
        for (int id : {32820, 32818, 32821, 32796})
            ActionWithId(menu, id)->trigger();
        QCOMPARE(frame.ids, (std::vector<int>{32820, 32818, 32821, 32796}));
    }
};

QTEST_MAIN(PlotsRenderTest)
#include "PlotsRenderTest.moc"
