#pragma once
// Stands in for the main frame: counts what the threads report.

#include "serial/IAcquisitionEvents.h"

#include <atomic>
#include <functional>

struct TestEvents : IAcquisitionEvents {
    std::atomic<int> dataReceived{0};
    std::atomic<int> dataSent{0};
    std::atomic<int> sourceLost{0};
    std::atomic<int> positionUpdates{0};
    std::atomic<int> positionUpdatesDone{0};
    // What the frame does with a position update (runs on the position thread).
    std::function<void(int index, std::stop_token)> onPositionUpdate;

    void DataReceived() override { ++dataReceived; }
    void DataSent() override { ++dataSent; }
    void SourceLost() override { ++sourceLost; }
    void PositionUpdate(std::stop_token stop) override {
        const int index = positionUpdates++;
        if (onPositionUpdate)
            onPositionUpdate(index, stop);
        ++positionUpdatesDone;
    }
};
