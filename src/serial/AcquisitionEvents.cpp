// Kept apart from the threads so that the port object can report without pulling them in.
#include "serial/Acquisition.h"

#include <atomic>

namespace {
std::atomic<IAcquisitionEvents*> g_events{nullptr};
}

void SetAcquisitionEvents(IAcquisitionEvents* events) {
    g_events.store(events);
}

IAcquisitionEvents* AcquisitionEvents() {
    return g_events.load();
}
