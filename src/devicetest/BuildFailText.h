#pragma once

#include <cstdint>
#include <string>

// Verdict text of a run that hit its time limit: "##PASS##" when all six passed, the
// "software not loaded" text when none did, else the fail lines of the missing items in order.
std::u16string BuildFailText(std::uint8_t passFlags);
