#pragma once
// The reader and position threads, the receive queue and the position handshake.

#include <cstdint>
#include <deque>
#include <stop_token>

class IAcquisitionEvents;

// Where the threads report to; set before StartAcquisition (nullptr: nobody listens).
void SetAcquisitionEvents(IAcquisitionEvents* events);
IAcquisitionEvents* AcquisitionEvents();

// Starts the position thread, then the reader thread. 0, or the error code of the first
// thread that could not be created.
int StartAcquisition();
// The position thread alone, for a caller that feeds theParser on its own thread instead of
// the reader (the offline decoding of a capture). 0, or the thread's error code.
int StartPositionThread();
// Ends and joins the threads that run; safe with a position update in flight and when not
// started. Call it from the user-interface thread before the events object goes away, never
// while holding snapshotLock.
void StopAcquisition();

// What the frame does on a source-lost report: closes theSerialPort (with Close's pause) if
// its source is still the one the reader gave up on, and returns whether it did. A report
// that arrives after the operator already switched to another source leaves that one open.
bool CloseLostSource();

// One reader step (exposed for tests).
void ReadSource();

// The thread bodies, run by StartAcquisition. `positionUpdateStop` is what PositionUpdate is
// given: it is requested first when stopping, so that a frame that no longer handles events
// cannot hold the position thread (and through the handshake the reader) back.
void ReaderThread(std::stop_token stop);
void PositionThread(std::stop_token stop, std::stop_token positionUpdateStop);

constexpr uint32_t kReadSize = 10240;
constexpr uint32_t kPlaybackReadSize = 2560;

// Every byte read, in read order, until the frame drains it. Only touched under snapshotLock.
extern std::deque<uint8_t> receiveQueue;

constexpr uint32_t kDrainChunk = 32768;
// Moves at most 32768 queued bytes, in order, into buffer. Returns the number moved.
uint32_t DrainReceiveQueue(uint8_t* buffer);
