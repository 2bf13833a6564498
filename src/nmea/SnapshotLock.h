#pragma once
// The one process-wide lock. It guards the receive queue and theSnapshot, is held only while
// copying or clearing, and no code sends a message while holding it. The only lock ever taken
// inside it is the parser's model lock, for the copy of the model (never the other way round).

#include <mutex>

extern std::mutex snapshotLock;
