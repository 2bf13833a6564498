// Position plot paint at 1920 x 1080 with a full history, side by side with the ways it would
// be drawn without its bound and without drawing by pixel column:
//   bounded   a day at 10 Hz fed through the bound (the plot as the program keeps it);
//   every     the same points, every one joined;
//   unbounded a day at 10 Hz all kept and every one joined (a plot without a bound);
//   minute    ten minutes at 1 Hz, the cost of the text, grid and frames alone.
// And what feeding a day at 10 Hz costs and holds. Run with QT_QPA_PLATFORM=offscreen (set
// here when unset).

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>

#include "displays/CPositionPlotWnd.h"
#include "displays/PositionSample.h"

namespace {

constexpr std::uint32_t kDayAt10Hz = 864000;

// A receiver at rest: a slow wander with noise, so that every column of the plot holds a
// spread of values as in a real day.
void FeedDay(CPositionPlotWnd& plot, std::uint32_t samples) {
    std::mt19937 rng(17);
    std::normal_distribution<double> noise(0.0, 1.0);
    PositionSample s;
    s.fixQuality = 1;
    double lat = 51.4778, lon = -0.0015;
    for (std::uint32_t i = 0; i < samples; ++i) {
        lat += noise(rng) * 2e-7 - (lat - 51.4778) * 1e-4;
        lon += noise(rng) * 2e-7 - (lon + 0.0015) * 1e-4;
        s.latitude = lat;
        s.longitude = lon;
        s.altitude = 42.0 + 3.0 * std::sin(i * 1e-4) + noise(rng);
        plot.AddSample(s);
    }
}

std::size_t BytesHeld(const CPositionPlotWnd& plot) {
    std::size_t bytes = 0;
    for (const CVPlot& p : plot.m_plots)
        for (int i = 0; i < CVPlot::kSeriesCount; ++i)
            bytes += p.Series(i).BytesHeld();
    return bytes;
}

enum Way { Bounded = 0, EveryPoint = 1, Unbounded = 2, Minute = 3 };

void BM_PositionPlotPaint1920x1080(benchmark::State& state) {
    const Way way = static_cast<Way>(state.range(0));
    auto plot = std::make_unique<CPositionPlotWnd>();
    for (CVPlot& p : plot->m_plots) {
        if (way == Unbounded)
            p.SetHistoryBound(PlotHistoryBound::Unbounded());
        p.drawEveryPoint = way == EveryPoint || way == Unbounded;
    }
    FeedDay(*plot, way == Minute ? 600 : kDayAt10Hz);
    const QSize size(1920, 1080);
    QImage buffer(size, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&buffer);
        plot->Render(p, size);
        p.end();
        benchmark::DoNotOptimize(buffer.constBits());
    }
    state.counters["points"] = static_cast<double>(plot->m_plots[0].Series(0).pointCount);
    state.counters["MB"] = static_cast<double>(BytesHeld(*plot)) / 1e6;
}
BENCHMARK(BM_PositionPlotPaint1920x1080)
    ->ArgName("way")
    ->Arg(Bounded)
    ->Arg(EveryPoint)
    ->Arg(Unbounded)
    ->Arg(Minute)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The whole day fed in one go, faster than real time: what each sample costs with the
// bound's thinning, and what the plot holds at the end.
void BM_PositionPlotFeedDayAt10Hz(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto plot = std::make_unique<CPositionPlotWnd>();
        if (state.range(0) == 1)
            for (CVPlot& p : plot->m_plots)
                p.SetHistoryBound(PlotHistoryBound::Unbounded());
        FeedDay(*plot, kDayAt10Hz);
        bytes = BytesHeld(*plot);
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kDayAt10Hz);
}
BENCHMARK(BM_PositionPlotFeedDayAt10Hz)
    ->ArgName("unbounded")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

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
