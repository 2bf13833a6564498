#include "NmeaTestSupport.h"
#include "nmea/SentenceDecoders.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char* const kGga = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";

TEST(DecodeGga, ReadsTheReferenceSentence) {
    DecodingParser p;
    p.Feed("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.gga.hour, 12);
    EXPECT_EQ(p.gga.minute, 35);
    EXPECT_EQ(p.gga.second, 19);
    EXPECT_DOUBLE_EQ(p.gga.latitude, 48.1173);
    EXPECT_DOUBLE_EQ(p.gga.longitude, 11 + 31.0 / 60.0);
    EXPECT_EQ(p.gga.quality, 1);
    EXPECT_EQ(p.gga.satellitesUsed, 8);
    EXPECT_DOUBLE_EQ(p.gga.hdop, 0.9);
    EXPECT_DOUBLE_EQ(p.gga.altitude, 545.4);
    EXPECT_EQ(p.gga.count, 1u);
}

TEST(DecodeGga, SouthAndWestAreNegativeAnyTalkerIsAccepted) {
    DecodingParser p;
    p.FeedSentence("GNGGA,000001,3400.000,S,11800.000,W,2,12,1.0,10.0,M,,M,,");
    EXPECT_DOUBLE_EQ(p.gga.latitude, -34.0);
    EXPECT_DOUBLE_EQ(p.gga.longitude, -118.0);
    EXPECT_EQ(p.gga.quality, 2);
}

TEST(DecodeGga, VerticalRateFromTwoFixesAndUnchangedOnTheSameSecond) {
    DecodingParser p;
    p.FeedSentence("GPGGA,120000,4807.038,N,01131.000,E,1,08,0.9,100.0,M,,M,,");
    p.FeedSentence("GPGGA,120010,4807.038,N,01131.000,E,1,08,0.9,105.0,M,,M,,");
    EXPECT_DOUBLE_EQ(p.gga.verticalRate, 30.0);
    p.FeedSentence("GPGGA,120010,4807.038,N,01131.000,E,1,08,0.9,200.0,M,,M,,");
    EXPECT_DOUBLE_EQ(p.gga.verticalRate, 30.0);
    EXPECT_EQ(p.gga.previousTime, 10);
    EXPECT_DOUBLE_EQ(p.gga.previousAltitude, 200.0);
    EXPECT_EQ(p.gga.count, 3u);
}

TEST(DecodeGga, FirstFixAfterResetRatesFromAltitudeZero) {
    DecodingParser p;
    p.FeedSentence("GPGGA,000030,,,,,1,08,0.9,50.0,M,,M,,");
    EXPECT_DOUBLE_EQ(p.gga.verticalRate, 100.0);
}

// Fields that are missing or too short for their fixed character positions leave the value.
struct KeepCase {
    const char* name;
    const char* second; // the sentence fed after the reference one
};

class DecodeGgaKeeps : public ::testing::TestWithParam<KeepCase> {};

TEST_P(DecodeGgaKeeps, PreviousValues) {
    DecodingParser p;
    p.FeedSentence(kGga);
    const GgaRecord before = p.gga;
    p.FeedSentence(GetParam().second);
    std::string what = GetParam().name;
    if (what == "time") {
        EXPECT_EQ(p.gga.hour, before.hour);
        EXPECT_EQ(p.gga.minute, before.minute);
        EXPECT_EQ(p.gga.second, before.second);
    } else if (what == "position") {
        EXPECT_EQ(p.gga.latitude, before.latitude);
        EXPECT_EQ(p.gga.longitude, before.longitude);
    } else if (what == "quality") {
        EXPECT_EQ(p.gga.quality, before.quality);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DecodeGga, DecodeGgaKeeps,
    ::testing::Values(KeepCase{"time", "GPGGA,,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,"},
                      KeepCase{"time", "GPGGA,1235,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,"},
                      KeepCase{"position", "GPGGA,123520,,,,,1,08,0.9,545.4,M,,M,,"},
                      KeepCase{"position", "GPGGA,123520,,S,,W,1,08,0.9,545.4,M,,M,,"},
                      KeepCase{"position", "GPGGA,123520,4,S,01,W,1,08,0.9,545.4,M,,M,,"},
                      KeepCase{"quality", "GPGGA,123520,4807.038,N,01131.000,E,,08,0.9,1,M,,M,,"}),
    [](const auto& info) { return std::string(info.param.name) + std::to_string(info.index); });

// An empty data string makes every field present and empty: numbers read as 0 and a first
// character is the terminating NUL; only the fields too short for their fixed positions stay.
TEST(EmptyData, EveryFieldIsPresentAndEmpty) {
    DecodingParser p;
    p.FeedSentence(kGga);
    p.FeedSentence("GPGSA,A,3,03,07,,,,,,,,,,,2.0,1.0,1.5");
    p.Feed("$GPGGA,\r\n$GPGSA,\r\n");
    ASSERT_EQ(p.calls.size(), 4u);
    EXPECT_EQ(p.gga.hour, 12);
    EXPECT_DOUBLE_EQ(p.gga.latitude, 48.1173);
    EXPECT_EQ(p.gga.quality, -'0');
    EXPECT_EQ(p.gga.satellitesUsed, 0);
    EXPECT_EQ(p.gga.hdop, 0.0);
    EXPECT_EQ(p.gga.altitude, 0.0);
    EXPECT_EQ(p.gsa.mode, 0);
    EXPECT_EQ(p.gsa.fixType, -'0');
    EXPECT_EQ(p.gsa.gpsPrns[1], 7);
    EXPECT_EQ(p.gsa.gpsPdop, 0.0);
    EXPECT_EQ(p.gsa.count, 2u);
}

TEST(DecodeGga, DegreeDigitsAloneGiveWholeDegrees) {
    DecodingParser p;
    p.FeedSentence("GPGGA,123520,48,N,011,E,1,08,0.9,545.4,M,,M,,");
    EXPECT_DOUBLE_EQ(p.gga.latitude, 48.0);
    EXPECT_DOUBLE_EQ(p.gga.longitude, 11.0);
}

TEST(DecodeGga, SatelliteCountReadsTwoCharacters) {
    DecodingParser p;
    p.FeedSentence("GPGGA,123520,,,,,1,123,0.9,545.4,M,,M,,");
    EXPECT_EQ(p.gga.satellitesUsed, 12);
}

TEST(DecodeGsa, ClassifiesByTheSmallestPrn) {
    DecodingParser p;
    p.FeedSentence("GPGSA,A,3,03,07,19,,,,,,,,,,2.0,1.0,1.5");
    EXPECT_EQ(p.gsa.mode, 'A');
    EXPECT_EQ(p.gsa.fixType, 3);
    const int32_t gps[12] = {3, 7, 19};
    EXPECT_EQ(std::memcmp(p.gsa.gpsPrns, gps, sizeof gps), 0);
    EXPECT_DOUBLE_EQ(p.gsa.gpsPdop, 2.0);
    EXPECT_DOUBLE_EQ(p.gsa.gpsHdop, 1.0);
    EXPECT_DOUBLE_EQ(p.gsa.gpsVdop, 1.5);

    p.FeedSentence("GNGSA,A,3,75,66,,,,,,,,,,,3.0,2.5,");
    const int32_t glonass[12] = {75, 66};
    EXPECT_EQ(std::memcmp(p.gsa.glonassPrns, glonass, sizeof glonass), 0);
    EXPECT_EQ(std::memcmp(p.gsa.gpsPrns, gps, sizeof gps), 0);
    EXPECT_DOUBLE_EQ(p.gsa.glonassPdop, 3.0);
    EXPECT_DOUBLE_EQ(p.gsa.glonassHdop, 2.5);
    EXPECT_DOUBLE_EQ(p.gsa.glonassVdop, 0.0); // empty VDOP
    EXPECT_DOUBLE_EQ(p.gsa.gpsVdop, 1.5);     // GPS set untouched

    // SBAS only, and no PRN at all: no PRN list changes, the DOPs go to the GPS set.
    p.FeedSentence("GPGSA,A,3,44,,,,,,,,,,,,4.0,4.1,4.2");
    EXPECT_EQ(std::memcmp(p.gsa.gpsPrns, gps, sizeof gps), 0);
    EXPECT_EQ(std::memcmp(p.gsa.glonassPrns, glonass, sizeof glonass), 0);
    EXPECT_DOUBLE_EQ(p.gsa.gpsPdop, 4.0);
    p.FeedSentence("GPGSA,A,1,,,,,,,,,,,,,5.0,,");
    EXPECT_EQ(std::memcmp(p.gsa.gpsPrns, gps, sizeof gps), 0);
    EXPECT_DOUBLE_EQ(p.gsa.gpsPdop, 5.0);
    EXPECT_DOUBLE_EQ(p.gsa.gpsHdop, 0.0);
    EXPECT_DOUBLE_EQ(p.gsa.glonassPdop, 3.0);
    EXPECT_EQ(p.gsa.count, 4u);
}

TEST(DecodeVtg, ReadsCourseAndSpeedKeepingMissingFields) {
    DecodingParser p;
    p.FeedSentence("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K");
    EXPECT_DOUBLE_EQ(p.vtg.trueCourse, 54.7);
    EXPECT_DOUBLE_EQ(p.vtg.magneticCourse, 34.4);
    EXPECT_DOUBLE_EQ(p.vtg.speedKnots, 5.5);
    EXPECT_DOUBLE_EQ(p.vtg.speedKmh, 10.2);
    p.FeedSentence("GNVTG,,T,,M,1.5,N,2.8,K,A");
    EXPECT_DOUBLE_EQ(p.vtg.trueCourse, 54.7);
    EXPECT_DOUBLE_EQ(p.vtg.speedKmh, 2.8);
}

TEST(DecodeGsv, MessageNumberSelectsTheEntriesAndMarksUsed) {
    DecodingParser p;
    p.FeedSentence("GNGSA,A,3,70,,,,,,,,,,,,1,1,1");
    p.FeedSentence("GPGSA,A,3,05,,,,,,,,,,,,1,1,1");
    p.FeedSentence("GPGSV,3,2,11,05,40,083,46,70,17,308,41,12,07,344,,14,22,228,");
    EXPECT_EQ(p.gpsSatellites.inView, 11);
    const SatelliteEntry* e = p.gpsSatellites.entries;
    EXPECT_EQ(e[4].prn, 5);
    EXPECT_EQ(e[4].elevation, 40);
    EXPECT_EQ(e[4].azimuth, 83);
    EXPECT_EQ(e[4].snr, 46);
    EXPECT_EQ(e[4].used, 1);
    EXPECT_EQ(e[5].used, 1); // a GLONASS PRN in a GPGSV sentence still counts as used
    EXPECT_EQ(e[6].used, 0);
    EXPECT_EQ(e[6].snr, 0);
    EXPECT_EQ(e[7].prn, 14);
    EXPECT_EQ(e[0].prn, 0);
    EXPECT_EQ(e[8].prn, 0);
    EXPECT_EQ(p.gpsSatellites.count, 1u);
    EXPECT_EQ(p.mergedSatellites.count, 1u);
}

TEST(DecodeGsv, ShortLastMessageClearsItsEmptySlots) {
    DecodingParser p;
    p.FeedSentence("GLGSV,1,1,04,65,10,020,30,66,11,021,31,67,12,022,32,68,13,023,33");
    p.FeedSentence("GLGSV,1,1,02,65,10,020,30,66,11,021,31");
    EXPECT_EQ(p.glonassSatellites.entries[1].prn, 66);
    EXPECT_EQ(p.glonassSatellites.entries[2].prn, 0);
    EXPECT_EQ(p.glonassSatellites.entries[3].snr, 0);
    EXPECT_EQ(p.glonassSatellites.inView, 2);
}

// Sentences that must leave the list alone (yet still re-merge).
class DecodeGsvIgnores : public ::testing::TestWithParam<const char*> {};

TEST_P(DecodeGsvIgnores, ChangesNothingInTheList) {
    DecodingParser p;
    p.FeedSentence("GPGSV,1,1,01,07,10,020,30");
    const SatelliteList before = p.gpsSatellites;
    p.FeedSentence(GetParam());
    EXPECT_EQ(std::memcmp(&p.gpsSatellites, &before, sizeof before), 0);
    EXPECT_EQ(p.mergedSatellites.count, 2u);
}

INSTANTIATE_TEST_SUITE_P(DecodeGsv, DecodeGsvIgnores,
                         ::testing::Values("GPGSV,3,10,12,01,10,020,30",  // number 10
                                           "GPGSV,0,1,12,01,10,020,30",   // count 0
                                           "GPGSV,10,1,12,01,10,020,30",  // count 10
                                           "GPGSV,3,0,12,01,10,020,30",   // number 0
                                           "GPGSV,3,-1,12,01,10,020,30",  // negative
                                           "GPGSV,,1,12,01,10,020,30",    // no count
                                           "GPGSV,3,,12,01,10,020,30",    // no number
                                           "GPGSV",                       // nothing at all
                                           "GNGSV,1,1,12,01,10,020,30",   // other talkers
                                           "GAGSV,1,1,12,01,10,020,30")); //

TEST(MergeSatelliteLists, GpsFirstThenGlonass) {
    DecodingParser p;
    for (int i = 0; i < 96; ++i) {
        p.gpsSatellites.entries[i] = SatelliteEntry{1 + i, 30, 0, 100, 45};
        p.glonassSatellites.entries[i] = SatelliteEntry{65 + i, 20, 1, 200, 10};
    }
    p.mergedSatellites.entries[50] = SatelliteEntry{9, 9, 0, 9, 9};
    p.gpsSatellites.inView = 9;
    p.glonassSatellites.inView = 7;
    MergeSatelliteLists(p);
    EXPECT_EQ(p.mergedSatellites.inView, 16);
    EXPECT_EQ(p.mergedSatellites.entries[8].prn, 9);
    EXPECT_EQ(p.mergedSatellites.entries[9].prn, 65);
    EXPECT_EQ(p.mergedSatellites.entries[15].prn, 71);
    for (int i = 16; i < 96; ++i)
        EXPECT_EQ(p.mergedSatellites.entries[i].prn, 0) << i;
    EXPECT_EQ(p.mergedSatellites.entries[50].snr, 0);
    EXPECT_EQ(p.mergedSatellites.count, 1u);
}

struct BoundCase {
    int32_t gps, glonass;
    int gpsCopied, glonassCopied;
    int32_t inView;
};

// Counts beyond the 96 entries (or negative ones) are cut so that no list is overrun.
class MergeBounds : public ::testing::TestWithParam<BoundCase> {};

TEST_P(MergeBounds, StaysWithin96Entries) {
    const BoundCase& c = GetParam();
    DecodingParser p;
    for (int i = 0; i < 96; ++i) {
        p.gpsSatellites.entries[i].prn = 1;
        p.glonassSatellites.entries[i].prn = 65;
    }
    p.gpsSatellites.inView = c.gps;
    p.glonassSatellites.inView = c.glonass;
    MergeSatelliteLists(p);
    int gps = 0, glonass = 0;
    for (const SatelliteEntry& e : p.mergedSatellites.entries) {
        gps += e.prn == 1;
        glonass += e.prn == 65;
    }
    EXPECT_EQ(gps, c.gpsCopied);
    EXPECT_EQ(glonass, c.glonassCopied);
    EXPECT_EQ(p.mergedSatellites.inView, c.inView);
}

INSTANTIATE_TEST_SUITE_P(MergeSatelliteLists, MergeBounds,
                         ::testing::Values(BoundCase{90, 10, 90, 6, 100},
                                           BoundCase{200, 5, 96, 0, 205},
                                           BoundCase{-5, 3, 0, 3, -2},
                                           BoundCase{INT32_MAX, INT32_MAX, 96, 0, INT32_MAX}));

TEST(ResetData, ClearsTheModelButNotTheFramer) {
    DecodingParser p;
    p.FeedSentence(kGga);
    p.FeedSentence("GPGSV,1,1,01,07,10,020,30");
    p.Feed("$GPVTG,1.5,T");
    p.ResetData();
    EXPECT_EQ(p.gga.count, 0u);
    EXPECT_EQ(p.gga.latitude, 0.0);
    EXPECT_EQ(p.gpsSatellites.entries[0].prn, 0);
    EXPECT_EQ(p.mergedSatellites.count, 0u);
    p.Feed("\r\n");
    EXPECT_DOUBLE_EQ(p.vtg.trueCourse, 1.5);
}

} // namespace
