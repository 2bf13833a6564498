#pragma once

#include <cstdint>

// Running mean of every value since construction or the last Reset.
class CAverage {
public:
    virtual ~CAverage() = default;

    void Add(double value);
    double Average() const; // 0.0 before the first value
    void Reset();

    double sum = 0.0;
    std::uint32_t count = 0;
};
