#include "devicetest/VerifyDeviceParameters.h"

#include "devicetest/PlaceholderImeis.h"

LabelledValues SplitDeviceBlock(std::u16string_view block) {
    return SplitByLabels(block, ValueEnd::NextLabelOrEnd);
}

ParameterVerdict VerifyDeviceParameters(std::u16string_view block,
                                        const ExpectedParameters& expected, bool checkImei) {
    ParameterVerdict verdict;
    verdict.device = SplitDeviceBlock(block);
    if (checkImei) {
        // Anywhere in the block: a placeholder is never right, whatever label it stands under.
        for (const auto imei : kPlaceholderImeis) {
            if (block.find(imei) != std::u16string_view::npos) {
                verdict.kind = ParameterVerdictKind::PlaceholderImei;
                return verdict;
            }
        }
    }
    const auto& rows = ParameterLabels();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto& label = rows[row];
        const std::u16string& want = expected.*label.field;
        if (!label.compared || want.empty()) {
            continue;
        }
        // Only the device's own value for the label counts: a one-digit protocol must not be
        // found in the IP address.
        const std::u16string& have = verdict.device.values.*label.field;
        if (!verdict.device.found[row] || have.find(want) == std::u16string::npos) {
            verdict.mismatchText += label.mismatchLine;
        }
    }
    if (!verdict.mismatchText.empty()) {
        verdict.kind = ParameterVerdictKind::Mismatch;
    }
    return verdict;
}
