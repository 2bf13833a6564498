#include "devicetest/VerifyDeviceParameters.h"

#include "devicetest/PlaceholderImeis.h"

ParameterVerdict VerifyDeviceParameters(std::u16string_view block,
                                        const ExpectedParameters& expected, bool checkImei) {
    ParameterVerdict verdict;
    if (checkImei) {
        for (const auto imei : kPlaceholderImeis) {
            if (block.find(imei) != std::u16string_view::npos) {
                verdict.kind = ParameterVerdictKind::PlaceholderImei;
                return verdict;
            }
        }
    }
    for (const auto& row : ParameterLabels()) {
        if (row.compared && block.find(expected.*row.field) == std::u16string_view::npos) {
            verdict.mismatchText += row.mismatchLine;
        }
    }
    if (!verdict.mismatchText.empty()) {
        verdict.kind = ParameterVerdictKind::Mismatch;
    }
    return verdict;
}
