#include "LinePacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

using Time = LinePacer::Time;
using std::chrono::milliseconds;
using std::chrono::seconds;

// A far end that takes what is due whenever the simulator wakes up, at most `maxWrite`
// bytes a write (fewer when the terminal's buffer is full).
struct Writer {
    explicit Writer(LinePacer& p, std::size_t most = std::numeric_limits<std::size_t>::max())
        : pacer(p), maxWrite(most) {}

    LinePacer& pacer;
    std::size_t maxWrite;
    std::string out;
    struct Write {
        Time at;
        std::size_t size;
    };
    std::vector<Write> writes;

    void WakeAt(Time now) {
        for (;;) {
            const auto piece = pacer.Due(now);
            if (piece.empty())
                return;
            const auto n = std::min(piece.size(), maxWrite);
            out.append(piece.substr(0, n));
            writes.push_back({now, n});
            pacer.Sent(n, now);
            if (n < piece.size())
                return;
        }
    }
};

// Wakes exactly when each piece falls due until everything has gone; bounded, so that a
// pacer that never lets its bytes go fails instead of hanging.
void DrainOnTime(Writer& writer) {
    for (int wakeUps = 0; wakeUps < 1'000'000; ++wakeUps) {
        const auto due = writer.pacer.NextDue();
        if (!due)
            return;
        writer.WakeAt(*due);
    }
    ADD_FAILURE() << "the queue never drained";
}

std::string Text(std::size_t size, char seed) {
    std::string text(size, ' ');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('!' + (seed + i * 7) % 90);
    return text;
}

// No more bytes have reached the far end at any moment than the line carries from `start`:
// ten bit times a byte.
void ExpectWithinRate(const std::vector<Writer::Write>& writes, int baud, Time start) {
    std::uint64_t total = 0;
    for (const auto& w : writes) {
        total += w.size;
        const auto elapsed = static_cast<std::uint64_t>((w.at - start).count());
        ASSERT_LE(total * 10 * 1'000'000'000ull, elapsed * static_cast<std::uint64_t>(baud))
            << total << " bytes at " << elapsed << " ns";
    }
}

struct RateCase {
    int baud;
    Time wakeEvery;       // zero: the simulator wakes exactly when the next piece is due
    std::size_t maxWrite; // what the terminal takes a write
};

class LinePacerRate : public testing::TestWithParam<RateCase> {};

TEST_P(LinePacerRate, CarriesEverythingInOrderAtTheLineRateInSmallPieces) {
    const auto c = GetParam();
    LinePacer pacer(c.baud, 7);
    Writer writer{pacer, c.maxWrite};
    const std::string reply = Text(1500, 3);
    const Time start = milliseconds(250);
    ASSERT_TRUE(pacer.Enqueue(reply, LinePacer::Kind::Reply, start));
    Time now = start;
    for (int wakeUps = 0; pacer.Queued() > 0 && wakeUps < 1'000'000; ++wakeUps) {
        if (c.wakeEvery == Time::zero()) {
            const auto due = pacer.NextDue();
            ASSERT_TRUE(due);
            now = std::max(now, *due);
        } else {
            now += c.wakeEvery;
        }
        writer.WakeAt(now);
    }
    ASSERT_EQ(writer.out, reply);
    ExpectWithinRate(writer.writes, c.baud, start);
    for (const auto& w : writer.writes) {
        EXPECT_GE(w.size, 1u);
        EXPECT_LE(w.size, LinePacer::kMaxPiece);
    }
    // And no slower than the line, give or take one wake-up and one piece.
    const auto ideal = Time(reply.size() * 10 * 1'000'000'000ll / c.baud);
    const auto slack = c.wakeEvery + Time(LinePacer::kMaxPiece * 10 * 1'000'000'000ll / c.baud);
    EXPECT_LE(writer.writes.back().at - start, ideal + slack);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LinePacerRate,
    testing::Values(RateCase{9600, Time::zero(), 1000}, RateCase{9600, milliseconds(1), 1000},
                    RateCase{9600, milliseconds(7), 1000}, RateCase{9600, milliseconds(40), 1000},
                    RateCase{4800, milliseconds(3), 1000}, RateCase{1200, Time::zero(), 1000},
                    RateCase{115200, milliseconds(1), 1000}, RateCase{921600, Time::zero(), 1000},
                    // A terminal that takes only a few bytes at a time: the rest stays queued.
                    RateCase{9600, milliseconds(2), 3}, RateCase{115200, Time::zero(), 1}),
    [](const testing::TestParamInfo<RateCase>& info) {
        const auto& c = info.param;
        return "Baud" + std::to_string(c.baud) + "Wake" +
               (c.wakeEvery == Time::zero()
                    ? std::string("OnTime")
                    : std::to_string(c.wakeEvery.count() / 1'000'000) + "ms") +
               (c.maxWrite < LinePacer::kMaxPiece ? "Takes" + std::to_string(c.maxWrite) : "");
    });

TEST(LinePacer, PieceBoundariesVaryAndRepeatWithTheSeed) {
    const auto boundaries = [](std::uint64_t seed) {
        LinePacer pacer(9600, seed);
        Writer writer{pacer};
        EXPECT_TRUE(pacer.Enqueue(Text(2000, 1), LinePacer::Kind::Reply, Time::zero()));
        DrainOnTime(writer);
        std::vector<std::size_t> sizes;
        for (const auto& w : writer.writes)
            sizes.push_back(w.size);
        return sizes;
    };
    const auto first = boundaries(1);
    EXPECT_EQ(first, boundaries(1));
    EXPECT_NE(first, boundaries(2));
    const std::set<std::size_t> distinct(first.begin(), first.end());
    EXPECT_GE(distinct.size(), 12u) << "piece sizes hardly vary";
}

TEST(LinePacer, AnIdleLineSavesNothingUpAndAStallIsNotMadeUpInABurst) {
    LinePacer pacer(9600, 3);
    Writer writer{pacer};
    ASSERT_TRUE(pacer.Enqueue("AT+TEST_SIM==1\r\n", LinePacer::Kind::Reply, Time::zero()));
    DrainOnTime(writer);
    // Quiet for ten seconds, then a reply: its first piece still takes its bytes' time.
    const Time later = seconds(10);
    ASSERT_TRUE(pacer.Enqueue(Text(900, 5), LinePacer::Kind::Reply, later));
    EXPECT_TRUE(pacer.Due(later).empty());
    const auto firstDue = pacer.NextDue();
    ASSERT_TRUE(firstDue);
    EXPECT_GE(*firstDue - later, Time(1'041'666)); // at least one byte's time at 9600

    // The simulator is not scheduled for a whole second in the middle of the reply.
    writer.writes.clear();
    writer.WakeAt(*firstDue);
    const Time woken = later + seconds(1);
    writer.writes.clear();
    writer.WakeAt(woken);
    for (Time now = woken; now < woken + milliseconds(100); now += milliseconds(1))
        writer.WakeAt(now);
    std::size_t burst = 0;
    for (const auto& w : writer.writes)
        burst += w.size;
    // One overdue piece, then the line's rate: 96 bytes in 100 ms at 9600.
    EXPECT_LE(burst, LinePacer::kMaxPiece + 96 + 1);
    EXPECT_GE(burst, 80u);
}

// Epochs and replies offered to a line, and what reached the far end.
struct Traffic {
    int baud;
    double epochsPerSecond;
    std::size_t epochSize;
    std::size_t longReply; // length of one reply longer than the backlog, or 0
    bool someDropped;      // the line cannot carry every epoch
};

class LinePacerBacklog : public testing::TestWithParam<Traffic> {};

TEST_P(LinePacerBacklog, DropsOnlyWholeEpochsAndNeverAReply) {
    const auto t = GetParam();
    LinePacer pacer(t.baud, 11);
    Writer writer{pacer};
    std::string expected; // everything accepted, in the order it was queued
    std::size_t accepted = 0, dropped = 0, replies = 0;
    const Time period(static_cast<Time::rep>(1e9 / t.epochsPerSecond));
    Time nextEpoch = Time::zero();
    for (Time now = Time::zero(); now < seconds(8); now += milliseconds(1)) {
        if (now >= nextEpoch) {
            nextEpoch += period;
            // Each epoch unique, so that a piece of one in the wrong place shows.
            const std::string epoch = "<E" + std::to_string(accepted + dropped) + ">" +
                                      Text(t.epochSize - 8, static_cast<char>(accepted)) + "\r\n";
            const std::size_t before = pacer.Queued();
            if (pacer.Enqueue(epoch, LinePacer::Kind::Stream, now)) {
                ++accepted;
                expected += epoch;
                EXPECT_TRUE(before == 0 || before < pacer.BacklogLimit());
            } else {
                ++dropped;
                EXPECT_GE(before, pacer.BacklogLimit()) << "an epoch refused on a line not behind";
                EXPECT_GT(before, 0u) << "an epoch refused on an idle line";
            }
        }
        // A command every 333 ms, the fifth one with a long reply if the case has one.
        if (now.count() % 333'000'000 == 0) {
            const std::size_t length = replies == 4 && t.longReply ? t.longReply : 20;
            const std::string reply =
                "AT+R" + std::to_string(replies) + "==" + Text(length, 'r') + "#\r\n";
            ++replies;
            ASSERT_TRUE(pacer.Enqueue(reply, LinePacer::Kind::Reply, now));
            expected += reply;
        }
        writer.WakeAt(now);
    }
    for (Time now = seconds(8); pacer.Queued() > 0 && now < seconds(120); now += milliseconds(1))
        writer.WakeAt(now);
    EXPECT_EQ(writer.out, expected);
    EXPECT_GE(accepted, 3u);
    EXPECT_EQ(dropped > 0, t.someDropped) << dropped << " of " << accepted + dropped;
    if (t.baud > 0)
        ExpectWithinRate(writer.writes, t.baud, Time::zero());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LinePacerBacklog,
    testing::Values(Traffic{4800, 1.0, 620, 0, true}, Traffic{4800, 4.0, 620, 0, true},
                    Traffic{9600, 1.0, 620, 0, false}, Traffic{9600, 10.0, 620, 3000, true},
                    Traffic{115200, 20.0, 1000, 0, true}, Traffic{115200, 10.0, 620, 3000, false},
                    Traffic{0, 20.0, 620, 3000, false}),
    [](const testing::TestParamInfo<Traffic>& info) {
        const auto& t = info.param;
        return (t.baud ? "Baud" + std::to_string(t.baud) : std::string("Instant")) + "At" +
               std::to_string(static_cast<int>(t.epochsPerSecond)) + "Hz" +
               (t.longReply ? "LongReply" : "");
    });

TEST(LinePacer, AnEpochLongerThanTheBacklogStillGoesOnAnIdleLine) {
    LinePacer pacer(1200, 1); // one second of line: 120 bytes
    ASSERT_EQ(pacer.BacklogLimit(), 120u);
    EXPECT_TRUE(pacer.Enqueue(Text(620, 1), LinePacer::Kind::Stream, Time::zero()));
    EXPECT_FALSE(pacer.Enqueue(Text(10, 2), LinePacer::Kind::Stream, Time::zero()));
    EXPECT_TRUE(pacer.Enqueue(Text(10, 3), LinePacer::Kind::Reply, Time::zero()));
    EXPECT_EQ(pacer.Queued(), 630u);
}

TEST(LinePacer, WithoutAPaceEverythingQueuedIsDueAtOnceInOnePiece) {
    LinePacer pacer(0, 1);
    EXPECT_FALSE(pacer.NextDue());
    ASSERT_TRUE(pacer.Enqueue("$GNGGA,1*00\r\n", LinePacer::Kind::Stream, seconds(3)));
    ASSERT_TRUE(pacer.Enqueue("AT+ID==1#\r\n", LinePacer::Kind::Reply, seconds(3)));
    EXPECT_EQ(pacer.NextDue(), Time::zero());
    EXPECT_EQ(pacer.Due(seconds(3)), "$GNGGA,1*00\r\nAT+ID==1#\r\n");
    // The terminal took only part of it: the rest is due at once, nothing is lost.
    pacer.Sent(5, seconds(3));
    EXPECT_EQ(pacer.Due(seconds(3)), "A,1*00\r\nAT+ID==1#\r\n");
    pacer.Sent(pacer.Queued(), seconds(3));
    EXPECT_TRUE(pacer.Due(seconds(3)).empty());
    EXPECT_FALSE(pacer.NextDue());

    // A far end that never reads: epochs stop being queued at the backlog, replies do not.
    while (pacer.Enqueue(Text(620, 1), LinePacer::Kind::Stream, seconds(4))) {
    }
    EXPECT_GE(pacer.Queued(), LinePacer::kInstantBacklog);
    EXPECT_LT(pacer.Queued(), LinePacer::kInstantBacklog + 620);
    EXPECT_TRUE(pacer.Enqueue(Text(620, 1), LinePacer::Kind::Reply, seconds(4)));
}

} // namespace
