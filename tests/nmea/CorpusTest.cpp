#include "NmeaTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ExpectSameModel(const CNMEAParserWin32& a, const CNMEAParserWin32& b) {
    EXPECT_EQ(std::memcmp(&a.gga, &b.gga, sizeof a.gga), 0);
    EXPECT_EQ(std::memcmp(&a.gsa, &b.gsa, sizeof a.gsa), 0);
    EXPECT_EQ(std::memcmp(&a.vtg, &b.vtg, sizeof a.vtg), 0);
    EXPECT_EQ(std::memcmp(&a.gpsSatellites, &b.gpsSatellites, sizeof a.gpsSatellites), 0);
    EXPECT_EQ(std::memcmp(&a.glonassSatellites, &b.glonassSatellites, sizeof a.gpsSatellites), 0);
    EXPECT_EQ(std::memcmp(&a.mergedSatellites, &b.mergedSatellites, sizeof a.gpsSatellites), 0);
}

// Every capture, once in one block and once cut at pseudo-random places, must frame and decode
// to the same callbacks and the same final model.
TEST(Corpus, BlockSplittingChangesNothing) {
    const std::filesystem::path dir = TB_CORPUS_DIR;
    if (!std::filesystem::is_directory(dir))
        GTEST_SKIP() << "no capture folder at " << dir;
    std::mt19937 random(20261210);
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(dir)) {
        if (!item.is_regular_file())
            continue;
        SCOPED_TRACE(item.path().filename().string());
        const std::string bytes = ReadFile(item.path());
        auto whole = std::make_unique<DecodingParser>();
        whole->Feed(bytes);
        auto split = std::make_unique<DecodingParser>();
        size_t at = 0;
        while (at < bytes.size()) {
            // Mostly short blocks, so that cuts fall inside sentences and checksums.
            const size_t n = std::min<size_t>(bytes.size() - at, 1 + random() % 97);
            split->Feed(bytes.substr(at, n));
            at += n;
        }
        EXPECT_EQ(split->calls.size(), whole->calls.size());
        EXPECT_TRUE(split->calls == whole->calls);
        ExpectSameModel(*whole, *split);
        ++files;
    }
    EXPECT_GT(files, 0);
}

// Our own sample capture decodes to a sensible model.
TEST(SampleCapture, DecodesAllSentenceKinds) {
    const std::string bytes = ReadFile(std::filesystem::path(TB_TEST_DATA_DIR) / "sample.nmea");
    ASSERT_FALSE(bytes.empty());
    auto p = std::make_unique<DecodingParser>();
    p->Feed(bytes);
    for (const Callback& c : p->calls)
        EXPECT_TRUE(c.good) << c.address << "," << c.data;
    EXPECT_GT(p->gga.count, 0u);
    EXPECT_GT(p->gsa.count, 1u);
    EXPECT_GT(p->gpsSatellites.count, 0u);
    EXPECT_GT(p->glonassSatellites.count, 0u);
    EXPECT_NE(p->gsa.glonassPrns[0], 0);
    EXPECT_NE(p->vtg.speedKmh, 0.0);
}

} // namespace
