#pragma once
// The one process-wide lock. It guards the receive queue and theSnapshot, is held only while
// copying or clearing, and no code takes another lock or sends a message while holding it.

#include <mutex>

extern std::mutex snapshotLock;
