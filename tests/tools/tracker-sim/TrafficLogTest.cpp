#include "TrafficLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A log written to memory; the text is there once the log is gone.
class LogInMemory {
public:
    LogInMemory() : m_log(open_memstream(&m_buffer, &m_size)) {}
    ~LogInMemory() { std::free(m_buffer); }
    TrafficLog& log() { return m_log; }
    std::string Close() {
        m_log = TrafficLog();
        return std::string(m_buffer, m_size);
    }

private:
    char* m_buffer = nullptr;
    std::size_t m_size = 0;
    TrafficLog m_log;
};

// "2026-03-05 14:07:09.250 " at the start of a log line (9 standing for a digit).
bool HasStamp(const std::string& line) {
    const std::string form = "9999-99-99 99:99:99.999 ";
    if (line.size() < form.size())
        return false;
    for (std::size_t i = 0; i < form.size(); ++i) {
        const bool digit = line[i] >= '0' && line[i] <= '9';
        if (form[i] == '9' ? !digit : line[i] != form[i])
            return false;
    }
    return true;
}

// The entries without their date and time, each checked for them.
std::vector<std::string> Entries(const std::string& text) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        EXPECT_TRUE(HasStamp(line)) << line;
        entries.push_back(line.substr(24));
        start = end + 1;
    }
    return entries;
}

struct SentCase {
    const char* name;
    std::vector<std::string> writes; // as they went to the line
    std::vector<std::string> entries;
};

class TrafficLogSent : public testing::TestWithParam<SentCase> {};

TEST_P(TrafficLogSent, EntriesFollowTheLinesAndGiveBackEveryByte) {
    const auto& c = GetParam();
    LogInMemory memory;
    std::string written;
    for (const auto& piece : c.writes) {
        memory.log().Sent(piece);
        written += piece;
    }
    const std::string text = memory.Close(); // what is left unfinished is logged at the end
    EXPECT_EQ(Entries(text), c.entries);
    EXPECT_EQ(TrafficLog::SentBytes(text), written);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, TrafficLogSent,
    testing::Values(
        SentCase{"Reply", {"AT+APN==cmnet.example#\r\n"}, {"TX AT+APN==cmnet.example#"}},
        SentCase{"SplitAnywhere",
                 {"Wel", "come\r", "\n$GNG", "GA,1*00\r\nAT+TEST_SIM", "==1\r\n"},
                 {"TX Welcome", "TX $GNGGA,1*00", "TX AT+TEST_SIM==1"}},
        SentCase{"NoiseAndBackslash",
                 {std::string("\x01\\\xFF\0$", 5), "GP*00\r\n"},
                 {"TX \\x01\\x5C\\xFF\\x00$GP*00"}},
        SentCase{"LineFeedAloneAndEmptyLine", {"a\nb\r\n\r\n"}, {"TX a\\x0A\\", "TX b", "TX "}},
        SentCase{"UnfinishedAtTheEnd", {"AT+ID==1#\r\nAT+I"}, {"TX AT+ID==1#", "TX AT+I\\"}},
        SentCase{"CarriageReturnAtTheEnd", {"x\r"}, {"TX x\\x0D\\"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrafficLog, ReceivedLinesAndFlushKeepTheOrderOfTheLine) {
    LogInMemory memory;
    memory.log().Received("AT+TEST=1");
    memory.log().Sent("<SETTING\r\nVer");
    // Nothing of an unfinished line is logged until it ends or the queue is empty.
    memory.log().Received("AT+GPSTEST=0");
    memory.log().Sent(": V1\r\n");
    memory.log().Sent("SETT");
    memory.log().Flush();
    memory.log().Sent("ING>\r\n");
    memory.log().Received("bad\\\x80");
    const std::string text = memory.Close();
    EXPECT_EQ(Entries(text),
              (std::vector<std::string>{"RX AT+TEST=1", "TX <SETTING", "RX AT+GPSTEST=0",
                                        "TX Ver: V1", "TX SETT\\", "TX ING>", "RX bad\\x5C\\x80"}));
    EXPECT_EQ(TrafficLog::SentBytes(text), "<SETTING\r\nVer: V1\r\nSETTING>\r\n");
}

} // namespace
