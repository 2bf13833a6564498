#pragma once

#include <string>
#include <string_view>

#include "devicetest/ExpectedParameters.h"
#include "devicetest/LabelledValues.h"

enum class ParameterVerdictKind {
    AllGood,
    PlaceholderImei, // show kPlaceholderImeiMessage; no other check was made
    Mismatch,        // show mismatchText
};

struct ParameterVerdict {
    ParameterVerdictKind kind = ParameterVerdictKind::AllGood;
    // The mismatch lines of every compared value not found in its own field, in table order.
    std::u16string mismatchText;
    // The device's block split by the label table (labels the block lacks are not found).
    LabelledValues device;
};

// The device's block split by the label table: each value runs from its label to the next
// label or the end of the block.
LabelledValues SplitDeviceBlock(std::u16string_view block);

// block: the device's parameter block converted to UTF-16. Each expected value must occur in
// the device's value for its own label (case-sensitive substring, so "V1" is found in "V1.2"),
// never under another label. An empty expected value always matches; a non-empty one whose
// label the block lacks does not.
ParameterVerdict VerifyDeviceParameters(std::u16string_view block,
                                        const ExpectedParameters& expected, bool checkImei);
