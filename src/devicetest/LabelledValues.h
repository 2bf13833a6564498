#pragma once
// A text split by the parameter label table into its ten values: the parameter file the
// operator chose and the parameter block a device reports carry the same labels, and both are
// read by this one splitter. They differ only in where a value ends (see ValueEnd).

#include <array>

#include "devicetest/ExpectedParameters.h"

enum class ValueEnd {
    // The parameter file's rule: a value ends where the next row's label of the table is (the
    // last one at "SETTING>"), each label at its first occurrence. A missing label or end label
    // still takes part in the arithmetic as position -1, as existing parameter files expect: a
    // missing end label gives an empty value, which is never compared.
    NextRowsLabel,
    // The device block's rule: a value ends at the nearest label of the table that follows it,
    // whichever it is, or at the end of the text. A label the text lacks has no value at all.
    NextLabelOrEnd,
};

struct LabelledValues {
    ExpectedParameters values;                      // the ten fields, however they were written
    std::array<bool, kParameterLabelCount> found{}; // the row's label occurs in the text

    bool operator==(const LabelledValues&) const = default;
};

LabelledValues SplitByLabels(std::u16string_view text, ValueEnd end);
