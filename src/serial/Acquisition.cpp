#include "serial/Acquisition.h"

#include "nmea/CNMEAParserWin32.h"
#include "nmea/DisplaySnapshot.h"
#include "nmea/SnapshotLock.h"
#include "serial/CSio.h"
#include "serial/IAcquisitionEvents.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

std::deque<uint8_t> receiveQueue;

namespace {

constexpr auto kReaderPeriod = std::chrono::milliseconds(100);
constexpr auto kPositionWait = std::chrono::milliseconds(2200);

// Start and stop come from the user-interface thread; the mutex only keeps a stray second
// caller from joining the same thread twice.
std::mutex g_lifeMutex;
std::jthread g_positionThread;
std::jthread g_readerThread;
std::stop_source g_positionUpdateStop;

// Read buffer of the reader step.
uint8_t g_readBuffer[kReadSize];
// The source the reader gave up on; it is not read again (ids are never reused). Written by
// the reader, read by the user-interface thread in CloseLostSource.
std::atomic<uint64_t> g_lostSource{0};

} // namespace

void ReadSource() {
    const CSio::ReadResult read =
        theSerialPort.Read(g_readBuffer, kReadSize, kPlaybackReadSize, g_lostSource.load());
    if (read.status == CSio::ReadStatus::Lost) {
        // Once per source: afterwards the reader leaves it alone until the frame closes it.
        g_lostSource.store(read.source);
        if (IAcquisitionEvents* events = AcquisitionEvents())
            events->SourceLost();
        return;
    }
    // A terminal keeps no sticky error state that would stall later reads, so unlike a
    // Windows port nothing needs clearing here; line errors simply cost the bytes they hit.
    if (read.status != CSio::ReadStatus::Data || read.count == 0)
        return;
    const uint32_t n = read.count;
    if (IAcquisitionEvents* events = AcquisitionEvents())
        events->DataReceived();
    // The decoders run here and may hold this thread in the position handshake.
    theParser.FeedBytes(g_readBuffer, n);
    std::lock_guard<std::mutex> lock(snapshotLock);
    receiveQueue.insert(receiveQueue.end(), g_readBuffer, g_readBuffer + n);
}

void ReaderThread(std::stop_token stop) {
    std::mutex sleepMutex;
    std::condition_variable_any sleeper;
    while (!stop.stop_requested()) {
        {
            std::unique_lock<std::mutex> lock(sleepMutex);
            sleeper.wait_for(lock, stop, kReaderPeriod, [] { return false; });
        }
        if (stop.stop_requested())
            break;
        ReadSource();
    }
}

void PositionThread(std::stop_token stop, std::stop_token positionUpdateStop) {
    while (!stop.stop_requested()) {
        if (!theParser.m_hPositionEvent.Wait(kPositionWait))
            continue;
        if (stop.stop_requested())
            break;
        theParser.m_hPositionEvent.Reset();
        TakeDisplaySnapshot();
        if (IAcquisitionEvents* events = AcquisitionEvents())
            events->PositionUpdate(positionUpdateStop);
        theParser.m_hPositionEventProcessed.Set();
    }
}

namespace {

// With g_lifeMutex held.
int StartPositionThreadLocked() {
    g_positionUpdateStop = std::stop_source();
    try {
        g_positionThread = std::jthread(PositionThread, g_positionUpdateStop.get_token());
    } catch (const std::system_error& e) {
        return e.code().value();
    }
    return 0;
}

} // namespace

int StartAcquisition() {
    std::lock_guard<std::mutex> life(g_lifeMutex);
    if (g_positionThread.joinable() || g_readerThread.joinable())
        return 0;
    if (const int error = StartPositionThreadLocked(); error != 0)
        return error;
    try {
        g_readerThread = std::jthread(ReaderThread);
    } catch (const std::system_error& e) {
        return e.code().value();
    }
    return 0;
}

int StartPositionThread() {
    std::lock_guard<std::mutex> life(g_lifeMutex);
    if (g_positionThread.joinable())
        return 0;
    return StartPositionThreadLocked();
}

void StopAcquisition() {
    std::lock_guard<std::mutex> life(g_lifeMutex);
    // First release a frame that is no longer handling events: the position thread then
    // answers every remaining position event at once, so the reader's handshake waits end
    // quickly and its last step cannot hold the join up.
    g_positionUpdateStop.request_stop();
    if (g_readerThread.joinable()) {
        g_readerThread.request_stop();
        g_readerThread.join();
    }
    if (g_positionThread.joinable()) {
        g_positionThread.request_stop();
        theParser.m_hPositionEvent.Set(); // wakes it from its 2200 ms wait
        g_positionThread.join();
    }
    // A later start begins with the handshake at rest.
    theParser.m_hPositionEvent.Reset();
    theParser.m_hPositionEventProcessed.Reset();
}

bool CloseLostSource() {
    // Source ids change with every open and close, so a match means nothing was reopened.
    const uint64_t lost = g_lostSource.load();
    if (lost == 0 || theSerialPort.SourceId() != lost)
        return false;
    theSerialPort.Close();
    return true;
}

uint32_t DrainReceiveQueue(uint8_t* buffer) {
    std::lock_guard<std::mutex> lock(snapshotLock);
    const size_t n = std::min<size_t>(receiveQueue.size(), kDrainChunk);
    std::copy_n(receiveQueue.begin(), n, buffer);
    receiveQueue.erase(receiveQueue.begin(), receiveQueue.begin() + static_cast<long>(n));
    return static_cast<uint32_t>(n);
}
