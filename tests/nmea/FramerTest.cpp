#include "NmeaTestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::string kGga = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";

TEST(Framer, DeliversAddressAndDataOfAGoodSentence) {
    RecordingParser p;
    p.Feed("noise\r\n" + Sentence(kGga));
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0], (Callback{true, "GPGGA", kGga.substr(6)}));
}

TEST(Framer, SplitAtEveryByteGivesTheSameSentence) {
    const std::string bytes = Sentence(kGga);
    RecordingParser whole;
    whole.Feed(bytes);
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        RecordingParser split;
        split.Feed(bytes.substr(0, cut));
        split.Feed(bytes.substr(cut));
        EXPECT_EQ(split.calls, whole.calls) << "cut at " << cut;
    }
    RecordingParser bytewise;
    for (char c : bytes)
        bytewise.Feed(std::string(1, c));
    EXPECT_EQ(bytewise.calls, whole.calls);
}

TEST(Framer, ZeroLengthAndNullFeedDoNothing) {
    RecordingParser p;
    p.Feed("$GPVTG,1,T");
    p.FeedBytes(nullptr, 0);
    p.FeedBytes(reinterpret_cast<const uint8_t*>("x"), 0);
    p.Feed("\r");
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0].data, "1,T");
}

TEST(Framer, AddressLimitIsSevenCharacters) {
    RecordingParser p;
    p.Feed(Sentence("ABCDEFG,1"));
    p.Feed(Sentence("ABCDEFGH,2"));
    p.Feed(Sentence("GPVTG,3"));
    ASSERT_EQ(p.calls.size(), 2u);
    EXPECT_EQ(p.calls[0], (Callback{true, "ABCDEFG", "1"}));
    // After the dropped one the framer found the next "$".
    EXPECT_EQ(p.calls[1], (Callback{true, "GPVTG", "3"}));
}

TEST(Framer, DataLimitIs255Characters) {
    RecordingParser p;
    const std::string data255(255, 'x');
    p.Feed(Sentence("GPTXT," + data255));
    p.Feed(Sentence("GPTXT," + data255 + "y"));
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0].data, data255);
}

TEST(Framer, OverlongDataIsForgottenAndTheRestStillFramed) {
    RecordingParser p;
    // 256 data characters drop the sentence; the hunt then skips to the next "$".
    p.Feed("$GPTXT," + std::string(256, 'x') + "*00\r\n" + Sentence("GPVTG,1"));
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0].address, "GPVTG");
}

TEST(Framer, SentenceWithoutChecksumIsGoodAtCr) {
    RecordingParser p;
    p.Feed("$GPVTG,1,T,,M,2,N,3,K\r\n");
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0], (Callback{true, "GPVTG", "1,T,,M,2,N,3,K"}));
}

TEST(Framer, StarEndingTheAddressIsPartOfTheChecksum) {
    RecordingParser p;
    p.Feed("$GPGSV*47\r\n");
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0], (Callback{true, "GPGSV", "47"}));
}

TEST(Framer, DollarInsideDataIsAnOrdinaryCharacter) {
    RecordingParser p;
    p.Feed("$GPAAA,1$GPBBB,2\r\n");
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0], (Callback{true, "GPAAA", "1$GPBBB,2"}));
}

TEST(Framer, CrAndDollarInsideTheAddressAreStored) {
    RecordingParser p;
    p.Feed("$G\r$,1\r");
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0], (Callback{true, "G\r$", "1"}));
}

TEST(Framer, WrongChecksumGoesToBadChecksum) {
    RecordingParser p;
    p.Feed("$GPVTG,1*00\r\n");
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0], (Callback{false, "GPVTG", "1"}));
}

struct DigitCase {
    uint8_t checksum;   // true checksum of the sentence
    const char* digits; // as written after "*"
    bool good;
};

// Upper-case and decimal digits convert correctly, a lower-case letter too in first place; in
// second place it gives 0x2A..0x2F, which matches only when bit 5 of the true checksum is set.
// The digits are not validated at all.
class ChecksumDigits : public ::testing::TestWithParam<DigitCase> {};

TEST_P(ChecksumDigits, ConvertAsTheFramerDoes) {
    const DigitCase& c = GetParam();
    std::string body = "GPXXX,";
    uint8_t checksum = 0;
    for (char ch : body)
        checksum ^= static_cast<uint8_t>(ch);
    // One filler character brings the checksum to the wanted value (never '*', CR or NUL here).
    body += static_cast<char>(checksum ^ c.checksum);
    RecordingParser p;
    p.Feed("$" + body + "*" + c.digits + "\r\n");
    ASSERT_EQ(p.calls.size(), 1u);
    EXPECT_EQ(p.calls[0].good, c.good);
    EXPECT_EQ(p.calls[0].data, body.substr(6));
}

INSTANTIATE_TEST_SUITE_P(Framer, ChecksumDigits,
                         ::testing::Values(DigitCase{0x4A, "4A", true},  //
                                           DigitCase{0x4A, "4a", false}, // bit 5 clear
                                           DigitCase{0x2A, "2a", true},  // bit 5 set
                                           DigitCase{0x6F, "6f", true},  //
                                           DigitCase{0xAB, "aB", true},  // lower-case first
                                           DigitCase{0x29, "29", true},  //
                                           DigitCase{0x10, "0G", true},  // not validated
                                           DigitCase{0x00, "0G", false}));

} // namespace
