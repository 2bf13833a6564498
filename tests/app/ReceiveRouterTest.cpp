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
    void ShowReceived(const char* text) override { log.push_back("monitor " + std::string(text)); }
    void OnReceive(const char* chunk) override {
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

    void Deliver(const std::string& bytes) {
        router.Deliver(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
};

std::string Padded(std::string text, std::size_t size) {
    text.resize(size, ' ');
    return text;
}

std::string NmeaAround(const std::string& reply) {
    std::string text;
    while (text.size() < 100) {
        text += "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    }
    return text + reply + "\r\n" + text;
}

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

std::vector<std::string> Shown(const std::string& text, const std::string& recorded) {
    return {"monitor " + text, "test " + text, "record " + recorded};
}

const std::string kNul("\0", 1);

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
        RouteCase{"ReplyOfExactly96Bytes", Padded("AT+ID==ABC#", 96), {"reply 1=ABC"}},
        RouteCase{"ReplyIn97BytesIsShown", Padded("AT+ID==ABC#", 97),
                  Shown(Padded("AT+ID==ABC#", 97), Padded("AT+ID==ABC#", 97))},
        RouteCase{"ReplyInsideNmeaIsShown", NmeaAround("AT+ID==ABC#"),
                  Shown(NmeaAround("AT+ID==ABC#"), NmeaAround("AT+ID==ABC#"))},
        RouteCase{"IncompleteReplyIsShown", "AT+IP==10.0.0.5,8001",
                  Shown("AT+IP==10.0.0.5,8001", "AT+IP==10.0.0.5,8001")},
        RouteCase{"TextEndsAtTheFirstNulButAllBytesAreRecorded",
                  "$GPTXT,one*00\r\n" + kNul + "after the NUL\r\n",
                  Shown("$GPTXT,one*00\r\n", "$GPTXT,one*00\r\n" + kNul + "after the NUL\r\n")},
        RouteCase{"ReplyBeforeANulIsStillAReply", "AT+ID==ABC#" + kNul + "junk", {"reply 1=ABC"}},
        RouteCase{"ReplyAfterANulIsNotSeen", kNul + "AT+ID==ABC#", Shown("", kNul + "AT+ID==ABC#")},
        RouteCase{"EmptyChunkGoesNowhere", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

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
    const std::vector<std::string> expected = {
        "monitor $GPTXT,first*00\r\n",  "test $GPTXT,first*00\r\n",
        "monitor $GPTXT,second*00\r\n", "test $GPTXT,second*00\r\n",
        "record $GPTXT,second*00\r\n",  "record $GPTXT,first*00\r\n"};
    EXPECT_EQ(sinks.log, expected);
}

} // namespace
