// The plots' samples from the decoded stream: a sample for every GGA with a fix and no other,
// each with its own sentence's HDOP and time, through the display snapshot as the program
// takes it.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "../nmea/NmeaTestSupport.h"
#include "displays/PositionSampleFeed.h"

namespace {

// 2026-12-11 12:00:30 UTC.
constexpr std::int64_t kNoon = 1796990430000;
constexpr std::int64_t kMidnight = 1796947200000; // 2026-12-11 00:00:00 UTC

// The decoder, snapshot and feed of the program, one step per sentence.
class Stream {
public:
    std::optional<PositionSample> Step(const std::string& body, std::int64_t now = kNoon) {
        parser.FeedSentence(body);
        CopyModelToSnapshot(parser, snapshot);
        return feed.Take(snapshot.ggaFix, now);
    }
    // What the frame does on a reconnect or a playback start.
    void Reset() {
        parser.ResetData();
        snapshot = DisplaySnapshot{};
    }

    DecodingParser parser;
    DisplaySnapshot snapshot{};
    PositionSampleFeed feed;
};

const std::string kFix = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";

} // namespace

TEST(PlotFeed, OnlyGgasWithAFixOfTheirOwnGiveSamples) {
    struct Case {
        const char* what;
        std::string body;
        bool sample;
    };
    const Case cases[] = {
        {"no fix yet, empty fields", "GPGGA,120000,,,,,0,00,,,M,,M,,", false},
        {"quality 0 with coordinates", "GPGGA,120001,4807.038,N,01131.000,E,0,04,2.0,545.4,M,,M,,",
         false},
        {"quality field empty", "GPGGA,120002,4807.038,N,01131.000,E,,08,0.9,545.4,M,,M,,", false},
        {"quality not a digit", "GPGGA,120003,4807.038,N,01131.000,E,X,08,0.9,545.4,M,,M,,", false},
        {"fix", kFix, true},
        {"latitude empty", "GPGGA,123520,,,01131.000,E,1,08,0.9,545.4,M,,M,,", false},
        {"longitude empty", "GPGGA,123521,4807.038,N,,,1,08,0.9,545.4,M,,M,,", false},
        {"longitude too short to read", "GPGGA,123522,4807.038,N,01,E,1,08,0.9,545.4,M,,M,,",
         false},
        {"differential fix from another talker",
         "GNGGA,123523,4807.040,N,01131.002,E,2,12,0.7,546.0,M,,M,,", true},
    };
    Stream s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<PositionSample> sample = s.Step(c.body);
        EXPECT_EQ(sample.has_value(), c.sample);
    }
}

TEST(PlotFeed, NoSampleBeforeTheFirstFixNorAfterAResetUntilTheNextOne) {
    Stream s;
    EXPECT_FALSE(s.Step("GPGGA,120000,,,,,0,00,,,M,,M,,"));
    const std::optional<PositionSample> first = s.Step(kFix);
    ASSERT_TRUE(first);
    EXPECT_NEAR(first->latitude, 48.0 + 7.038 / 60.0, 1e-12);
    EXPECT_NEAR(first->longitude, 11.0 + 31.0 / 60.0, 1e-12);
    EXPECT_EQ(first->altitude, 545.4);
    EXPECT_EQ(first->fixQuality, 1);

    // The same snapshot again (no new GGA) and a GGA that lost the fix: the model still
    // holds the old fix, which must not come twice.
    EXPECT_FALSE(s.feed.Take(s.snapshot.ggaFix, kNoon));
    EXPECT_FALSE(s.Step("GPGGA,123520,4807.038,N,01131.000,E,0,03,9.9,545.4,M,,M,,"));

    s.Reset();
    EXPECT_FALSE(s.feed.Take(s.snapshot.ggaFix, kNoon));
    EXPECT_FALSE(s.Step("GPGGA,123600,,,,,0,00,,,M,,M,,"));
    // A reset model numbers its fixes on from where it was, so the first fix after the
    // reset is never taken for the one before it.
    const std::optional<PositionSample> again = s.Step(kFix);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->fixQuality, 1);
}

TEST(PlotFeed, EachSampleCarriesItsOwnSentencesHdopAndTime) {
    Stream s;
    // A GSA before the GGA belongs to the previous epoch; its dilutions must not be taken.
    s.parser.FeedSentence("GPGSA,A,3,04,05,09,12,,,,,,,,,2.5,4.4,3.3");
    std::optional<PositionSample> a = s.Step(kFix);
    ASSERT_TRUE(a);
    EXPECT_DOUBLE_EQ(a->hdop, 0.9);
    EXPECT_TRUE(std::isnan(a->vdop));
    EXPECT_EQ(a->utcMs, kMidnight + ((12 * 60 + 35) * 60 + 19) * 1000);

    // No HDOP in the sentence: none in the sample, not the one of the sentence before.
    std::optional<PositionSample> b =
        s.Step("GPGGA,123520.25,4807.038,N,01131.000,E,1,08,,545.4,M,,M,,");
    ASSERT_TRUE(b);
    EXPECT_TRUE(std::isnan(b->hdop));
    EXPECT_EQ(b->utcMs, kMidnight + ((12 * 60 + 35) * 60 + 20) * 1000 + 250);

    // An unusable time leaves the sample undated.
    std::optional<PositionSample> c =
        s.Step("GPGGA,9961xx,4807.038,N,01131.000,E,1,08,1.1,545.4,M,,M,,");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->utcMs, 0);
    EXPECT_DOUBLE_EQ(c->hdop, 1.1);
}

TEST(PlotFeed, TimeOfDayTakesTheNearestDay) {
    const std::int64_t day = 86400000;
    struct Case {
        std::int32_t timeOfDay;
        std::int64_t now;
        std::int64_t expected;
    };
    const Case cases[] = {
        {12 * 3600000, kMidnight + 12 * 3600000 + 500, kMidnight + 12 * 3600000},
        // A fix from just before midnight seen just after it.
        {day - 1000, kMidnight + 2000, kMidnight - 1000},
        // A receiver clock a little ahead of the computer's, across midnight.
        {500, kMidnight - 1000, kMidnight + 500},
        {0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UtcOfTimeOfDay(c.timeOfDay, c.now), c.expected) << c.timeOfDay << " " << c.now;
}
