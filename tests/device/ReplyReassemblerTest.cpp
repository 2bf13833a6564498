// Replies split anywhere by the reads still reach the readers whole, everything else passes at
// once, and nothing is lost, doubled, reordered or held for long.

#include <gtest/gtest.h>

#include "device/ReplyReassembler.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct ReplyCase {
    const char* name;
    std::string_view unit; // what must reach the readers in one piece
};

const ReplyCase kReplies[] = {
    {"Id", "AT+ID==2026121001#"},
    {"Imei", "AT+IMEI==864209051234567#"},
    {"Password", "AT+PASSWORD==864209#"},
    {"Ip", "AT+IP==203.0.113.10,9000#"},
    {"Apn", "AT+APN==internet#"},
    {"TimeZone", "AT+TIMEZONE==8#"},
    {"Interval", "AT+INTERVAL==30,300#"},
    {"Alarm", "AT+ALARMMODE==5,1#"},
    {"ItemPassed", "AT+TEST_GSENSOR==1"},
    {"ItemNotPassed", "AT+TEST_SIM==0"},
    {"Banner", "Welcome"},
    {"ParameterBlock", "<SETTING\r\nVer: V1.2\r\nID: 123\r\nIMEI: 861234567890123\r\n"
                       "IP: 1.2.3.4,9000\r\nAPN:internet\r\nTimeZone: 8\r\nMODE:1\r\n"
                       "GPRS ENABLE:1\r\nPROTOCOL:2\r\nINTERVAL:30,300\r\nSETTING>"},
};

const std::string kBefore = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const std::string kAfter = "\r\n$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n";

bool AnyPieceHolds(const std::vector<std::string>& pieces, std::string_view unit) {
    for (const std::string& p : pieces) {
        if (p.find(unit) != std::string::npos)
            return true;
    }
    return false;
}

std::string Joined(const std::vector<std::string>& pieces) {
    std::string all;
    for (const std::string& p : pieces)
        all += p;
    return all;
}

class EverySplitPoint : public testing::TestWithParam<ReplyCase> {};

TEST_P(EverySplitPoint, ReachesTheReadersWholeAndInOrder) {
    const std::string stream = kBefore + std::string(GetParam().unit) + kAfter;
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        // Each cut also with a third read of nothing, as when a tick finds the queue empty.
        ReplyReassembler r;
        std::vector<std::string> pieces;
        pieces.push_back(r.Take(std::string_view(stream).substr(0, cut), 0));
        pieces.push_back(r.Take({}, 100));
        pieces.push_back(r.Take(std::string_view(stream).substr(cut), 200));
        EXPECT_TRUE(AnyPieceHolds(pieces, GetParam().unit)) << "cut at " << cut;
        EXPECT_EQ(Joined(pieces), stream) << "cut at " << cut;
        EXPECT_EQ(r.HeldBytes(), 0u) << "cut at " << cut;
    }
}

// At 4800 baud, the slowest line in use, 480 bytes a second, in reads of a few bytes.
TEST_P(EverySplitPoint, ArrivesWholeAtTheSlowestLinesPaceInReadsOfAFewBytes) {
    const std::string stream = kBefore + std::string(GetParam().unit) + kAfter;
    for (std::size_t step : {1u, 3u, 7u, 48u}) {
        ReplyReassembler r;
        std::vector<std::string> pieces;
        for (std::size_t at = 0; at < stream.size(); at += step) {
            const std::size_t end = std::min(at + step, stream.size());
            const auto now = static_cast<std::int64_t>(end * 1000 / 480);
            pieces.push_back(r.Take(std::string_view(stream).substr(at, step), now));
        }
        EXPECT_TRUE(AnyPieceHolds(pieces, GetParam().unit)) << "step " << step;
        EXPECT_EQ(Joined(pieces), stream) << "step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(ReplyKinds, EverySplitPoint, testing::ValuesIn(kReplies),
                         [](const testing::TestParamInfo<ReplyCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ReplyReassembler, PassesTextThatCannotGrowIntoAReplyAtOnce) {
    const std::string_view cases[] = {
        "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74\r\n",
        "$GPGSV,3,1,11,03,03,111,00,04,15", // a sentence cut inside: no reply can start here
        "AT+TEST_ACC==1",                   // a whole result token without its line end
        "AT+ID==7#",                        // a whole reply without its line end
        "SETTING>\r\n",                     // a closing mark alone
        "",
    };
    for (const std::string_view text : cases) {
        ReplyReassembler r;
        EXPECT_EQ(r.Take(text, 0), text);
        EXPECT_EQ(r.HeldBytes(), 0u) << text;
    }
}

TEST(ReplyReassembler, HoldPointIsWhereTheUnfinishedReplyBegins) {
    struct Case {
        std::string_view text;
        std::size_t hold;
    } const cases[] = {
        {"$GPGGA,1*47\r\nAT+IP==1.2", 13}, // unfinished reply on the last line
        {"AT+TEST_SIM==", 0},              // result token without its digit
        {"AT+TEST_SIM==1\r\nAT", 16},      // the start of the next reply
        {"abc\r\nWelc", 5},                // the banner, cut
        {"x<SETTING\r\nVer: 1\r\nAT+", 1}, // an open block holds from its mark
        {"<SETTING\r\nID: 1\r\nSETTING>", 25},
        {"AT+ID==1#\r\n", 11},
        {"..,W", 3}, // a prefix of the banner at the very end is held too
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplyReassembler::HoldPoint(c.text), c.hold) << c.text;
}

TEST(ReplyReassembler, AFragmentThatNeverCompletesIsLetGoAfterItsTime) {
    ReplyReassembler r;
    EXPECT_EQ(r.Take("$GPVTG*48\r\nAT+ID==12", 0), "$GPVTG*48\r\n");
    EXPECT_EQ(r.Take({}, ReplyReassembler::kHoldLimitMs - 1), "");
    EXPECT_EQ(r.Take("3", ReplyReassembler::kHoldLimitMs - 1), "");
    EXPECT_EQ(r.Take({}, ReplyReassembler::kHoldLimitMs), "AT+ID==123");
    EXPECT_EQ(r.HeldBytes(), 0u);
    // The clock of a new fragment starts with it, not with the old one.
    EXPECT_EQ(r.Take("<SETT", 1000), "");
    EXPECT_EQ(r.Take({}, 1000 + ReplyReassembler::kHoldLimitMs - 1), "");
    EXPECT_EQ(r.Take({}, 1000 + ReplyReassembler::kHoldLimitMs), "<SETT");
}

TEST(ReplyReassembler, AnOverlongFragmentIsLetGoAtOnce) {
    ReplyReassembler r;
    std::string block = "<SETTING\r\n";
    EXPECT_EQ(r.Take(block, 0), "");
    const std::string filler(ReplyReassembler::kHoldLimitBytes, 'x');
    EXPECT_EQ(r.Take(filler, 10), block + filler);
    EXPECT_EQ(r.HeldBytes(), 0u);
}

TEST(ReplyReassembler, FlushLetsEverythingGo) {
    ReplyReassembler r;
    EXPECT_EQ(r.Take("AT+APN==inter", 0), "");
    EXPECT_EQ(r.Flush(), "AT+APN==inter");
    EXPECT_EQ(r.Flush(), "");
}

TEST(ReplyReassembler, NulBytesAreBytesLikeAnyOther) {
    using namespace std::string_literals;
    ReplyReassembler r;
    const std::string first = "\0\0Wel"s;
    EXPECT_EQ(r.Take(first, 0), "\0\0"s);
    EXPECT_EQ(r.Take("come\r\n", 100), "Welcome\r\n");
}

} // namespace
