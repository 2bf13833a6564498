// Receivers that report every constellation: talkers, signal sets, GSA sentences with a system
// id, and what the snapshot shows of them.

#include "NmeaTestSupport.h"
#include "nmea/DisplaySnapshot.h"
#include "nmea/SentenceDecoders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The model and snapshot are tens of kilobytes: both live on the heap.
struct Receiver {
    std::unique_ptr<DecodingParser> parser = std::make_unique<DecodingParser>();
    std::unique_ptr<DisplaySnapshot> snapshot = std::make_unique<DisplaySnapshot>();

    void Feed(const std::vector<std::string>& bodies) {
        for (const std::string& b : bodies)
            parser->FeedSentence(b);
    }
    const DisplaySnapshot& Snapshot() {
        CopyModelToSnapshot(*parser, *snapshot);
        return *snapshot;
    }
};

struct ShownCase {
    const char* name;
    std::vector<std::string> sentences;
    std::string shown;
};

void PrintTo(const ShownCase& c, std::ostream* os) {
    *os << c.name;
}

class SnapshotShows : public ::testing::TestWithParam<ShownCase> {};

TEST_P(SnapshotShows, TheSatellitesOfEachSystem) {
    Receiver r;
    r.Feed(GetParam().sentences);
    const DisplaySnapshot& s = r.Snapshot();
    EXPECT_EQ(Shown(s), GetParam().shown);
    // Every satellite shown is counted, and nothing after them is left in the snapshot.
    for (int i = std::max(0, s.satellitesInView); i < kSnapshotSatellites; ++i)
        ASSERT_EQ(s.satellites[i].prn, 0) << i;
}

// Which system a satellite belongs to: GP and GN by PRN range, the other talkers by name.
INSTANTIATE_TEST_SUITE_P(
    TalkerMapping, SnapshotShows,
    ::testing::Values(
        ShownCase{"GpByPrnRange",
                  {"GPGSV,1,1,04,05,10,020,30,40,11,021,31,70,12,022,32,99,13,023,33,1"},
                  "GPS5:30 SBAS40:31 GLONASS70:32 GPS99:33"},
        ShownCase{"GpWithoutSignalId",
                  {"GPGSV,1,1,02,05,10,020,30,70,12,022,32"},
                  "GPS5:30 GLONASS70:32"},
        ShownCase{"GnByPrnRange",
                  {"GNGSV,1,1,03,05,10,020,30,40,11,021,31,70,12,022,32"},
                  "GPS5:30 SBAS40:31 GLONASS70:32"},
        ShownCase{"GlWhateverThePrn",
                  {"GLGSV,1,1,02,05,10,020,30,70,12,022,32,1"},
                  "GLONASS5:30 GLONASS70:32"},
        ShownCase{"Ga", {"GAGSV,1,1,01,12,10,020,30,7"}, "Galileo12:30"},
        ShownCase{"Gb", {"GBGSV,1,1,01,21,10,020,30,1"}, "BeiDou21:30"},
        ShownCase{"Bd", {"BDGSV,1,1,01,21,10,020,30"}, "BeiDou21:30"},
        ShownCase{"Gq", {"GQGSV,1,1,01,02,10,020,30,1"}, "QZSS2:30"},
        ShownCase{"Qz", {"QZGSV,1,1,01,02,10,020,30"}, "QZSS2:30"},
        ShownCase{"Gi", {"GIGSV,1,1,01,03,10,020,30,1"}, "NavIC3:30"},
        ShownCase{"UnknownTalker", {"GXGSV,1,1,01,05,10,020,30", "PQGSV,1,1,01,05,10,020,30"}, ""},
        // Talker order in the snapshot, whatever order the sentences came in.
        ShownCase{"TalkerOrder",
                  {"GIGSV,1,1,01,03,10,020,30,1", "GAGSV,1,1,01,12,10,020,31,7",
                   "GLGSV,1,1,01,70,10,020,32,1", "GPGSV,1,1,01,05,10,020,33,1"},
                  "GPS5:33 GLONASS70:32 Galileo12:31 NavIC3:30"}),
    [](const auto& info) { return std::string(info.param.name); });

// A talker's satellites are those of its latest epoch, every signal set once, at the highest
// SNR; an empty SNR is no SNR.
INSTANTIATE_TEST_SUITE_P(
    SignalSets, SnapshotShows,
    ::testing::Values(
        ShownCase{
            "SecondSetWithoutSnr",
            {"GPGSV,1,1,02,05,10,020,35,07,11,021,33,1", "GPGSV,1,1,02,05,10,020,,09,12,022,25,6"},
            "GPS5:35 GPS7:33 GPS9:25"},
        ShownCase{"FirstSetWithoutSnr",
                  {"GPGSV,1,1,01,05,10,020,,1", "GPGSV,1,1,01,05,10,020,29,6"},
                  "GPS5:29"},
        ShownCase{"NeitherWithSnr",
                  {"GAGSV,1,1,01,05,10,020,,7", "GAGSV,1,1,01,05,10,020,,2"},
                  "Galileo5:0"},
        ShownCase{"SecondHigher",
                  {"GLGSV,1,1,01,70,10,020,20,1", "GLGSV,1,1,01,70,10,020,41,3"},
                  "GLONASS70:41"},
        ShownCase{"FirstHigher",
                  {"GLGSV,1,1,01,70,10,020,41,1", "GLGSV,1,1,01,70,10,020,20,3"},
                  "GLONASS70:41"},
        // Empty is none, not 0: an SNR below 0 still wins over it.
        ShownCase{"EmptyIsNotZero",
                  {"GBGSV,1,1,01,08,10,020,,1", "GBGSV,1,1,01,08,10,020,-3,"},
                  "BeiDou8:-3"},
        // The empty field after the last satellite is a signal set of its own (no id).
        ShownCase{
            "EmptySignalIdField",
            {"GBGSV,1,1,02,08,49,229,27,12,66,330,,1", "GBGSV,1,1,02,08,49,229,,12,66,330,20,"},
            "BeiDou8:27 BeiDou12:20"},
        ShownCase{"SetsOfSeveralMessages",
                  {"GAGSV,2,1,05,02,00,179,,04,09,321,,07,11,134,11,11,10,227,,7",
                   "GAGSV,2,2,05,12,62,237,30,7",
                   "GAGSV,2,1,05,02,00,179,,04,09,321,14,07,11,134,,11,10,227,,2",
                   "GAGSV,2,2,05,12,62,237,35,2"},
                  "Galileo2:0 Galileo4:14 Galileo7:11 Galileo11:0 Galileo12:35"},
        // The next epoch begins with the first message of a set heard already; the sets it
        // does not bring and the satellites gone from it are no longer shown.
        ShownCase{"LatestEpochOnly",
                  {"GPGSV,1,1,02,05,10,020,35,07,11,021,33,1",
                   "GPGSV,1,1,02,05,10,020,30,09,12,022,25,6", "GPGSV,1,1,01,05,10,020,36,1"},
                  "GPS5:36"},
        ShownCase{"EachTalkerItsOwnEpoch",
                  {"GPGSV,1,1,01,05,10,020,35,1", "GAGSV,1,1,01,05,10,020,20,7",
                   "GAGSV,1,1,01,09,10,020,21,1", "GPGSV,1,1,01,07,10,020,36,1"},
                  "GPS7:36 Galileo5:20 Galileo9:21"},
        // A fifth signal within one epoch finds no set; in the next epoch it takes the place
        // of a set that epoch has not brought.
        ShownCase{"FifthSignalInOneEpoch",
                  {"GAGSV,1,1,01,01,10,020,21,1", "GAGSV,1,1,01,02,10,020,22,2",
                   "GAGSV,1,1,01,03,10,020,23,3", "GAGSV,1,1,01,04,10,020,24,4",
                   "GAGSV,1,1,01,05,10,020,25,5"},
                  "Galileo1:21 Galileo2:22 Galileo3:23 Galileo4:24"},
        ShownCase{"FifthSignalInTheNextEpoch",
                  {"GAGSV,1,1,01,01,10,020,21,1", "GAGSV,1,1,01,02,10,020,22,2",
                   "GAGSV,1,1,01,03,10,020,23,3", "GAGSV,1,1,01,04,10,020,24,4",
                   "GAGSV,1,1,01,01,10,020,31,1", "GAGSV,1,1,01,05,10,020,25,5"},
                  "Galileo1:31 Galileo5:25"},
        // Sentences without a message count and number from 1 to 9 fill no set.
        ShownCase{"BadMessageNumbers",
                  {"GAGSV,1,1,01,01,10,020,21,7", "GAGSV,3,10,01,02,10,020,22,7",
                   "GAGSV,0,1,01,03,10,020,23,7", "GAGSV,3,0,01,04,10,020,24,7",
                   "GAGSV,,1,01,05,10,020,25,7", "GAGSV,1,,01,06,10,020,26,7"},
                  "Galileo1:21"}),
    [](const auto& info) { return std::string(info.param.name); });

// Which satellites are used: a GSA with a system id sets its own system's list only.
INSTANTIATE_TEST_SUITE_P(
    UsedMarks, SnapshotShows,
    ::testing::Values(
        // The same PRN in three systems: only the one whose GSA lists it is used.
        ShownCase{"SamePrnInThreeSystems",
                  {"GNGSA,A,3,27,,,,,,,,,,,,1.5,0.9,1.2,1", "GNGSA,A,3,12,,,,,,,,,,,,1.5,0.9,1.2,4",
                   "GNGSA,A,3,05,,,,,,,,,,,,1.5,0.9,1.2,3",
                   "GPGSV,1,1,03,12,10,020,30,27,10,020,31,44,10,020,32,1",
                   "GAGSV,1,1,02,05,10,020,33,12,10,020,34,7",
                   "GBGSV,1,1,02,12,10,020,35,27,10,020,36,1"},
                  "GPS12:30 GPS27:31* SBAS44:32 Galileo5:33* Galileo12:34 BeiDou12:35* "
                  "BeiDou27:36"},
        // A BeiDou GSA (its PRNs in the GPS range) no longer passes for the GPS one.
        ShownCase{"BeiDouGsaAfterTheGpsOne",
                  {"GNGSA,A,3,01,02,07,,,,,,,,,,1.5,0.9,1.2,1",
                   "GNGSA,A,3,13,27,37,,,,,,,,,,1.5,0.9,1.2,4",
                   "GPGSV,1,1,03,01,17,083,20,02,20,056,28,13,18,124,22,0",
                   "BDGSV,1,1,02,13,19,043,09,27,39,127,34,0"},
                  "GPS1:20* GPS2:28* GPS13:22 BeiDou13:9* BeiDou27:34*"},
        ShownCase{"SbasInASystemOneGsa",
                  {"GNGSA,A,3,44,51,,,,,,,,,,,1.05,0.56,0.88,1",
                   "GPGSV,1,1,03,44,45,171,45,46,45,191,43,51,43,156,43,1"},
                  "SBAS44:45* SBAS46:43 SBAS51:43*"},
        // GPS, SBAS and GLONASS satellites are used by either of the two lists, as always.
        ShownCase{"GlonassListMarksAGpsPrn",
                  {"GNGSA,A,3,05,,,,,,,,,,,,1.5,0.9,1.2,2", "GPGSV,1,1,01,05,10,020,30,1",
                   "GLGSV,1,1,01,05,10,020,31,1"},
                  "GPS5:30* GLONASS5:31*"},
        // A later GSA of the system replaces its list, an empty one included.
        ShownCase{"EmptyGsaOfTheSystem",
                  {"GNGSA,A,3,05,,,,,,,,,,,,1.5,0.9,1.2,3", "GNGSA,A,3,,,,,,,,,,,,,1.5,0.9,1.2,3",
                   "GAGSV,1,1,01,05,10,020,30,7"},
                  "Galileo5:30"},
        ShownCase{"QzssAndNavIC",
                  {"GNGSA,A,3,02,,,,,,,,,,,,1.5,0.9,1.2,5", "GNGSA,A,3,03,,,,,,,,,,,,1.5,0.9,1.2,6",
                   "GQGSV,1,1,02,02,10,020,30,03,10,020,31,1",
                   "GIGSV,1,1,02,02,10,020,32,03,10,020,33,1"},
                  "QZSS2:30* QZSS3:31 NavIC2:32 NavIC3:33*"}),
    [](const auto& info) { return std::string(info.param.name); });

// GSA sentences with and without a system id: which PRN list and DOP set each one writes.
struct GsaCase {
    const char* name;
    const char* sentence;
    std::vector<int32_t> gps, glonass; // the first PRNs of the two lists after it
    int system;                        // 3 to 6: this system's list is `other`
    std::vector<int32_t> other;
    double gpsPdop, glonassPdop;
};

void PrintTo(const GsaCase& c, std::ostream* os) {
    *os << c.name;
}

class GsaSystems : public ::testing::TestWithParam<GsaCase> {};

TEST_P(GsaSystems, WriteTheListAndDopsOfTheirSystem) {
    const GsaCase& c = GetParam();
    Receiver r;
    // What two GSA sentences without a system id left behind.
    r.Feed({"GPGSA,A,3,03,07,,,,,,,,,,,2.0,1.0,1.5", "GLGSA,A,3,66,,,,,,,,,,,,3.0,2.5,2.7",
            c.sentence});
    const GsaRecord& gsa = r.parser->gsa;
    auto starts = [](const int32_t* prns, const std::vector<int32_t>& expected) {
        std::vector<int32_t> all(prns, prns + kPrnSlots);
        std::vector<int32_t> padded = expected;
        padded.resize(kPrnSlots, 0);
        return all == padded;
    };
    EXPECT_TRUE(starts(gsa.gpsPrns, c.gps));
    EXPECT_TRUE(starts(gsa.glonassPrns, c.glonass));
    for (int i = 0; i < kSystemGsaCount; ++i)
        EXPECT_TRUE(starts(r.parser->systemGsa.prns[i],
                           i == c.system - 3 ? c.other : std::vector<int32_t>{}))
            << i;
    EXPECT_DOUBLE_EQ(gsa.gpsPdop, c.gpsPdop);
    EXPECT_DOUBLE_EQ(gsa.glonassPdop, c.glonassPdop);
    EXPECT_EQ(gsa.mode, 'A');
    EXPECT_EQ(gsa.count, 3u);
    if (c.system >= 3) {
        EXPECT_DOUBLE_EQ(r.parser->systemGsa.pdop[c.system - 3], 1.5);
        EXPECT_DOUBLE_EQ(r.parser->systemGsa.hdop[c.system - 3], 0.9);
        EXPECT_DOUBLE_EQ(r.parser->systemGsa.vdop[c.system - 3], 1.2);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DecodeGsa, GsaSystems,
    ::testing::Values(
        GsaCase{
            "GpsSystem", "GNGSA,A,3,01,02,,,,,,,,,,,1.5,0.9,1.2,1", {1, 2}, {66}, 0, {}, 1.5, 3.0},
        GsaCase{"GlonassSystem",
                "GNGSA,A,3,73,84,,,,,,,,,,,1.5,0.9,1.2,2",
                {3, 7},
                {73, 84},
                0,
                {},
                2.0,
                1.5},
        // System 1 takes SBAS PRNs too, and an empty list empties it.
        GsaCase{"SbasInSystemOne",
                "GNGSA,A,3,44,51,,,,,,,,,,,1.5,0.9,1.2,1",
                {44, 51},
                {66},
                0,
                {},
                1.5,
                3.0},
        GsaCase{"EmptySystemOne", "GNGSA,A,3,,,,,,,,,,,,,1.5,0.9,1.2,1", {}, {66}, 0, {}, 1.5, 3.0},
        // With the system known, a PRN is read whole.
        GsaCase{"ThreeDigitPrn",
                "GNGSA,A,3,120,,,,,,,,,,,,1.5,0.9,1.2,1",
                {120},
                {66},
                0,
                {},
                1.5,
                3.0},
        GsaCase{"Galileo",
                "GNGSA,A,3,12,19,04,33,,,,,,,,,1.5,0.9,1.2,3",
                {3, 7},
                {66},
                3,
                {12, 19, 4, 33},
                2.0,
                3.0},
        GsaCase{"BeiDou",
                "GNGSA,A,3,13,27,37,,,,,,,,,,1.5,0.9,1.2,4",
                {3, 7},
                {66},
                4,
                {13, 27, 37},
                2.0,
                3.0},
        GsaCase{"Qzss", "GNGSA,A,3,02,,,,,,,,,,,,1.5,0.9,1.2,5", {3, 7}, {66}, 5, {2}, 2.0, 3.0},
        GsaCase{"NavIC", "GNGSA,A,3,03,,,,,,,,,,,,1.5,0.9,1.2,6", {3, 7}, {66}, 6, {3}, 2.0, 3.0},
        // Without a system id, or with one outside 1 to 6: by the smallest PRN, two characters
        // of each, as always.
        GsaCase{"NoSystemId",
                "GNGSA,A,3,13,27,37,,,,,,,,,,1.5,0.9,1.2",
                {13, 27, 37},
                {66},
                0,
                {},
                1.5,
                3.0},
        GsaCase{"EmptySystemId",
                "GNGSA,A,3,13,27,37,,,,,,,,,,1.5,0.9,1.2,",
                {13, 27, 37},
                {66},
                0,
                {},
                1.5,
                3.0},
        GsaCase{
            "SystemIdZero", "GNGSA,A,3,75,,,,,,,,,,,,1.5,0.9,1.2,0", {3, 7}, {75}, 0, {}, 2.0, 1.5},
        GsaCase{
            "SystemIdSeven", "GNGSA,A,3,120,,,,,,,,,,,,1.5,0.9,1.2,7", {12}, {66}, 0, {}, 1.5, 3.0},
        GsaCase{"SbasOnlyWithoutSystemId",
                "GNGSA,A,3,44,,,,,,,,,,,,1.5,0.9,1.2",
                {3, 7},
                {66},
                0,
                {},
                1.5,
                3.0}),
    [](const auto& info) { return std::string(info.param.name); });

struct SignalIdCase {
    const char* data;
    int32_t signalId;
};

class GsvSignalIds : public ::testing::TestWithParam<SignalIdCase> {};

// The signal id is the field after the last satellite, however many satellites there are.
TEST_P(GsvSignalIds, AreFoundAfterTheLastSatellite) {
    EXPECT_EQ(GsvSignalId(IntegerFields(GetParam().data)), GetParam().signalId) << GetParam().data;
}

INSTANTIATE_TEST_SUITE_P(
    DecodeGsv, GsvSignalIds,
    ::testing::Values(
        SignalIdCase{"3,1,12,05,06,110,18,10,24,284,33,13,37,124,30,15,63,083,12,1", '1'},
        SignalIdCase{"3,3,09,33,62,034,,2", '2'}, SignalIdCase{"1,1,00,B", 'B'},
        SignalIdCase{"3,3,10,21,41,301,35,22,82,135,14,1", '1'},
        // Sent without one: nothing after the last satellite, or an empty field there.
        SignalIdCase{"3,2,11,05,40,083,46,70,17,308,41,12,07,344,,14,22,228,", 0},
        SignalIdCase{"3,1,10,01,29,321,,03,12,292,,04,37,345,,08,49,229,,", 0},
        SignalIdCase{"3,3,11,83,37,097,16,71,23,216,,72,42,277,", 0}, SignalIdCase{"1,1,00", 0},
        SignalIdCase{"1,1,00,", 0}, SignalIdCase{"", 0},
        // More fields than a GSV sentence has: no signal id.
        SignalIdCase{"3,1,12,05,06,110,18,10,24,284,33,13,37,124,30,15,63,083,12,1,x,y,z,1", 0}));

// The snapshot holds 128 satellites; more are cut, and neither a list nor the snapshot is
// read or written past its end.
TEST(Capacity, FourFullTalkersFillTheSnapshotAndNoMore) {
    Receiver r;
    const char* const talkers[] = {"GP", "GL", "GA", "GB"};
    for (const char* talker : talkers) {
        for (int n = 1; n <= 9; ++n) {
            std::string body = std::string(talker) + "GSV,9," + std::to_string(n) + ",36";
            for (int k = 0; k < 4; ++k)
                body += "," + std::to_string(4 * (n - 1) + k + 1) + ",10,020,30";
            r.parser->FeedSentence(body + ",1");
        }
    }
    const DisplaySnapshot& s = r.Snapshot();
    EXPECT_EQ(s.satellitesInView, kSnapshotSatellites);
    EXPECT_EQ(s.satellites[0].prn, 1);
    EXPECT_EQ(s.satellites[35].prn, 36);
    EXPECT_EQ(s.satellites[36].system, GnssSystem::Glonass);
    EXPECT_EQ(s.satellites[108].system, GnssSystem::BeiDou);
    EXPECT_EQ(s.satellites[127].system, GnssSystem::BeiDou);
    EXPECT_EQ(s.satellites[127].prn, 20);
    EXPECT_EQ(s.systemsSeen, SystemBit(GnssSystem::Gps) | SystemBit(GnssSystem::Sbas) |
                                 SystemBit(GnssSystem::Glonass) | SystemBit(GnssSystem::Galileo) |
                                 SystemBit(GnssSystem::BeiDou));
}

TEST(Capacity, AGpsCountBeyondItsListIsCountedButOnlyTheListIsCopied) {
    Receiver r;
    r.Feed({"GPGSV,9,9,200,33,10,020,30", "GLGSV,9,9,200,65,10,020,30",
            "GAGSV,1,1,01,05,10,020,30,7"});
    const DisplaySnapshot& s = r.Snapshot();
    // GP as the merged list always took it: its count as sent, its 96 entries at most.
    EXPECT_EQ(s.satellites[32].prn, 33);
    EXPECT_EQ(s.satellites[96].prn, 0);
    EXPECT_EQ(s.satellites[96].system, GnssSystem::Glonass);
    EXPECT_EQ(s.satellitesInView, 400);
    EXPECT_EQ(r.parser->mergedSatellites.inView, 400);
}

// GP and GL sentences without a signal id still fill the two lists of old; the others leave
// them alone.
TEST(DecodeGsv, OnlyGpAndGlWithoutSignalIdFillTheTwoLists) {
    Receiver r;
    r.Feed({"GPGSV,1,1,01,05,10,020,30", "GLGSV,1,1,01,70,10,020,31", "GPGSV,1,1,01,07,10,020,32,1",
            "GLGSV,1,1,01,71,10,020,33,1", "GNGSV,1,1,01,09,10,020,34"});
    EXPECT_EQ(r.parser->gpsSatellites.entries[0].prn, 5);
    EXPECT_EQ(r.parser->gpsSatellites.count, 1u);
    EXPECT_EQ(r.parser->glonassSatellites.entries[0].prn, 70);
    EXPECT_EQ(r.parser->glonassSatellites.count, 1u);
    EXPECT_EQ(r.parser->mergedSatellites.inView, 2);
    EXPECT_EQ(r.parser->mergedSatellites.count, 5u);
    // Both kinds are shown, GP's list before GP's signal sets.
    EXPECT_EQ(Shown(r.Snapshot()), "GPS5:30 GPS7:32 GLONASS70:31 GLONASS71:33 GPS9:34");
}

TEST(Snapshot, SystemsSeenStayUntilCleared) {
    Receiver r;
    r.Feed({"GAGSV,1,1,01,05,10,020,30,7", "GLGSV,1,1,01,05,10,020,30,1"});
    const DisplaySnapshot& first = r.Snapshot();
    EXPECT_EQ(first.systemsSeen, SystemBit(GnssSystem::Galileo) | SystemBit(GnssSystem::Glonass));
    // A GLONASS satellite of a GL signal set shows the GLONASS legend, whatever its PRN.
    EXPECT_EQ(first.glonassSeen, 1);
    r.parser->ResetData();
    r.Feed({"GBGSV,1,1,01,40,10,020,30,1"});
    const DisplaySnapshot& second = r.Snapshot();
    EXPECT_EQ(second.systemsSeen, SystemBit(GnssSystem::Galileo) | SystemBit(GnssSystem::Glonass) |
                                      SystemBit(GnssSystem::BeiDou));
    // BeiDou 40 is no SBAS satellite.
    EXPECT_EQ(second.sbasSeen, 0);
}

} // namespace
