#include "NmeaTestSupport.h"
#include "nmea/DisplaySnapshot.h"
#include "nmea/SnapshotLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

// A position thread as the acquisition side runs it: wake on the position event, take the
// snapshot, then release the reader.
TEST(PositionHandshake, EveryGgaIsSnapshottedBeforeTheReaderGoesOn) {
    auto parser = std::make_unique<CNMEAParserWin32>();
    std::atomic<bool> stop{false};
    std::vector<double> latitudes;
    std::thread position([&] {
        for (;;) {
            if (!parser->m_hPositionEvent.Wait(std::chrono::milliseconds(2200)))
                continue;
            if (stop)
                return;
            parser->m_hPositionEvent.Reset();
            DisplaySnapshot copy{};
            {
                std::lock_guard<std::mutex> lock(snapshotLock);
                CopyModelToSnapshot(*parser, copy);
            }
            latitudes.push_back(copy.latitude);
            parser->m_hPositionEventProcessed.Set();
        }
    });
    std::string bytes;
    for (int i = 1; i <= 5; ++i)
        bytes += Sentence("GPGGA,1200" + std::to_string(10 + i) + "," + std::to_string(10 + i) +
                          "00.000,N,01131.000,E,1,08,0.9,545.4,M,,M,,") +
                 Sentence("GPVTG,1,T,,M,2,N,3,K");
    const auto start = std::chrono::steady_clock::now();
    parser->FeedBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                      static_cast<uint32_t>(bytes.size()));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    stop = true;
    parser->m_hPositionEvent.Set();
    position.join();
    // Each snapshot saw its own GGA: the reader waited for every one.
    ASSERT_EQ(latitudes.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_DOUBLE_EQ(latitudes[i], 11.0 + i) << i;
    EXPECT_FALSE(parser->m_hPositionEventProcessed.IsSet());
    EXPECT_LT(elapsed, std::chrono::milliseconds(1000)); // no wait ran into its time-out
}

TEST(PositionHandshake, WithoutAPositionThreadTheWaitTimesOutOnce) {
    auto parser = std::make_unique<CNMEAParserWin32>();
    const std::string gga = Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,");
    const auto start = std::chrono::steady_clock::now();
    parser->FeedBytes(reinterpret_cast<const uint8_t*>(gga.data()),
                      static_cast<uint32_t>(gga.size()));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(1000));
    EXPECT_TRUE(parser->m_hPositionEvent.IsSet());
    EXPECT_EQ(parser->gga.count, 1u);
}

TEST(PositionHandshake, ALateReleaseLetsTheNextGgaPassAndIsThenReset) {
    auto parser = std::make_unique<CNMEAParserWin32>();
    parser->m_hPositionEventProcessed.Set(); // released after the previous wait had timed out
    const std::string gga = Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,");
    const auto start = std::chrono::steady_clock::now();
    parser->FeedBytes(reinterpret_cast<const uint8_t*>(gga.data()),
                      static_cast<uint32_t>(gga.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_FALSE(parser->m_hPositionEventProcessed.IsSet());
}

TEST(PositionHandshake, SwitchedOffNeverSignals) {
    auto parser = std::make_unique<CNMEAParserWin32>();
    parser->SetPositionHandshake(false);
    const std::string gga = Sentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,");
    parser->FeedBytes(reinterpret_cast<const uint8_t*>(gga.data()),
                      static_cast<uint32_t>(gga.size()));
    EXPECT_FALSE(parser->m_hPositionEvent.IsSet());
}

// After a frame has been slower than the reader's wait, GGAs pass without waiting, so the
// reader decodes while the position thread copies. Each copy must still be one whole GGA.
TEST(PositionHandshake, ACopyTakenWhileTheReaderDecodesIsNeverTorn) {
    auto parser = std::make_unique<CNMEAParserWin32>();
    parser->SetPositionHandshake(false);
    std::string bytes;
    // Longitude i degrees goes with altitude i metres.
    for (int i = 1; i <= 170; ++i) {
        char body[96];
        std::snprintf(body, sizeof body, "GPGGA,120000,4800.000,N,%03d00.000,E,1,08,0.9,%d,M,,M,,",
                      i, i);
        bytes += Sentence(body);
    }
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread copier([&] {
        while (!done) {
            DisplaySnapshot copy{};
            {
                std::lock_guard<std::mutex> lock(snapshotLock);
                CopyModelToSnapshot(*parser, copy);
            }
            if (copy.longitude != copy.altitude)
                ++torn;
        }
    });
    for (int round = 0; round < 20; ++round)
        parser->FeedBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                          static_cast<uint32_t>(bytes.size()));
    done = true;
    copier.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(parser->gga.count, 3400u);
}

} // namespace
