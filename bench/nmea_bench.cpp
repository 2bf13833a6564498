// FeedBytes through the framer and every decoder, over a dense receiver stream and over the
// whole capture folder. Captures that are not there are skipped with a message.
//
// DenseStreamLeanC reads the same dense stream with a lean C reader (lean_nmea.c): the
// yardstick for the decoder, run in the same binary so that both see the same machine.

#include "lean_nmea.h"
#include "nmea/CNMEAParserWin32.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Decode(benchmark::State& state, const std::vector<std::string>& files) {
    size_t total = 0;
    for (const std::string& f : files)
        total += f.size();
    if (total == 0) {
        state.SkipWithError("capture not found");
        return;
    }
    auto parser = std::make_unique<CNMEAParserWin32>();
    parser->SetPositionHandshake(false);
    for (auto _ : state) {
        for (const std::string& f : files)
            parser->FeedBytes(reinterpret_cast<const uint8_t*>(f.data()),
                              static_cast<uint32_t>(f.size()));
        benchmark::DoNotOptimize(parser->gga);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
}

const std::string& DenseStreamBytes() {
    static const std::string bytes =
        ReadFile(std::filesystem::path(TB_CORPUS_DIR) / "ublox-neo-m9n-nmea.log");
    return bytes;
}

void DenseStream(benchmark::State& state) {
    Decode(state, {DenseStreamBytes()});
}

void DenseStreamLeanC(benchmark::State& state) {
    const std::string& f = DenseStreamBytes();
    if (f.empty()) {
        state.SkipWithError("capture not found");
        return;
    }
    auto lean = std::make_unique<lean_state>();
    lean_init(lean.get());
    for (auto _ : state) {
        lean_feed(lean.get(), reinterpret_cast<const uint8_t*>(f.data()), f.size());
        benchmark::DoNotOptimize(lean->gga);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.size()));
    state.counters["sentences"] = benchmark::Counter(static_cast<double>(lean->sentences) /
                                                     static_cast<double>(state.iterations()));
}

void WholeCorpus(benchmark::State& state) {
    static const std::vector<std::string> files = [] {
        std::vector<std::string> all;
        std::error_code ec;
        for (const auto& item : std::filesystem::directory_iterator(TB_CORPUS_DIR, ec))
            if (item.is_regular_file())
                all.push_back(ReadFile(item.path()));
        return all;
    }();
    Decode(state, files);
}

void SampleCapture(benchmark::State& state) {
    static const std::vector<std::string> files = {
        ReadFile(std::filesystem::path(TB_TEST_DATA_DIR) / "sample.nmea")};
    Decode(state, files);
}

} // namespace

BENCHMARK(DenseStream);
BENCHMARK(DenseStreamLeanC);
BENCHMARK(WholeCorpus);
BENCHMARK(SampleCapture);
