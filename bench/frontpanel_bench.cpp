// Front panel paint at 1920 x 1080: 24 satellites, a mask recorded at every azimuth and a
// full trail ring (9,999 points). Run with QT_QPA_PLATFORM=offscreen (set here when unset).

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

#include "displays/CFrontPanelStatusWnd.h"
#include "nmea/DisplaySnapshot.h"
#include "uisupport/LookColours.h"

namespace {

DisplaySnapshot BusySky() {
    DisplaySnapshot s{};
    s.latitude = 52.123456;
    s.longitude = 4.654321;
    s.altitude = 12.5;
    s.satellitesUsed = 14;
    s.satellitesInView = 24;
    const int prns[24] = {2,  5,  7,  9,  12, 13, 15, 17, 19, 21, 24, 28,
                          33, 40, 44, 65, 66, 70, 71, 72, 78, 80, 81, 88};
    for (int i = 0; i < 24; ++i)
        s.satellites[i] =
            SnapshotSatellite{prns[i], i * 15, 10 + (i * 7) % 80, 20 + i, i % 3 != 0, {}};
    s.gpsHdop = 0.9;
    s.gpsVdop = 1.4;
    s.gpsPdop = 1.7;
    s.glonassHdop = 1.1;
    s.glonassVdop = 1.6;
    s.glonassPdop = 1.9;
    s.sbasSeen = 1;
    s.glonassSeen = 1;
    return s;
}

void PrepareSkyPlot(CAzimuthElevationWnd& plot) {
    for (int a = 0; a < 360; ++a)
        plot.maskElevation[a] = 5.0 + (a * 13) % 30;
    // Moving one slot through 10,000 places fills the ring to its 9,999 points.
    DisplaySnapshot s{};
    for (int k = 0; k < 10000; ++k) {
        s.satellites[0] = SnapshotSatellite{3, k % 360, (k / 360) % 90, 40, 0, {}};
        plot.UpdateSatellites(s);
    }
}

// The busy sky handed to the page, whose sky plot has hours of tracking behind it.
void PrepareBusyPage(CFrontPanelStatusWnd& page) {
    PrepareSkyPlot(page.m_skyPlot);
    page.ShowSnapshot(BusySky());
}

void BM_FrontPanelPaint1920x1080(benchmark::State& state) {
    CFrontPanelStatusWnd page(nullptr);
    PrepareBusyPage(page);
    if (page.m_skyPlot.trailCount != 9999)
        state.SkipWithError("trail ring not full");
    const QSize size(1920, 1080);
    // As the paint handler does: the off-screen image of the client size, one render per paint.
    QImage buffer(size, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&buffer);
        page.Render(p, size);
        p.end();
        benchmark::DoNotOptimize(buffer.constBits());
    }
}
// Repeated so that the median is reported: the goal is a median paint under 5 ms.
BENCHMARK(BM_FrontPanelPaint1920x1080)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The four drawing steps alone, to see where a paint spends its time.
void BM_FrontPanelStep(benchmark::State& state) {
    CFrontPanelStatusWnd page(nullptr);
    PrepareBusyPage(page);
    const QSize size(1920, 1080);
    QImage buffer(size, QImage::Format_RGB32);
    const FrontPanelLayout L = ComputeFrontPanelLayout(size);
    for (auto _ : state) {
        QPainter p(&buffer);
        switch (state.range(0)) {
        case 0:
            FillLookBackground(p, QRect(QPoint(0, 0), size));
            break;
        case 1:
            page.DrawStatusText(p, L.textBox);
            break;
        case 2:
            page.m_skyPlot.Draw(p, L.skyPlot);
            break;
        case 3:
            page.DrawSignalBars(p, L.chart);
            break;
        }
    }
}
BENCHMARK(BM_FrontPanelStep)->ArgName("step")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
