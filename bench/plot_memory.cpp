// plot_memory: feeds a day at 10 Hz (864,000 fixes) to the position plot and the scatter plot
// as fast as they take them and reports the bytes the position plot's series hold and the
// peak resident size of the process. "--unbounded" keeps every point, for comparison.
// Run with QT_QPA_PLATFORM=offscreen (set here when unset).

#include <QApplication>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sys/resource.h>

#include "displays/CPositionPlotWnd.h"
#include "displays/CScatterPlotWnd.h"
#include "displays/PositionSample.h"

namespace {

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const bool unbounded = argc > 1 && std::strcmp(argv[1], "--unbounded") == 0;
    constexpr std::uint32_t kSamples = 864000;

    CPositionPlotWnd plot;
    CScatterPlotWnd scatter;
    if (unbounded)
        for (CVPlot& p : plot.m_plots)
            p.SetHistoryBound(PlotHistoryBound::Unbounded());
    const long before = PeakRssKiB();

    std::mt19937 rng(17);
    std::normal_distribution<double> noise(0.0, 1.0);
    PositionSample s;
    s.fixQuality = 1;
    s.hdop = 0.9;
    for (std::uint32_t i = 0; i < kSamples; ++i) {
        s.latitude = 51.4778 + noise(rng) * 1e-5;
        s.longitude = -0.0015 + noise(rng) * 1e-5;
        s.altitude = 42.0 + noise(rng);
        s.utcMs = 1796947200000 + static_cast<std::int64_t>(i) * 100;
        scatter.AddSample(s);
        plot.AddSample(s);
    }

    std::size_t bytes = 0;
    std::uint32_t points = 0;
    for (const CVPlot& p : plot.m_plots)
        for (int i = 0; i < CVPlot::kSeriesCount; ++i) {
            bytes += p.Series(i).BytesHeld();
            points += p.Series(i).pointCount;
        }
    std::printf("%s position plot: %u samples fed, %u points kept in 9 series, %.1f MB held\n",
                unbounded ? "unbounded" : "bounded", kSamples, points, bytes / 1e6);
    std::printf("scatter plot: %zu samples kept\n", scatter.positions.size());
    std::printf("peak RSS: %.1f MB before feeding, %.1f MB after\n", before / 1024.0,
                PeakRssKiB() / 1024.0);
    return 0;
}
