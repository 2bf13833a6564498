#include "NmeaTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The real decoders, with the snapshot the position thread would take after every GGA.
class SnapshottingParser : public CNMEAParserWin32 {
public:
    SnapshottingParser() { SetPositionHandshake(false); }
    std::unique_ptr<DisplaySnapshot> last = std::make_unique<DisplaySnapshot>();
    int snapshots = 0;

protected:
    bool OnSentence(const char* address, const char* data) override {
        CNMEAParserWin32::OnSentence(address, data);
        if (std::strstr(address, "GGA") != nullptr) {
            CopyModelToSnapshot(*this, *last);
            ++snapshots;
        }
        return true;
    }
};

// Receivers of GP and GL sentences without signal ids see exactly what they always saw: at
// every GGA of every such capture, the snapshot's satellites are the merged list of the two.
class LegacyCheckingParser : public CNMEAParserWin32 {
public:
    LegacyCheckingParser() { SetPositionHandshake(false); }
    std::unique_ptr<DisplaySnapshot> snapshot = std::make_unique<DisplaySnapshot>();
    int checked = 0, differing = 0;

protected:
    bool OnSentence(const char* address, const char* data) override {
        CNMEAParserWin32::OnSentence(address, data);
        bool onlyTheTwoLists = true;
        for (const TalkerSatellites& t : talkers)
            onlyTheTwoLists = onlyTheTwoLists && t.setsInUse == 0;
        if (onlyTheTwoLists && std::strstr(address, "GGA") != nullptr) {
            CopyModelToSnapshot(*this, *snapshot);
            ++checked;
            bool same = snapshot->satellitesInView == mergedSatellites.inView;
            for (int i = 0; i < kSnapshotSatellites; ++i) {
                const SnapshotSatellite& s = snapshot->satellites[i];
                const SatelliteEntry e =
                    i < kMaxSatellites ? mergedSatellites.entries[i] : SatelliteEntry{};
                same = same && s.prn == e.prn && s.azimuth == e.azimuth &&
                       s.elevation == e.elevation && s.snr == e.snr && s.used == e.used;
            }
            differing += same ? 0 : 1;
        }
        return true;
    }
};

TEST(Corpus, GpAndGlWithoutSignalIdsShowTheMergedListAsBefore) {
    const std::filesystem::path dir = TB_CORPUS_DIR;
    if (!std::filesystem::is_directory(dir))
        GTEST_SKIP() << "no capture folder at " << dir;
    int checked = 0;
    for (const auto& item : std::filesystem::directory_iterator(dir)) {
        if (!item.is_regular_file())
            continue;
        SCOPED_TRACE(item.path().filename().string());
        const std::string bytes = ReadFile(item.path());
        auto p = std::make_unique<LegacyCheckingParser>();
        p->FeedBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                     static_cast<uint32_t>(bytes.size()));
        EXPECT_EQ(p->differing, 0);
        checked += p->checked;
    }
    EXPECT_GT(checked, 0);
}

struct LastEpochCase {
    const char* file;
    int snapshots;
    int32_t satellitesInView;
    std::string shown; // as Shown() writes it
    double gpsPdop, glonassPdop;
};

void PrintTo(const LastEpochCase& c, std::ostream* os) {
    *os << c.file;
}

class MultiConstellationCapture : public ::testing::TestWithParam<LastEpochCase> {};

// The last snapshot of a capture against what its sentences before the last GGA say, read off
// them by hand: every system's satellites, the highest SNR of each over its signals, and the
// used marks of each system's own GSA.
TEST_P(MultiConstellationCapture, LastSnapshotShowsTheLastEpoch) {
    const LastEpochCase& c = GetParam();
    const std::filesystem::path path = std::filesystem::path(TB_CORPUS_DIR) / c.file;
    if (!std::filesystem::is_regular_file(path))
        GTEST_SKIP() << "no capture at " << path;
    auto p = std::make_unique<SnapshottingParser>();
    const std::string bytes = ReadFile(path);
    p->FeedBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                 static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(p->snapshots, c.snapshots);
    const DisplaySnapshot& s = *p->last;
    EXPECT_EQ(s.satellitesInView, c.satellitesInView);
    EXPECT_EQ(Shown(s), c.shown);
    EXPECT_DOUBLE_EQ(s.gpsPdop, c.gpsPdop);
    EXPECT_DOUBLE_EQ(s.glonassPdop, c.glonassPdop);
    // Satellites in view counts exactly the satellites shown.
    for (int i = 0; i < kSnapshotSatellites; ++i)
        EXPECT_EQ(s.satellites[i].prn != 0, i < s.satellitesInView) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, MultiConstellationCapture,
    ::testing::Values(
        // Before the last GGA (055304.000): GNGSA system 1 (01 02 07 14 15 17 20 22 30),
        // system 4 (13 27 37), system 2 (73 84), all PDOP 1.5; GPGSV 3 messages, 12 in view
        // (08 with no elevation or azimuth, 24 with no SNR); BDGSV 13 27 37; GLGSV 3 messages,
        // 10 in view (74 75 65 71 72 without SNR). Signal id 0 on every GSV.
        LastEpochCase{"quectel-l76k-nmea.log", 150, 25,
                      "GPS1:20* GPS2:28* GPS7:22* GPS8:16 GPS14:28* GPS15:18* GPS17:20* GPS19:24 "
                      "GPS20:22* GPS22:18* GPS24:0 GPS30:31* "
                      "GLONASS74:0 GLONASS82:33 GLONASS73:32* GLONASS80:16 GLONASS75:0 "
                      "GLONASS65:0 GLONASS84:26* GLONASS83:16 GLONASS71:0 GLONASS72:0 "
                      "BeiDou13:9* BeiDou27:34* BeiDou37:22*",
                      1.5, 1.5},
        // Before the last GGA (223845.00), the epoch of 223844.00: GNGSA system 1 (29 20 10 18
        // 51 13 44 26: SBAS 44 and 51 among them), 2 (82 73 74 67 81 83 68), 3 (03 05 30 27
        // 15), 4 (32 28 30 33 27), PDOP 1.05; GPGSV 4 messages of 16 (SBAS 44 46 51 last),
        // GLGSV 3 of 10, GAGSV 3 of 10, GBGSV 2 of 7, one signal each. GPS 27 is not used
        // although BeiDou 27 is.
        LastEpochCase{"ublox-neo-m9n-nmea.log", 61, 43,
                      "GPS5:0 GPS10:36* GPS13:26* GPS15:0 GPS16:0 GPS18:41* GPS20:39* GPS21:0 "
                      "GPS23:0 GPS25:0 GPS26:35* GPS27:0 GPS29:42* SBAS44:45* SBAS46:43 "
                      "SBAS51:43* "
                      "GLONASS66:0 GLONASS67:41* GLONASS68:44* GLONASS69:22 GLONASS73:28* "
                      "GLONASS74:14* GLONASS81:17* GLONASS82:41* GLONASS83:26* GLONASS84:0 "
                      "Galileo3:38* Galileo5:41* Galileo8:22 Galileo9:0 Galileo13:0 "
                      "Galileo15:39* Galileo21:28 Galileo27:22* Galileo30:27* Galileo36:0 "
                      "BeiDou4:0 BeiDou7:0 BeiDou27:43* BeiDou28:34* BeiDou30:35* BeiDou32:44* "
                      "BeiDou33:33*",
                      1.05, 1.05},
        // Before the last GGA (004024.00), the epoch of 004023.00: GNGSA system 1 (13 16 21 15
        // 10 29 27 20), 2 (82 66 81), 3 (07 12 33), 4 (13 12 22 19 08 21), PDOP 1.18. Two
        // signal sets per talker: GPGSV signals 1 and 6 (L2 mostly without SNR: GPS 10 reads
        // 33 from L1 over 19, GPS 27 32 over 30), GLGSV 1 and 3 (GLONASS 66 34 from L2 over
        // 33, 72 16 from L2 alone), GAGSV 7 and 2 (Galileo 12 35 from the second), GBGSV 1 and
        // one without a signal id (all empty).
        LastEpochCase{"ublox-zed-f9p-nmea.log", 29, 41,
                      "GPS5:18 GPS10:33* GPS13:30* GPS15:12* GPS16:13* GPS20:34* GPS21:29* "
                      "GPS24:0 GPS26:0 GPS27:32* GPS29:19* GPS30:0 "
                      "GLONASS65:0 GLONASS66:34* GLONASS67:0 GLONASS72:16 GLONASS73:0 "
                      "GLONASS74:0 GLONASS81:35* GLONASS82:33* GLONASS87:0 GLONASS88:0 "
                      "Galileo2:0 Galileo4:0 Galileo7:11* Galileo11:0 Galileo12:35* Galileo18:31 "
                      "Galileo19:0 Galileo26:0 Galileo33:12* "
                      "BeiDou1:0 BeiDou3:0 BeiDou4:0 BeiDou8:27* BeiDou10:0 BeiDou12:20* "
                      "BeiDou13:17* BeiDou19:18* BeiDou21:35* BeiDou22:14*",
                      1.18, 1.18},
        // Before the last GGA: the GSA and GSV sentences after the GGA of 000711.00. GNGSA
        // system 1 (08 10 32 23 24 27 28 21 18), 2 (85 68 69 84 83), 4 (12 21 34 44 11 35 36
        // 22: BeiDou 44, not SBAS 44), 3 (12 19 04 33), 5 (none); PDOP 1.16. GPGSV signals 1
        // and 8 (13 in view, SBAS 44 48 51 without SNR; GPS 08 38 over 31), GLGSV signal 1
        // (8, GLONASS 89 without elevation or azimuth), GBGSV signals 1 and 5 (14, the second
        // without SNR), GAGSV signals 7 and 1 (9, the second without SNR).
        LastEpochCase{"unicore-um621.log", 20, 44,
                      "GPS2:0 GPS8:38* GPS10:34* GPS18:19* GPS21:16* GPS23:17* GPS24:19* "
                      "GPS27:21* GPS28:19* GPS32:40* SBAS44:0 SBAS48:0 SBAS51:0 "
                      "GLONASS68:20* GLONASS69:22* GLONASS70:0 GLONASS77:0 GLONASS83:18* "
                      "GLONASS84:16* GLONASS85:20* GLONASS89:30 "
                      "Galileo4:15* Galileo7:0 Galileo10:0 Galileo11:0 Galileo12:10* "
                      "Galileo19:13* Galileo25:0 Galileo26:0 Galileo33:15* "
                      "BeiDou7:0 BeiDou11:16* BeiDou12:18* BeiDou19:0 BeiDou21:36* BeiDou22:17* "
                      "BeiDou34:20* BeiDou35:17* BeiDou36:18* BeiDou40:0 BeiDou42:0 BeiDou43:0 "
                      "BeiDou44:32* BeiDou46:0",
                      1.16, 1.16}),
    [](const auto& info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

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
