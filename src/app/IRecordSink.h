#pragma once
// Where the receive path copies what it shows: the record file, which takes every byte of a
// chunk (NUL bytes included) and ignores them while nothing is being recorded.

#include <cstddef>
#include <cstdint>

class IRecordSink {
public:
    virtual ~IRecordSink() = default;
    virtual void Record(const std::uint8_t* bytes, std::size_t length) = 0;
};
