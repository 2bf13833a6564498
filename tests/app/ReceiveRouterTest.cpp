// The receive distribution: which sink gets a drained chunk, in which order and in which form.

#include <gtest/gtest.h>

#include "app/IReceiveMonitor.h"
#include "app/IRecordSink.h"
#include "app/ReceiveRouter.h"
#include "device/IDeviceReplyConsumer.h"
#include "device/IReceiveChunkConsumer.h"

#include <functional>
#include <string>
#include <vector>

namespace {

// Every sink writes one line per delivery into the same log, so that order shows.
struct Sinks : IDeviceReplyConsumer, IReceiveMonitor, IReceiveChunkConsumer, IRecordSink {
    std::vector<std::string> log;
    std::u16string lastReplyText;
    std::function<void()> duringTestPage;

    void ApplyDeviceReply(ReplyType type, std::u16string_view text) override {
        lastReplyText = std::u16string(text);
        std::string narrow;
        for (char16_t c : text) {
            narrow += c < 0x80 ? static_cast<char>(c) : '?';
        }
        log.push_back("reply " + std::to_string(static_cast<int>(type)) + "=" + narrow);
    }
    void ShowReceived(std::string_view text) override {
        log.push_back("monitor " + std::string(text));
    }
    void OnReceive(std::string_view chunk) override {
        log.push_back("test " + std::string(chunk));
        if (duringTestPage) {
            duringTestPage();
        }
    }
    void Record(const std::uint8_t* bytes, std::size_t length) override {
        log.push_back("record " + std::string(reinterpret_cast<const char*>(bytes), length));
    }
};

class ReceiveRouterTest : public testing::Test {
protected:
    Sinks sinks;
    DeviceReplyRecord record{};
    ReceiveRouter router{sinks, sinks, sinks, sinks, record};

    std::int64_t now = 0;
    void Deliver(const std::string& bytes) {
        router.Deliver(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), now);
        now += 100;
    }
};

struct RouteCase {
    const char* name;
    std::string chunk;
    std::vector<std::string> log;
};

class Routes : public ReceiveRouterTest, public testing::WithParamInterface<RouteCase> {};

TEST_P(Routes, ToTheRightSinksInOrder) {
    const RouteCase& c = GetParam();
    Deliver(c.chunk);
    EXPECT_EQ(sinks.log, c.log);
}

// Text that is no reply reaches the monitor, the record file and the test page, in that order.
std::vector<std::string> Shown(const std::string& text) {
    return {"monitor " + text, "record " + text, "test " + text};
}

std::vector<std::string> Then(std::vector<std::string> first,
                              const std::vector<std::string>& next) {
    first.insert(first.end(), next.begin(), next.end());
    return first;
}

const std::string kNul("\0", 1);
const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

INSTANTIATE_TEST_SUITE_P(
    Chunks, Routes,
    testing::Values(
        RouteCase{"ReplyGoesOnlyToTheConfigurationPage", "AT+ID==ABC#\r\n", {"reply 1=ABC"}},
        RouteCase{"IpReplyAlsoYieldsThePort",
                  "AT+IP==10.0.0.5,8001#",
                  {"reply 4=10.0.0.5", "reply 5=8001"}},
        RouteCase{"IntervalReplyAlsoYieldsTheSecondInterval",
                  "AT+INTERVAL==30,600#",
                  {"reply 8=30", "reply 9=600"}},
        RouteCase{"ReplyAmongNmeaIsTakenOutWithItsLineEnd", kGga + "AT+ID==ABC#\r\n" + kGga,
                  Then({"reply 1=ABC"}, Shown(kGga + kGga))},
        RouteCase{"ReplyFollowedByTextInOneRead", "AT+ID==ABC#" + std::string(86, ' '),
                  Then({"reply 1=ABC"}, Shown(std::string(86, ' ')))},
        RouteCase{
            "TwoRepliesInOneRead", "AT+ID==A#\r\nAT+APN==net#\r\n", {"reply 1=A", "reply 6=net"}},
        RouteCase{"ResultTokensAreNoConfigurationReply", "AT+TEST_SIM==1\r\nAT+TEST_GPS==1#\r\n",
                  Shown("AT+TEST_SIM==1\r\nAT+TEST_GPS==1#\r\n")},
        RouteCase{"AReplyNeverReachesOverALineEnd", "AT+ID==\r\nABC#\r\n",
                  Shown("AT+ID==\r\nABC#\r\n")},
        RouteCase{"UnrecognisedReplyIsShown", "AT+IP==10.0.0.5#\r\n",
                  Shown("AT+IP==10.0.0.5#\r\n")},
        RouteCase{"NulHidesNothing", "$GPTXT,one*00\r\n" + kNul + "after the NUL\r\n",
                  Shown("$GPTXT,one*00\r\n" + kNul + "after the NUL\r\n")},
        RouteCase{"ReplyBeforeANulIsAReply", "AT+ID==ABC#" + kNul + "junk",
                  Then({"reply 1=ABC"}, Shown(kNul + "junk"))},
        RouteCase{"ReplyAfterANulIsAReply", kNul + "AT+ID==ABC#",
                  Then({"reply 1=ABC"}, Shown(kNul))},
        RouteCase{"EmptyChunkGoesNowhere", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReceiveRouterTest, AReplyCutByTheReadsIsTakenWhole) {
    Deliver(kGga + "AT+IP==203.0.1");
    EXPECT_EQ(sinks.log, Shown(kGga));
    Deliver("13.10,90");
    EXPECT_EQ(sinks.log, Shown(kGga));
    Deliver("00#\r\n" + kGga);
    EXPECT_EQ(sinks.log,
              Then(Shown(kGga), Then({"reply 4=203.0.113.10", "reply 5=9000"}, Shown(kGga))));
}

TEST_F(ReceiveRouterTest, AFragmentThatNeverCompletesIsShownAfterItsHold) {
    Deliver("AT+IP==10.0.0.5,8001");
    EXPECT_TRUE(sinks.log.empty());
    now += ReplyReassembler::kHoldLimitMs;
    Deliver("");
    EXPECT_EQ(sinks.log, Shown("AT+IP==10.0.0.5,8001"));
}

// What the device sent is what the monitor showed plus what the configuration page took, in
// whatever pieces the reads cut it.
TEST_F(ReceiveRouterTest, EveryByteArrivesOnceWhereverTheReadsAreCut) {
    std::string sent;
    for (int i = 0; i < 4; ++i)
        sent += kGga + "AT+TEST_SIM==1\r\nAT+PASSWORD==864209#\r\n" + kNul + "Welcome\r\n";
    std::string shown;
    std::size_t replies = 0;
    for (std::size_t at = 0, step = 1; at < sent.size(); at += step, step = step % 13 + 1) {
        sinks.log.clear();
        Deliver(sent.substr(at, step));
        for (const std::string& line : sinks.log) {
            if (line.starts_with("monitor "))
                shown += line.substr(8);
            else if (line.starts_with("reply "))
                ++replies;
        }
    }
    std::string expected = sent;
    for (std::size_t p; (p = expected.find("AT+PASSWORD==864209#\r\n")) != std::string::npos;)
        expected.erase(p, 22);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(replies, 4u);
}

TEST_F(ReceiveRouterTest, ReplyTextIsDecodedFromTheDevicesEightBitText) {
    Deliver("AT+APN==caf\xc3\xa9#");
    EXPECT_EQ(sinks.lastReplyText, u"caf\u00e9");
    Deliver("AT+APN==a\xff#");
    EXPECT_EQ(sinks.lastReplyText, u"a\ufffd");
    // The reply was stored in the router's record, where the page's later reads find it.
    EXPECT_STREQ(record.apn, "a\xff");
}

TEST_F(ReceiveRouterTest, AChunkDeliveredFromInsideASinkKeepsTheOuterChunkIntact) {
    // A test page that shows a modal message box lets the next tick run inside its OnReceive.
    bool nested = false;
    sinks.duringTestPage = [&] {
        if (nested) {
            return;
        }
        nested = true;
        Deliver("$GPTXT,second*00\r\n");
    };
    Deliver("$GPTXT,first*00\r\n");
    // The record file keeps the order in which the bytes came.
    const std::vector<std::string> expected = {
        "monitor $GPTXT,first*00\r\n",  "record $GPTXT,first*00\r\n",  "test $GPTXT,first*00\r\n",
        "monitor $GPTXT,second*00\r\n", "record $GPTXT,second*00\r\n", "test $GPTXT,second*00\r\n"};
    EXPECT_EQ(sinks.log, expected);
}

} // namespace
