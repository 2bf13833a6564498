// Appending the frame's 32 KB chunks of NMEA text to the monitor's receive pane, with the
// pane empty, half full and full (50000 lines). The time per append should not grow with the
// pane. Each benchmark also reports the median and the slowest single append.
//
// A last benchmark feeds a stream without line breaks, whose appends must stay as quick.
//
// Run: ./bench_monitor [--benchmark_filter=...]   (offscreen unless QT_QPA_PLATFORM is set)

#include "monitor/CLogEditCtrl.h"
#include "monitor/CNMEAMonitorWnd.h"

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// About 32768 bytes of the sentences a receiver sends every second.
std::string NmeaChunk(int serial) {
    static const char* const templates[] = {
        "$GPGGA,%06d.00,4807.03812,N,01131.00021,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
        "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n",
        "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74\r\n",
        "$GLGSV,2,1,08,65,28,048,31,66,67,341,35,72,18,161,,73,09,318,*6A\r\n",
        "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n",
    };
    std::string chunk;
    chunk.reserve(32768 + 128);
    char line[128];
    for (int i = 0; chunk.size() < 32768 - 100; ++i) {
        std::snprintf(line, sizeof line, templates[i % 5], (serial + i) % 240000);
        chunk += line;
    }
    return chunk;
}

void Fill(CNMEAMonitorWnd& page, int lines) {
    const std::string chunk = NmeaChunk(0);
    while (page.m_editRx->LineCount() < lines) {
        page.AppendRx(chunk.c_str());
    }
}

void Run(benchmark::State& state, bool paint) {
    CNMEAMonitorWnd page(nullptr);
    page.resize(1024, 700);
    if (paint)
        page.show();
    Fill(page, int(state.range(0)));
    std::vector<std::string> chunks;
    for (int i = 0; i < 8; ++i)
        chunks.push_back(NmeaChunk(i * 1000));

    std::vector<double> ms;
    size_t i = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        page.AppendRx(chunks[i++ % chunks.size()].c_str());
        if (paint)
            page.m_editRx->viewport()->repaint();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms.empty() ? 0 : ms[ms.size() / 2];
    state.counters["max_ms"] = ms.empty() ? 0 : ms.back();
    state.counters["lines_after"] = page.m_editRx->LineCount();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(chunks[0].size()));
}

void BM_AppendRx(benchmark::State& state) {
    Run(state, false);
}
void BM_AppendRxAndPaint(benchmark::State& state) {
    Run(state, true);
}

// A stream without line breaks (noise at the wrong baud rate, a played-back file of another
// kind): the time per append must not grow with how long the stream has run.
void BM_AppendUnbrokenAndPaint(benchmark::State& state) {
    CNMEAMonitorWnd page(nullptr);
    page.resize(1024, 700);
    page.show();
    const std::string chunk(32768, 'x');
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        page.AppendRx(chunk.c_str());
        page.m_editRx->viewport()->repaint();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    // The last appends against the first: about 1 when flat.
    const size_t tenth = std::max<size_t>(1, ms.size() / 10);
    double first = 0, last = 0;
    for (size_t i = 0; i < tenth; ++i) {
        first += ms[i];
        last += ms[ms.size() - 1 - i];
    }
    state.counters["last_over_first"] = first > 0 ? last / first : 0;
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms.empty() ? 0 : ms[ms.size() / 2];
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(chunk.size()));
}

// 200 appends of ~470 lines each pass the 50000-line limit several times over.
BENCHMARK(BM_AppendRx)
    ->Arg(0)
    ->Arg(25000)
    ->Arg(50000)
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendRxAndPaint)
    ->Arg(0)
    ->Arg(25000)
    ->Arg(50000)
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendUnbrokenAndPaint)->Iterations(100)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir configHome; // the page reads its histories; keep a real store untouched
    setenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
