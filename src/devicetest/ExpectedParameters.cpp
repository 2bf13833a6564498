#include "devicetest/ExpectedParameters.h"

#include "devicetest/LabelledValues.h"

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

} // namespace

const std::array<ParameterLabel, kParameterLabelCount>& ParameterLabels() {
    return kLabels;
}

ExpectedParameters ParseParameterText(std::u16string_view text) {
    return SplitByLabels(text, ValueEnd::NextRowsLabel).values;
}

bool HasComparedValue(const ExpectedParameters& expected) {
    for (const auto& row : kLabels) {
        if (row.compared && !(expected.*row.field).empty()) {
            return true;
        }
    }
    return false;
}
