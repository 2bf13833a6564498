#pragma once
// The ten values a correct device reports in its parameter block, taken from a parameter file.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

struct ExpectedParameters {
    std::u16string version;
    std::u16string id;
    std::u16string imei;
    std::u16string ip;
    std::u16string apn;
    std::u16string timeZone;
    std::u16string mode;
    std::u16string gprsEnable;
    std::u16string protocol;
    std::u16string interval;

    bool operator==(const ExpectedParameters&) const = default;
};

// One row of the parameter file's label table. A value runs from the end of its label to the
// start of the next row's label; the last one ends at "SETTING>".
struct ParameterLabel {
    std::u16string_view label; // exact, with its spaces
    std::u16string ExpectedParameters::*field;
    bool compared;                    // checked against the device's block
    std::u16string_view mismatchLine; // empty for rows that are not compared
};

inline constexpr std::size_t kParameterLabelCount = 10;
inline constexpr std::u16string_view kParameterTextEnd = u"SETTING>";

const std::array<ParameterLabel, kParameterLabelCount>& ParameterLabels();

// text: the whole file with its lines joined. Each label counts at its first occurrence; a
// missing end label gives an empty value; values are never trimmed.
ExpectedParameters ParseParameterText(std::u16string_view text);

// At least one compared row has a value: a device can be checked against these values.
bool HasComparedValue(const ExpectedParameters& expected);
