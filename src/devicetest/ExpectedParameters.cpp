#include "devicetest/ExpectedParameters.h"

#include <cstdint>

namespace {

using E = ExpectedParameters;

const std::array<ParameterLabel, kParameterLabelCount> kLabels{{
    {u"Ver: ", &E::version, true, u"#版本号与参数文件不相符\r\n"},
    {u"ID: ", &E::id, false, u""},
    {u"IMEI: ", &E::imei, false, u""},
    {u"IP: ", &E::ip, false, u""},
    {u"APN:", &E::apn, true, u"#APN与参数文件不符\r\n"},
    {u"TimeZone: ", &E::timeZone, true, u"#时区与参数文件不符\r\n"},
    {u"MODE:", &E::mode, true, u"#模式与参数文件不符\r\n"},
    {u"GPRS ENABLE:", &E::gprsEnable, true, u"#通信方式与参数文件不符\r\n"},
    {u"PROTOCOL:", &E::protocol, true, u"#协议与参数文件不符\r\n"},
    {u"INTERVAL:", &E::interval, true, u"#上报间隔与参数文件不符\r\n"},
}};

std::int64_t FindOrMinusOne(std::u16string_view text, std::u16string_view what) {
    const auto at = text.find(what);
    return at == std::u16string_view::npos ? -1 : static_cast<std::int64_t>(at);
}

} // namespace

const std::array<ParameterLabel, kParameterLabelCount>& ParameterLabels() {
    return kLabels;
}

ExpectedParameters ParseParameterText(std::u16string_view text) {
    ExpectedParameters result;
    const auto size = static_cast<std::int64_t>(text.size());
    for (std::size_t row = 0; row < kLabels.size(); ++row) {
        const auto& label = kLabels[row];
        const std::u16string_view endLabel =
            row + 1 < kLabels.size() ? kLabels[row + 1].label : kParameterTextEnd;
        const auto length = static_cast<std::int64_t>(label.label.size());
        // The arithmetic deliberately works on -1 for a missing label: a file without "Ver: "
        // takes the version from position 4, which existing parameter files rely on.
        const std::int64_t s = FindOrMinusOne(text, label.label);
        const std::int64_t e = FindOrMinusOne(text, endLabel);
        std::int64_t start = s + length;
        const std::int64_t count = e - s - length;
        if (start < 0) {
            start = 0;
        }
        if (count <= 0 || start >= size) {
            continue;
        }
        const std::int64_t available = size - start;
        result.*label.field = std::u16string(
            text.substr(static_cast<std::size_t>(start),
                        static_cast<std::size_t>(count < available ? count : available)));
    }
    return result;
}
