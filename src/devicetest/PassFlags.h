#pragma once
// passFlags: bit i set when test item i reported a pass in the current run.

#include <cstddef>
#include <cstdint>

inline constexpr std::uint8_t kAllItemsPassed = 63;

constexpr std::uint8_t PassBit(std::size_t itemIndex) {
    return static_cast<std::uint8_t>(1u << itemIndex);
}

constexpr bool HasPassed(std::uint8_t passFlags, std::size_t itemIndex) {
    return (passFlags & PassBit(itemIndex)) != 0;
}

// Bits are only ever added by replies; a run start or a verdict clears the whole value.
constexpr std::uint8_t MarkPassed(std::uint8_t passFlags, std::size_t itemIndex) {
    return static_cast<std::uint8_t>(passFlags | PassBit(itemIndex));
}

constexpr bool AllItemsPassed(std::uint8_t passFlags) {
    return passFlags == kAllItemsPassed;
}
