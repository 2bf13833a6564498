#include "NmeaTestSupport.h"
#include "nmea/DisplaySnapshot.h"
#include "nmea/SnapshotLock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

std::u16string Text(const DisplaySnapshot& s) {
    return s.fixQualityText;
}

struct Fixture : ::testing::Test {
    std::unique_ptr<DecodingParser> parser = std::make_unique<DecodingParser>();
    DisplaySnapshot snapshot{};
};

TEST_F(Fixture, CopiesPositionDopsAndMergedSatellites) {
    parser->FeedSentence("GPGSA,A,3,05,,,,,,,,,,,,2.0,1.0,1.5");
    parser->FeedSentence("GLGSA,A,3,70,,,,,,,,,,,,3.0,2.5,2.7");
    parser->FeedSentence("GPGSV,1,1,01,05,40,083,46");
    parser->FeedSentence("GLGSV,1,1,01,70,17,308,41");
    parser->FeedSentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    CopyModelToSnapshot(*parser, snapshot);
    EXPECT_DOUBLE_EQ(snapshot.latitude, 48.1173);
    EXPECT_DOUBLE_EQ(snapshot.altitude, 545.4);
    EXPECT_EQ(snapshot.satellitesUsed, 8);
    EXPECT_EQ(snapshot.satellitesInView, 2);
    EXPECT_DOUBLE_EQ(snapshot.gpsHdop, 1.0);
    EXPECT_DOUBLE_EQ(snapshot.gpsVdop, 1.5);
    EXPECT_DOUBLE_EQ(snapshot.gpsPdop, 2.0);
    EXPECT_DOUBLE_EQ(snapshot.glonassHdop, 2.5);
    EXPECT_DOUBLE_EQ(snapshot.glonassVdop, 2.7);
    EXPECT_DOUBLE_EQ(snapshot.glonassPdop, 3.0);
    const SnapshotSatellite& s = snapshot.satellites[0];
    EXPECT_EQ(s.prn, 5);
    EXPECT_EQ(s.azimuth, 83);
    EXPECT_EQ(s.elevation, 40);
    EXPECT_EQ(s.snr, 46);
    EXPECT_EQ(s.used, 1);
    EXPECT_EQ(snapshot.satellites[1].prn, 70);
    EXPECT_EQ(Text(snapshot), u"GPS Fix");
    EXPECT_EQ(snapshot.glonassSeen, 1);
    EXPECT_EQ(snapshot.sbasSeen, 0);
}

TEST_F(Fixture, SeenFlagsStayUntilCleared) {
    parser->FeedSentence("GPGSV,1,1,02,40,10,020,30,70,11,021,31");
    CopyModelToSnapshot(*parser, snapshot);
    EXPECT_EQ(snapshot.sbasSeen, 1);
    EXPECT_EQ(snapshot.glonassSeen, 1);
    parser->FeedSentence("GPGSV,1,1,01,07,10,020,30");
    CopyModelToSnapshot(*parser, snapshot);
    EXPECT_EQ(snapshot.satellites[0].prn, 7);
    EXPECT_EQ(snapshot.satellites[1].prn, 0);
    EXPECT_EQ(snapshot.sbasSeen, 1);
    EXPECT_EQ(snapshot.glonassSeen, 1);
}

TEST_F(Fixture, QualityOutsideTheTableKeepsTheText) {
    parser->FeedSentence("GPGGA,123519,,,,,2,08,0.9,545.4,M,,M,,");
    CopyModelToSnapshot(*parser, snapshot);
    EXPECT_EQ(Text(snapshot), u"Differential GPS");
    parser->FeedSentence("GPGGA,123520,,,,,9,08,0.9,545.4,M,,M,,");
    CopyModelToSnapshot(*parser, snapshot);
    EXPECT_EQ(Text(snapshot), u"Differential GPS");
    parser->FeedSentence("GPGGA,123521,,,,,0,08,0.9,545.4,M,,M,,");
    CopyModelToSnapshot(*parser, snapshot);
    EXPECT_EQ(Text(snapshot), u"Invalid");
    parser->FeedSentence("GPGGA,123522,,,,,,08,0.9,545.4,M,,M,,"); // empty: keeps quality 0
    CopyModelToSnapshot(*parser, snapshot);
    EXPECT_EQ(Text(snapshot), u"Invalid");
}

TEST(FixQualityText, HasNineTexts) {
    const char16_t* const expected[] = {u"Invalid",
                                        u"GPS Fix",
                                        u"Differential GPS",
                                        u"PPS Fix",
                                        u"Real Time Kinematic",
                                        u"Float RTK",
                                        u"Estimated (dead reckoning)",
                                        u"Manual input mode",
                                        u"Simulation mode"};
    for (int q = 0; q <= 8; ++q)
        EXPECT_EQ(std::u16string(FixQualityText(q)), expected[q]) << q;
    EXPECT_EQ(FixQualityText(-1), nullptr);
    EXPECT_EQ(FixQualityText(9), nullptr);
}

TEST(TakeDisplaySnapshot, CopiesTheGlobalParserAndClearEmptiesIt) {
    theParser.SetPositionHandshake(false);
    const std::string gga = Sentence("GPGGA,123519,4807.038,N,01131.000,E,5,08,0.9,545.4,M,,M,,");
    theParser.FeedBytes(reinterpret_cast<const uint8_t*>(gga.data()),
                        static_cast<uint32_t>(gga.size()));
    TakeDisplaySnapshot();
    {
        std::lock_guard<std::mutex> lock(snapshotLock);
        EXPECT_DOUBLE_EQ(theSnapshot.latitude, 48.1173);
        EXPECT_EQ(Text(theSnapshot), u"Float RTK");
        ClearDisplaySnapshot();
        const DisplaySnapshot zero{};
        EXPECT_EQ(std::memcmp(&theSnapshot, &zero, sizeof zero), 0);
    }
    theParser.ResetData();
    theParser.SetPositionHandshake(true);
}

} // namespace
