#include "serial/Acquisition.h"

#include "nmea/CNMEAParserWin32.h"
#include "nmea/DisplaySnapshot.h"
#include "nmea/SnapshotLock.h"
#include "serial/CSio.h"

#include "PtyPair.h"
#include "ScratchFile.h"
#include "TestEvents.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <mutex>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string Sentence(const std::string& body) {
    uint8_t sum = 0;
    for (char c : body)
        sum ^= static_cast<uint8_t>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// A GGA whose latitude tells the sentences apart: 48 degrees and `minutes` minutes north.
std::string Gga(int minutes) {
    char body[128];
    std::snprintf(body, sizeof body,
                  "GPGGA,123519,48%02d.000,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", minutes);
    return Sentence(body);
}

const std::string kGsa = Sentence("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
const std::string kGsv = Sentence("GPGSV,1,1,02,04,45,120,40,05,30,200,35");

size_t QueuedBytes() {
    std::lock_guard<std::mutex> lock(snapshotLock);
    return receiveQueue.size();
}

std::string DrainAll() {
    std::string out;
    std::vector<uint8_t> buffer(kDrainChunk);
    while (const uint32_t n = DrainReceiveQueue(buffer.data()))
        out.append(reinterpret_cast<const char*>(buffer.data()), n);
    return out;
}

template <class Pred> bool WaitFor(Pred pred, std::chrono::milliseconds timeout = 3000ms) {
    const auto deadline = Clock::now() + timeout;
    while (!pred()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Waits until `stop` is requested or `limit` passes, as a frame that is busy (or gone) would.
void BlockUntil(std::stop_token stop, std::chrono::milliseconds limit) {
    std::mutex m;
    std::condition_variable_any cv;
    std::unique_lock<std::mutex> lock(m);
    cv.wait_for(lock, stop, limit, [] { return false; });
}

class Acquisition : public testing::Test {
protected:
    void SetUp() override {
        ResetAll();
        SetAcquisitionEvents(&events);
    }
    void TearDown() override {
        StopAcquisition();
        SetAcquisitionEvents(nullptr);
        ResetAll();
    }
    static void ResetAll() {
        StopAcquisition();
        theSerialPort.Close();
        DrainAll();
        theParser.ResetData();
        theParser.m_hPositionEvent.Reset();
        theParser.m_hPositionEventProcessed.Reset();
    }
    void ExpectStopWithinASecond() {
        const auto start = Clock::now();
        StopAcquisition();
        EXPECT_LT(Clock::now() - start, 1000ms);
    }

    TestEvents events;
};

TEST_F(Acquisition, QueueDrainsInChunksOf32768InOrder) {
    std::vector<uint8_t> all(40000);
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<uint8_t>(i * 7 + i / 256);
    {
        std::lock_guard<std::mutex> lock(snapshotLock);
        receiveQueue.insert(receiveQueue.end(), all.begin(), all.end());
    }
    std::vector<uint8_t> buffer(kDrainChunk);
    ASSERT_EQ(DrainReceiveQueue(buffer.data()), 32768u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), all.begin()));
    ASSERT_EQ(DrainReceiveQueue(buffer.data()), 7232u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 7232, all.begin() + 32768));
    EXPECT_EQ(DrainReceiveQueue(buffer.data()), 0u);
}

TEST_F(Acquisition, ReadSizeFollowsTheKindOfSourceAndEmptyStepsPostNothing) {
    ReadSource(); // nothing open
    EXPECT_EQ(events.dataReceived.load(), 0);

    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_GE(theSerialPort.Open(pty.slavePath, 9600), 0);
    ReadSource(); // a port with nothing waiting
    EXPECT_EQ(events.dataReceived.load(), 0);
    EXPECT_EQ(QueuedBytes(), 0u);
    EXPECT_EQ(events.sourceLost.load(), 0);
    theSerialPort.Close();

    // A playback is read 2560 bytes at a time, up to its end.
    const ScratchFile playback("acquisition-playback.bin", std::string(6000, 'p'));
    ASSERT_TRUE(theSerialPort.OpenPlayback(playback.path));
    for (size_t expected : {2560u, 5120u, 6000u, 6000u}) {
        ReadSource();
        EXPECT_EQ(QueuedBytes(), expected);
    }
    EXPECT_EQ(events.dataReceived.load(), 3);
    EXPECT_EQ(events.sourceLost.load(), 0); // the end of a file is not a lost source
    theSerialPort.Close();
    DrainAll();

    // Back on a live source, a read takes up to 10240 bytes. (A pipe stands in for a port
    // that has that much waiting; a pty hands over at most 4 KiB per read.)
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    const std::string live(20000, 'l');
    ASSERT_EQ(write(pipeFds[1], live.data(), live.size()), static_cast<ssize_t>(live.size()));
    theSerialPort.m_hPort.store(pipeFds[0]);
    for (size_t expected : {10240u, 20000u}) {
        ReadSource();
        EXPECT_EQ(QueuedBytes(), expected);
    }
    EXPECT_EQ(DrainAll(), live);
    theSerialPort.Close(); // closes the read end
    close(pipeFds[1]);
}

TEST_F(Acquisition, PtyRoundTripQueuesEveryByteInOrderAfterTheFramerSawIt) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_GE(theSerialPort.Open(pty.slavePath, 9600), 0);

    const std::string block1 = Gga(1) + kGsa + kGsv + Gga(2) + "noise\r\n" + Gga(3);
    const std::string block2 = kGsv + Gga(4);
    const std::vector<size_t> ggaEnds = {Gga(1).size(), block1.size() - Gga(3).size() - 7,
                                         block1.size(), block1.size() + block2.size()};
    std::mutex seenMutex;
    std::vector<size_t> queuedAtUpdate;
    std::vector<double> latitudeAtUpdate;
    events.onPositionUpdate = [&](int, std::stop_token) {
        std::lock_guard<std::mutex> seen(seenMutex);
        std::lock_guard<std::mutex> lock(snapshotLock);
        queuedAtUpdate.push_back(receiveQueue.size());
        latitudeAtUpdate.push_back(theSnapshot.latitude);
    };
    ASSERT_EQ(StartAcquisition(), 0);

    ASSERT_TRUE(pty.Write(block1));
    ASSERT_TRUE(WaitFor([&] { return QueuedBytes() == block1.size(); }));
    ASSERT_TRUE(pty.Write(block2));
    ASSERT_TRUE(WaitFor([&] { return QueuedBytes() == block1.size() + block2.size(); }));
    ExpectStopWithinASecond();

    EXPECT_EQ(DrainAll(), block1 + block2);
    EXPECT_GE(events.dataReceived.load(), 2);
    std::lock_guard<std::mutex> seen(seenMutex);
    ASSERT_EQ(queuedAtUpdate.size(), 4u);
    for (size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        // The block holding the GGA is not queued before its position update.
        EXPECT_LT(queuedAtUpdate[k], ggaEnds[k]);
        // Each update shows its own GGA.
        EXPECT_NEAR(latitudeAtUpdate[k], 48.0 + (static_cast<double>(k) + 1) / 60.0, 1e-9);
    }
}

TEST_F(Acquisition, AFrameSlowerThanASecondLetsTheReaderGoOnAndTheNextGgaPass) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_GE(theSerialPort.Open(pty.slavePath, 9600), 0);
    events.onPositionUpdate = [](int index, std::stop_token stop) {
        BlockUntil(stop, index == 0 ? 1500ms : 600ms);
    };
    ASSERT_EQ(StartAcquisition(), 0);

    const std::string first = Gga(10);
    ASSERT_TRUE(pty.Write(first));
    ASSERT_TRUE(WaitFor([&] { return events.positionUpdates.load() == 1; }));
    const auto updateStart = Clock::now();
    // The reader gives up waiting after 1000 ms and queues its block while the frame is busy.
    ASSERT_TRUE(WaitFor([&] { return QueuedBytes() == first.size(); }));
    const auto waited = Clock::now() - updateStart;
    EXPECT_GE(waited, 700ms);
    EXPECT_EQ(events.positionUpdatesDone.load(), 0);

    // After the late release the next GGA does not wait for its own (slow) update.
    ASSERT_TRUE(WaitFor([&] { return events.positionUpdatesDone.load() == 1; }));
    const std::string second = Gga(11);
    ASSERT_TRUE(pty.Write(second));
    ASSERT_TRUE(WaitFor([&] { return QueuedBytes() == first.size() + second.size(); }));
    EXPECT_EQ(events.positionUpdatesDone.load(), 1);
    ASSERT_TRUE(WaitFor([&] { return events.positionUpdatesDone.load() == 2; }));
    ExpectStopWithinASecond();
    EXPECT_EQ(DrainAll(), first + second);
}

// The offline decoder feeds the parser on its own thread: the position thread alone answers
// every GGA of the handshake, and no reader step runs beside it.
TEST_F(Acquisition, ThePositionThreadAloneServesACallerThatFeedsTheParser) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_GE(theSerialPort.Open(pty.slavePath, 9600), 0);
    ASSERT_TRUE(pty.Write("left for a reader"));
    std::mutex seenMutex;
    std::vector<double> latitudeAtUpdate;
    events.onPositionUpdate = [&](int, std::stop_token) {
        std::lock_guard<std::mutex> seen(seenMutex);
        std::lock_guard<std::mutex> lock(snapshotLock);
        latitudeAtUpdate.push_back(theSnapshot.latitude);
    };
    ASSERT_EQ(StartPositionThread(), 0);

    const std::string block = Gga(1) + kGsa + kGsv + Gga(2);
    const auto start = Clock::now();
    theParser.FeedBytes(reinterpret_cast<const uint8_t*>(block.data()),
                        static_cast<uint32_t>(block.size()));
    EXPECT_LT(Clock::now() - start, 1000ms); // no wait ran into its time-out
    {
        std::lock_guard<std::mutex> seen(seenMutex);
        ASSERT_EQ(latitudeAtUpdate.size(), 2u);
        EXPECT_NEAR(latitudeAtUpdate[0], 48.0 + 1 / 60.0, 1e-9);
        EXPECT_NEAR(latitudeAtUpdate[1], 48.0 + 2 / 60.0, 1e-9);
    }
    std::this_thread::sleep_for(250ms);
    EXPECT_EQ(events.dataReceived.load(), 0);
    EXPECT_EQ(QueuedBytes(), 0u);
    ExpectStopWithinASecond();
}

struct StopCase {
    const char* name;
    int ggas;     // written before stopping
    bool blocked; // the frame never answers a position update by itself
};
void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

class AcquisitionStop : public Acquisition, public testing::WithParamInterface<StopCase> {};

TEST_P(AcquisitionStop, JoinsBothThreadsWithinASecond) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_GE(theSerialPort.Open(pty.slavePath, 9600), 0);
    std::atomic<bool> sawStop{false};
    if (GetParam().blocked) {
        events.onPositionUpdate = [&](int index, std::stop_token stop) {
            if (index == 0) {
                BlockUntil(stop, 10s);
                sawStop = stop.stop_requested();
            }
        };
    }
    ASSERT_EQ(StartAcquisition(), 0);
    std::string block;
    for (int i = 0; i < GetParam().ggas; ++i)
        block += Gga(i % 60);
    if (!block.empty()) {
        ASSERT_TRUE(pty.Write(block));
        ASSERT_TRUE(WaitFor([&] { return events.positionUpdates.load() >= 1; }));
    }
    ExpectStopWithinASecond();
    if (GetParam().blocked) {
        EXPECT_TRUE(sawStop.load());
    }
    // Stopped means stopped: nothing is read any more.
    const int received = events.dataReceived.load();
    ASSERT_TRUE(pty.Write(Gga(59)));
    std::this_thread::sleep_for(250ms);
    EXPECT_EQ(events.dataReceived.load(), received);
    // And the threads can be started again.
    ASSERT_EQ(StartAcquisition(), 0);
    ASSERT_TRUE(WaitFor([&] { return events.dataReceived.load() > received; }));
}

INSTANTIATE_TEST_SUITE_P(States, AcquisitionStop,
                         testing::Values(StopCase{"Idle", 0, false},
                                         StopCase{"UpdateInFlight", 1, true},
                                         StopCase{"ManyGgasBehindABlockedUpdate", 40, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Acquisition, HangUpIsReportedOnceWithoutSpinningAndReconnectingWorks) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_GE(theSerialPort.Open(pty.slavePath, 9600), 0);
    ASSERT_EQ(StartAcquisition(), 0);
    ASSERT_TRUE(pty.Write("before"));
    ASSERT_TRUE(WaitFor([&] { return QueuedBytes() == 6; }));

    pty.HangUp();
    ASSERT_TRUE(WaitFor([&] { return events.sourceLost.load() == 1; }));
    const double cpuBefore = ProcessCpuSeconds();
    std::this_thread::sleep_for(600ms);
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.15);
    EXPECT_EQ(events.sourceLost.load(), 1);
    EXPECT_EQ(DrainAll(), "before"); // what came before the loss is still delivered

    // The frame closes the lost source; the device comes back and is connected again.
    EXPECT_TRUE(CloseLostSource());
    EXPECT_FALSE(theSerialPort.IsOpen());
    EXPECT_FALSE(CloseLostSource()); // a second report of the same loss finds nothing to close
    PtyPair again;
    ASSERT_TRUE(again.ok());
    ASSERT_GE(theSerialPort.Open(again.slavePath, 9600), 0) << theSerialPort.LastError();
    ASSERT_TRUE(again.Write("after"));
    ASSERT_TRUE(WaitFor([&] { return QueuedBytes() == 5; }));
    EXPECT_EQ(DrainAll(), "after");
    again.HangUp();
    ASSERT_TRUE(WaitFor([&] { return events.sourceLost.load() == 2; }));

    // The operator switched to another device before the frame saw the report: the report
    // must not close the new source.
    theSerialPort.Close();
    PtyPair third;
    ASSERT_TRUE(third.ok());
    ASSERT_GE(theSerialPort.Open(third.slavePath, 9600), 0) << theSerialPort.LastError();
    EXPECT_FALSE(CloseLostSource());
    EXPECT_TRUE(theSerialPort.IsOpen());
    ASSERT_TRUE(third.Write("third"));
    ASSERT_TRUE(WaitFor([&] { return QueuedBytes() == 5; }));
    EXPECT_EQ(DrainAll(), "third");
    ExpectStopWithinASecond();
}

TEST_F(Acquisition, ClosingUnderARunningReaderNeverReadsAReusedDescriptor) {
    ASSERT_EQ(StartAcquisition(), 0);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        PtyPair pty;
        ASSERT_TRUE(pty.ok());
        ASSERT_GE(theSerialPort.Open(pty.slavePath, 9600), 0);
        ASSERT_TRUE(pty.Write(std::string(3000, 'a')));
        std::this_thread::sleep_for(30ms);
        theSerialPort.Close();
        // The freed descriptor number is handed to something else that holds bytes.
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
        ASSERT_EQ(write(pipeFds[1], "ZZZZ", 4), 4);
        std::this_thread::sleep_for(250ms);
        char back[8];
        EXPECT_EQ(read(pipeFds[0], back, sizeof back), 4);
        close(pipeFds[0]);
        close(pipeFds[1]);
        EXPECT_EQ(DrainAll().find('Z'), std::string::npos);
    }
    EXPECT_EQ(events.sourceLost.load(), 0);
    ExpectStopWithinASecond();
}

} // namespace
