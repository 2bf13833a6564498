#pragma once
// The reader and position threads, the receive queue and the position handshake.

#include <cstdint>

class IAcquisitionEvents;

// Where the threads report to; set before StartAcquisition (nullptr: nobody listens).
void SetAcquisitionEvents(IAcquisitionEvents* events);
IAcquisitionEvents* AcquisitionEvents();

// Starts the position thread, then the reader thread. 0, or the error code of the first
// thread that could not be created.
int StartAcquisition();
// Ends and joins both threads; safe with a position update in flight and when not started.
void StopAcquisition();

// One reader step (exposed for tests).
void ReadSource();

constexpr uint32_t kDrainChunk = 32768;
// Moves at most 32768 queued bytes, in order, into buffer. Returns the number moved.
uint32_t DrainReceiveQueue(uint8_t* buffer);
