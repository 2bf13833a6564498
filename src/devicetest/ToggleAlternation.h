#pragma once
// Relay and buzzer toggling during a run. The counters live for the process and are never
// reset, so a new run carries on from the state the last step of the previous run left.

#include <cstdint>
#include <string_view>

extern std::uint32_t relayToggleCount;
extern std::uint32_t beepToggleCount;

// Increments the counter, then returns the "=1" command when the new value is odd, else "=0".
std::u16string_view RelayToggleStep();
std::u16string_view BeepToggleStep();
