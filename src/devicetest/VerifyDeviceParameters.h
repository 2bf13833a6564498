#pragma once

#include <string>
#include <string_view>

#include "devicetest/ExpectedParameters.h"

enum class ParameterVerdictKind {
    AllGood,
    PlaceholderImei, // show kPlaceholderImeiMessage; no other check was made
    Mismatch,        // show mismatchText
};

struct ParameterVerdict {
    ParameterVerdictKind kind = ParameterVerdictKind::AllGood;
    // The mismatch lines of every compared value not found in the block, in table order.
    std::u16string mismatchText;
};

// block: the device's parameter block converted to UTF-16. Expected values are searched
// anywhere in the block (case-sensitive), not label by label; an empty value always matches.
ParameterVerdict VerifyDeviceParameters(std::u16string_view block,
                                        const ExpectedParameters& expected, bool checkImei);
